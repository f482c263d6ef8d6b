// Checking a packed font: its structure, its atlas, its glyph records and
// the chunks after them, each problem reported on its own.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "font_block.h"

namespace inspect {

// Tests compare kinds; the text is for the person reading the report.
enum class Problem : std::int32_t {
    TooShort,              // not even the 20 bytes of magic and atlas length
    BadMagic,              // the first 16 bytes are not "*Sprite3DFont*\r\n"
    BadAtlasLength,        // negative, or reaching past the end of the block
    AtlasLengthMismatch,   // the PNG ends somewhere else than the atlas length says
    AtlasUndecodable,      // the atlas is not a PNG the platform decodes
    AtlasWithoutAlpha,     // it decodes, but has no alpha channel
    NotTerminated,         // the record list runs into the end of the block
    RecordCutShort,        // the block ends inside a record
    NoGlyphs,              // the list is empty: every text draws nothing
    RectangleOutsideAtlas, // a glyph's rectangle is negative or reaches past the atlas
    DuplicateCode,         // two records for one code (the later wins when loading)
    LineHeightNotPositive, // a line height of 0 or less
    ChunkDamaged,          // the chunk list is damaged (FontReport::chunkFault says how); the rest is unread
    KerningWithoutGlyph,   // a kerning pair names a code that has no glyph record
    MetricsLineHeightNotPositive,  // the metrics chunk's line height is 0 or less
    UnknownCodePage,       // the metrics chunk names a code page the engine does not know
    UnknownFieldKind,      // the metrics chunk's distance-field kind is none of 0, 1, 2
    NoInk,                 // every texel of the atlas is transparent: every text draws nothing
};

// A chunk as it stands in the block.
struct ChunkEntry {
    std::string tag;  // the four tag bytes, unprintable ones as '?'
    std::size_t offset = 0;
    std::uint32_t length = 0;
};

struct Issue {
    Problem kind;
    std::string text;
};

struct FontReport {
    std::vector<Issue> problems;
    std::vector<std::string> notes;  // worth knowing, but no fault
    bool atlasDecoded = false;
    std::int32_t atlasWidth = 0, atlasHeight = 0;
    std::vector<sftools::GlyphMetrics> records;  // as they stand in the block, in order
    // The chunks, read with the engine's own reader: every whole chunk before
    // any damage, and the damage itself (None when the list is sound).
    std::vector<ChunkEntry> chunks;
    std::optional<sprite_font_format::Metrics> metrics;  // the last metrics chunk's, as the engine keeps it
    std::vector<sprite_font_format::KerningPair> kerning;  // of every kerning chunk, in block order
    sprite_font_format::Fault chunkFault = sprite_font_format::Fault::None;

    bool Has(Problem kind) const {
        for (const Issue& issue : problems)
            if (issue.kind == kind) return true;
        return false;
    }
};

FontReport CheckFont(std::span<const std::uint8_t> block);

// The glyph table, one record per line, characters named in codePage.
std::string GlyphTable(const FontReport& report, std::int32_t codePage);

// One line per whole chunk: its tag, where it starts and its payload length.
std::string ChunkList(const FontReport& report);

// One line on the metrics chunk, or on its absence.
std::string MetricsLine(const FontReport& report);

// The kerning pairs, one per line, characters named in codePage.
std::string KerningTable(const FontReport& report, std::int32_t codePage);

// The code page the font names in its metrics chunk when the engine knows
// it, else fallback.
std::int32_t FontCodePage(const FontReport& report, std::int32_t fallback);

}  // namespace inspect
