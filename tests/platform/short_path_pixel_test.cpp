// The screen's short way for drawn text (ready quads) against the per-glyph
// calls it replaces: the same pixels, and the 3D sprite left in the same
// state for whoever displays it next.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "offscreen_screen.h"
#include "packed_font_builder.h"
#include "platform.h"
#include "png_codec.h"
#include "recording_platform.h"

namespace {

using test_support::PackedFontBuilder;
using test_support::Record;

// The screen, minus its short way: the engine falls back to per-glyph calls.
class PerGlyphOnly final : public SpritePlatform {
public:
    explicit PerGlyphOnly(Screen& screen) : screen_(screen) {}
    SpriteHandle CreateSprite(std::int32_t request, const void* data, std::size_t size, std::int32_t flags) override {
        return screen_.CreateSprite(request, data, size, flags);
    }
    SpriteHandle CreateSprite3D(std::int32_t request, SpriteHandle sprite) override {
        return screen_.CreateSprite3D(request, sprite);
    }
    bool Sprite3DTextureSize(SpriteHandle sprite3D, std::int32_t* width, std::int32_t* height) override {
        return screen_.Sprite3DTextureSize(sprite3D, width, height);
    }
    void SetSprite3DTexCoords(SpriteHandle sprite3D, const float uv[8]) override {
        screen_.SetSprite3DTexCoords(sprite3D, uv);
    }
    void ZoomSprite3D(SpriteHandle sprite3D, std::int32_t width, std::int32_t height) override {
        screen_.ZoomSprite3D(sprite3D, width, height);
    }
    void RotateSprite3D(SpriteHandle sprite3D, float degrees, std::int32_t mode) override {
        screen_.RotateSprite3D(sprite3D, degrees, mode);
    }
    void DisplaySprite3D(SpriteHandle sprite3D, std::int32_t x, std::int32_t y, std::int32_t transparency) override {
        screen_.DisplaySprite3D(sprite3D, x, y, transparency);
    }
    void ColorSprite3D(SpriteHandle sprite3D, std::uint32_t rgb) override { screen_.ColorSprite3D(sprite3D, rgb); }

private:
    Screen& screen_;
};

TEST(ShortPath, SamePixelsAndSpriteStateAsPerGlyphCalls) {
    std::unique_ptr<Platform> platform;
    std::unique_ptr<Screen> screen;
    const std::string error = OpenOffscreen(platform, screen);
    ASSERT_TRUE(screen) << "no offscreen screen: " << error;
    screen->EnablePngDecoder();
    screen->SetSprite3DQuality(1);  // bilinear: texture coordinates show to the last bit
    PerGlyphOnly perGlyph(*screen);
    test_support::ScopedPlatform scope(screen.get());
    InitSpriteFonts();

    // A translucent atlas whose every texel differs from its neighbours.
    std::vector<std::uint32_t> atlas(128 * 64);
    for (std::size_t i = 0; i < atlas.size(); ++i)
        atlas[i] = static_cast<std::uint32_t>(i * 2654435761u) | 0x80000000u;
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(EncodePng(atlas.data(), 128, 64, true, png));
    PackedFontBuilder builder;
    builder.Atlas(png).Add({Record{'H', 1, 4, 32, 44, 0, 0, 30, 34}, Record{',', 2, 32, 10, 44, 40, 0, 8, 12},
                            Record{'-', 2, 20, 18, 44, 70, 0, 14, 4}, Record{'W', -3, 0, 40, 44, 0, 0, 50, 44},
                            Record{' ', 0, 0, 12, 44, 0, 0, 0, 0}, Record{'X', 0, 0, 20, 44, 120, 60, 20, 20}});
    const std::vector<unsigned char> block = builder.Build();
    const FontId font = LoadSpriteFont(AutoId, block.data(), block.size());
    const SpriteHandle sprite3D = GetSpriteFont(font)->sprite3D;
    ASSERT_NE(sprite3D, 0);

    // More glyphs than the engine hands over at once; 'X' reaches outside
    // the atlas and so shows nothing either way.
    std::string longText;
    for (int i = 0; i < 30; ++i) longText += "HW,H-W X";
    const struct {
        const char* name;
        float rotation, arc, maxLength, size, transparency;
        std::uint32_t tint;
        bool asBlock;
    } cases[] = {
        {"straight", 0, 0, 0, 1.0f, 255, 0xFFFFFF, false},
        {"cut", 0, 0, 173, 1.3f, 255, 0xFFFFFF, false},
        {"rotated", 37, 0, 0, 1.0f, 200, 0xFFFFFF, false},
        {"quarter turn", 90, 0, 0, 0.7f, 255, 0xFFFFFF, false},
        {"arced", -20, 7, 0, 1.5f, 255, 0xFFFFFF, false},
        {"tinted", 0, 0, 0, 1.0f, 300, 0x3080FF, false},
        {"block", 0, 0, 0, 0.8f, 255, 0xFFFFFF, true},
        {"turned block", 15, 0, 0, 0.8f, 128, 0x40FF40, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetSpriteFontStyle(font, StyleRotation, c.rotation);
        SetSpriteFontStyle(font, StyleArc, c.arc);
        SetSpriteFontStyle(font, StyleMaxLength, c.maxLength);
        screen->ColorSprite3D(sprite3D, c.tint);
        std::vector<std::uint32_t> frames[2];
        for (int way = 0; way < 2; ++way) {
            SetSpritePlatform(way == 0 ? static_cast<SpritePlatform*>(screen.get()) : &perGlyph);
            // The sprite starts each time from the same state.
            screen->RotateSprite3D(sprite3D, 11.0f, 0);
            screen->ZoomSprite3D(sprite3D, 5, 5);
            const float whole[8] = {0, 0, 1, 0, 0, 1, 1, 1};
            screen->SetSprite3DTexCoords(sprite3D, whole);
            screen->Clear(0x102030);
            screen->BeginSprite3D();
            if (c.asBlock) {
                TextBlock layout;
                layout.wrapWidth = 600;
                DrawSpriteFontBlock(font, 40, 40, longText.c_str(), c.transparency, c.size, layout);
            } else {
                DrawSpriteFontText(font, 30, 250, longText.c_str(), c.transparency, c.size);
            }
            // Whoever displays the sprite next finds it as the last glyph left it.
            screen->DisplaySprite3D(sprite3D, 700, 500, 255);
            screen->EndSprite3D();
            frames[way] = screen->ReadPixels();
            ASSERT_EQ(frames[way].size(), std::size_t{kScreenWidth} * kScreenHeight);
        }
        std::size_t differing = 0;
        std::size_t painted = 0;
        for (std::size_t i = 0; i < frames[0].size(); ++i) {
            differing += frames[0][i] != frames[1][i];
            painted += (frames[0][i] & 0xFFFFFF) != 0x102030;
        }
        EXPECT_EQ(differing, 0u);
        EXPECT_GT(painted, 2000u);
    }
    screen->ColorSprite3D(sprite3D, 0xFFFFFF);
}

}  // namespace
