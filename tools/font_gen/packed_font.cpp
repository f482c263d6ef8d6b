#include "packed_font.h"

#include <cstring>

#include "metrics_table.h"

namespace font_gen {
namespace {

// Readers skip the magic unread, but the format names it and writers write it.
constexpr char kMagic[16] = {'*', 'S', 'p', 'r', 'i', 't', 'e', '3',
                             'D', 'F', 'o', 'n', 't', '*', '\r', '\n'};
constexpr std::size_t kRecordSize = 17;

// Little-endian two's complement, whatever the host's byte order.
void PutLe16(std::vector<std::uint8_t>* out, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    out->push_back(static_cast<std::uint8_t>(u & 0xFF));
    out->push_back(static_cast<std::uint8_t>(u >> 8));
}

std::int16_t GetLe16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

}  // namespace

std::vector<std::uint8_t> PackFont(std::span<const std::uint8_t> png,
                                   std::span<const GlyphMetrics> glyphs) {
    std::vector<std::uint8_t> out(kMagic, kMagic + sizeof kMagic);
    const auto length = static_cast<std::uint32_t>(png.size());
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(length >> shift));
    // No padding anywhere: the records start on the byte after IEND.
    out.insert(out.end(), png.begin(), png.end());
    for (const GlyphMetrics& g : glyphs) {
        out.push_back(g.code);
        for (std::int16_t v : {g.offsetX, g.offsetY, g.advance, g.lineHeight, g.srcX, g.srcY,
                               g.srcWidth, g.srcHeight})
            PutLe16(&out, v);
    }
    // The terminator is the only end marker; there is no count.
    out.push_back(0);
    return out;
}

std::optional<UnpackedFont> UnpackFont(std::span<const std::uint8_t> block) {
    if (block.size() < 20) return std::nullopt;
    const std::uint32_t length = static_cast<std::uint32_t>(block[16]) |
                                 static_cast<std::uint32_t>(block[17]) << 8 |
                                 static_cast<std::uint32_t>(block[18]) << 16 |
                                 static_cast<std::uint32_t>(block[19]) << 24;
    // Signed on disk: a length with the top bit set is negative and unusable.
    if (length > 0x7FFFFFFFu || length > block.size() - 20) return std::nullopt;
    // The records start where the length says, wherever IEND really is.
    UnpackedFont font;
    font.png = block.subspan(20, length);
    std::size_t at = 20 + std::size_t{length};
    while (at < block.size() && block[at] != 0) {
        // A record cut short is refused rather than read past the end.
        if (block.size() - at < kRecordSize) return std::nullopt;
        const std::uint8_t* p = block.data() + at;
        GlyphMetrics g;
        g.code = p[0];
        std::int16_t* fields[] = {&g.offsetX, &g.offsetY, &g.advance, &g.lineHeight,
                                  &g.srcX,    &g.srcY,    &g.srcWidth, &g.srcHeight};
        for (int i = 0; i < 8; ++i) *fields[i] = GetLe16(p + 1 + 2 * i);
        font.glyphs.push_back(g);
        at += kRecordSize;
    }
    // Ran off the end without meeting the terminator.
    if (at >= block.size()) return std::nullopt;
    return font;
}

std::vector<GlyphMetrics> DemoFontGlyphs() {
    std::vector<GlyphMetrics> glyphs;
    glyphs.reserve(kMetrics.size());
    for (const MetricRecord& m : kMetrics) {
        GlyphMetrics g;
        g.code = m.code;
        g.offsetX = m.offsetX;
        g.offsetY = kOffsetY;
        g.advance = m.advance;
        g.lineHeight = kLineHeight;
        // Each glyph's rectangle is exactly its cell of the 16 x 16 grid.
        g.srcX = static_cast<std::int16_t>(kCellSize * (m.code % kGridSize));
        g.srcY = static_cast<std::int16_t>(kCellSize * (m.code / kGridSize));
        g.srcWidth = kCellSize;
        g.srcHeight = kCellSize;
        glyphs.push_back(g);
    }
    return glyphs;
}

}  // namespace font_gen
