// packed_format.h - the packed font block, read in one place.
//
// The engine's LoadSpriteFont and the tools' checks both walk a block with
// these functions, so they cannot disagree about where a record or a chunk
// is. Nothing here allocates or decodes the atlas; every read stays inside
// [data, data + size) unless size is UnknownSize (trusted constant data).
//
// The block (docs/format.md has it byte by byte):
//   magic (16 bytes), int32 atlas length N, N bytes of PNG,
//   17-byte glyph records (code != 0), a 0 byte,
//   then, only when the block's size is known, a list of chunks running to
//   the end: tag (4 ASCII bytes), uint32 payload length, payload.
// Readers that stop at the 0 byte never see the chunks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sprite_font.h"

namespace sprite_font_format {

inline constexpr std::size_t kHeaderSize = 20;  // magic + atlas length
inline constexpr std::size_t kRecordSize = 17;
inline constexpr std::size_t kChunkHeaderSize = 8;  // tag + payload length
inline constexpr std::size_t kKerningPairSize = 4;  // first, second, int16 amount
inline constexpr std::uint32_t kMaxKerningPairs = 255 * 255;  // every pair of non-zero codes once

// Tags of the chunks this version knows; any other tag is skipped.
inline constexpr char kKerningTag[4] = {'K', 'E', 'R', 'N'};
inline constexpr char kMetricsTag[4] = {'M', 'E', 'T', 'R'};
inline constexpr std::size_t kMetricsMinSize = 8;   // lineHeight, baseline, codePage
inline constexpr std::size_t kMetricsFieldSize = 12;  // ... plus the distance-field kind and range

// Why a walk stopped before the block's end; the parts before it are good.
enum class Fault : std::int32_t {
    None = 0,
    TooShort,            // fewer than 20 bytes: no atlas length
    NegativeAtlasLength, // the length's top bit is set
    AtlasPastEnd,        // the atlas length reaches past the block
    RecordCutShort,      // the block ends inside a glyph record
    NoTerminator,        // the block ends where a record or the 0 byte should start
    ChunkCutShort,       // fewer than 8 bytes left for a chunk's tag and length
    ChunkPastEnd,        // a chunk's length reaches past the block
    KerningCountAbsurd,  // a kerning chunk's count disagrees with its length or is too large
    KerningCodeZero,     // a kerning pair names code 0, which never has a glyph
    MetricsTooShort,     // a metrics chunk with fewer than 8 bytes
};

// A short text for a fault, for people; tests compare the kinds.
const char* FaultText(Fault fault) noexcept;

struct Record {
    std::uint8_t code;
    std::int16_t offsetX, offsetY, advance, lineHeight, srcX, srcY, srcWidth, srcHeight;
};

// Where the parts of a block are. The records are the `recordCount` complete
// ones from `recordsOffset`; `fault` says why the list ended early (None when
// it ended at its 0 byte). `chunksOffset` is the byte after the 0 byte, or
// 0 when there is no terminator or the size is unknown.
struct Layout {
    bool hasAtlasLength = false;
    std::int32_t atlasLength = 0;
    std::size_t recordsOffset = 0;
    std::size_t recordCount = 0;
    std::size_t chunksOffset = 0;
    Fault fault = Fault::None;
};

// size may be UnknownSize: the walk then trusts the data to be terminated.
Layout ReadLayout(const std::uint8_t* data, std::size_t size) noexcept;

// The index-th record of a layout (index < recordCount).
Record ReadRecord(const std::uint8_t* data, const Layout& layout, std::size_t index) noexcept;

struct Chunk {
    char tag[4];
    const std::uint8_t* payload;
    std::uint32_t length;
    std::size_t offset;  // of the chunk's tag in the block
};

// Steps through the chunk list. Next gives whole chunks only; when it
// returns false, fault is None at the clean end of the block, else the
// damage that ended the list (nothing after it is read).
class ChunkReader {
public:
    ChunkReader(const std::uint8_t* data, std::size_t size, const Layout& layout) noexcept;
    bool Next(Chunk* chunk) noexcept;
    Fault fault() const noexcept { return fault_; }
    // A chunk the caller found damaged inside (see CheckKerning) ends the list.
    void Stop(Fault fault) noexcept {
        fault_ = fault;
        at_ = size_;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_;
    Fault fault_ = Fault::None;
};

bool IsTag(const Chunk& chunk, const char (&tag)[4]) noexcept;

struct KerningPair {
    std::uint8_t first, second;
    std::int16_t amount;  // atlas pixels at size 1.0, added between the two glyphs
};

// The number of pairs of a kerning chunk, or the fault that makes the whole
// chunk unusable (a bad count, or any pair naming code 0).
Fault CheckKerning(const Chunk& chunk, std::uint32_t* count) noexcept;
KerningPair ReadKerningPair(const Chunk& chunk, std::uint32_t index) noexcept;

// Distance-field kinds of a font's atlas.
enum FieldKind : std::int32_t { FieldNone = 0, FieldSdf = 1, FieldMsdf = 2 };

struct Metrics {
    std::int16_t lineHeight;  // baseline to baseline, atlas pixels at size 1.0
    std::int16_t baseline;    // top of the line to the baseline
    std::uint32_t codePage;   // the code page the font's codes are in
    std::uint8_t fieldKind;   // FieldKind; 0 in chunks of 8 bytes
    std::uint16_t fieldRange; // distance range in atlas pixels; 0 in chunks of 8 bytes
};

Fault ReadMetrics(const Chunk& chunk, Metrics* metrics) noexcept;

}  // namespace sprite_font_format
