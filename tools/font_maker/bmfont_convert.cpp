// From the BMFont model to glyph images: map each char to the code page,
// cut its pixels from its page, keep its metrics.
#include <array>
#include <limits>
#include <map>
#include <optional>

#include "bmfont.h"
#include "code_page_names.h"
#include "png_io.h"
#include "sprite_font.h"

namespace font_maker {
namespace {

// The packed font's metrics are signed 16-bit; the model keeps 64.
bool FitsInt16(std::int64_t v) {
    return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
}

// Messages name a char by its id and by its character.
std::string CharLabel(const BmChar& c) {
    return "char " + std::to_string(c.id) + " (" + sftools::CharacterName(static_cast<std::int32_t>(c.id)) + ")";
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
            return Fail(MakeError::PageWithoutAlpha, "page " + file +
                                                         " is in colour with no alpha channel: the glyphs cannot be "
                                                         "told from the background");
    }
    for (std::size_t i = 0; i < page->rgba.size(); i += 4) {
        std::uint8_t* p = &page->rgba[i];
        p[3] = p[0];
        p[0] = p[1] = p[2] = 255;
    }
    return {};
}

}  // namespace

MakeStatus ConvertBmFont(const BmFont& font, const PageReader& readPage, std::int32_t codePage,
                         std::vector<GlyphImage>* glyphs, std::vector<std::string>* notes) {
    glyphs->clear();
    if (font.packed)
        return Fail(MakeError::ChannelPacked,
                    "the font packs glyphs into single colour channels (packed=1); the packed font format keeps "
                    "one glyph per rectangle of an RGBA atlas: export it again without channel packing");
    if (!FitsInt16(font.lineHeight) || font.lineHeight < 0)
        return Fail(MakeError::MetricTooLarge, "lineHeight " + std::to_string(font.lineHeight) + " does not fit 16 bits");
    // Ids above 255 can only be Unicode, whatever the info line claims
    // (some tools write unicode=0 for Unicode fonts).
    bool unicode = font.unicode;
    for (const BmChar& c : font.chars)
        if (c.id > 255) unicode = true;
    if (!unicode && !font.charset.empty() && font.charset != "ANSI")
        return Fail(MakeError::UnsupportedCharset, "the font is in the character set " + font.charset +
                                                       "; only Unicode and ANSI fonts can be mapped to a code page");

    // Pages are decoded when a char first needs them, once each.
    std::map<std::int64_t, sftools::Image> pages;
    std::array<const BmChar*, 256> byCode{};
    std::vector<std::int32_t> dropped;
    for (const BmChar& c : font.chars) {
        if (c.chnl != 15 && c.chnl != 0)
            return Fail(MakeError::ChannelPacked, CharLabel(c) + " lies in colour channels " + std::to_string(c.chnl) +
                                                      " only (chnl); export the font with all channels per glyph");
        // Non-Unicode ids are ANSI (Windows-1252) bytes.
        const std::int64_t character =
            unicode ? c.id : (c.id >= 0 && c.id <= 255 ? CodePageToUnicode(CodePageWindows1252, static_cast<unsigned char>(c.id)) : -1);
        const std::int32_t code = character < 0 || character > 0x10FFFF
                                      ? -1
                                      : UnicodeToCodePage(codePage, static_cast<std::int32_t>(character));
        if (code <= 0) {
            dropped.push_back(static_cast<std::int32_t>(character < 0 || character > 0x10FFFF ? -1 : character));
            continue;
        }
        // Two chars for one code cannot both be kept, and picking one would hide it.
        if (byCode[static_cast<std::size_t>(code)] != nullptr)
            return Fail(MakeError::DuplicateCharacter, CharLabel(c) + " appears twice");
        byCode[static_cast<std::size_t>(code)] = &c;

        for (std::int64_t v : {c.xoffset, c.yoffset, c.xadvance, c.width, c.height})
            if (!FitsInt16(v))
                return Fail(MakeError::MetricTooLarge, CharLabel(c) + ": the value " + std::to_string(v) +
                                                           " does not fit the 16-bit metrics");
        // Only the text forms can say this; the binary one has no sign for them.
        if (c.width < 0 || c.height < 0 || c.x < 0 || c.y < 0)
            return Fail(MakeError::Malformed, CharLabel(c) + " has a negative rectangle");

        GlyphImage g;
        g.code = static_cast<std::uint8_t>(code);
        g.offsetX = static_cast<std::int32_t>(c.xoffset);
        g.offsetY = static_cast<std::int32_t>(c.yoffset);
        g.advance = static_cast<std::int32_t>(c.xadvance);
        g.lineHeight = static_cast<std::int32_t>(font.lineHeight);
        // A char without pixels (a space) needs no page at all.
        if (c.width > 0 && c.height > 0) {
            auto page = pages.find(c.page);
            if (page == pages.end()) {
                const auto file = font.pageFiles.find(c.page);
                if (file == font.pageFiles.end())
                    return Fail(MakeError::PageMissing, CharLabel(c) + " is on page " + std::to_string(c.page) +
                                                            ", which the font names no file for");
                std::vector<std::uint8_t> bytes;
                std::string error;
                if (!readPage(file->second, &bytes, &error)) return Fail(MakeError::PageMissing, error);
                auto image = sftools::DecodePng(bytes);
                if (!image)
                    return Fail(MakeError::PageUndecodable, "page " + file->second + " does not decode as a PNG");
                const MakeStatus s = GivePageAlpha(&*image, file->second);
                if (!s.ok()) return s;
                page = pages.emplace(c.page, std::move(*image)).first;
            }
            const sftools::Image& img = page->second;
            if (c.x + c.width > img.width || c.y + c.height > img.height)
                return Fail(MakeError::GlyphOutsidePage,
                            CharLabel(c) + " reaches past its page (" + std::to_string(img.width) + " x " +
                                std::to_string(img.height) + ")");
            g.width = static_cast<std::int32_t>(c.width);
            g.height = static_cast<std::int32_t>(c.height);
            // Row by row out of the page; the packer gives the glyph its new place.
            g.rgba.resize(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height) * 4);
            for (std::int32_t row = 0; row < g.height; ++row) {
                const auto from = img.rgba.begin() +
                                  static_cast<std::ptrdiff_t>(((c.y + row) * img.width + c.x) * 4);
                std::copy(from, from + g.width * 4, g.rgba.begin() + static_cast<std::ptrdiff_t>(row) * g.width * 4);
            }
        }
        glyphs->push_back(std::move(g));
    }
    // A dozen names say enough; the count says the rest.
    if (!dropped.empty()) {
        std::string line = "note: " + std::to_string(dropped.size()) + " character" +
                           (dropped.size() == 1 ? " is" : "s are") + " not in " + sftools::CodePageName(codePage) +
                           " and left out:";
        for (std::size_t i = 0; i < dropped.size() && i < 12; ++i)
            line += " " + (dropped[i] < 0 ? std::string("(invalid)") : sftools::CharacterName(dropped[i]));
        if (dropped.size() > 12) line += " ...";
        notes->push_back(line);
    }
    if (font.kerningPairs > 0)
        notes->push_back("warning: " + std::to_string(font.kerningPairs) + " kerning pair" +
                         (font.kerningPairs == 1 ? "" : "s") + " dropped: the packed font has no kerning");
    if (glyphs->empty())
        return Fail(MakeError::NoGlyphs, std::string("no character of the font is in ") + sftools::CodePageName(codePage));
    return {};
}

}  // namespace font_maker
