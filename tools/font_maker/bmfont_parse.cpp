// Reading the three BMFont formats into one model. The text and XML forms
// both come down to "a tag with attributes", which one function applies.
#include <algorithm>
#include <cctype>
#include <string_view>

#include "bmfont.h"
#include "code_page_names.h"
#include "font_block.h"

namespace font_maker {
namespace {

// In file order, repeats kept: a map would hide which value came last.
using Attributes = std::vector<std::pair<std::string, std::string>>;

// Not std::isspace: the locale must not change how a font file reads.
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Whole numbers only, as every tool writes them; 18 digits keep int64 safe.
bool ParseWhole(std::string_view text, std::int64_t* out) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    // No digits, or more than fit: a value that would wrap is refused, not read.
    if (i == text.size() || text.size() - i > 18) return false;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    *out = negative ? -value : value;
    return true;
}

// Reads one tag's attributes, naming the place in the file in every error.
class TagReader {
public:
    TagReader(const Attributes& attributes, std::string where)
        : attributes_(attributes), where_(std::move(where)) {}

    const std::string* Find(std::string_view key) const {
        // The last one wins, as a careless writer repeating a key would expect.
        const std::string* found = nullptr;
        for (const auto& [k, v] : attributes_)
            if (k == key) found = &v;
        return found;
    }
    // Leaves *out alone when the key is missing, unless it is required. An
    // empty value (Littera writes unicode= so) counts as missing.
    bool Number(std::string_view key, std::int64_t* out, bool required, MakeStatus* status) const {
        const std::string* value = Find(key);
        if (value == nullptr || value->empty()) {
            if (required)
                *status = Fail(MakeError::Malformed, where_ + ": " + std::string(key) +
                                                         (value == nullptr ? " is missing" : " is empty") +
                                                         " (is the file cut short?)");
            return !required;
        }
        if (!ParseWhole(*value, out)) {
            *status = Fail(MakeError::Malformed, where_ + ": " + std::string(key) + "=\"" + *value +
                                                     "\" is not a whole number");
            return false;
        }
        return true;
    }
private:
    const Attributes& attributes_;
    std::string where_;
};

// One tag of either text form into the model. Keys the packed font has no use
// for (face, size, padding, spacing, scaleW, ...) are not even looked at.
MakeStatus ApplyTag(std::string_view tag, const Attributes& attributes, const std::string& where,
                    BmFont* font, bool* sawCommon) {
    const TagReader r(attributes, where);
    MakeStatus status;
    std::int64_t flag = 0;
    if (tag == "info") {
        if (const std::string* charset = r.Find("charset")) font->charset = *charset;
        if (!r.Number("unicode", &flag, false, &status)) return status;
        font->unicode = flag != 0;
    } else if (tag == "common") {
        *sawCommon = true;
        // Without the line height there is nothing to fill the records' lineHeight with.
        if (!r.Number("lineHeight", &font->lineHeight, true, &status) ||
            !r.Number("base", &font->base, false, &status) ||
            !r.Number("scaleW", &font->scaleW, false, &status) ||
            !r.Number("scaleH", &font->scaleH, false, &status) ||
            !r.Number("pages", &font->pages, false, &status) || !r.Number("packed", &flag, false, &status))
            return status;
        font->packed = flag != 0;
    } else if (tag == "distanceField") {
        const std::string* type = r.Find("fieldType");
        font->fieldType = type != nullptr && !type->empty() ? *type : "sdf";
        if (!r.Number("distanceRange", &font->distanceRange, false, &status)) return status;
    } else if (tag == "page") {
        std::int64_t id = 0;
        if (!r.Number("id", &id, true, &status)) return status;
        const std::string* file = r.Find("file");
        if (file == nullptr) return Fail(MakeError::Malformed, where + ": the page has no file");
        // Two files for one page would make the glyphs depend on which one is read.
        if (font->pageFiles.count(id) != 0)
            return Fail(MakeError::Malformed, where + ": page " + std::to_string(id) + " is named twice");
        font->pageFiles[id] = *file;
    } else if (tag == "char") {
        BmChar c;
        // Every writer gives the rectangle, offsets and advance; a char
        // without one of them is a line cut short, not a zero.
        if (!r.Number("id", &c.id, true, &status) || !r.Number("x", &c.x, true, &status) ||
            !r.Number("y", &c.y, true, &status) || !r.Number("width", &c.width, true, &status) ||
            !r.Number("height", &c.height, true, &status) ||
            !r.Number("xoffset", &c.xoffset, true, &status) ||
            !r.Number("yoffset", &c.yoffset, true, &status) ||
            !r.Number("xadvance", &c.xadvance, true, &status) ||
            !r.Number("page", &c.page, false, &status) || !r.Number("chnl", &c.chnl, false, &status))
            return status;
        // Writers give page and chnl on every char or on none; a char that
        // lacks one the others have ends a file cut in the middle of its line.
        const bool hasPage = r.Find("page") != nullptr, hasChnl = r.Find("chnl") != nullptr;
        if (font->chars.empty()) {
            font->charsHavePage = hasPage, font->charsHaveChnl = hasChnl;
        } else if ((font->charsHavePage && !hasPage) || (font->charsHaveChnl && !hasChnl)) {
            return Fail(MakeError::Malformed, where + ": the char lacks " + (font->charsHavePage && !hasPage ? "page" : "chnl") +
                                                  ", which the chars before it have (is the file cut short?)");
        }
        // Duplicates are kept here and refused by the conversion, which knows codes.
        font->chars.push_back(c);
    } else if (tag == "kerning") {
        BmKerning k;
        if (!r.Number("first", &k.first, true, &status) || !r.Number("second", &k.second, true, &status) ||
            !r.Number("amount", &k.amount, true, &status))
            return status;
        font->kerning.push_back(k);
    }
    // chars, kernings, pages, font and anything newer carry nothing we use.
    return {};
}

// Line by line: a tag word, then key=value pairs, values quoted or up to the
// next blank. Unknown tags are skipped, so newer writers' extra lines do no harm.
MakeStatus ParseText(std::string_view text, BmFont* font) {
    bool sawCommon = false;
    std::size_t lineNumber = 0, start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        std::size_t i = 0;
        while (i < line.size() && IsSpace(line[i])) ++i;
        const std::size_t tagStart = i;
        while (i < line.size() && !IsSpace(line[i])) ++i;
        const std::string_view tag = line.substr(tagStart, i - tagStart);
        // Blank lines appear in hand-edited files.
        if (tag.empty()) continue;
        Attributes attributes;
        while (i < line.size()) {
            while (i < line.size() && IsSpace(line[i])) ++i;
            if (i == line.size()) break;
            const std::size_t keyStart = i;
            while (i < line.size() && line[i] != '=' && !IsSpace(line[i])) ++i;
            std::string key(line.substr(keyStart, i - keyStart));
            // A bare key (no '=') is kept with an empty value and later ignored.
            std::string value;
            if (i < line.size() && line[i] == '=') {
                ++i;
                if (i < line.size() && line[i] == '"') {
                    // Quoted values (faces, file names) may hold spaces.
                    const std::size_t close = line.find('"', i + 1);
                    if (close == std::string_view::npos)
                        return Fail(MakeError::Malformed, "line " + std::to_string(lineNumber) +
                                                              ": a quote is not closed");
                    value = std::string(line.substr(i + 1, close - i - 1));
                    i = close + 1;
                } else {
                    const std::size_t valueStart = i;
                    while (i < line.size() && !IsSpace(line[i])) ++i;
                    value = std::string(line.substr(valueStart, i - valueStart));
                }
            }
            attributes.emplace_back(std::move(key), std::move(value));
        }
        const MakeStatus s = ApplyTag(tag, attributes, "line " + std::to_string(lineNumber), font, &sawCommon);
        if (!s.ok()) return s;
    }
    if (!sawCommon) return Fail(MakeError::Malformed, "the font has no common line");
    return {};
}

// The five predefined entities and numeric references; anything else is kept
// as written.
std::string DecodeEntities(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const std::size_t semi = s[i] == '&' ? s.find(';', i) : std::string_view::npos;
        if (semi == std::string_view::npos || semi - i > 10) {
            out += s[i];
            continue;
        }
        const std::string_view name = s.substr(i + 1, semi - i - 1);
        std::int32_t c = -1;
        if (name == "amp") c = '&';
        else if (name == "lt") c = '<';
        else if (name == "gt") c = '>';
        else if (name == "quot") c = '"';
        else if (name == "apos") c = '\'';
        else if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            std::int64_t v = 0;
            bool ok = name.size() > (hex ? 2u : 1u);
            for (char ch : name.substr(hex ? 2 : 1)) {
                const int digit = std::isdigit(static_cast<unsigned char>(ch)) ? ch - '0'
                                  : hex && std::isxdigit(static_cast<unsigned char>(ch))
                                      ? std::tolower(static_cast<unsigned char>(ch)) - 'a' + 10
                                      : -1;
                if (digit < 0 || v > 0x10FFFF) ok = false;
                else v = v * (hex ? 16 : 10) + digit;
            }
            if (ok && v <= 0x10FFFF) c = static_cast<std::int32_t>(v);
        }
        if (c < 0) {
            out += s[i];
            continue;
        }
        sftools::AppendUtf8(c, &out);
        i = semi;
    }
    return out;
}

// Enough XML for what the tools write: declarations, comments, elements with
// quoted attributes. Text between elements is ignored.
// The nesting (font > chars > char) is not checked: every writer uses the
// same element names, and a char is a char wherever it stands.
MakeStatus ParseXml(std::string_view text, BmFont* font) {
    bool sawCommon = false;
    std::size_t i = 0;
    const auto lineOf = [&](std::size_t at) {
        return "line " + std::to_string(1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
    };
    while ((i = text.find('<', i)) != std::string_view::npos) {
        const std::size_t tagAt = i;
        if (text.substr(i, 4) == "<!--") {
            const std::size_t close = text.find("-->", i + 4);
            if (close == std::string_view::npos) return Fail(MakeError::Malformed, lineOf(i) + ": a comment is not closed");
            i = close + 3;
            continue;
        }
        // Declarations, doctypes and closing tags carry nothing.
        if (text.substr(i, 2) == "<?" || text.substr(i, 2) == "<!" || text.substr(i, 2) == "</") {
            const std::size_t close = text.find('>', i);
            if (close == std::string_view::npos) return Fail(MakeError::Malformed, lineOf(i) + ": a tag is not closed");
            i = close + 1;
            continue;
        }
        ++i;
        const std::size_t nameStart = i;
        while (i < text.size() && !IsSpace(text[i]) && text[i] != '>' && text[i] != '/') ++i;
        const std::string_view tag = text.substr(nameStart, i - nameStart);
        Attributes attributes;
        for (;;) {
            while (i < text.size() && IsSpace(text[i])) ++i;
            if (i >= text.size()) return Fail(MakeError::Malformed, lineOf(tagAt) + ": <" + std::string(tag) + " is not closed");
            // An element's end, empty or not: its content is the next elements anyway.
            if (text[i] == '>' || text.substr(i, 2) == "/>") {
                i += text[i] == '>' ? 1 : 2;
                break;
            }
            const std::size_t keyStart = i;
            while (i < text.size() && text[i] != '=' && !IsSpace(text[i]) && text[i] != '>') ++i;
            std::string key(text.substr(keyStart, i - keyStart));
            while (i < text.size() && IsSpace(text[i])) ++i;
            if (i >= text.size() || text[i] != '=')
                return Fail(MakeError::Malformed, lineOf(tagAt) + ": attribute " + key + " has no value");
            ++i;
            while (i < text.size() && IsSpace(text[i])) ++i;
            if (i >= text.size() || (text[i] != '"' && text[i] != '\''))
                return Fail(MakeError::Malformed, lineOf(tagAt) + ": the value of " + key + " is not quoted");
            // Either quote, as XML allows; the value ends at the same one.
            const std::size_t close = text.find(text[i], i + 1);
            if (close == std::string_view::npos)
                return Fail(MakeError::Malformed, lineOf(tagAt) + ": a quote is not closed");
            attributes.emplace_back(std::move(key), DecodeEntities(text.substr(i + 1, close - i - 1)));
            i = close + 1;
        }
        const MakeStatus s = ApplyTag(tag, attributes, lineOf(tagAt), font, &sawCommon);
        if (!s.ok()) return s;
    }
    if (!sawCommon) return Fail(MakeError::Malformed, "the font has no common element");
    return {};
}

// Version 3: 'BMF', the version byte, then blocks of a type byte and a
// little-endian length. Every length is checked against what is left before
// any byte of the block is read.
MakeStatus ParseBinary(std::span<const std::uint8_t> b, BmFont* font) {
    if (b.size() < 4) return Fail(MakeError::Malformed, "the binary font is cut short");
    if (b[3] != 3)
        return Fail(MakeError::UnsupportedVersion,
                    "binary BMFont version " + std::to_string(b[3]) + "; only version 3 is read");
    bool sawCommon = false;
    std::size_t at = 4;
    while (at < b.size()) {
        if (b.size() - at < 5) return Fail(MakeError::Malformed, "a block header is cut short at byte " + std::to_string(at));
        const int type = b[at];
        const std::uint32_t size = sftools::GetLe32(&b[at + 1]);
        at += 5;
        if (size > b.size() - at)
            return Fail(MakeError::Malformed, "block " + std::to_string(type) + " says " + std::to_string(size) +
                                                  " bytes but the file ends before");
        const std::uint8_t* p = b.data() + at;
        const auto u16 = [](const std::uint8_t* q) { return static_cast<std::int64_t>(q[0] | (q[1] << 8)); };
        const auto s16 = [](const std::uint8_t* q) { return static_cast<std::int64_t>(sftools::GetLe16(q)); };
        // Unknown block types are stepped over by their length.
        if (type == 1) {
            if (size < 14) return Fail(MakeError::Malformed, "the info block is too short");
            // Bits are numbered from the top: bit 1, unicode, is 0x40.
            font->unicode = (p[2] & 0x40) != 0;
            font->charset = p[3] == 0 ? "ANSI" : "charset " + std::to_string(p[3]);
        } else if (type == 2) {
            if (size < 15) return Fail(MakeError::Malformed, "the common block is too short");
            sawCommon = true;
            font->lineHeight = u16(p);
            font->base = u16(p + 2);
            font->scaleW = u16(p + 4);
            font->scaleH = u16(p + 6);
            font->pages = u16(p + 8);
            // Only the packed bit is defined in this byte; the rest are reserved zeros.
            font->packed = p[10] != 0;
        } else if (type == 3) {
            // Names of equal length, each ended by a zero byte, for pages 0, 1, ...
            std::int64_t id = 0;
            std::size_t start = 0;
            for (std::size_t k = 0; k < size; ++k)
                if (p[k] == 0) {
                    font->pageFiles[id++] = std::string(reinterpret_cast<const char*>(p + start), k - start);
                    start = k + 1;
                }
            if (start != size) return Fail(MakeError::Malformed, "a page name is not ended by a zero byte");
        // 20 bytes a char: id u32, x y width height u16, xoffset yoffset xadvance
        // i16, page and chnl u8.
        } else if (type == 4) {
            if (size % 20 != 0) return Fail(MakeError::Malformed, "the chars block is not a whole number of chars");
            for (std::size_t k = 0; k < size; k += 20) {
                const std::uint8_t* q = p + k;
                BmChar c;
                c.id = sftools::GetLe32(q);
                c.x = u16(q + 4), c.y = u16(q + 6), c.width = u16(q + 8), c.height = u16(q + 10);
                c.xoffset = s16(q + 12), c.yoffset = s16(q + 14), c.xadvance = s16(q + 16);
                c.page = q[18], c.chnl = q[19];
                font->chars.push_back(c);
            }
        } else if (type == 5) {
            // 10 bytes a pair: first and second u32, amount i16.
            if (size % 10 != 0) return Fail(MakeError::Malformed, "the kerning block is not a whole number of pairs");
            for (std::size_t k = 0; k < size; k += 10)
                font->kerning.push_back({sftools::GetLe32(p + k), sftools::GetLe32(p + k + 4), s16(p + k + 8)});
        }
        at += size;
    }
    if (!sawCommon) return Fail(MakeError::Malformed, "the font has no common block");
    return {};
}

std::string_view AsText(std::span<const std::uint8_t> bytes) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    // A UTF-8 byte order mark is allowed in front of both text forms.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return text;
}

// The first blank-separated word, which names the form of a text font.
std::string_view FirstWord(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    std::size_t j = i;
    while (j < text.size() && !IsSpace(text[j])) ++j;
    return text.substr(i, j - i);
}

}  // namespace

// A face never starts with these: TrueType starts with a version number,
// OpenType with 'OTTO', collections with 'ttcf'.
bool LooksLikeBmFont(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 3 && bytes[0] == 'B' && bytes[1] == 'M' && bytes[2] == 'F') return true;
    const std::string_view text = AsText(bytes);
    const std::string_view word = FirstWord(text);
    // XML may open with a declaration, a comment or a doctype before <font>.
    return word == "info" || word == "common" || (word.substr(0, 1) == "<" && text.find("<font") != std::string_view::npos);
}

MakeStatus ParseBmFont(std::span<const std::uint8_t> bytes, BmFont* font) {
    *font = BmFont{};
    if (bytes.size() >= 3 && bytes[0] == 'B' && bytes[1] == 'M' && bytes[2] == 'F') {
        font->format = BmFormat::Binary;
        return ParseBinary(bytes, font);
    }
    // Anything that is not binary is text or XML; XML starts with its first tag.
    const std::string_view text = AsText(bytes);
    if (FirstWord(text).substr(0, 1) == "<") {
        font->format = BmFormat::Xml;
        return ParseXml(text, font);
    }
    font->format = BmFormat::Text;
    return ParseText(text, font);
}

MakeStatus ParseBmFontAs(BmFormat format, std::span<const std::uint8_t> bytes, BmFont* font) {
    *font = BmFont{};
    font->format = format;
    switch (format) {
        case BmFormat::Binary: return ParseBinary(bytes, font);
        case BmFormat::Xml: return ParseXml(AsText(bytes), font);
        case BmFormat::Text: break;
    }
    return ParseText(AsText(bytes), font);
}

}  // namespace font_maker
