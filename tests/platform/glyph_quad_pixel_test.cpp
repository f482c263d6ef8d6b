// Glyph quads against the pixels the offscreen screen draws for the same
// text: every pixel well inside a reported quad is painted, every pixel
// well outside all of them is not.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "offscreen_screen.h"
#include "packed_font_builder.h"
#include "platform.h"
#include "png_codec.h"
#include "recording_platform.h"

namespace {

using test_support::PackedFontBuilder;
using test_support::Record;

// Signed distance of (px, py) into the convex quad (positive inside).
double Inside(const GlyphQuad& q, double px, double py) {
    const int order[4] = {0, 1, 3, 2};  // top-left, top-right, bottom-right, bottom-left
    double nearest = INFINITY;
    double area = 0;
    for (int k = 0; k < 4; ++k) {
        const int a = order[k], b = order[(k + 1) % 4];
        area += double(q.x[a]) * q.y[b] - double(q.x[b]) * q.y[a];
    }
    const double sign = area < 0 ? -1.0 : 1.0;
    for (int k = 0; k < 4; ++k) {
        const int a = order[k], b = order[(k + 1) % 4];
        const double ex = double(q.x[b]) - q.x[a], ey = double(q.y[b]) - q.y[a];
        const double length = std::hypot(ex, ey);
        if (length == 0) return -INFINITY;
        const double d = sign * (ex * (py - q.y[a]) - ey * (px - q.x[a])) / length;
        nearest = std::min(nearest, d);
    }
    return nearest;
}

TEST(GlyphQuadPixels, QuadsCoverExactlyWhatTheScreenPaints) {
    std::unique_ptr<Platform> platform;
    std::unique_ptr<Screen> screen;
    const std::string error = OpenOffscreen(platform, screen);
    ASSERT_TRUE(screen) << "no offscreen screen: " << error;
    screen->EnablePngDecoder();
    screen->SetSprite3DQuality(0);
    test_support::ScopedPlatform scope(screen.get());
    InitSpriteFonts();

    // An opaque white atlas; boxes of several sizes, as a tight maker packs them.
    const std::vector<std::uint32_t> white(128 * 64, 0xFFFFFFFFu);
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(EncodePng(white.data(), 128, 64, true, png));
    PackedFontBuilder builder;
    builder.Atlas(png).Add({Record{'H', 1, 4, 32, 44, 0, 0, 30, 34}, Record{',', 2, 32, 10, 44, 40, 0, 8, 12},
                            Record{'-', 2, 20, 18, 44, 70, 0, 14, 4}, Record{'W', -3, 0, 40, 44, 0, 0, 50, 44}});
    const std::vector<unsigned char> block = builder.Build();
    const FontId font = LoadSpriteFont(AutoId, block.data(), block.size());
    ASSERT_NE(GetSpriteFont(font)->sprite3D, 0);

    const struct {
        float rotation, arc, alignX, maxLength, size;
    } cases[] = {{0, 0, 0, 0, 1.0f}, {0, 0, 0, 150, 1.0f}, {37, 0, 0, 0, 1.0f},
                 {-20, 30, 0, 0, 1.5f}, {0, 0, 0.5f, 0, 2.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "rotation " << c.rotation << ", arc " << c.arc << ", limit " << c.maxLength);
        SetSpriteFontStyle(font, StyleRotation, c.rotation);
        SetSpriteFontStyle(font, StyleArc, c.arc);
        SetSpriteFontStyle(font, StyleAlignX, c.alignX);
        SetSpriteFontStyle(font, StyleMaxLength, c.maxLength);
        const char* text = "HW,H-W,,H";
        std::vector<GlyphQuad> quads(SpriteFontTextQuads(font, 300, 250, text, c.size, nullptr, 0));
        ASSERT_EQ(SpriteFontTextQuads(font, 300, 250, text, c.size, quads.data(), quads.size()), quads.size());
        ASSERT_GT(quads.size(), 4u);

        screen->Clear(0x000000);
        screen->BeginSprite3D();
        DrawSpriteFontText(font, 300, 250, text, 255.0f, c.size);
        screen->EndSprite3D();
        const std::vector<std::uint32_t> pixels = screen->ReadPixels();
        ASSERT_EQ(pixels.size(), std::size_t{kScreenWidth} * kScreenHeight);
        int checked = 0;
        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x) {
                double depth = -INFINITY;
                for (const GlyphQuad& q : quads) depth = std::max(depth, Inside(q, x + 0.5, y + 0.5));
                const bool painted = (pixels[std::size_t(y) * kScreenWidth + x] & 0xFFFFFF) != 0;
                if (depth > 0.75) {
                    ASSERT_TRUE(painted) << "inside a quad but not painted: " << x << "," << y;
                    ++checked;
                }
                if (depth < -0.75) {
                    ASSERT_FALSE(painted) << "painted outside every quad: " << x << "," << y;
                }
            }
        EXPECT_GT(checked, 1000);
    }
}

}  // namespace
