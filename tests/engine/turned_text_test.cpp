// Turned and arced text of a font with tight glyph boxes: every glyph keeps
// its place in the line turned as a whole.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "packed_font_builder.h"
#include "recording_platform.h"

using namespace test_support;

namespace {

// Boxes as a maker that packs tight boxes writes them: offsets from the top
// of a 44-pixel line whose baseline is at 38.
const Record kTight[] = {
    {'H', 1, 4, 32, 44, 0, 0, 30, 34},     // the largest box: the reference
    {',', 2, 32, 10, 44, 40, 0, 8, 12},    // on the baseline, descending
    {'.', 2, 32, 10, 44, 50, 0, 6, 6},
    {'\'', 2, 4, 10, 44, 60, 0, 6, 12},    // at the top of the capitals
    {'-', 2, 20, 18, 44, 70, 0, 14, 4},
};

struct Box {
    double offsetX, offsetY, width, height, advance;
};

Box BoxOf(char code) {
    for (const Record& r : kTight)
        if (r.code == static_cast<unsigned char>(code)) return {double(r.offsetX), double(r.offsetY), double(r.srcWidth), double(r.srcHeight), double(r.advance)};
    return {};
}

class TurnedText : public ::testing::Test {
protected:
    void SetUp() override {
        InitSpriteFonts();
        PackedFontBuilder builder;
        for (const Record& r : kTight) builder.Add(r);
        block_ = builder.Build();
        font_ = LoadSpriteFont(AutoId, block_.data(), block_.size());
        ASSERT_NE(GetSpriteFont(font_)->sprite3D, 0);
    }

    // Each glyph's drawn centre against the centre of its box in the straight
    // line turned rigidly about the pen (bent by the arc as drawing bends
    // it), plus the shift of the reference box turned about its own centre.
    void ExpectInPlace(const char* text, float rotation, float arc, bool asBlock = false) {
        SetSpriteFontStyle(font_, StyleRotation, rotation);
        SetSpriteFontStyle(font_, StyleArc, asBlock ? 0.0f : arc);
        platform_.log.clear();
        if (asBlock) {
            DrawSpriteFontBlock(font_, 400, 300, text, -1.0f, 1.0f, TextBlock{0, TextAlignLeft, 1.0f, 0, false});
        } else {
            DrawSpriteFontText(font_, 400, 300, text, -1.0f, 1.0f);
        }
        std::vector<Call> zooms, displays;
        for (const Call& c : platform_.log) {
            if (c.op == Op::Zoom) zooms.push_back(c);
            if (c.op == Op::Display) displays.push_back(c);
        }
        ASSERT_EQ(displays.size(), std::string(text).size());

        const double refX = 15.0, refY = 17.0;  // half of the 30 x 34 reference box
        double angle = rotation * 0.017453292519943295;
        const double arcRad = arc * 0.017453292519943295;
        double penX = 400.0, penY = 300.0;
        for (std::size_t i = 0; text[i] != 0; ++i) {
            const Box b = BoxOf(text[i]);
            const double c = std::cos(angle), s = std::sin(angle);
            const double localX = b.offsetX + b.width / 2, localY = b.offsetY + b.height / 2;
            const double wantX = penX + (c * localX - s * localY) + (refX - (c * refX - s * refY));
            const double wantY = penY + (s * localX + c * localY) + (refY - (s * refX + c * refY));
            const double gotX = displays[i].i[0] + zooms[i].i[0] / 2.0;
            const double gotY = displays[i].i[1] + zooms[i].i[1] / 2.0;
            EXPECT_NEAR(gotX, wantX, 1.0) << "'" << text[i] << "' #" << i << " at rotation " << rotation << ", arc " << arc;
            EXPECT_NEAR(gotY, wantY, 1.0) << "'" << text[i] << "' #" << i << " at rotation " << rotation << ", arc " << arc;
            angle += arcRad * b.advance / 44.0;
            penX += b.advance * std::cos(angle);
            penY += b.advance * std::sin(angle);
        }
    }

    RecordingPlatform platform_;
    ScopedPlatform scope_{&platform_};
    std::vector<unsigned char> block_;
    FontId font_ = 0;
};

}  // namespace

TEST_F(TurnedText, PunctuationKeepsItsPlaceInTheTurnedLine) {
    for (float rotation : {-0.0f, 15.0f, 40.0f, 90.0f, 135.0f, 180.0f, 233.0f, -70.0f})
        ExpectInPlace("H,H.H'H-H", rotation, 0.0f);
}

TEST_F(TurnedText, PunctuationSitsOnTheBentBaseline) {
    for (float arc : {15.0f, -25.0f, 60.0f})
        for (float rotation : {0.0f, 40.0f, 200.0f}) ExpectInPlace("H,H.H'H-H,,..''H", rotation, arc);
}

TEST_F(TurnedText, PunctuationKeepsItsPlaceInATurnedBlock) {
    for (float rotation : {15.0f, 40.0f, 135.0f, -70.0f}) ExpectInPlace("H,H.H'H-H", rotation, 0.0f, true);
}

TEST_F(TurnedText, SharedBoxFontsDrawAsBefore) {
    // Glyphs of one box size take no shift: the offset turns in whole pixels
    // about the pen and the quad about its centre, exactly as always.
    PackedFontBuilder builder;
    builder.Add({CellGlyph('A'), Record{'.', 5, 30, 12, 44, 64, 0, 64, 64}});
    const std::vector<unsigned char> block = builder.Build();
    const FontId cells = LoadSpriteFont(AutoId, block.data(), block.size());
    SetSpriteFontStyle(cells, StyleRotation, 40.0f);
    platform_.log.clear();
    DrawSpriteFontText(cells, 0, 0, "A.", -1.0f, 1.0f);
    ASSERT_EQ(platform_.log.size(), 8u);
    const SpriteHandle quad = GetSpriteFont(cells)->sprite3D;
    // (-2, -2) turned by 40 degrees rounds to (0, -3); (5, 30) to (-15, 26),
    // after the pen moved 20 along 40 degrees to (15.32, 12.86).
    EXPECT_EQ(platform_.log[3], Display(quad, 0, -3, 255));
    EXPECT_EQ(platform_.log[7], Display(quad, 0, 39, 255));
}
