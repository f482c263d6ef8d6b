// Laying glyph images out in one RGBA atlas and writing the packed font.
#pragma once

#include <cstdint>
#include <vector>

#include "font_block.h"
#include "make_status.h"

namespace font_maker {

// One glyph before it has a place: straight-alpha RGBA pixels and the
// metrics that do not depend on the place.
struct GlyphImage {
    std::uint8_t code = 0;  // 1..255
    std::int32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4, rows top first
    std::int32_t offsetX = 0, offsetY = 0, advance = 0, lineHeight = 0;
};

enum class Packing {
    Grid,   // equal cells, code c in column c mod 16 of row c div 16
    Tight,  // shelves of glyphs sorted by height
    // Code c in column c mod 16 of row c div 16 of a whole 16 x 16 grid of
    // cells the size of the images, which must all be that one size; no
    // gap, the images bring their own margins, and every glyph keeps its
    // cell as its rectangle, blank or not (the demonstration font's layout).
    Cells,
};

// The engine's platform decodes atlases up to this many pixels a side.
inline constexpr std::int32_t kMaxAtlasSide = 8192;

// Places the glyphs (any order; codes must differ), encodes the atlas as an
// 8-bit RGBA PNG and writes the block with its records in ascending code
// order. Glyphs of no pixels get the empty rectangle at (0, 0). thorough
// picks the smallest PNG of a dozen encodings; otherwise one, much faster.
// A font whose glyphs have no texel with any alpha draws nothing and is
// refused (NoInk). chunks go after the terminator (none: the block is the
// old format exactly); kerning pairs of 0 or naming a code without a glyph
// are left out.
MakeStatus BuildPackedFont(std::vector<GlyphImage> glyphs, Packing packing,
                           std::vector<std::uint8_t>* block, bool thorough = true,
                           const sftools::FontChunks& chunks = {});

}  // namespace font_maker
