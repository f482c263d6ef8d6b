// Checking a packed font: its structure, its atlas and its glyph records,
// each problem reported on its own.
#pragma once

#include <cstdint>
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
    NoInk,                 // every texel of the atlas is transparent: every text draws nothing
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

    bool Has(Problem kind) const {
        for (const Issue& issue : problems)
            if (issue.kind == kind) return true;
        return false;
    }
};

FontReport CheckFont(std::span<const std::uint8_t> block);

// The glyph table, one record per line, characters named in codePage.
std::string GlyphTable(const FontReport& report, std::int32_t codePage);

}  // namespace inspect
