// Text extent under size, rotation and arc.
#include <cmath>

#include <gtest/gtest.h>

#include "packed_font_builder.h"

using namespace test_support;

namespace {

// 'a': advance 10, 'b': advance 5, 'c': advance 7, all of line height 44;
// '?' has no glyph.
class Measure : public ::testing::Test {
protected:
    void SetUp() override {
        InitSpriteFonts();
        const auto block = PackedFontBuilder().Add({CellGlyph('a', 0, 10), CellGlyph('b', 0, 5), CellGlyph('c', 0, 7)}).Build();
        font_ = LoadSpriteFont(AutoId, block.data(), block.size());
    }
    void Style(float size, float rotation, float arc) {
        SetSpriteFontStyle(font_, StyleSize, size);
        SetSpriteFontStyle(font_, StyleRotation, rotation);
        SetSpriteFontStyle(font_, StyleArc, arc);
    }
    FontId font_ = 0;
};

}  // namespace

TEST_F(Measure, ExtentsFollowSizeRotationAndArc) {
    const struct {
        const char* text;
        float size, rotation, arc;
        std::int32_t width, height;
    } cases[] = {
        {"", 1.0f, 0, 0, 0, 0},
        {"a", 2.0f, 0, 0, 20, 88},
        {"aa", 1.0f, 90, 0, 44, 20},
        {"aa", 1.0f, 0, 9, -10, 54},       // first glyph measured at 90, second at 180
        {"aa", 1.0f, 180, 0, -20, -44},
        {"b", 0.5f, 0, 0, 2, 22},          // 2.5 rounds to even
        {"c", 0.5f, 0, 0, 4, 22},          // 3.5 rounds to even
        {"a", -0.5f, 0, 0, -5, -22},       // negative size flips both
        {"a", 0.0f, 0, 0, 0, 0},
        {"?aa", 1.0f, 0, 0, 20, 0},        // first character without a glyph: H is 0
        {"a?a", 1.0f, 0, 9, -10, 54},      // a gap does not turn the angle
        {"a\nb\tc", 1.0f, 0, 0, 22, 44},   // control codes are just empty slots
    };
    for (const auto& c : cases) {
        Style(1.0f, c.rotation, c.arc);
        EXPECT_EQ(SpriteFontTextWidth(font_, c.text, c.size), c.width) << c.text << " size " << c.size;
        EXPECT_EQ(SpriteFontTextHeight(font_, c.text, c.size), c.height) << c.text << " size " << c.size;
    }
}

TEST_F(Measure, MinusOneAndNaNTakeTheFontsSize) {
    Style(3.0f, 0, 0);
    for (float size : {-1.0f, std::nanf("")}) {
        EXPECT_EQ(SpriteFontTextWidth(font_, "ab", size), 45);
        EXPECT_EQ(SpriteFontTextHeight(font_, "ab", size), 132);
    }
    EXPECT_EQ(SpriteFontTextWidth(font_, "ab", -1.0000001f), -15);  // only exactly -1.0 is the default
}

TEST_F(Measure, NoFontOrNoTextGivesZero) {
    EXPECT_EQ(SpriteFontTextWidth(font_, nullptr, 1.0f), 0);
    EXPECT_EQ(SpriteFontTextHeight(font_, nullptr, 1.0f), 0);
    for (FontId id : {FontId{65535}, AutoId, FontId{0x7FFF0000}}) {
        EXPECT_EQ(SpriteFontTextWidth(id, "aa", 1.0f), 0);
        EXPECT_EQ(SpriteFontTextHeight(id, "aa", 1.0f), 0);
    }
}

TEST_F(Measure, RunsInSinglePrecisionAsWritten) {
    // 1.1 is not exact in float; a double-precision walk would round the
    // running sum differently after many glyphs.
    Style(1.1f, 10.0f, 0.25f);
    std::string text(300, 'c');
    float angle = 10.0f;
    float radians = static_cast<float>(angle * 0.017453292519943295);
    float width = 44.0f * 1.1f * static_cast<float>(std::sin(static_cast<double>(radians)));
    for (std::size_t i = 0; i < text.size(); ++i) {
        angle = angle + (0.25f * 7.0f) * 1.1f;
        radians = static_cast<float>(angle * 0.017453292519943295);
        width = width + 7.0f * 1.1f * static_cast<float>(std::cos(static_cast<double>(radians)));
    }
    EXPECT_EQ(SpriteFontTextWidth(font_, text.c_str(), -1.0f), static_cast<std::int32_t>(std::nearbyint(width)));
}

TEST_F(Measure, HugeValuesSaturateInsteadOfOverflowing) {
    Style(1e36f, 0, 0);
    EXPECT_EQ(SpriteFontTextWidth(font_, "aaaa", -1.0f), INT32_MAX);
    EXPECT_EQ(SpriteFontTextWidth(font_, "aaaa", -1e36f), INT32_MIN);
    EXPECT_EQ(SpriteFontTextWidth(font_, "a", 3e38f), 0);  // the seed overflows: inf x sin 0 is NaN
    Style(1.0f, std::numeric_limits<float>::infinity(), 0);
    EXPECT_EQ(SpriteFontTextWidth(font_, "aa", 1.0f), 0);  // sin(inf) is NaN
}
