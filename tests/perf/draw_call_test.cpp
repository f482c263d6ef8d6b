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

// SDL refuses a whole geometry call for one texture coordinate outside 0..1,
// so one glyph whose rectangle leaves the atlas must not take the glyphs of
// its run with it.
TEST_F(DrawCalls, AGlyphOutsideTheAtlasCostsOnlyItself) {
    Screen& screen = *showcase_->screen;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    const auto ink = [&](const char* text) {
        screen.Clear(0xFFFFFF);
        screen.BeginSprite3D();
        DrawSpriteFontText(1, 10, 10, text, 255.0f, 1.0f);
        screen.EndSprite3D();
        screen.Flip();
        EXPECT_TRUE(screen.ReadPixels(pixels));
        int count = 0;
        for (std::uint32_t pixel : pixels) count += pixel != 0xFFFFFFFFu;
        return count;
    };
    SpriteFont* font = GetSpriteFont(1);
    ASSERT_NE(font, nullptr);
    // "Q" and "\x01" share one advance; slot 1 is made a copy of "Q" whose
    // rectangle then leaves the 1024-texel atlas in each direction.
    const GlyphSlot q = font->glyphs['Q'];
    const int whole = ink("ABCQDEF");
    const int withoutQ = ink("ABC\x01" "DEF");  // slot 1 is empty: nothing drawn, no advance
    ASSERT_GT(whole, withoutQ);
    struct Case {
        std::int32_t srcX, srcY, srcWidth;
    };
    const Case cases[] = {{1000, q.srcY, 64}, {-10, q.srcY, 64}, {q.srcX, 990, 64}, {1020, q.srcY, 8}};
    for (const Case& c : cases) {
        font->glyphs[1] = q;
        font->glyphs[1].srcX = c.srcX;
        font->glyphs[1].srcY = c.srcY;
        font->glyphs[1].srcWidth = c.srcWidth;
        const int drawn = ink("ABC\x01" "DEF");
        // The six good glyphs keep their ink (the pen moves past the bad one).
        EXPECT_GT(drawn, withoutQ / 2) << c.srcX << "," << c.srcY << "," << c.srcWidth;
        EXPECT_LT(drawn, whole) << c.srcX << "," << c.srcY << "," << c.srcWidth;
    }
    font->glyphs[1] = GlyphSlot{};
}

}  // namespace
