// The fixed cell grid of the packer (the demonstration font's layout): every
// glyph, blank or not, keeps its own cell, and the images must share one size.
#include <gtest/gtest.h>

#include "atlas_packer.h"
#include "font_block.h"
#include "png_io.h"

namespace {

using font_maker::GlyphImage;

GlyphImage Cell(std::uint8_t code, int side, std::uint8_t alpha) {
    GlyphImage g;
    g.code = code;
    g.width = g.height = side;
    g.rgba.assign(static_cast<std::size_t>(side * side * 4), 0);
    // One opaque red texel at (1, 2) when the glyph has ink.
    if (alpha != 0) {
        std::uint8_t* p = &g.rgba[static_cast<std::size_t>((2 * side + 1) * 4)];
        p[0] = 200, p[3] = alpha;
    }
    g.offsetX = -1, g.offsetY = 2, g.advance = 5, g.lineHeight = 7;
    return g;
}

TEST(AtlasPacker, CellsPutEveryGlyphInTheCellOfItsCode) {
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(font_maker::BuildPackedFont({Cell(255, 4, 255), Cell(65, 4, 255), Cell(32, 4, 0)},
                                            font_maker::Packing::Cells, &block, false)
                    .ok());
    const auto font = sftools::UnpackFont(block);
    ASSERT_TRUE(font.has_value());
    ASSERT_EQ(font->glyphs.size(), 3u);
    const auto atlas = sftools::DecodePng(font->png);
    ASSERT_TRUE(atlas.has_value());
    EXPECT_EQ(atlas->width, 64);  // the whole 16 x 16 grid, no gap
    EXPECT_EQ(atlas->height, 64);
    for (const sftools::GlyphMetrics& m : font->glyphs) {
        SCOPED_TRACE(m.code);
        // The blank keeps its cell too.
        EXPECT_EQ(m.srcX, 4 * (m.code % 16));
        EXPECT_EQ(m.srcY, 4 * (m.code / 16));
        EXPECT_EQ(m.srcWidth, 4);
        EXPECT_EQ(m.srcHeight, 4);
        EXPECT_EQ(m.offsetX, -1);
        EXPECT_EQ(m.advance, 5);
        const std::size_t ink = (static_cast<std::size_t>(m.srcY + 2) * 64 + static_cast<std::size_t>(m.srcX + 1)) * 4;
        EXPECT_EQ(atlas->rgba[ink + 3], m.code == 32 ? 0 : 255);
    }
}

TEST(AtlasPacker, CellsRefuseImagesOfDifferentOrNoSize) {
    for (const auto& glyphs : {std::vector<GlyphImage>{Cell(65, 4, 255), Cell(66, 5, 255)},
                               std::vector<GlyphImage>{Cell(65, 0, 0), Cell(66, 4, 255)}}) {
        std::vector<std::uint8_t> block;
        const auto status = font_maker::BuildPackedFont(glyphs, font_maker::Packing::Cells, &block, false);
        EXPECT_FALSE(status.ok());
        EXPECT_TRUE(block.empty());
    }
}

}  // namespace
