// Fuzzes one of the three BMFont readers (chosen at build time by
// BMFONT_FORMAT: 0 text, 1 XML, 2 binary), then the whole conversion into a
// packed font with every page served as one small fixed image, so that the
// rectangles, kerning pairs, metrics and distance-field marks are all
// exercised. Whatever the input, the result is a refusal with a message or
// a block the engine's reader accepts whole.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bmfont.h"
#include "font_block.h"
#include "png_io.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// 32 x 32, alpha running through every value, colour in every channel.
const std::vector<std::uint8_t>& Page() {
    static const std::vector<std::uint8_t> png = [] {
        std::vector<std::uint8_t> rgba(32 * 32 * 4);
        for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<std::uint8_t>(i * 7 + i / 4);
        return sftools::EncodePng(rgba, 32, 32, 4, false);
    }();
    return png;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    font_maker::BmFont font;
    const auto format = static_cast<font_maker::BmFormat>(BMFONT_FORMAT);
    const font_maker::MakeStatus parsed = font_maker::ParseBmFontAs(format, bytes, &font);
    if (!parsed.ok()) {
        Check(!parsed.message.empty());
        return 0;
    }
    // The page size the descriptor claims steers nothing but the check.
    const font_maker::PageReader reader = [](const std::string& name, std::vector<std::uint8_t>* page,
                                             std::string* error) {
        if (name.size() % 5 == 4) {
            *error = "no such page";
            return false;
        }
        *page = Page();
        return true;
    };
    font_maker::BmOptions options;
    options.codePage = size % 2 ? CodePageWindows1251 : CodePageWindows1252;
    std::vector<font_maker::GlyphImage> glyphs;
    sftools::FontChunks chunks;
    std::vector<std::string> notes;
    const font_maker::MakeStatus converted = font_maker::ConvertBmFont(font, reader, options, &glyphs, &chunks, &notes);
    if (!converted.ok()) {
        Check(!converted.message.empty());
        return 0;
    }
    for (const auto& pair : chunks.kerning) Check(pair.first != 0 && pair.second != 0 && pair.amount != 0);
    std::vector<std::uint8_t> block;
    const font_maker::MakeStatus built =
        font_maker::BuildPackedFont(std::move(glyphs), font_maker::Packing::Tight, &block, false, chunks);
    if (!built.ok()) {
        Check(!built.message.empty());
        return 0;
    }
    const auto unpacked = sftools::UnpackFont(block);
    Check(unpacked.has_value() && unpacked->chunkFault == sprite_font_format::Fault::None);
    Check(unpacked->chunks.kerning.size() == chunks.kerning.size());
    return 0;
}
