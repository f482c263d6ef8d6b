// Writing and reading the packed font block: magic, atlas length, PNG,
// 17-byte glyph records, terminator.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace font_gen {

struct GlyphMetrics {
    std::uint8_t code = 0;
    std::int16_t offsetX = 0, offsetY = 0, advance = 0, lineHeight = 0;
    std::int16_t srcX = 0, srcY = 0, srcWidth = 0, srcHeight = 0;
};

// The records in the order given; none may have code 0.
std::vector<std::uint8_t> PackFont(std::span<const std::uint8_t> png,
                                   std::span<const GlyphMetrics> glyphs);

struct UnpackedFont {
    std::span<const std::uint8_t> png;
    std::vector<GlyphMetrics> glyphs;
};

// Nothing when the block is cut short, its atlas length does not fit, or the
// terminator is missing. The PNG itself is not looked at.
std::optional<UnpackedFont> UnpackFont(std::span<const std::uint8_t> block);

// Every record of the demonstration font, from the metric table.
std::vector<GlyphMetrics> DemoFontGlyphs();

}  // namespace font_gen
