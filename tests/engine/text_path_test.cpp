// Text along circles, polylines and Bézier curves, against closed forms.
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "packed_font_builder.h"
#include "recording_platform.h"

using namespace test_support;

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

// A placed glyph as the platform got it: its quad's centre and turn.
struct Placed {
    double x, y, degrees;
};

// Glyphs 'A'..'J': 20 x 20 boxes standing on the baseline (34 below the
// line's top) from the pen, advance 20, so a glyph's centre is 10 above the
// path at the middle of its advance. 'A' 'B' kern by -5.
class TextOnPath : public ::testing::Test {
protected:
    void SetUp() override {
        InitSpriteFonts();
        PackedFontBuilder builder;
        for (unsigned char c = 'A'; c <= 'J'; ++c)
            builder.Add(Record{c, 0, 14, 20, 44, std::int16_t(20 * (c - 'A')), 0, 20, 20});
        builder.Metrics(44, 34, 1252).Kerning({{'A', 'B', -5}});
        block_ = builder.Build();
        font_ = LoadSpriteFont(AutoId, block_.data(), block_.size());
        ASSERT_NE(GetSpriteFont(font_)->sprite3D, 0);
    }

    std::vector<Placed> Draw(const char* text, const TextPath& path, float offset = 0.0f,
                             TextAlign align = TextAlignLeft, float size = 1.0f) {
        platform_.log.clear();
        EXPECT_EQ(DrawSpriteFontTextOnPath(font_, text, path, offset, align, -1.0f, size), 0);
        std::vector<Placed> placed;
        std::int32_t w = 0, h = 0;
        float degrees = 0;
        for (const Call& c : platform_.log) {
            if (c.op == Op::Zoom) w = c.i[0], h = c.i[1];
            if (c.op == Op::Rotate) degrees = c.f[0];
            if (c.op == Op::Display) placed.push_back({c.i[0] + w / 2.0, c.i[1] + h / 2.0, degrees});
        }
        return placed;
    }

    RecordingPlatform platform_;
    ScopedPlatform scope_{&platform_};
    std::vector<unsigned char> block_;
    FontId font_ = 0;
};

// Same direction, modulo full turns.
void ExpectAngle(double degrees, double want, const std::string& what, double tolerance = 1e-3) {
    EXPECT_NEAR(std::remainder(degrees - want, 360.0), 0.0, tolerance) << what;
}

}  // namespace

TEST_F(TextOnPath, CircleGlyphsSitOnTheirAnglesWithTopsOutward) {
    const double r = 100.0;
    for (bool clockwise : {true, false}) {
        const auto placed = Draw("CDEFG", TextPath::Circle(400, 300, 100, -90, clockwise));
        ASSERT_EQ(placed.size(), 5u);
        const double sense = clockwise ? 1.0 : -1.0;
        for (std::size_t i = 0; i < placed.size(); ++i) {
            // The middle of the advance at arc length 10 + 20 i; the centre 10
            // further out (clockwise) or in (counter-clockwise: tops to the centre).
            const double theta = -90.0 * kDeg + sense * (10.0 + 20.0 * double(i)) / r;
            const double radius = r + sense * 10.0;
            const std::string what = (clockwise ? "clockwise #" : "counter-clockwise #") + std::to_string(i);
            EXPECT_NEAR(placed[i].x, 400 + radius * std::cos(theta), 0.5) << what;
            EXPECT_NEAR(placed[i].y, 300 + radius * std::sin(theta), 0.5) << what;
            ExpectAngle(placed[i].degrees, theta / kDeg + sense * 90.0, what);
        }
    }
    EXPECT_FLOAT_EQ(TextPathLength(TextPath::Circle(0, 0, 100, 0)), float(2 * std::numbers::pi * 100));
}

TEST_F(TextOnPath, UprightCircleReadsLeftToRightAlongTheBottom) {
    // Centred on the bottom of the circle: counter-clockwise, tops to the centre.
    const auto placed = Draw("CDEFG", TextPath::Circle(400, 300, 100, 90, true, true), 0.0f, TextAlignCenter);
    ASSERT_EQ(placed.size(), 5u);
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const double theta = 90.0 * kDeg - (20.0 * double(i) - 40.0) / 100.0;
        EXPECT_NEAR(placed[i].x, 400 + 90 * std::cos(theta), 0.5) << i;
        EXPECT_NEAR(placed[i].y, 300 + 90 * std::sin(theta), 0.5) << i;
        ExpectAngle(placed[i].degrees, theta / kDeg - 90.0, std::to_string(i));
        if (i > 0) {
            EXPECT_GT(placed[i].x, placed[i - 1].x);
        }
    }
    ExpectAngle(placed[2].degrees, 0.0, "the middle glyph stands upright");
    // On the upper half upright keeps the clockwise way.
    const auto top = Draw("CDE", TextPath::Circle(400, 300, 100, -90, false, true), 0.0f, TextAlignCenter);
    ASSERT_EQ(top.size(), 3u);
    EXPECT_NEAR(top[1].x, 400, 0.5);
    EXPECT_NEAR(top[1].y, 190, 0.5);
    ExpectAngle(top[1].degrees, 0.0, "top");
}

TEST_F(TextOnPath, PolylineCornerTurnsTheGlyphThatPassesIt) {
    const TextPathPoint corner[] = {{0, 0}, {100, 0}, {100, 100}};
    const auto placed = Draw("CDEFGHIJ", TextPath::Polyline(corner, 3));
    ASSERT_EQ(placed.size(), 8u);
    for (std::size_t i = 0; i < 5; ++i) {  // middles 10 .. 90 on the first leg
        EXPECT_NEAR(placed[i].x, 10 + 20 * double(i), 0.5) << i;
        EXPECT_NEAR(placed[i].y, -10, 0.5) << i;
        ExpectAngle(placed[i].degrees, 0, std::to_string(i));
    }
    for (std::size_t i = 5; i < 8; ++i) {  // middles 110 .. 150: down the second leg, 10 to its right
        EXPECT_NEAR(placed[i].x, 110, 0.5) << i;
        EXPECT_NEAR(placed[i].y, 10 + 20 * double(i - 5), 0.5) << i;
        ExpectAngle(placed[i].degrees, 90, std::to_string(i));
    }
    // A middle exactly on the corner takes the leg that starts there.
    const auto onCorner = Draw("CDEFGH", TextPath::Polyline(corner, 3), -10.0f);
    ASSERT_EQ(onCorner.size(), 5u);  // the first glyph would begin before the path
    ExpectAngle(onCorner.back().degrees, 90, "on the corner");
    EXPECT_NEAR(onCorner.back().x, 110, 0.5);
    EXPECT_NEAR(onCorner.back().y, 0, 0.5);
}

TEST_F(TextOnPath, AlignmentOffsetAndTheEndOfAnOpenPath) {
    const TextPathPoint line[] = {{0, 0}, {300, 0}};
    const struct {
        TextAlign align;
        float offset;
        std::vector<double> middles;
    } cases[] = {
        {TextAlignLeft, 0, {10, 30, 50, 70, 90}},
        {TextAlignLeft, 25, {35, 55, 75, 95, 115}},
        {TextAlignCenter, 0, {110, 130, 150, 170, 190}},
        {TextAlignRight, 0, {210, 230, 250, 270, 290}},
        {TextAlignJustify, 0, {10, 80, 150, 220, 290}},
        {TextAlignRight, 30, {240, 260, 280}},   // the last two would run past the end
        {TextAlignLeft, -15, {15, 35, 55, 75}},  // the first would begin before the start
        {TextAlignCenter, -200, {}},
    };
    for (const auto& c : cases) {
        const auto placed = Draw("CDEFG", TextPath::Polyline(line, 2), c.offset, c.align);
        ASSERT_EQ(placed.size(), c.middles.size()) << c.align << " " << c.offset;
        for (std::size_t i = 0; i < placed.size(); ++i) EXPECT_NEAR(placed[i].x, c.middles[i], 0.5) << c.align;
    }
    // A closed path centres on, or ends at, its begin point and wraps round.
    const TextPathPoint square[] = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    const auto wrapped = Draw("CDEFG", TextPath::Polyline(square, 4, true), 0.0f, TextAlignCenter);
    ASSERT_EQ(wrapped.size(), 5u);
    EXPECT_NEAR(wrapped[0].x, -10, 0.5);  // middle at -40: 40 up the closing leg
    EXPECT_NEAR(wrapped[0].y, 40, 0.5);
    EXPECT_NEAR(wrapped[2].x, 0, 0.5);
    EXPECT_NEAR(wrapped[2].y, -10, 0.5);
}

TEST_F(TextOnPath, KerningAndSizeShortenTheRun) {
    EXPECT_FLOAT_EQ(SpriteFontTextPathLength(font_, "ABC", 1.0f), 55.0f);
    EXPECT_FLOAT_EQ(SpriteFontTextPathLength(font_, "AB\nC", 2.0f), 110.0f);
    EXPECT_FLOAT_EQ(SpriteFontTextPathLength(font_, nullptr, 1.0f), 0.0f);
    const TextPathPoint line[] = {{0, 100}, {300, 100}};
    const auto placed = Draw("ABC", TextPath::Polyline(line, 2), 0.0f, TextAlignLeft, 2.0f);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_NEAR(placed[0].x, 20, 0.5);
    EXPECT_NEAR(placed[1].x, 50, 0.5);  // 40 - 10 of kerning + 20
    EXPECT_NEAR(placed[2].x, 90, 0.5);
    EXPECT_NEAR(placed[2].y, 80, 0.5);  // 20 tall at size 2: centre 20 above the path
}

TEST_F(TextOnPath, BezierArcLengthWithinAQuarterPixel) {
    // Arc length by fine numeric integration of the curve's speed.
    auto exact = [](const TextPathPoint* p, std::size_t curves) {
        double total = 0;
        for (std::size_t k = 0; k < curves; ++k) {
            const TextPathPoint* c = p + 3 * k;
            const int steps = 200000;
            for (int i = 0; i < steps; ++i) {
                const double t = (i + 0.5) / steps, u = 1 - t;
                const double dx = 3 * u * u * (c[1].x - c[0].x) + 6 * u * t * (c[2].x - c[1].x) + 3 * t * t * (c[3].x - c[2].x);
                const double dy = 3 * u * u * (c[1].y - c[0].y) + 6 * u * t * (c[2].y - c[1].y) + 3 * t * t * (c[3].y - c[2].y);
                total += std::hypot(dx, dy) / steps;
            }
        }
        return total;
    };
    const TextPathPoint quarter[] = {{100, 0}, {100, 55.228f}, {55.228f, 100}, {0, 100}};
    const TextPathPoint wave[] = {{0, 300}, {150, 0}, {250, 600}, {400, 300}, {550, 0}, {650, 600}, {800, 300}};
    const TextPathPoint loop[] = {{0, 0}, {900, 300}, {-600, 300}, {300, 0}};  // crosses itself
    const TextPathPoint cusp[] = {{0, 0}, {300, 100}, {0, 100}, {300, 0}};
    const TextPathPoint still[] = {{5, 5}, {5, 5}, {5, 5}, {405, 5}};  // starts at no speed
    EXPECT_NEAR(TextPathLength(TextPath::Bezier(quarter, 4)), exact(quarter, 1), 0.25);
    EXPECT_NEAR(TextPathLength(TextPath::Bezier(wave, 7)), exact(wave, 2), 0.25);
    EXPECT_NEAR(TextPathLength(TextPath::Bezier(loop, 4)), exact(loop, 1), 0.25);
    EXPECT_NEAR(TextPathLength(TextPath::Bezier(cusp, 4)), exact(cusp, 1), 0.25);
    EXPECT_NEAR(TextPathLength(TextPath::Bezier(still, 4)), 400.0, 0.25);
    // Unevenly paced, a straight curve still places glyphs by arc length.
    const auto placed = Draw("CDEFGHIJ", TextPath::Bezier(still, 4));
    ASSERT_EQ(placed.size(), 8u);
    for (std::size_t i = 0; i < placed.size(); ++i) {
        EXPECT_NEAR(placed[i].x, 15 + 20 * double(i), 0.5) << i;
        EXPECT_NEAR(placed[i].y, -5, 0.5) << i;
    }
    // Glyphs on the (nearly) quarter circle stand at radius 110, turned to
    // it: it runs clockwise on the screen, tops outward.
    const auto round = Draw("CDEFGH", TextPath::Bezier(quarter, 4));
    ASSERT_EQ(round.size(), 6u);  // 120 of 157 pixels
    for (std::size_t i = 0; i < round.size(); ++i) {
        const double theta = (10 + 20 * double(i)) / 100.0;
        EXPECT_NEAR(std::hypot(round[i].x, round[i].y), 110, 0.6) << i;
        EXPECT_NEAR(std::atan2(round[i].y, round[i].x), theta, 0.005) << i;
        ExpectAngle(round[i].degrees, theta / kDeg + 90, std::to_string(i), 0.1);
    }
}

TEST_F(TextOnPath, Utf8TakesTheFontsCodePage) {
    const TextPathPoint line[] = {{0, 0}, {300, 0}};
    platform_.log.clear();
    DrawSpriteFontTextOnPathUtf8(font_, "C\xC3\xA9" "D", TextPath::Polyline(line, 2), 0, TextAlignLeft, -1, -1);
    const auto utf8 = platform_.log;
    EXPECT_EQ(utf8.size(), 8u);  // é has no glyph: C and D
    Draw("CD", TextPath::Polyline(line, 2));
    EXPECT_EQ(utf8, platform_.log);
}
