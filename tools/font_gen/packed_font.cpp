#include "packed_font.h"

#include "metrics_table.h"

namespace font_gen {

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
