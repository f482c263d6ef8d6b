// Writing and reading the packed font block: magic, atlas length, PNG,
// 17-byte glyph records, terminator.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "packed_format.h"

namespace sftools {

inline constexpr char kMagic[16] = {'*', 'S', 'p', 'r', 'i', 't', 'e', '3',
                                    'D', 'F', 'o', 'n', 't', '*', '\r', '\n'};
inline constexpr std::size_t kHeaderSize = 20;
inline constexpr std::size_t kRecordSize = 17;

struct GlyphMetrics {
    std::uint8_t code = 0;
    std::int16_t offsetX = 0, offsetY = 0, advance = 0, lineHeight = 0;
    std::int16_t srcX = 0, srcY = 0, srcWidth = 0, srcHeight = 0;
};

// What goes after the terminator. Nothing is written for an empty part, so a
// font without kerning and metrics stays byte for byte the old format.
struct FontChunks {
    std::optional<sprite_font_format::Metrics> metrics;
    std::vector<sprite_font_format::KerningPair> kerning;  // codes never 0; amounts never 0
};

// The records in the order given; none may have code 0.
std::vector<std::uint8_t> PackFont(std::span<const std::uint8_t> png,
                                   std::span<const GlyphMetrics> glyphs, const FontChunks& chunks = {});

struct UnpackedFont {
    std::span<const std::uint8_t> png;
    std::vector<GlyphMetrics> glyphs;
    FontChunks chunks;                          // the whole chunks before any damage
    sprite_font_format::Fault chunkFault{};     // why the chunk list ended early, or None
};

// Nothing when the block is cut short, its atlas length does not fit, or the
// terminator is missing. The PNG itself is not looked at. Read with the
// engine's own block reader, so tools and engine see the same font.
std::optional<UnpackedFont> UnpackFont(std::span<const std::uint8_t> block);

// Little-endian readers, for the block and for the binary formats around it.
inline std::int16_t GetLe16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}
inline std::uint32_t GetLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace sftools
