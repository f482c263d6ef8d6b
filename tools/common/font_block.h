// Writing and reading the packed font block: magic, atlas length, PNG,
// 17-byte glyph records, terminator.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

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

// Little-endian readers, for the block and for the binary formats around it.
inline std::int16_t GetLe16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}
inline std::uint32_t GetLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace sftools
