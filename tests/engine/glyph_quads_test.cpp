// Glyph quads and bounds against what drawing hands the platform, run
// through the corner geometry the platform writes its vertices with.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "packed_font_builder.h"
#include "recording_platform.h"
#include "sprite3d_geometry.h"

using namespace test_support;

namespace {

// Where the recorded calls put every displayed quad, as the platform
// computes it: the zoom and turn in force at each display.
std::vector<GlyphQuad> QuadsOfCalls(const std::vector<Call>& log, std::int32_t textureWidth,
                                    std::int32_t textureHeight) {
    std::vector<GlyphQuad> quads;
    std::int32_t width = 0, height = 0;
    sprite3d_geometry::Turn turn;
    float uv[8] = {};
    for (const Call& c : log) {
        if (c.op == Op::TexCoords) std::copy(c.f.begin(), c.f.end(), uv);
        if (c.op == Op::Zoom) width = c.i[0], height = c.i[1];
        if (c.op == Op::Rotate) turn = sprite3d_geometry::TurnOf(c.f[0]);
        if (c.op != Op::Display || !sprite3d_geometry::IsVisible(width, height)) continue;
        GlyphQuad q{};
        sprite3d_geometry::Corners(c.i[0], c.i[1], width, height, turn, q.x, q.y);
        q.srcX = static_cast<std::int32_t>(std::lround(double(uv[0]) * textureWidth));
        q.srcY = static_cast<std::int32_t>(std::lround(double(uv[1]) * textureHeight));
        q.srcWidth = static_cast<std::int32_t>(std::lround(double(uv[2]) * textureWidth)) - q.srcX;
        q.srcHeight = static_cast<std::int32_t>(std::lround(double(uv[5]) * textureHeight)) - q.srcY;
        quads.push_back(q);
    }
    return quads;
}

class GlyphQuads : public ::testing::Test {
protected:
    void SetUp() override {
        InitSpriteFonts();
        PackedFontBuilder builder;
        for (unsigned char c = 'A'; c <= 'D'; ++c) builder.Add(CellGlyph(c));
        // Tight boxes of other sizes, and a space with no box.
        builder.Add({Record{',', 2, 32, 10, 44, 40, 0, 8, 12}, Record{'\'', 2, 4, 10, 44, 60, 0, 6, 12},
                     Record{' ', 0, 0, 16, 44, 0, 0, 0, 0}});
        block_ = builder.Build();
        font_ = LoadSpriteFont(AutoId, block_.data(), block_.size());
        ASSERT_NE(GetSpriteFont(font_)->sprite3D, 0);
    }

    void Set(std::int32_t kind, float value) { SetSpriteFontStyle(font_, kind, value); }

    void ExpectQuadsAsDrawn(std::int32_t x, std::int32_t y, const char* text, float size, const std::string& what) {
        platform_.log.clear();
        DrawSpriteFontText(font_, x, y, text, -1.0f, size);
        const std::vector<GlyphQuad> drawn = QuadsOfCalls(platform_.log, 1024, 1024);
        const std::size_t count = SpriteFontTextQuads(font_, x, y, text, size, nullptr, 0);
        ASSERT_EQ(count, drawn.size()) << what;
        std::vector<GlyphQuad> quads(count + 1);
        ASSERT_EQ(SpriteFontTextQuads(font_, x, y, text, size, quads.data(), quads.size()), count) << what;
        TextBounds box{INFINITY, INFINITY, -INFINITY, -INFINITY};
        std::size_t shown = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const GlyphQuad& q = quads[i];
            const GlyphQuad& d = drawn[i];
            // Codes in drawing order: the i-th shown glyph of the text.
            while (text[shown] != 0 && text[shown] != static_cast<char>(q.code)) ++shown;
            EXPECT_EQ(static_cast<char>(q.code), text[shown]) << what << " #" << i;
            ++shown;
            for (int k = 0; k < 4; ++k) {
                EXPECT_EQ(q.x[k], d.x[k]) << what << " #" << i << " corner " << k;
                EXPECT_EQ(q.y[k], d.y[k]) << what << " #" << i << " corner " << k;
                box = {std::min(box.left, q.x[k]), std::min(box.top, q.y[k]), std::max(box.right, q.x[k]),
                       std::max(box.bottom, q.y[k])};
            }
            EXPECT_EQ(q.srcX, d.srcX) << what << " #" << i;
            EXPECT_EQ(q.srcY, d.srcY) << what << " #" << i;
            EXPECT_EQ(q.srcWidth, d.srcWidth) << what << " #" << i;
            EXPECT_EQ(q.srcHeight, d.srcHeight) << what << " #" << i;
        }
        const TextBounds bounds = SpriteFontTextBounds(font_, x, y, text, size);
        if (count == 0) box = {0, 0, 0, 0};
        EXPECT_EQ(bounds.left, box.left) << what;
        EXPECT_EQ(bounds.top, box.top) << what;
        EXPECT_EQ(bounds.right, box.right) << what;
        EXPECT_EQ(bounds.bottom, box.bottom) << what;
    }

    RecordingPlatform platform_;
    ScopedPlatform scope_{&platform_};
    std::vector<unsigned char> block_;
    FontId font_ = 0;
};

}  // namespace

TEST_F(GlyphQuads, AreTheQuadsDrawingDisplays) {
    const char* text = "AB,C 'D\nA";
    const struct {
        const char* what;
        float rotation, arc, alignX, alignY, maxLength, size;
    } cases[] = {
        {"straight", 0, 0, 0, 0, 0, 1.0f},
        {"size 2.5", 0, 0, 0, 0, 0, 2.5f},
        {"cut", 0, 0, 0, 0, 70, 1.0f},
        {"cut at size 2", 0, 0, 0, 0, 90, 2.0f},
        {"cut to nothing", 0, 0, 0, 0, -5, 1.0f},
        {"rotated", 30, 0, 0, 0, 0, 1.0f},
        {"quarter turn", 90, 0, 0, 0, 0, 1.5f},
        {"minus zero", -0.0f, 0, 0, 0, 0, 1.0f},
        {"arced", 10, 25, 0, 0, 0, 1.0f},
        {"arced backwards", 200, -40, 0, 0, 0, 0.75f},
        {"anchored", 0, 0, 0.5f, 1.0f, 0, 1.0f},
        {"anchored and arced", 0, 15, 1.0f, 0.5f, 0, 2.0f},
        {"mirrored", 0, 0, 0, 0, 0, -1.5f},
    };
    for (const auto& c : cases) {
        Set(StyleRotation, c.rotation);
        Set(StyleArc, c.arc);
        Set(StyleAlignX, c.alignX);
        Set(StyleAlignY, c.alignY);
        Set(StyleMaxLength, c.maxLength);
        ExpectQuadsAsDrawn(120, 80, text, c.size, c.what);
    }
}

TEST_F(GlyphQuads, CountFillAndBoundsOfAPlainLine) {
    // Two 64 x 64 cells at offset (-2, -2), 20 apart.
    GlyphQuad quads[2];
    EXPECT_EQ(SpriteFontTextQuads(font_, 10, 20, "AB", 1.0f, quads, 1), 2u);  // only the first is written
    EXPECT_EQ(quads[0].code, 'A');
    EXPECT_EQ(quads[0].x[0], 8.0f);
    EXPECT_EQ(quads[0].x[3], 72.0f);
    EXPECT_EQ(quads[0].y[3], 82.0f);
    EXPECT_EQ(quads[0].srcX, 64 * ('A' % 16));
    const TextBounds bounds = SpriteFontTextBounds(font_, 10, 20, "AB", 1.0f);
    EXPECT_EQ(bounds.left, 8.0f);
    EXPECT_EQ(bounds.top, 18.0f);
    EXPECT_EQ(bounds.right, 92.0f);
    EXPECT_EQ(bounds.bottom, 82.0f);
    // The advances measure 40; the ink reaches 84.
    EXPECT_EQ(SpriteFontTextWidth(font_, "AB", 1.0f), 40);
}

TEST_F(GlyphQuads, NeedNoPlatformAndIgnoreWhatShowsNothing) {
    Set(StyleRotation, 33.0f);
    std::vector<GlyphQuad> withPlatform(4), without(4);
    ASSERT_EQ(SpriteFontTextQuads(font_, 5, 5, "A,B", -1.0f, withPlatform.data(), 4), 3u);
    {
        ScopedPlatform none(nullptr);
        ASSERT_EQ(SpriteFontTextQuads(font_, 5, 5, "A,B", -1.0f, without.data(), 4), 3u);
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(std::vector<float>(without[i].x, without[i].x + 4), std::vector<float>(withPlatform[i].x, withPlatform[i].x + 4));
    // Nothing to report: no glyph, no text, no font, zero size.
    const TextBounds none = SpriteFontTextBounds(font_, 5, 5, " \n", 1.0f);
    EXPECT_TRUE(none.left == 0 && none.top == 0 && none.right == 0 && none.bottom == 0);
    EXPECT_EQ(SpriteFontTextQuads(font_, 0, 0, nullptr, 1.0f, nullptr, 0), 0u);
    EXPECT_EQ(SpriteFontTextQuads(font_ + 8, 0, 0, "AB", 1.0f, nullptr, 0), 0u);
    EXPECT_EQ(SpriteFontTextQuads(65535, 0, 0, "AB", 1.0f, nullptr, 0), 0u);
    EXPECT_EQ(SpriteFontTextQuads(font_, 0, 0, "AB", 0.0f, nullptr, 0), 0u);
    // A null output with a capacity only counts.
    EXPECT_EQ(SpriteFontTextQuads(font_, 0, 0, "AB", 1.0f, nullptr, 9), 2u);
}

TEST_F(GlyphQuads, BlocksReportTheQuadsTheyDraw) {
    const char* text = "AB,C 'D ABCD\nA,B DC, BA AA";
    const struct {
        const char* what;
        float rotation, alignX, alignY, size;
        TextAlign align;
        std::int32_t wrap;
    } cases[] = {
        {"left", 0, 0, 0, 1.0f, TextAlignLeft, 0},
        {"wrapped and justified", 0, 0, 0, 1.0f, TextAlignJustify, 150},
        {"centred and anchored", 0, 0.5f, 1.0f, 1.5f, TextAlignCenter, 0},
        {"turned", 25, 0, 0, 1.0f, TextAlignRight, 120},
        {"turned and anchored", -140, 0.5f, 0.5f, 0.75f, TextAlignLeft, 90},
    };
    for (const auto& c : cases) {
        Set(StyleRotation, c.rotation);
        Set(StyleAlignX, c.alignX);
        Set(StyleAlignY, c.alignY);
        TextBlock block;
        block.align = c.align;
        block.wrapWidth = c.wrap;
        platform_.log.clear();
        DrawSpriteFontBlock(font_, 300, 200, text, -1.0f, c.size, block);
        const std::vector<GlyphQuad> drawn = QuadsOfCalls(platform_.log, 1024, 1024);
        std::vector<GlyphQuad> quads(drawn.size() + 2);
        ASSERT_EQ(SpriteFontBlockQuads(font_, 300, 200, text, c.size, block, quads.data(), quads.size()), drawn.size())
            << c.what;
        ASSERT_GT(drawn.size(), 10u) << c.what;
        TextBounds box{INFINITY, INFINITY, -INFINITY, -INFINITY};
        for (std::size_t i = 0; i < drawn.size(); ++i)
            for (int k = 0; k < 4; ++k) {
                EXPECT_EQ(quads[i].x[k], drawn[i].x[k]) << c.what << " #" << i;
                EXPECT_EQ(quads[i].y[k], drawn[i].y[k]) << c.what << " #" << i;
                box = {std::min(box.left, quads[i].x[k]), std::min(box.top, quads[i].y[k]),
                       std::max(box.right, quads[i].x[k]), std::max(box.bottom, quads[i].y[k])};
            }
        const TextBounds bounds = SpriteFontBlockBounds(font_, 300, 200, text, c.size, block);
        EXPECT_EQ(bounds.left, box.left) << c.what;
        EXPECT_EQ(bounds.bottom, box.bottom) << c.what;
    }
}
