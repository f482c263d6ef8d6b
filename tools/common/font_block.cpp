#include "font_block.h"

namespace sftools {
namespace {

// Little-endian two's complement, whatever the host's byte order.
void PutLe16(std::vector<std::uint8_t>* out, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    out->push_back(static_cast<std::uint8_t>(u & 0xFF));
    out->push_back(static_cast<std::uint8_t>(u >> 8));
}

void PutLe32(std::vector<std::uint8_t>* out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunkHeader(std::vector<std::uint8_t>* out, const char (&tag)[4], std::size_t length) {
    out->insert(out->end(), tag, tag + 4);
    PutLe32(out, static_cast<std::uint32_t>(length));
}

}  // namespace

std::vector<std::uint8_t> PackFont(std::span<const std::uint8_t> png,
                                   std::span<const GlyphMetrics> glyphs, const FontChunks& chunks) {
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
    namespace format = sprite_font_format;
    if (chunks.metrics) {
        const format::Metrics& m = *chunks.metrics;
        const bool field = m.fieldKind != 0 || m.fieldRange != 0;
        PutChunkHeader(&out, format::kMetricsTag, field ? format::kMetricsFieldSize : format::kMetricsMinSize);
        PutLe16(&out, m.lineHeight);
        PutLe16(&out, m.baseline);
        PutLe32(&out, m.codePage);
        if (field) {
            out.push_back(m.fieldKind);
            out.push_back(0);
            PutLe16(&out, static_cast<std::int16_t>(m.fieldRange));
        }
    }
    if (!chunks.kerning.empty()) {
        PutChunkHeader(&out, format::kKerningTag, 4 + chunks.kerning.size() * format::kKerningPairSize);
        PutLe32(&out, static_cast<std::uint32_t>(chunks.kerning.size()));
        for (const format::KerningPair& pair : chunks.kerning) {
            out.push_back(pair.first);
            out.push_back(pair.second);
            PutLe16(&out, pair.amount);
        }
    }
    return out;
}

std::optional<UnpackedFont> UnpackFont(std::span<const std::uint8_t> block) {
    namespace format = sprite_font_format;
    const format::Layout layout = format::ReadLayout(block.data(), block.size());
    // A damaged record list is refused rather than half read.
    if (!layout.hasAtlasLength || layout.fault != format::Fault::None) return std::nullopt;
    UnpackedFont font;
    font.png = block.subspan(kHeaderSize, static_cast<std::size_t>(layout.atlasLength));
    for (std::size_t i = 0; i < layout.recordCount; ++i) {
        const format::Record r = format::ReadRecord(block.data(), layout, i);
        font.glyphs.push_back(
            GlyphMetrics{r.code, r.offsetX, r.offsetY, r.advance, r.lineHeight, r.srcX, r.srcY, r.srcWidth, r.srcHeight});
    }
    format::ChunkReader reader(block.data(), block.size(), layout);
    format::Chunk chunk;
    while (reader.Next(&chunk)) {
        if (format::IsTag(chunk, format::kKerningTag)) {
            std::uint32_t count = 0;
            const format::Fault fault = format::CheckKerning(chunk, &count);
            if (fault != format::Fault::None) {
                reader.Stop(fault);
                break;
            }
            for (std::uint32_t i = 0; i < count; ++i) font.chunks.kerning.push_back(format::ReadKerningPair(chunk, i));
        } else if (format::IsTag(chunk, format::kMetricsTag)) {
            format::Metrics metrics;
            const format::Fault fault = format::ReadMetrics(chunk, &metrics);
            if (fault != format::Fault::None) {
                reader.Stop(fault);
                break;
            }
            font.chunks.metrics = metrics;
        }
    }
    font.chunkFault = reader.fault();
    return font;
}

}  // namespace sftools
