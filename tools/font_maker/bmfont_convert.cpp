// From the BMFont model to glyph images: map each char to the code page,
// cut its pixels from its page, keep its metrics, its kerning pairs and
// the font's line metrics.
#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>

#include "bmfont.h"
#include "code_page_names.h"
#include "file_io.h"
#include "png_io.h"
#include "sprite_font.h"

namespace font_maker {
namespace {

namespace format = sprite_font_format;

// The packed font's metrics are signed 16-bit; the model keeps 64.
bool FitsInt16(std::int64_t v) {
    return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
}

// The character an id stands for: Unicode, or a Windows-1252 byte in an
// ANSI font; -1 for what is no character.
std::int64_t CharacterOf(std::int64_t id, bool unicode) {
    if (unicode) return id >= 0 && id <= 0x10FFFF ? id : -1;
    return id >= 0 && id <= 255 ? CodePageToUnicode(CodePageWindows1252, static_cast<unsigned char>(id)) : -1;
}

// Messages name a char by its id and by its character.
std::string CharLabel(const BmChar& c, bool unicode) {
    const std::int64_t character = CharacterOf(c.id, unicode);
    return "char " + std::to_string(c.id) +
           (character < 0 ? std::string() : " (" + sftools::CharacterLabel(static_cast<std::int32_t>(character)) + ")");
}

// How a person names the kinds of distance field.
enum class Field { None, Single, Multi, MultiTrue };

std::optional<Field> FieldOf(const std::string& type) {
    if (type.empty()) return Field::None;
    if (type == "sdf" || type == "psdf") return Field::Single;
    if (type == "msdf") return Field::Multi;
    if (type == "mtsdf") return Field::MultiTrue;
    return std::nullopt;
}

// A page whose alpha says nothing (none at all, or one value throughout, as
// BMFont writes for an alpha channel set to zero or one) holds its glyphs in
// the colour channels. Grey pages (BMFont's one-channel export) say coverage
// and become white ink; a page in colour cannot be told from its background.
MakeStatus GivePageAlpha(sftools::Image* page, const std::string& file) {
    for (std::size_t i = 4; i < page->rgba.size(); i += 4)
        if (page->rgba[i + 3] != page->rgba[3]) return {};  // real alpha
    for (std::size_t i = 0; i < page->rgba.size(); i += 4) {
        const std::uint8_t* p = &page->rgba[i];
        if (p[0] != p[1] || p[1] != p[2])
            return Fail(MakeError::PageWithoutAlpha,
                        "page " + file + " is in colour and its alpha is " + std::to_string(page->rgba[3]) +
                            " on every texel, so the glyphs cannot be told from the background (a distance-field "
                            "page needs a distanceField line in the descriptor)");
    }
    for (std::size_t i = 0; i < page->rgba.size(); i += 4) {
        std::uint8_t* p = &page->rgba[i];
        p[3] = p[0];
        p[0] = p[1] = p[2] = 255;
    }
    return {};
}

// A multi-channel field draws its shape where the median of red, green and
// blue passes one half. That median goes into alpha (an mtsdf page has its
// true field there already), so a plain renderer sees a soft glyph and one
// that reads fields finds all three channels untouched.
void MedianIntoAlpha(sftools::Image* page) {
    for (std::size_t i = 0; i < page->rgba.size(); i += 4) {
        std::uint8_t* p = &page->rgba[i];
        p[3] = std::max(std::min(p[0], p[1]), std::min(std::max(p[0], p[1]), p[2]));
    }
}

// The separator either way: descriptors written on Windows use backslashes.
std::string LastComponent(const std::string& name) {
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

bool IsAbsoluteName(const std::string& name) {
    if (!name.empty() && (name[0] == '/' || name[0] == '\\')) return true;
    return name.size() >= 2 && name[1] == ':' &&
           ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
}

}  // namespace

PageReader PagesBeside(const std::string& descriptorPath) {
    const std::filesystem::path folder = std::filesystem::path(descriptorPath).parent_path();
    return [folder](const std::string& file, std::vector<std::uint8_t>* bytes, std::string* error) {
        const std::string last = LastComponent(file);
        if (last.empty() || last == "." || last == "..") {
            *error = "the page name \"" + file + "\" names no file";
            return false;
        }
        if (!IsAbsoluteName(file)) {
            std::string relative = file;
            std::replace(relative.begin(), relative.end(), '\\', '/');
            std::string ignored;
            if (sftools::ReadFile((folder / relative).string(), bytes, &ignored)) return true;
        }
        if (sftools::ReadFile((folder / last).string(), bytes, error)) return true;
        *error = "page \"" + file + "\": " + *error;
        return false;
    };
}

MakeStatus ConvertBmFont(const BmFont& font, const PageReader& readPage, const BmOptions& options,
                         std::vector<GlyphImage>* glyphs, sftools::FontChunks* chunks,
                         std::vector<std::string>* notes) {
    glyphs->clear();
    *chunks = {};
    const std::int32_t codePage = options.codePage;
    if (font.packed)
        return Fail(MakeError::ChannelPacked,
                    "the font packs glyphs into single colour channels (packed=1); the packed font format keeps "
                    "one glyph per rectangle of an RGBA atlas: export it again without channel packing");
    if (!FitsInt16(font.lineHeight))
        return Fail(MakeError::MetricTooLarge, "lineHeight " + std::to_string(font.lineHeight) + " does not fit 16 bits");
    // Lines would not advance; and the engine measures with it.
    if (font.lineHeight <= 0)
        return Fail(MakeError::Malformed, "lineHeight " + std::to_string(font.lineHeight) +
                                              " is not positive: lines of text would not move down");
    if (!FitsInt16(font.base))
        return Fail(MakeError::MetricTooLarge, "base " + std::to_string(font.base) + " does not fit 16 bits");
    const std::optional<Field> field = FieldOf(font.fieldType);
    if (!field)
        return Fail(MakeError::FieldUnsupported, "the distance field type \"" + font.fieldType +
                                                     "\" is none of sdf, psdf, msdf, mtsdf");
    if (*field != Field::None && (font.distanceRange < 0 || font.distanceRange > 65535))
        return Fail(MakeError::MetricTooLarge, "distanceRange " + std::to_string(font.distanceRange) +
                                                   " does not fit 0..65535");
    // Ids above 255 can only be Unicode, whatever the info line claims
    // (some tools write unicode=0 for Unicode fonts).
    bool unicode = font.unicode;
    for (const BmChar& c : font.chars)
        if (c.id > 255) unicode = true;
    if (!unicode && !font.charset.empty() && font.charset != "ANSI")
        return Fail(MakeError::UnsupportedCharset, "the font is in the character set " + font.charset +
                                                       "; only Unicode and ANSI fonts can be mapped to a code page");

    // First every char is checked and given its code, so that a font that
    // cannot be made is refused before any page is decoded.
    std::array<const BmChar*, 256> byCode{};
    std::map<std::int64_t, std::uint8_t> codeOfId;
    std::vector<std::string> dropped;  // as the note names them
    // Which glyph needs which char's pixels.
    std::vector<std::pair<std::size_t, const BmChar*>> cuts;
    std::uint64_t area = 0;
    for (const BmChar& c : font.chars) {
        if (c.chnl != 15 && c.chnl != 0)
            return Fail(MakeError::ChannelPacked, CharLabel(c, unicode) + " lies in colour channels " +
                                                      std::to_string(c.chnl) +
                                                      " only (chnl); export the font with all channels per glyph");
        const std::int64_t character = CharacterOf(c.id, unicode);
        const std::int32_t code =
            character < 0 ? -1 : UnicodeToCodePage(codePage, static_cast<std::int32_t>(character));
        if (code <= 0) {
            dropped.push_back(character < 0 ? "id " + std::to_string(c.id)
                                            : sftools::CharacterLabel(static_cast<std::int32_t>(character)));
            continue;
        }
        // Two chars for one code cannot both be kept, and picking one would hide it.
        if (byCode[static_cast<std::size_t>(code)] != nullptr)
            return Fail(MakeError::DuplicateCharacter, CharLabel(c, unicode) + " appears twice");
        byCode[static_cast<std::size_t>(code)] = &c;
        codeOfId[c.id] = static_cast<std::uint8_t>(code);

        for (std::int64_t v : {c.xoffset, c.yoffset, c.xadvance, c.width, c.height})
            if (!FitsInt16(v))
                return Fail(MakeError::MetricTooLarge, CharLabel(c, unicode) + ": the value " + std::to_string(v) +
                                                           " does not fit the 16-bit metrics");
        // Only the text forms can say this; the binary one has no sign for them.
        if (c.width < 0 || c.height < 0 || c.x < 0 || c.y < 0)
            return Fail(MakeError::Malformed, CharLabel(c, unicode) + " has a negative rectangle");

        GlyphImage g;
        g.code = static_cast<std::uint8_t>(code);
        g.offsetX = static_cast<std::int32_t>(c.xoffset);
        g.offsetY = static_cast<std::int32_t>(c.yoffset);
        g.advance = static_cast<std::int32_t>(c.xadvance);
        g.lineHeight = static_cast<std::int32_t>(font.lineHeight);
        // A char without pixels (a space) needs no page at all.
        if (c.width > 0 && c.height > 0) {
            if (font.pageFiles.count(c.page) == 0)
                return Fail(MakeError::PageMissing, CharLabel(c, unicode) + " is on page " + std::to_string(c.page) +
                                                        ", which the font names no file for");
            g.width = static_cast<std::int32_t>(c.width);
            g.height = static_cast<std::int32_t>(c.height);
            area += static_cast<std::uint64_t>(c.width) * static_cast<std::uint64_t>(c.height);
            cuts.emplace_back(glyphs->size(), &c);
        }
        glyphs->push_back(std::move(g));
    }
    if (glyphs->empty())
        return Fail(MakeError::NoGlyphs, std::string("no character of the font is in ") + sftools::CodePageName(codePage));
    // The glyphs must fit one atlas anyway; this bounds what is cut from the pages.
    const std::uint64_t atlasArea = std::uint64_t{kMaxAtlasSide} * kMaxAtlasSide;
    if (area > atlasArea)
        return Fail(MakeError::AtlasTooLarge, "the glyphs cover " + std::to_string(area) +
                                                  " pixels, more than an atlas of " + std::to_string(kMaxAtlasSide) +
                                                  " x " + std::to_string(kMaxAtlasSide) + " holds");

    // Page by page, each file once (several page ids may name one file), and
    // each decoded page let go before the next is decoded.
    std::map<std::string, std::vector<std::pair<std::size_t, const BmChar*>>> byFile;
    for (const auto& cut : cuts) byFile[font.pageFiles.at(cut.second->page)].push_back(cut);
    bool darkInk = true, sawInk = false;
    // A multi-channel field is in the colour channels: a fill would erase it.
    const bool keepsColour = *field != Field::Multi && *field != Field::MultiTrue;
    if (options.fill && !keepsColour)
        notes->push_back("note: --fill is not applied: the font's colour channels hold its distance field");
    for (const auto& [file, wanted] : byFile) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        if (!readPage(file, &bytes, &error)) return Fail(MakeError::PageMissing, error);
        std::string why;
        auto page = sftools::DecodePng(bytes, &why);
        bytes = {};
        if (!page) {
            const bool tooLarge = why.find("pixels") != std::string::npos;
            return Fail(tooLarge ? MakeError::PageTooLarge : MakeError::PageUndecodable, "page " + file + ": " + why);
        }
        // Rectangles measured on a page of another size land on other pixels.
        if ((font.scaleW > 0 && font.scaleW != page->width) || (font.scaleH > 0 && font.scaleH != page->height))
            return Fail(MakeError::PageMismatch,
                        "page " + file + " is " + std::to_string(page->width) + " x " + std::to_string(page->height) +
                            " but the font's rectangles are for " + std::to_string(font.scaleW) + " x " +
                            std::to_string(font.scaleH) + " (scaleW, scaleH): was the page resized?");
        if (*field == Field::Multi) MedianIntoAlpha(&*page);
        else if (*field == Field::None || *field == Field::Single) {
            const MakeStatus s = GivePageAlpha(&*page, file);
            if (!s.ok()) return s;
        }
        const sftools::Image& img = *page;
        for (const auto& [index, c] : wanted) {
            if (c->x + c->width > img.width || c->y + c->height > img.height)
                return Fail(MakeError::GlyphOutsidePage,
                            CharLabel(*c, unicode) + " reaches past its page (" + std::to_string(img.width) + " x " +
                                std::to_string(img.height) + ")");
            GlyphImage& g = (*glyphs)[index];
            // Row by row out of the page; the packer gives the glyph its new place.
            const std::size_t rowBytes = static_cast<std::size_t>(g.width) * 4;
            g.rgba.resize(rowBytes * static_cast<std::size_t>(g.height));
            for (std::int32_t row = 0; row < g.height; ++row) {
                const std::size_t from =
                    (static_cast<std::size_t>(c->y + row) * static_cast<std::size_t>(img.width) +
                     static_cast<std::size_t>(c->x)) * 4;
                std::copy_n(img.rgba.begin() + static_cast<std::ptrdiff_t>(from), rowBytes,
                            g.rgba.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(row) * rowBytes));
            }
            for (std::size_t i = 0; i < g.rgba.size(); i += 4) {
                if (g.rgba[i + 3] == 0) continue;
                sawInk = true;
                if (g.rgba[i] > 64 || g.rgba[i + 1] > 64 || g.rgba[i + 2] > 64) darkInk = false;
                if (options.fill && keepsColour) {
                    g.rgba[i] = static_cast<std::uint8_t>(*options.fill >> 16);
                    g.rgba[i + 1] = static_cast<std::uint8_t>(*options.fill >> 8);
                    g.rgba[i + 2] = static_cast<std::uint8_t>(*options.fill);
                }
            }
        }
    }

    // Pairs between two glyphs the font keeps, amounts as the file gives
    // them (atlas pixels, which at size 1.0 are screen pixels).
    std::size_t kerningDropped = 0;
    if (options.kerning) {
        std::map<std::pair<std::uint8_t, std::uint8_t>, std::int16_t> pairs;
        for (const BmKerning& k : font.kerning) {
            const auto first = codeOfId.find(k.first), second = codeOfId.find(k.second);
            if (first == codeOfId.end() || second == codeOfId.end() || !FitsInt16(k.amount)) {
                ++kerningDropped;
                continue;
            }
            // A repeated pair: the last one wins, as for repeated keys.
            pairs[{first->second, second->second}] = static_cast<std::int16_t>(k.amount);
        }
        for (const auto& [codes, amount] : pairs)
            if (amount != 0) chunks->kerning.push_back({codes.first, codes.second, amount});
    }

    format::Metrics metrics{};
    metrics.lineHeight = static_cast<std::int16_t>(font.lineHeight);
    metrics.baseline = static_cast<std::int16_t>(font.base);
    metrics.codePage = static_cast<std::uint32_t>(codePage);
    if (*field != Field::None) {
        metrics.fieldKind = static_cast<std::uint8_t>(*field == Field::Single ? format::FieldSdf : format::FieldMsdf);
        metrics.fieldRange = static_cast<std::uint16_t>(font.distanceRange);
    }
    chunks->metrics = metrics;

    // A dozen names say enough; the count says the rest.
    if (!dropped.empty()) {
        std::string line = "note: " + std::to_string(dropped.size()) + " character" +
                           (dropped.size() == 1 ? " is" : "s are") + " not in " + sftools::CodePageName(codePage) +
                           " and left out:";
        for (std::size_t i = 0; i < dropped.size() && i < 12; ++i)
            line += " " + dropped[i];
        if (dropped.size() > 12) line += " ...";
        notes->push_back(line);
    }
    if (kerningDropped > 0)
        notes->push_back("note: " + std::to_string(kerningDropped) + " kerning pair" +
                         (kerningDropped == 1 ? " names" : "s name") +
                         " a character the font does not keep (or an amount beyond 16 bits) and " +
                         (kerningDropped == 1 ? "is" : "are") + " left out");
    if (*field != Field::None)
        notes->push_back("note: the font is a " +
                         std::string(*field == Field::Single ? "single-channel" : "multi-channel") +
                         " distance field (range " + std::to_string(font.distanceRange) +
                         " px); the field is kept as the glyphs' coverage and marked in the font's metrics, so a "
                         "renderer that reads distance fields draws it sharp; drawn plainly it looks blurred" +
                         (*field == Field::Single ? "" : ", with coloured fringes from the channels"));
    else if (sawInk && darkInk && !options.fill)
        notes->push_back("note: the glyphs are dark ink, which a tint cannot lighten; --fill FFFFFF makes them "
                         "white so that any colour can be given when drawing");
    return {};
}

MakeStatus MakeBmFontBlock(std::span<const std::uint8_t> descriptor, const PageReader& readPage,
                           const BmOptions& options, Packing packing, bool thorough,
                           std::vector<std::uint8_t>* block, std::vector<std::string>* notes) {
    BmFont font;
    MakeStatus status = ParseBmFont(descriptor, &font);
    if (!status.ok()) return status;
    std::vector<GlyphImage> glyphs;
    sftools::FontChunks chunks;
    status = ConvertBmFont(font, readPage, options, &glyphs, &chunks, notes);
    if (!status.ok()) return status;
    return BuildPackedFont(std::move(glyphs), packing, block, thorough, chunks);
}

}  // namespace font_maker
