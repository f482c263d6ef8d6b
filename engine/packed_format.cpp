#include "packed_format.h"

#include <cstring>

namespace sprite_font_format {
namespace {

std::uint32_t GetU32(const std::uint8_t* p) noexcept {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

std::int16_t GetI16(const std::uint8_t* p) noexcept {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
}

// Whether count bytes from offset lie inside the block; an unknown size
// means the data is trusted to hold what it says.
bool Has(std::size_t size, std::size_t offset, std::size_t count) noexcept {
    if (size == UnknownSize) return true;
    return offset <= size && count <= size - offset;
}

}  // namespace

const char* FaultText(Fault fault) noexcept {
    switch (fault) {
        case Fault::None: return "no fault";
        case Fault::TooShort: return "shorter than the 20 bytes of magic and atlas length";
        case Fault::NegativeAtlasLength: return "the atlas length is negative";
        case Fault::AtlasPastEnd: return "the atlas length reaches past the end of the block";
        case Fault::RecordCutShort: return "the block ends inside a glyph record";
        case Fault::NoTerminator: return "the glyph records have no 0 terminator";
        case Fault::ChunkCutShort: return "bytes after the terminator too few for a chunk header";
        case Fault::ChunkPastEnd: return "a chunk's length reaches past the end of the block";
        case Fault::KerningCountAbsurd: return "a kerning chunk's pair count disagrees with its length";
        case Fault::KerningCodeZero: return "a kerning pair names code 0";
        case Fault::MetricsTooShort: return "a metrics chunk is shorter than 8 bytes";
    }
    return "unknown fault";
}

Layout ReadLayout(const std::uint8_t* data, std::size_t size) noexcept {
    Layout layout;
    if (data == nullptr || !Has(size, 0, kHeaderSize)) {
        layout.fault = Fault::TooShort;
        return layout;
    }
    layout.atlasLength = static_cast<std::int32_t>(GetU32(data + 16));
    if (layout.atlasLength < 0) {
        layout.fault = Fault::NegativeAtlasLength;
        return layout;
    }
    const std::size_t start = kHeaderSize + static_cast<std::size_t>(layout.atlasLength);
    if (!Has(size, kHeaderSize, static_cast<std::size_t>(layout.atlasLength))) {
        layout.fault = Fault::AtlasPastEnd;
        return layout;
    }
    layout.hasAtlasLength = true;
    layout.recordsOffset = start;
    std::size_t at = start;
    for (;;) {
        if (!Has(size, at, 1)) {
            layout.fault = Fault::NoTerminator;
            return layout;
        }
        if (data[at] == 0) break;
        if (!Has(size, at, kRecordSize)) {
            layout.fault = Fault::RecordCutShort;
            return layout;
        }
        ++layout.recordCount;
        at += kRecordSize;
    }
    // Without a known end there is nothing to trust after the terminator.
    if (size != UnknownSize) layout.chunksOffset = at + 1;
    return layout;
}

Record ReadRecord(const std::uint8_t* data, const Layout& layout, std::size_t index) noexcept {
    const std::uint8_t* p = data + layout.recordsOffset + index * kRecordSize;
    return Record{p[0],          GetI16(p + 1),  GetI16(p + 3),  GetI16(p + 5), GetI16(p + 7),
                  GetI16(p + 9), GetI16(p + 11), GetI16(p + 13), GetI16(p + 15)};
}

ChunkReader::ChunkReader(const std::uint8_t* data, std::size_t size, const Layout& layout) noexcept
    : data_(data), size_(size), at_(layout.chunksOffset) {
    if (layout.chunksOffset == 0 || size == UnknownSize) at_ = size_ = 0;
}

bool ChunkReader::Next(Chunk* chunk) noexcept {
    if (at_ >= size_) return false;
    if (!Has(size_, at_, kChunkHeaderSize)) {
        Stop(Fault::ChunkCutShort);
        return false;
    }
    const std::uint32_t length = GetU32(data_ + at_ + 4);
    if (!Has(size_, at_ + kChunkHeaderSize, length)) {
        Stop(Fault::ChunkPastEnd);
        return false;
    }
    std::memcpy(chunk->tag, data_ + at_, 4);
    chunk->payload = data_ + at_ + kChunkHeaderSize;
    chunk->length = length;
    chunk->offset = at_;
    at_ += kChunkHeaderSize + length;
    return true;
}

bool IsTag(const Chunk& chunk, const char (&tag)[4]) noexcept { return std::memcmp(chunk.tag, tag, 4) == 0; }

Fault CheckKerning(const Chunk& chunk, std::uint32_t* count) noexcept {
    *count = 0;
    if (chunk.length < 4) return Fault::KerningCountAbsurd;
    const std::uint32_t n = GetU32(chunk.payload);
    // Checked against the length first, so the product below cannot wrap.
    if (n > kMaxKerningPairs || chunk.length - 4 != n * kKerningPairSize) return Fault::KerningCountAbsurd;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint8_t* p = chunk.payload + 4 + i * kKerningPairSize;
        if (p[0] == 0 || p[1] == 0) return Fault::KerningCodeZero;
    }
    *count = n;
    return Fault::None;
}

KerningPair ReadKerningPair(const Chunk& chunk, std::uint32_t index) noexcept {
    const std::uint8_t* p = chunk.payload + 4 + index * kKerningPairSize;
    return KerningPair{p[0], p[1], GetI16(p + 2)};
}

Fault ReadMetrics(const Chunk& chunk, Metrics* metrics) noexcept {
    *metrics = Metrics{};
    if (chunk.length < kMetricsMinSize) return Fault::MetricsTooShort;
    const std::uint8_t* p = chunk.payload;
    metrics->lineHeight = GetI16(p);
    metrics->baseline = GetI16(p + 2);
    metrics->codePage = GetU32(p + 4);
    // Older writers stop after the code page; later ones may add more.
    if (chunk.length >= kMetricsFieldSize) {
        metrics->fieldKind = p[8];
        metrics->fieldRange = static_cast<std::uint16_t>(p[10] | p[11] << 8);
    }
    return Fault::None;
}

}  // namespace sprite_font_format
