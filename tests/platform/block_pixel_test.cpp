// A block of text on the offscreen screen: its pixels are those of its lines
// drawn one by one as single lines at the places the block gives them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "demo_font.h"
#include "offscreen_screen.h"
#include "platform.h"

namespace {

std::vector<std::uint32_t> Frame(Screen& screen, const std::function<void()>& draw) {
    screen.Clear(0xFFFFFF);
    screen.BeginSprite3D();
    draw();
    screen.EndSprite3D();
    return screen.ReadPixels();
}

TEST(BlockPixels, ABlockShowsItsLinesAsSingleLines) {
    std::unique_ptr<Platform> platform;
    std::unique_ptr<Screen> screen;
    const std::string error = OpenOffscreen(platform, screen);
    ASSERT_TRUE(screen) << "no offscreen screen: " << error;
    screen->SetSprite3DQuality(1);
    screen->EnablePngDecoder();
    InitSpriteFonts();
    SetSpritePlatform(screen.get());
    const FontId font = LoadSpriteFont(AutoId, kDemoFont, kDemoFontSize);
    ASSERT_NE(GetSpriteFont(font)->sprite3D, 0);

    // Three centred lines, the widest first; the demonstration font's advances
    // are whole pixels, so each line's shift is half its spare room, rounded.
    const char* lines[] = {"Zentrierter Block", "in drei", "Zeilen"};
    TextBlock block;
    block.align = TextAlignCenter;
    block.lineSpacing = 1.25f;
    const std::string text = std::string(lines[0]) + "\n" + lines[1] + "\r\n" + lines[2];
    const TextBlockExtent extent = SpriteFontMeasureBlock(font, text.c_str(), 1.0f, block);
    ASSERT_EQ(extent.lines, 3);
    const std::int32_t lineHeight = SpriteFontMeasureBlock(font, "", 1.0f, block).height;
    const float advance = static_cast<float>(lineHeight) * 1.25f;
    ASSERT_EQ(extent.height, static_cast<std::int32_t>(2.0f * advance) + lineHeight);

    const auto drawn = Frame(*screen, [&] { DrawSpriteFontBlock(font, 150, 100, text.c_str(), -1.0f, 1.0f, block); });
    const auto expected = Frame(*screen, [&] {
        for (int i = 0; i < 3; ++i) {
            const std::int32_t width = SpriteFontMeasureBlock(font, lines[i], 1.0f, block).width;
            const float spare = static_cast<float>(extent.width - width) * 0.5f;
            DrawSpriteFontText(font, 150 + static_cast<std::int32_t>(std::nearbyint(spare)),
                               100 + static_cast<std::int32_t>(std::nearbyint(static_cast<float>(i) * advance)),
                               lines[i], -1.0f, 1.0f);
        }
    });
    ASSERT_EQ(drawn.size(), expected.size());
    EXPECT_GT(std::count_if(drawn.begin(), drawn.end(), [](std::uint32_t p) { return p != 0xFFFFFFFFu; }), 2000)
        << "the block shows no glyphs";
    EXPECT_TRUE(drawn == expected) << "the block's pixels differ from its lines'";
    SetSpritePlatform(nullptr);
}

}  // namespace
