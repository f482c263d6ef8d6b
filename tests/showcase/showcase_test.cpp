// The showcase frame against the recording platform and the embedded font.
#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "demo_font.h"
#include "recording_platform.h"
#include "showcase.h"

using namespace test_support;

namespace {

struct Line {
    std::vector<Call> calls;
    std::vector<Call> displays, zooms, rotates;
};

// Splits one frame's log into its five lines: the straight lines open with
// a rotate and then take three calls per glyph, the rotated ones four.
std::vector<Line> SplitFrame(const std::vector<Call>& log) {
    const std::size_t glyphs[] = {28, 0, 25, 39, 25};  // line 2's count depends on its cut
    std::vector<Line> lines(5);
    std::size_t at = 0;
    auto take = [&](Line& line, std::size_t n) {
        for (std::size_t k = 0; k < n && at < log.size(); ++k) line.calls.push_back(log[at++]);
    };
    take(lines[0], 1 + 3 * glyphs[0]);
    take(lines[1], 1);
    while (at + 2 < log.size() && log[at].op == Op::TexCoords && log[at + 2].op == Op::Display) take(lines[1], 3);
    for (int i = 2; i < 5; ++i) take(lines[static_cast<std::size_t>(i)], 4 * glyphs[i]);
    EXPECT_EQ(at, log.size());
    for (Line& line : lines) {
        for (const Call& c : line.calls) {
            if (c.op == Op::Display) line.displays.push_back(c);
            if (c.op == Op::Zoom) line.zooms.push_back(c);
            if (c.op == Op::Rotate) line.rotates.push_back(c);
        }
    }
    return lines;
}

class Showcase : public ::testing::Test {
protected:
    void SetUp() override {
        InitSpriteFonts();
        ASSERT_NE(LoadSpriteFont(1, kDemoFont, kDemoFontSize), 0u);
        font_ = GetSpriteFont(1);
    }
    std::vector<Line> Frame(float t) {
        platform_.log.clear();
        RunShowcase(t);
        return SplitFrame(platform_.log);
    }
    RecordingPlatform platform_;
    ScopedPlatform scope_{&platform_};
    const SpriteFont* font_ = nullptr;
};

}  // namespace

TEST_F(Showcase, AnimatedValuesOfTheFirstFrame) {
    EXPECT_EQ(ShowcaseSize(1.0f), 1.0087262f);
    EXPECT_EQ(ShowcaseArc(1.0f), 0.4991671f);
    EXPECT_EQ(ShowcaseSize(90.0f), 1.5f);
    EXPECT_EQ(ShowcaseSize(270.0f), 0.5f);
}

TEST_F(Showcase, FrameLeavesTheFontInItsEndState) {
    for (float t : {1.0f, 77.0f, 16777216.0f}) {
        Frame(t);
        EXPECT_EQ(font_->StyleTransparency, 128);
        EXPECT_EQ(font_->StyleSize, 1.0f);
        EXPECT_EQ(font_->StyleRotation, 0.0f);
        EXPECT_EQ(font_->StyleArc, ShowcaseArc(t));
        EXPECT_EQ(font_->StyleMaxLength, 600.0f);
        EXPECT_EQ(font_->StyleAlignX, 0.0f);
        EXPECT_EQ(font_->StyleAlignY, 0.0f);
    }
}

TEST_F(Showcase, EachLineShowsItsStyleInEveryFrame) {
    const std::vector<Line> first = Frame(1.0f);
    for (float t : {1.0f, 2.0f, 90.0f, 180.0f, 270.0f, 359.0f, 1000.0f}) {
        const std::vector<Line> lines = Frame(t);
        // Line 1: the load-time defaults, the same in every frame.
        EXPECT_EQ(lines[0].calls, first[0].calls) << t;
        EXPECT_EQ(lines[0].displays.front(), Display(101, 48, 48, 255));
        // Line 2: cut so that nothing passes x 650, the end of the guide line.
        const Call& lastZoom = lines[1].zooms.back();
        const Call& lastDisplay = lines[1].displays.back();
        EXPECT_EQ(lastDisplay.i[0] + lastZoom.i[0], 650) << t;
        EXPECT_LT(lastZoom.i[0], 64) << t;
        EXPECT_LT(lines[1].displays.size(), std::strlen("Abgeschnitten nach einer bestimmten L\xE4nge"));
        // Line 3 turns one degree per frame; lines 3 to 5 are drawn whole.
        EXPECT_NEAR(lines[2].rotates.front().f[0], t, t * 1e-6) << t;
        for (int i = 2; i < 5; ++i) {
            for (const Call& z : lines[static_cast<std::size_t>(i)].zooms) EXPECT_EQ(z.i[0], z.i[1]);
        }
        // Lines 4 and 5 are half transparent; line 4 scales with S(t).
        const std::int32_t side = static_cast<std::int32_t>(std::nearbyint(64.0f * ShowcaseSize(t)));
        for (const Call& d : lines[2].displays) EXPECT_EQ(d.i[2], 255);
        for (const Call& d : lines[3].displays) EXPECT_EQ(d.i[2], 128);
        for (const Call& d : lines[4].displays) EXPECT_EQ(d.i[2], 128);
        for (const Call& z : lines[3].zooms) EXPECT_EQ(z, Zoom(101, side, side)) << t;
        EXPECT_NEAR(lines[3].rotates.front().f[0], -30.0f, 1e-4);
        EXPECT_EQ(lines[4].rotates.front(), Rotate(101, 0.0f));
    }
}
