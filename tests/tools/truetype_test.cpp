// A TrueType and an OpenType face from Debian's fonts become packed fonts
// that load with the expected glyphs and measure as the face's advances say.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>

#include <algorithm>
#include <filesystem>

#include "atlas_packer.h"
#include "face_kerning.h"
#include "file_io.h"
#include "font_block.h"
#include "font_check.h"
#include "png_io.h"
#include "sprite_font.h"
#include "truetype.h"

namespace {

using font_maker::Packing;
using font_maker::Style;

struct Made {
    std::vector<std::uint8_t> block;
    std::vector<std::string> notes;
};

std::string FaceFile(const char* path) { return std::filesystem::exists(path) ? path : std::string(); }

const std::string kDejaVu = FaceFile(DEJAVU_SANS_FILE);
const std::string kHeros = FaceFile(TEXGYRE_HEROS_FILE);

Made MakeFont(const std::string& path, const Style& style, std::int32_t codePage, Packing packing = Packing::Tight,
              bool kerning = true) {
    Made made;
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(sftools::ReadFile(path, &bytes, &error)) << error;
    std::vector<font_maker::GlyphImage> glyphs;
    sftools::FontChunks chunks;
    auto status = font_maker::RenderFace(bytes, style, codePage, &glyphs, &made.notes, &chunks, kerning);
    EXPECT_TRUE(status.ok()) << status.message;
    // One PNG pass: these tests look at pixels and records, not at file size.
    if (status.ok()) status = font_maker::BuildPackedFont(std::move(glyphs), packing, &made.block, false, chunks);
    EXPECT_TRUE(status.ok()) << status.message;
    return made;
}

// What FreeType itself says of the face at a size, for the expectations.
class FaceFacts {
public:
    FaceFacts(const std::string& path, int pixels) {
        FT_Init_FreeType(&library_);
        FT_New_Face(library_, path.c_str(), 0, &face_);
        FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixels));
    }
    ~FaceFacts() {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    int Advance(char32_t c) {
        FT_Load_Char(face_, c, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP);
        return static_cast<int>((face_->glyph->advance.x + 32) >> 6);
    }
    int Ascender() const { return static_cast<int>((face_->size->metrics.ascender + 32) >> 6); }
    // The legacy kern table's amount in design units, and the units per em.
    long KernUnits(char32_t left, char32_t right) {
        FT_Vector v{0, 0};
        FT_Get_Kerning(face_, FT_Get_Char_Index(face_, left), FT_Get_Char_Index(face_, right), FT_KERNING_UNSCALED, &v);
        return v.x;
    }
    int UnitsPerEm() const { return face_->units_per_EM; }
    int LineHeight() const { return static_cast<int>((face_->size->metrics.height + 32) >> 6); }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

class TrueType : public ::testing::Test {
protected:
    void SetUp() override {
        if (kDejaVu.empty()) GTEST_SKIP() << "DejaVu Sans is not installed (fonts-dejavu-core)";
        InitSpriteFonts();
        SetSpritePlatform(nullptr);  // records only: no atlas is made
    }
};

TEST_F(TrueType, LoadsWithTheCodePagesGlyphsAndMeasuresAsTheFaceAdvances) {
    const Made made = MakeFont(kDejaVu, Style{}, CodePageWindows1252);
    const FontId id = LoadSpriteFont(AutoId, made.block.data(), made.block.size());
    const SpriteFont* font = GetSpriteFont(id);
    ASSERT_NE(font, nullptr);
    // Printable Windows-1252 has glyphs; control codes and the five holes none.
    for (int code : {int{' '}, int{'A'}, int{'z'}, int{'0'}, int{'~'}, 0x80, 0x9F, 0xDF, 0xFF}) EXPECT_EQ(font->glyphs[code].present, 1) << code;
    for (int code : {1, 9, 10, 31, 127, 0x81, 0x8D, 0x8F, 0x90, 0x9D}) EXPECT_EQ(font->glyphs[code].present, 0) << code;

    FaceFacts face(kDejaVu, 32);
    const char* text = "Hello, World 1234";
    int sum = 0;
    for (const char* p = text; *p != 0; ++p) sum += face.Advance(static_cast<unsigned char>(*p));
    EXPECT_EQ(SpriteFontTextWidth(id, text, 1.0f), sum);
    EXPECT_EQ(SpriteFontTextWidth(id, text, 2.0f), 2 * sum);
    EXPECT_EQ(SpriteFontTextHeight(id, text, 1.0f), face.LineHeight());
    // The euro sign travels through the code page: U+20AC at byte 0x80.
    EXPECT_EQ(font->glyphs[0x80].advance, face.Advance(0x20AC));
    // A flat-bottomed capital stands on the baseline, ascender pixels below the top of the line.
    const GlyphSlot& h = font->glyphs['H'];
    EXPECT_EQ(h.offsetY + h.srcHeight, face.Ascender());
    EXPECT_LT(h.offsetY, face.Ascender() / 2);
    // The sound font the inspector sees.
    EXPECT_TRUE(inspect::CheckFont(made.block).problems.empty());
    // Without HarfBuzz a note says the kerning is left out.
    if (font_maker::FaceKerningAvailable()) {
        EXPECT_TRUE(made.notes.empty()) << made.notes.front();
    }
}

TEST_F(TrueType, AnOpenTypeFaceInLatin9) {
    if (kHeros.empty()) GTEST_SKIP() << "TeX Gyre Heros is not installed (fonts-texgyre)";
    const Made made = MakeFont(kHeros, Style{}, CodePageLatin9);
    const FontId id = LoadSpriteFont(AutoId, made.block.data(), made.block.size());
    const SpriteFont* font = GetSpriteFont(id);
    FaceFacts face(kHeros, 32);
    // Latin-9 puts the euro sign at 0xA4 and S caron at 0xA6; 0x80..0x9F are controls there.
    EXPECT_EQ(font->glyphs[0xA4].advance, face.Advance(0x20AC));
    EXPECT_EQ(font->glyphs[0xA6].advance, face.Advance(0x0160));
    EXPECT_EQ(font->glyphs[0x80].present, 0);
    EXPECT_EQ(SpriteFontTextWidthUtf8(id, "Š€", 1.0f, CodePageLatin9), face.Advance(0x0160) + face.Advance(0x20AC));
    EXPECT_TRUE(inspect::CheckFont(made.block).problems.empty());
}

// Outline and shadow grow the image and move its offsets, never the pen.
TEST_F(TrueType, EffectsGrowTheGlyphButKeepThePen) {
    const Made plainFont = MakeFont(kDejaVu, Style{}, CodePageWindows1252);
    const auto plain = sftools::UnpackFont(plainFont.block);
    Style outlined;
    outlined.outline = 2;
    Style shadowed;
    shadowed.shadow = true;
    shadowed.shadowDx = 3;
    shadowed.shadowDy = -2;
    const Made outlinedFont = MakeFont(kDejaVu, outlined, CodePageWindows1252);
    const Made shadowedFont = MakeFont(kDejaVu, shadowed, CodePageWindows1252);
    const auto withOutline = sftools::UnpackFont(outlinedFont.block);
    const auto withShadow = sftools::UnpackFont(shadowedFont.block);
    ASSERT_TRUE(plain && withOutline && withShadow);
    ASSERT_EQ(plain->glyphs.size(), withOutline->glyphs.size());
    for (std::size_t i = 0; i < plain->glyphs.size(); ++i) {
        const auto& p = plain->glyphs[i];
        const auto& o = withOutline->glyphs[i];
        const auto& s = withShadow->glyphs[i];
        ASSERT_EQ(p.code, o.code);
        EXPECT_EQ(o.advance, p.advance);
        EXPECT_EQ(s.advance, p.advance);
        if (p.srcWidth == 0) continue;  // a blank has nothing to outline
        // The stroked border reaches 2 pixels out on every side, give or take
        // the pixel its anti-aliased edge may start in.
        EXPECT_NEAR(o.offsetX, p.offsetX - 2, 1) << int{p.code};
        EXPECT_NEAR(o.offsetY, p.offsetY - 2, 1) << int{p.code};
        EXPECT_NEAR(o.offsetX + o.srcWidth, p.offsetX + p.srcWidth + 2, 1) << int{p.code};
        EXPECT_NEAR(o.offsetY + o.srcHeight, p.offsetY + p.srcHeight + 2, 1) << int{p.code};
        // Right and up: the image grows on the right and at the top.
        EXPECT_EQ(s.srcWidth, p.srcWidth + 3);
        EXPECT_EQ(s.srcHeight, p.srcHeight + 2);
        EXPECT_EQ(s.offsetX, p.offsetX);
        EXPECT_EQ(s.offsetY, p.offsetY - 2);
    }
}

// The gradient runs down the line: a tall glyph's top ink is near the top
// colour, its bottom ink near the bottom colour.
TEST_F(TrueType, AGradientRunsFromTopToBottom) {
    Style style;
    style.gradient = std::make_pair(font_maker::Rgb{255, 0, 0}, font_maker::Rgb{0, 0, 255});
    const Made made = MakeFont(kDejaVu, style, CodePageWindows1252);
    const auto font = sftools::UnpackFont(made.block);
    const auto atlas = sftools::DecodePng(font->png);
    ASSERT_TRUE(atlas);
    const auto bar = std::find_if(font->glyphs.begin(), font->glyphs.end(), [](auto& g) { return g.code == '|'; });
    ASSERT_NE(bar, font->glyphs.end());
    const auto ink = [&](int row) {
        for (int x = 0; x < bar->srcWidth; ++x) {
            const std::uint8_t* p = &atlas->rgba[static_cast<std::size_t>(((bar->srcY + row) * atlas->width + bar->srcX + x) * 4)];
            if (p[3] == 255) return p;
        }
        return static_cast<const std::uint8_t*>(nullptr);
    };
    const std::uint8_t* top = ink(1);
    const std::uint8_t* bottom = ink(bar->srcHeight - 2);
    ASSERT_TRUE(top && bottom);
    EXPECT_GT(top[0], 200);
    EXPECT_LT(top[2], 55);
    EXPECT_LT(bottom[0], 55);
    EXPECT_GT(bottom[2], 200);
}

TEST_F(TrueType, GridAndTightPackingHoldTheSameGlyphsApart) {
    const Made tightFont = MakeFont(kDejaVu, Style{}, CodePageWindows1252, Packing::Tight);
    const Made gridFont = MakeFont(kDejaVu, Style{}, CodePageWindows1252, Packing::Grid);
    const auto tight = sftools::UnpackFont(tightFont.block);
    const auto grid = sftools::UnpackFont(gridFont.block);
    ASSERT_TRUE(tight && grid);
    ASSERT_EQ(tight->glyphs.size(), grid->glyphs.size());
    for (const auto* font : {&*tight, &*grid}) {
        const auto& g = font->glyphs;
        for (std::size_t i = 0; i < g.size(); ++i)
            for (std::size_t j = i + 1; j < g.size(); ++j) {
                if (g[i].srcWidth == 0 || g[j].srcWidth == 0) continue;
                // At least one texel between them, for bilinear filtering.
                const bool apart = g[i].srcX + g[i].srcWidth < g[j].srcX || g[j].srcX + g[j].srcWidth < g[i].srcX ||
                                   g[i].srcY + g[i].srcHeight < g[j].srcY || g[j].srcY + g[j].srcHeight < g[i].srcY;
                EXPECT_TRUE(apart) << "codes " << int{g[i].code} << " and " << int{g[j].code};
            }
    }
    int pitchX = 0;
    for (std::size_t i = 0; i < grid->glyphs.size(); ++i) {
        const auto& t = tight->glyphs[i];
        const auto& g = grid->glyphs[i];
        EXPECT_EQ(t.code, g.code);
        EXPECT_EQ(t.advance, g.advance);
        EXPECT_EQ(t.offsetX, g.offsetX);
        EXPECT_EQ(t.srcWidth, g.srcWidth);
        // In the grid, code c sits in column c mod 16 at one fixed pitch.
        if (g.srcWidth > 0 && g.code % 16 == 1) pitchX = g.srcX - 1;
    }
    ASSERT_GT(pitchX, 0);
    for (const auto& g : grid->glyphs)
        if (g.srcWidth > 0) {
            EXPECT_EQ((g.srcX - 1) % pitchX, 0) << int{g.code};
        }
    EXPECT_LT(tight->png.size(), grid->png.size());
}

// Kerning from a face reaches the engine in atlas pixels, scaled to the
// size the font was made at; the metrics chunk holds the face's line.
class FaceKerning : public TrueType {
protected:
    void SetUp() override {
        TrueType::SetUp();
        if (IsSkipped()) return;
        if (!font_maker::FaceKerningAvailable()) GTEST_SKIP() << "this build reads no kerning (no HarfBuzz)";
    }
};

TEST_F(FaceKerning, DejaVuPairsMatchItsKernTableScaledToTheSize) {
    for (int pixels : {32, 64}) {
        Style style;
        style.pixelSize = pixels;
        const Made made = MakeFont(kDejaVu, style, CodePageWindows1252);
        const FontId id = LoadSpriteFont(AutoId, made.block.data(), made.block.size());
        FaceFacts face(kDejaVu, pixels);
        // DejaVu Sans keeps the same pairs in GPOS and in its legacy kern table,
        // which FreeType reads on its own: an independent expectation.
        for (const char* pair : {"AV", "VA", "To", "LT", "Yo", "Av", "P.", "AY"}) {
            const long units = face.KernUnits(static_cast<unsigned char>(pair[0]), static_cast<unsigned char>(pair[1]));
            ASSERT_NE(units, 0) << pair;
            const auto expected = static_cast<std::int32_t>(std::nearbyint(static_cast<double>(units) * pixels / face.UnitsPerEm()));
            EXPECT_EQ(SpriteFontKerning(id, static_cast<unsigned char>(pair[0]), static_cast<unsigned char>(pair[1])), expected)
                << pair << " at " << pixels << " px";
        }
        EXPECT_EQ(SpriteFontKerning(id, 'f', 'f'), 0);
        SpriteFontMetrics metrics{};
        ASSERT_TRUE(GetSpriteFontMetrics(id, &metrics));
        EXPECT_TRUE(metrics.hasMetrics);
        EXPECT_EQ(metrics.lineHeight, face.LineHeight());
        EXPECT_EQ(metrics.baseline, face.Ascender());
        EXPECT_EQ(metrics.codePage, CodePageWindows1252);
        EXPECT_GT(metrics.kerningPairs, 500);
        // Every pair names two glyphs and none is 0: the inspector finds nothing.
        const inspect::FontReport report = inspect::CheckFont(made.block);
        EXPECT_TRUE(report.problems.empty()) << report.problems.front().text;
        EXPECT_EQ(report.kerning.size(), static_cast<std::size_t>(metrics.kerningPairs));
        for (const auto& pair : report.kerning) EXPECT_NE(pair.amount, 0);
        // The unsized load stops at the terminator: no chunk, no kerning.
        const FontId unsized = LoadSpriteFont(AutoId, made.block.data());
        EXPECT_EQ(SpriteFontKerning(unsized, 'A', 'V'), 0);
    }
}

// An OpenType face with no kern table, GPOS only; the pairs go through the
// code page: Y diaeresis is 0x9F in Windows-1252 and 0xBE in Latin-9.
TEST_F(FaceKerning, GposPairsFollowTheCodePage) {
    if (kHeros.empty()) GTEST_SKIP() << "TeX Gyre Heros is not installed (fonts-texgyre)";
    const Made heros = MakeFont(kHeros, Style{}, CodePageWindows1252);
    const FontId h = LoadSpriteFont(AutoId, heros.block.data(), heros.block.size());
    FaceFacts face(kHeros, 32);
    EXPECT_EQ(face.KernUnits('A', 'V'), 0) << "no kern table";
    EXPECT_LT(SpriteFontKerning(h, 'A', 'V'), 0);
    EXPECT_LT(SpriteFontKerning(h, 'T', 'o'), 0);
    EXPECT_GT(SpriteFontKerning(h, 'T', 'o'), -16) << "a fraction of the em, not design units";

    const Made cp1252 = MakeFont(kDejaVu, Style{}, CodePageWindows1252);
    const Made latin9 = MakeFont(kDejaVu, Style{}, CodePageLatin9);
    const FontId a = LoadSpriteFont(AutoId, cp1252.block.data(), cp1252.block.size());
    const FontId b = LoadSpriteFont(AutoId, latin9.block.data(), latin9.block.size());
    ASSERT_NE(SpriteFontKerning(a, 'A', 0x9F), 0);
    EXPECT_EQ(SpriteFontKerning(b, 'A', 0xBE), SpriteFontKerning(a, 'A', 0x9F));
    EXPECT_EQ(SpriteFontKerning(b, 'A', 0x9F), 0) << "0x9F is a control code in Latin-9";
    SpriteFontMetrics metrics{};
    ASSERT_TRUE(GetSpriteFontMetrics(b, &metrics));
    EXPECT_EQ(metrics.codePage, CodePageLatin9);
}

// Without kerning the block has the metrics chunk only, and everything
// else is as with it.
TEST_F(FaceKerning, NoKerningLeavesThePairsOut) {
    const Made with = MakeFont(kDejaVu, Style{}, CodePageWindows1252);
    const Made without = MakeFont(kDejaVu, Style{}, CodePageWindows1252, Packing::Tight, false);
    const auto a = sftools::UnpackFont(with.block);
    const auto b = sftools::UnpackFont(without.block);
    ASSERT_TRUE(a && b);
    EXPECT_FALSE(a->chunks.kerning.empty());
    EXPECT_TRUE(b->chunks.kerning.empty());
    ASSERT_TRUE(b->chunks.metrics);
    EXPECT_EQ(b->chunks.metrics->lineHeight, a->chunks.metrics->lineHeight);
    EXPECT_TRUE(std::equal(a->png.begin(), a->png.end(), b->png.begin(), b->png.end()));
    const FontId id = LoadSpriteFont(AutoId, without.block.data(), without.block.size());
    EXPECT_EQ(SpriteFontKerning(id, 'A', 'V'), 0);
}

}  // namespace
