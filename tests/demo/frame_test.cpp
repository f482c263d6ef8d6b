// One frame of the demonstration on the offscreen screen, through the same
// RenderFrame that the window loop and the capture tool call.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "demo_font.h"
#include "frame.h"
#include "startup.h"
#include "platform.h"
#include "sprite_font.h"

namespace {

class FrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Start-up as the program does it, on the offscreen screen.
        demo_ = StartDemonstration(StartupOptions{VideoMode::Offscreen}, &error_);
        if (demo_) screen_ = demo_->screen.get();
    }
    static void TearDownTestSuite() {
        screen_ = nullptr;
        demo_.reset();
    }
    void SetUp() override { ASSERT_TRUE(screen_) << "no offscreen screen: " << error_; }

    static std::uint32_t At(const std::vector<std::uint32_t>& pixels, int x, int y) {
        return pixels[static_cast<std::size_t>(y) * kScreenWidth + x] & 0xFFFFFFu;
    }

    static inline std::unique_ptr<Demonstration> demo_;
    static inline Screen* screen_ = nullptr;
    static inline std::string error_;
};

TEST_F(FrameTest, TheEmbeddedFontLoadsThroughTheScreen) {
    const SpriteFont* font = GetSpriteFont(1);
    ASSERT_NE(font, nullptr);
    EXPECT_NE(font->sprite3D, 0);
    std::int32_t width = 0, height = 0;
    ASSERT_TRUE(screen_->Sprite3DTextureSize(font->sprite3D, &width, &height));
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 1024);
}

TEST_F(FrameTest, DrawsWhiteTheGuideLineOnTopAndTheGlyphsInOneCall) {
    RenderFrame(*screen_, 1.0f);
    EXPECT_LE(screen_->Stats().frameGeometryCalls, 1u);
    const std::vector<std::uint32_t> pixels = screen_->ReadPixels();
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    for (int x = 50; x <= 649; ++x) ASSERT_EQ(At(pixels, x, 100), 0u) << "guide line at x " << x;
    EXPECT_EQ(At(pixels, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(At(pixels, 799, 599), 0xFFFFFFu);
    // The same frame drawn again gives the same pixels: nothing carries over.
    RenderFrame(*screen_, 1.0f);
    EXPECT_TRUE(screen_->ReadPixels() == pixels);
}

}  // namespace
