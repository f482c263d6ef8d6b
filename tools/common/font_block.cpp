#include "font_block.h"

namespace sftools {
namespace {

// Little-endian two's complement, whatever the host's byte order.
void PutLe16(std::vector<std::uint8_t>* out, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    out->push_back(static_cast<std::uint8_t>(u & 0xFF));
    out->push_back(static_cast<std::uint8_t>(u >> 8));
}

}  // namespace

std::vector<std::uint8_t> PackFont(std::span<const std::uint8_t> png,
                                   std::span<const GlyphMetrics> glyphs) {
    // Readers skip the magic unread, but the format names it and writers write it.
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
    if (block.size() < kHeaderSize) return std::nullopt;
    const std::uint32_t length = GetLe32(block.data() + 16);
    // Signed on disk: a length with the top bit set is negative and unusable.
    if (length > 0x7FFFFFFFu || length > block.size() - kHeaderSize) return std::nullopt;
    // The records start where the length says, wherever IEND really is.
    UnpackedFont font;
    font.png = block.subspan(kHeaderSize, length);
    std::size_t at = kHeaderSize + std::size_t{length};
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

}  // namespace sftools
