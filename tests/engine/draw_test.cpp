// Text drawing, traced against the recording platform.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "packed_font_builder.h"
#include "recording_platform.h"

using namespace test_support;

namespace {

constexpr SpriteHandle kQuad = 101;  // the fixture font's 3D sprite

// Glyphs 'A'..'G' are 64 x 64 texels in their grid cells, offsetX -2,
// offsetY -2, advance 20, line height 44.
class Draw : public ::testing::Test {
protected:
    void SetUp() override {
        InitSpriteFonts();
        PackedFontBuilder builder;
        for (unsigned char c = 'A'; c <= 'G'; ++c) builder.Add(CellGlyph(c));
        builder.Add({Record{'W', 0, -2, 301, 44, 0, 0, 64, 64},   // measures 301 wide
                     Record{'p', -2, -2, 97, 44, 0, 0, 64, 64},   // moves the pen to 97
                     Record{'q', 5, -2, 20, 44, 64, 0, 64, 64},   // offsetX 5
                     Record{'o', 0, -2, 20, 44, 128, 0, 64, 64},  // offsetX 0
                     Record{'r', 1, -2, 20, 44, 192, 0, 64, 64},  // offsetX 1
                     Record{'z', -2, -2, 18, 0, 256, 0, 64, 64},  // no line height
                     Record{'s', -2, -2, 18, 44, 320, 0, 64, 64}});
        block_ = builder.Build();
        font_ = LoadSpriteFont(AutoId, block_.data(), block_.size());
        ASSERT_EQ(GetSpriteFont(font_)->sprite3D, kQuad);
        platform_.log.clear();
    }

    void Set(std::int32_t kind, float value) { SetSpriteFontStyle(font_, kind, value); }

    std::vector<Call> Trace(std::int32_t x, std::int32_t y, const char* text, float transparency = -1.0f,
                            float size = -1.0f) {
        platform_.log.clear();
        EXPECT_EQ(DrawSpriteFontText(font_, x, y, text, transparency, size), 0);
        return platform_.log;
    }

    static Call Full(unsigned char code) { return TexRect(kQuad, 64 * (code % 16), 64 * (code / 16), 64, 64); }
    static Call Cut(unsigned char code, std::int32_t texels) {
        return TexRect(kQuad, 64 * (code % 16), 64 * (code / 16), texels, 64);
    }

    RecordingPlatform platform_;
    ScopedPlatform scope_{&platform_};
    std::vector<unsigned char> block_;
    FontId font_ = 0;
};

}  // namespace

TEST_F(Draw, StraightGlyphsArePlacedByOffsetAndAdvance) {
    EXPECT_EQ(Trace(100, 50, "A"),
              (std::vector<Call>{Rotate(kQuad, 0.0f), Full('A'), Zoom(kQuad, 64, 64), Display(kQuad, 98, 48, 255)}));
    // A character without a glyph neither draws nor moves the pen.
    EXPECT_EQ(Trace(0, 0, "A\nB"), Trace(0, 0, "AB"));
    EXPECT_EQ(Trace(0, 0, "AB").back(), Display(kQuad, 18, -2, 255));
    EXPECT_EQ(Trace(0, 0, "AB", -1.0f, 2.0f),
              (std::vector<Call>{Rotate(kQuad, 0.0f), Full('A'), Zoom(kQuad, 128, 128), Display(kQuad, -4, -4, 255),
                                 Full('B'), Zoom(kQuad, 128, 128), Display(kQuad, 36, -4, 255)}));
}

TEST_F(Draw, TransparencyAndSizeArgumentsOrTheFontsOwn) {
    Set(StyleTransparency, 200.0f);
    Set(StyleSize, 2.0f);
    const struct {
        float transparency, size;
        std::int32_t shown, zoom;
    } cases[] = {
        {-1.0f, -1.0f, 200, 128}, {std::nanf(""), std::nanf(""), 200, 128}, {127.5f, 1.0f, 128, 64},
        {128.5f, 1.0f, 128, 64},  {300.0f, 0.5f, 300, 32},                    {-0.0f, 1.0f, 0, 64},
    };
    for (const auto& c : cases) {
        const auto trace = Trace(0, 0, "A", c.transparency, c.size);
        ASSERT_EQ(trace.size(), 4u);
        EXPECT_EQ(trace[2], Zoom(kQuad, c.zoom, c.zoom)) << c.transparency << " " << c.size;
        EXPECT_EQ(trace[3].i[2], c.shown) << c.transparency << " " << c.size;
    }
}

TEST_F(Draw, AnchoringRoundsTheShiftedStartToEven) {
    Set(StyleAlignX, 0.5f);
    ASSERT_EQ(SpriteFontTextWidth(font_, "W", 1.0f), 301);
    EXPECT_EQ(Trace(401, 0, "W").back(), Display(kQuad, 250, -2, 255));  // 250.5
    EXPECT_EQ(Trace(400, 0, "W").back(), Display(kQuad, 250, -2, 255));  // 249.5
    Set(StyleAlignX, 0.0f);
    Set(StyleAlignY, 1.0f);  // height 44: the text ends on y
    EXPECT_EQ(Trace(0, 100, "W").back(), Display(kQuad, 0, 54, 255));
}

TEST_F(Draw, LengthLimitCutsGlyphsAtTheLimitAndEndsTheText) {
    Set(StyleMaxLength, 100.0f);
    EXPECT_EQ(Trace(0, 0, "ABCDEFG"),
              (std::vector<Call>{Rotate(kQuad, 0.0f),
                                 Full('A'), Zoom(kQuad, 64, 64), Display(kQuad, -2, -2, 255),
                                 Full('B'), Zoom(kQuad, 64, 64), Display(kQuad, 18, -2, 255),
                                 Cut('C', 62), Zoom(kQuad, 62, 64), Display(kQuad, 38, -2, 255),
                                 Cut('D', 42), Zoom(kQuad, 42, 64), Display(kQuad, 58, -2, 255),
                                 Cut('E', 22), Zoom(kQuad, 22, 64), Display(kQuad, 78, -2, 255),
                                 Cut('F', 2), Zoom(kQuad, 2, 64), Display(kQuad, 98, -2, 255)}));
    // A quad that ends exactly on the limit is drawn whole.
    Set(StyleMaxLength, 102.0f);
    EXPECT_EQ(Trace(0, 0, "ABC")[7], Full('C'));
    // A positive offset can put a cut glyph past the limit: nothing of it shows, the pen still moves.
    Set(StyleMaxLength, 100.0f);
    const auto trace = Trace(0, 0, "pqA");
    ASSERT_EQ(trace.size(), 7u);
    EXPECT_EQ(trace[4], TexRect(kQuad, 64, 0, -2, 64));
    EXPECT_EQ(trace[5], Zoom(kQuad, -2, 64));
    EXPECT_EQ(trace[6], Display(kQuad, 102, -2, 255));
    // A negative limit ends the text at its first glyph.
    Set(StyleMaxLength, -5.0f);
    EXPECT_EQ(Trace(0, 0, "ABC"), (std::vector<Call>{Rotate(kQuad, 0.0f)}));
}

TEST_F(Draw, CutGlyphKeepsItsScaleAndStaysInItsCell) {
    // 100 pixels at size 2.0 show 50 texels of the glyph, not 100 texels
    // that would reach into the next cell.
    Set(StyleMaxLength, 100.0f);
    EXPECT_EQ(Trace(0, 0, "o", -1.0f, 2.0f),
              (std::vector<Call>{Rotate(kQuad, 0.0f), TexRect(kQuad, 128, 0, 50, 64), Zoom(kQuad, 100, 128),
                                 Display(kQuad, 0, -4, 255)}));
    EXPECT_EQ(Trace(0, 0, "o", -1.0f, 3.0f)[1], TexRect(kQuad, 128, 0, 33, 64));  // 100 / 3 rounds to 33
}

TEST_F(Draw, RotatedLayoutTurnsGlyphsAndOffsets) {
    Set(StyleRotation, 90.0f);
    Set(StyleMaxLength, 10.0f);  // no effect once rotated
    EXPECT_EQ(Trace(0, 0, "AB"),
              (std::vector<Call>{Full('A'), Zoom(kQuad, 64, 64), Rotate(kQuad, 90.0f), Display(kQuad, 2, -2, 255),
                                 Full('B'), Zoom(kQuad, 64, 64), Rotate(kQuad, 90.0f), Display(kQuad, 2, 18, 255)}));
    // The offset (1, -2) turns by 45 degrees and rounds to (2, -1) before it scales.
    Set(StyleRotation, 45.0f);
    EXPECT_EQ(Trace(0, 0, "r", -1.0f, 3.0f)[3], Display(kQuad, 6, -3, 255));
}

TEST_F(Draw, MinusZeroRotationIsRotatedButLandsLikeStraight) {
    Set(StyleRotation, -0.0f);
    Set(StyleMaxLength, 30.0f);
    // -0.0 + 0.0 turn gives +0.0 from the second glyph on.
    EXPECT_EQ(Trace(0, 0, "AB"),
              (std::vector<Call>{Full('A'), Zoom(kQuad, 64, 64), Rotate(kQuad, -0.0f), Display(kQuad, -2, -2, 255),
                                 Full('B'), Zoom(kQuad, 64, 64), Rotate(kQuad, 0.0f), Display(kQuad, 18, -2, 255)}));
}

TEST_F(Draw, ArcTurnsTheBaselinePerLineHeight) {
    Set(StyleArc, 15.0f);
    const auto trace = Trace(0, 0, "ss");
    ASSERT_EQ(trace.size(), 8u);
    EXPECT_EQ(trace[2], Rotate(kQuad, 0.0f));  // the first glyph at the rotation itself
    EXPECT_NEAR(trace[6].f[0], 6.1364, 1e-4);  // 15 deg x 18 / 44 in radians, about 0.1071
    // A glyph without a line height causes no turn (and no division by zero).
    const auto flat = Trace(0, 0, "zs");
    EXPECT_EQ(flat[6], Rotate(kQuad, 0.0f));
    EXPECT_EQ(flat[7], Display(kQuad, 16, -2, 255));
}

TEST_F(Draw, NothingToDrawCallsNothing) {
    EXPECT_EQ(Trace(0, 0, ""), (std::vector<Call>{Rotate(kQuad, 0.0f)}));  // the straight reset still happens
    EXPECT_TRUE(Trace(0, 0, nullptr).empty());
    platform_.log.clear();
    for (FontId id : {FontId{65535}, AutoId, font_ + 8}) EXPECT_EQ(DrawSpriteFontText(id, 0, 0, "AB", -1, -1), 0);
    EXPECT_TRUE(platform_.log.empty());
    // A font whose 3D sprite was never made draws nothing at all.
    platform_.failSprite3D = true;
    const FontId broken = LoadSpriteFont(AutoId, block_.data(), block_.size());
    platform_.log.clear();
    EXPECT_EQ(DrawSpriteFontText(broken, 0, 0, "AB", -1, -1), 0);
    EXPECT_TRUE(platform_.log.empty());
}

TEST_F(Draw, HostileNumbersSaturate) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    const auto trace = Trace(INT32_MAX, INT32_MIN, "A", 3e38f, 3e38f);
    EXPECT_EQ(trace[2], Zoom(kQuad, INT32_MAX, INT32_MAX));
    EXPECT_EQ(trace[3], Display(kQuad, INT32_MIN, INT32_MIN, INT32_MAX));  // -2 x 3e38 overflows to -inf
    Set(StyleRotation, inf);
    const auto turned = Trace(0, 0, "AB", std::nanf(""), -inf);
    ASSERT_EQ(turned.size(), 8u);
    EXPECT_EQ(turned[3], Display(kQuad, 0, 0, 255));  // NaN positions become 0
}

TEST_F(Draw, SourceRectDividesIntegerSumsByTheTextureSize) {
    platform_.textureWidth = 3;
    platform_.textureHeight = 5;
    platform_.log.clear();
    EXPECT_EQ(SetSprite3DSourceRect(kQuad, 1, 2, 1, -7), 0);
    Call expected{Op::TexCoords, kQuad};
    expected.f = {1.0f / 3, 2.0f / 5, 2.0f / 3, 2.0f / 5, 1.0f / 3, -5.0f / 5, 2.0f / 3, -5.0f / 5};
    EXPECT_EQ(platform_.log, std::vector<Call>{expected});
    // Extreme rectangles do not overflow the integer sum.
    platform_.textureWidth = 1;
    platform_.log.clear();
    SetSprite3DSourceRect(kQuad, INT32_MAX, 0, INT32_MAX, 0);
    EXPECT_EQ(platform_.log[0].f[2], 4294967294.0f);
    // Unknown 3D sprites are left alone.
    platform_.log.clear();
    EXPECT_EQ(SetSprite3DSourceRect(999, 0, 0, 1, 1), 0);
    EXPECT_TRUE(platform_.log.empty());
}
