// The showcase's glyphs reach SDL in one SDL_RenderGeometry call per frame.
#include <gtest/gtest.h>

#include <vector>

#include "demo_font.h"
#include "frame.h"
#include "offscreen_showcase.h"

namespace {

class DrawCalls : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        showcase_ = OffscreenShowcase::Open(&error).release();
        if (showcase_ == nullptr) error_ = error;
    }
    static void TearDownTestSuite() {
        delete showcase_;
        showcase_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(showcase_, nullptr) << "no offscreen screen: " << error_; }
    static OffscreenShowcase* showcase_;
    static std::string error_;
};

OffscreenShowcase* DrawCalls::showcase_ = nullptr;
std::string DrawCalls::error_;

TEST_F(DrawCalls, EveryShowcaseFrameMakesExactlyOneGeometryCall) {
    Screen& screen = *showcase_->screen;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    // A full turn of line 3 and more than one period of line 5's arc.
    for (int t = 1; t <= 400; ++t) {
        const std::uint64_t before = screen.Stats().geometryCalls;
        ASSERT_TRUE(showcase_->Frame(static_cast<float>(t), pixels));
        const DrawStats& stats = screen.Stats();
        ASSERT_EQ(stats.frameGeometryCalls, 1u) << "frame " << t;
        // The flip and the readback add none of their own.
        ASSERT_EQ(stats.geometryCalls - before, 1u) << "frame " << t;
        // Five lines of text: well over a hundred glyph quads in that one call.
        ASSERT_GT(stats.frameQuads, 100u) << "frame " << t;
    }
}

TEST_F(DrawCalls, ASecondFontCutsTheRunOnlyWhereTheTextureChanges) {
    Screen& screen = *showcase_->screen;
    const SpriteFont* first = GetSpriteFont(1);
    ASSERT_NE(first, nullptr);
    // The same atlas as a second texture: four texts alternating between the
    // fonts make four runs, two texts of one font in a row make one.
    const FontId second = LoadSpriteFont(AutoId, kDemoFont, kDemoFontSize);
    ASSERT_NE(GetSpriteFont(second), nullptr);
    ASSERT_NE(GetSpriteFont(second)->sprite3D, 0);
    struct Case {
        std::vector<FontId> fonts;
        std::uint64_t calls;
    };
    const Case cases[] = {
        {{1, 1}, 1},
        {{1, second, 1, second}, 4},
        {{1, 1, second, second}, 2},
        {{second}, 1},
        {{}, 0},
    };
    for (const Case& c : cases) {
        screen.Clear(0xFFFFFF);
        screen.BeginSprite3D();
        for (FontId font : c.fonts) DrawSpriteFontText(font, 10, 10, "Quillon", 255.0f, 1.0f);
        screen.EndSprite3D();
        EXPECT_EQ(screen.Stats().frameGeometryCalls, c.calls) << c.fonts.size() << " texts";
        EXPECT_EQ(screen.Stats().frameQuads, 7u * c.fonts.size());
    }
    screen.Flip();
}

}  // namespace
