// Pixels of the offscreen screen: the same renderer and drawing code as the
// window, read back. Needs no X server.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "offscreen_screen.h"
#include "platform.h"
#include "png_codec.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

class OffscreenTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        startError_ = OpenOffscreen(platform_, screen_);
        if (!screen_) return;
        screen_->EnablePngDecoder();
    }
    static void TearDownTestSuite() {
        screen_.reset();
        platform_.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(screen_) << "no offscreen screen: " << startError_;
        screen_->SetSprite3DQuality(0);
    }

    static SpriteHandle Sprite(const std::vector<std::uint32_t>& argb, std::int32_t width,
                               std::int32_t height, std::int32_t flags = SpriteFlag3D | SpriteFlagAlpha) {
        std::vector<std::uint8_t> png;
        EXPECT_TRUE(EncodePng(argb.data(), width, height, true, png));
        return screen_->CreateSprite(AutoHandle, png.data(), png.size(), flags);
    }
    static SpriteHandle Quad(const std::vector<std::uint32_t>& argb, std::int32_t width,
                             std::int32_t height, std::int32_t flags = SpriteFlag3D | SpriteFlagAlpha) {
        const SpriteHandle sprite = Sprite(argb, width, height, flags);
        EXPECT_NE(sprite, 0);
        const SpriteHandle quad = screen_->CreateSprite3D(AutoHandle, sprite);
        EXPECT_NE(quad, 0);
        return quad;
    }
    // Clears to white, draws inside one batch, reads the frame back.
    static std::vector<std::uint32_t> Frame(const std::function<void(Screen&)>& draw) {
        screen_->Clear(0xFFFFFF);
        screen_->BeginSprite3D();
        draw(*screen_);
        screen_->EndSprite3D();
        std::vector<std::uint32_t> pixels = screen_->ReadPixels();
        EXPECT_EQ(pixels.size(), static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
        pixels.resize(static_cast<std::size_t>(kScreenWidth) * kScreenHeight, 0);
        return pixels;
    }
    static std::uint32_t At(const std::vector<std::uint32_t>& pixels, int x, int y) {
        return pixels[static_cast<std::size_t>(y) * kScreenWidth + x];
    }
    // Pixels that are not white, outside the given rectangle.
    static int StrayPixels(const std::vector<std::uint32_t>& pixels, int x, int y, int w, int h) {
        int stray = 0;
        for (int py = 0; py < kScreenHeight; ++py)
            for (int px = 0; px < kScreenWidth; ++px)
                if ((px < x || px >= x + w || py < y || py >= y + h) && At(pixels, px, py) != kWhite)
                    ++stray;
        return stray;
    }
    static int Channel(std::uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

    // 4 x 4 opaque texels, every one different.
    static std::vector<std::uint32_t> Distinct(int width, int height) {
        std::vector<std::uint32_t> texels;
        for (int i = 0; i < width * height; ++i)
            texels.push_back(0xFF000000u | static_cast<std::uint32_t>(i * 13) << 16 |
                             static_cast<std::uint32_t>(255 - i * 11) << 8 |
                             static_cast<std::uint32_t>((i * 37) & 0xFF));
        return texels;
    }

    static inline std::unique_ptr<Platform> platform_;
    static inline std::unique_ptr<Screen> screen_;
    static inline std::string startError_;
};

TEST_F(OffscreenTest, ShowsEachTexelOnExactlyOnePixelAtBothQualities) {
    const std::vector<std::uint32_t> texels = Distinct(4, 4);
    const SpriteHandle quad = Quad(texels, 4, 4);
    std::int32_t width = 0, height = 0;
    ASSERT_TRUE(screen_->Sprite3DTextureSize(quad, &width, &height));
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 4);
    for (std::int32_t quality : {0, 1}) {
        SCOPED_TRACE(quality);
        screen_->SetSprite3DQuality(quality);
        const auto pixels = Frame([&](Screen& s) { s.DisplaySprite3D(quad, 10, 20, 255); });
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(At(pixels, 10 + x, 20 + y), texels[static_cast<std::size_t>(y * 4 + x)])
                    << x << "," << y;
        EXPECT_EQ(StrayPixels(pixels, 10, 20, 4, 4), 0);
    }
}

TEST_F(OffscreenTest, ShowsATextureRectangleZoomedToItsOwnSize) {
    const std::vector<std::uint32_t> texels = Distinct(8, 4);
    const SpriteHandle quad = Quad(texels, 8, 4);
    // Texels 2..4 of rows 1..2, as the engine points a glyph at its cell.
    const float uv[8] = {2 / 8.f, 1 / 4.f, 5 / 8.f, 1 / 4.f, 2 / 8.f, 3 / 4.f, 5 / 8.f, 3 / 4.f};
    screen_->SetSprite3DTexCoords(quad, uv);
    screen_->ZoomSprite3D(quad, 3, 2);
    screen_->SetSprite3DQuality(1);
    const auto pixels = Frame([&](Screen& s) { s.DisplaySprite3D(quad, 100, 50, 255); });
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(At(pixels, 100 + x, 50 + y), texels[static_cast<std::size_t>((1 + y) * 8 + 2 + x)]);
    EXPECT_EQ(StrayPixels(pixels, 100, 50, 3, 2), 0);
}

TEST_F(OffscreenTest, TurnsClockwiseAboutTheQuadsCentre) {
    // 4 x 2 texels at (10, 10): centre (12, 11). A quarter turn makes it 2 wide
    // and 4 tall about the same centre, its top row becoming the right column.
    const std::vector<std::uint32_t> texels = Distinct(4, 2);
    const SpriteHandle quad = Quad(texels, 4, 2);
    screen_->RotateSprite3D(quad, 90.0f, 0);
    const auto pixels = Frame([&](Screen& s) { s.DisplaySprite3D(quad, 10, 10, 255); });
    for (int ty = 0; ty < 2; ++ty)
        for (int tx = 0; tx < 4; ++tx) {
            // Texel centre relative to the quad's centre, turned by (x, y) -> (-y, x).
            const double dx = tx + 0.5 - 2.0, dy = ty + 0.5 - 1.0;
            const int sx = static_cast<int>(12.0 - dy), sy = static_cast<int>(11.0 + dx);
            EXPECT_EQ(At(pixels, sx, sy), texels[static_cast<std::size_t>(ty * 4 + tx)])
                << "texel " << tx << "," << ty;
        }
    EXPECT_EQ(StrayPixels(pixels, 11, 9, 2, 4), 0);

    // Mode 0 sets the angle rather than adding to it: 90 again is still 90.
    screen_->RotateSprite3D(quad, 90.0f, 0);
    const auto again = Frame([&](Screen& s) { s.DisplaySprite3D(quad, 10, 10, 255); });
    EXPECT_EQ(again, pixels);
}

TEST_F(OffscreenTest, TransparencyScalesTheTexelsAlpha) {
    struct Case {
        std::uint32_t texel;
        std::int32_t flags;
        std::int32_t transparency;
        int expectedGreenBlue;  // over white, for a red texel
    };
    const std::vector<Case> cases = {
        {0xFFFF0000, SpriteFlag3D | SpriteFlagAlpha, 255, 0},
        {0xFFFF0000, SpriteFlag3D | SpriteFlagAlpha, 128, 127},
        {0xFFFF0000, SpriteFlag3D | SpriteFlagAlpha, 0, 255},
        {0xFFFF0000, SpriteFlag3D | SpriteFlagAlpha, 300, 0},   // clamped to 255
        {0xFFFF0000, SpriteFlag3D | SpriteFlagAlpha, -40, 255},  // clamped to 0
        {0x80FF0000, SpriteFlag3D | SpriteFlagAlpha, 255, 127},  // the texel's own alpha
        {0x80FF0000, SpriteFlag3D | SpriteFlagAlpha, 128, 191},  // both multiply
        {0x00FF0000, SpriteFlag3D, 255, 0},                      // no flag 8: alpha dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.texel << std::dec << " flags " << c.flags
                                        << " transparency " << c.transparency);
        const SpriteHandle quad = Quad(std::vector<std::uint32_t>(4, c.texel), 2, 2, c.flags);
        const auto pixels = Frame([&](Screen& s) { s.DisplaySprite3D(quad, 30, 30, c.transparency); });
        const std::uint32_t p = At(pixels, 31, 31);
        EXPECT_EQ(Channel(p, 16), 255);
        EXPECT_NEAR(Channel(p, 8), c.expectedGreenBlue, 1);
        EXPECT_NEAR(Channel(p, 0), c.expectedGreenBlue, 1);
    }
}

TEST_F(OffscreenTest, TintMultipliesTheTexelsColour) {
    // A white glyph with soft edges (alpha 255 and 128) next to a coloured texel.
    const std::vector<std::uint32_t> texels = {0xFFFFFFFF, 0x80FFFFFF, 0xFF4080C0, 0xFF000000};
    const SpriteHandle sprite = Sprite(texels, 4, 1);
    const SpriteHandle quad = screen_->CreateSprite3D(AutoHandle, sprite);
    ASSERT_NE(quad, 0);
    const auto untinted = Frame([&](Screen& s) { s.DisplaySprite3D(quad, 40, 40, 255); });
    struct Case {
        std::uint32_t rgb;       // 0xBBGGRR
        std::uint32_t expected;  // the opaque white texel over white, 0xAARRGGBB
    };
    for (const Case c : {Case{0x0000FF, 0xFFFF0000}, Case{0x00FF00, 0xFF00FF00}, Case{0xFF0000, 0xFF0000FF},
                         Case{0x808080, 0xFF808080}, Case{0x000000, 0xFF000000}}) {
        SCOPED_TRACE(testing::Message() << std::hex << c.rgb);
        screen_->ColorSprite3D(quad, c.rgb);
        const auto pixels = Frame([&](Screen& s) { s.DisplaySprite3D(quad, 40, 40, 255); });
        EXPECT_EQ(At(pixels, 40, 40), c.expected);
        // Half coverage blends the tinted colour half over white.
        for (int shift : {0, 8, 16}) {
            const int tint = static_cast<int>((c.rgb >> (16 - shift)) & 0xFF);
            EXPECT_NEAR(Channel(At(pixels, 41, 40), shift), 255 - (255 - tint) * 128 / 255, 1);
            // A coloured texel: both multiply.
            EXPECT_NEAR(Channel(At(pixels, 42, 40), shift), Channel(texels[2], shift) * tint / 255, 1);
        }
        EXPECT_EQ(At(pixels, 43, 40), 0xFF000000u);  // black stays black
        EXPECT_EQ(StrayPixels(pixels, 40, 40, 4, 1), 0);
    }
    // White is no tint at all: the very same pixels as before any tint.
    screen_->ColorSprite3D(quad, 0xFFFFFF);
    EXPECT_TRUE(Frame([&](Screen& s) { s.DisplaySprite3D(quad, 40, 40, 255); }) == untinted);
    // The top byte is ignored; unknown handles change nothing.
    screen_->ColorSprite3D(quad, 0xFF0000FFu);
    screen_->ColorSprite3D(0, 0x00FF00);
    screen_->ColorSprite3D(quad + 1000, 0x00FF00);
    EXPECT_EQ(At(Frame([&](Screen& s) { s.DisplaySprite3D(quad, 40, 40, 255); }), 40, 40), 0xFFFF0000u);
    // A new 3D sprite on the same texture starts white.
    const SpriteHandle fresh = screen_->CreateSprite3D(AutoHandle, sprite);
    EXPECT_TRUE(Frame([&](Screen& s) { s.DisplaySprite3D(fresh, 40, 40, 255); }) == untinted);
}

TEST_F(OffscreenTest, QualityOneSamplesBilinearAndZeroNearest) {
    // Black and white texels stretched over 8 pixels.
    const SpriteHandle quad = Quad({0xFF000000, 0xFFFFFFFF}, 2, 1);
    screen_->ZoomSprite3D(quad, 8, 1);
    const int nearest[8] = {0, 0, 0, 0, 255, 255, 255, 255};
    // Pixel centres fall at texel positions (i + 0.5) / 4, clamped at the edges.
    const int bilinear[8] = {0, 0, 32, 96, 159, 223, 255, 255};
    for (std::int32_t quality : {0, 1}) {
        SCOPED_TRACE(quality);
        screen_->SetSprite3DQuality(quality);
        const auto pixels = Frame([&](Screen& s) { s.DisplaySprite3D(quad, 200, 200, 255); });
        for (int i = 0; i < 8; ++i)
            EXPECT_NEAR(Channel(At(pixels, 200 + i, 200), 8), quality ? bilinear[i] : nearest[i], 2)
                << "pixel " << i;
    }
    // Outside the batch the sampling is nearest again, whatever the quality.
    screen_->SetSprite3DQuality(1);
    screen_->Clear(0xFFFFFF);
    screen_->DisplaySprite3D(quad, 200, 200, 255);
    const auto outside = screen_->ReadPixels();
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(Channel(At(outside, 200 + i, 200), 8), nearest[i], 2);
}

TEST_F(OffscreenTest, EmptyAndSingleMirroredQuadsDrawNothing) {
    struct Case {
        std::int32_t width, height;
        bool draws;
    };
    const SpriteHandle quad = Quad(std::vector<std::uint32_t>(16, 0xFF0000FF), 4, 4);
    for (const Case c : {Case{0, 4, false}, Case{-4, 4, false}, Case{4, 0, false},
                         Case{4, -4, false}, Case{-4, -4, true}, Case{4, 4, true}}) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        screen_->ZoomSprite3D(quad, c.width, c.height);
        const std::uint64_t quadsBefore = screen_->Stats().quads;
        const auto pixels = Frame([&](Screen& s) { s.DisplaySprite3D(quad, 300, 300, 255); });
        EXPECT_EQ(StrayPixels(pixels, 0, 0, 0, 0) > 0, c.draws);
        EXPECT_EQ(screen_->Stats().quads - quadsBefore, c.draws ? 1u : 0u);
    }
}

TEST_F(OffscreenTest, KeepsDrawOrderAcrossTexturesWithOneCallPerRun) {
    const SpriteHandle red = Quad(std::vector<std::uint32_t>(16, 0xFFFF0000), 4, 4);
    const SpriteHandle blue = Quad(std::vector<std::uint32_t>(16, 0xFF0000FF), 4, 4);
    const std::uint32_t expected[10] = {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000,
                                        0xFF0000FF, 0xFF0000FF, 0xFFFF0000, 0xFFFF0000,
                                        0xFFFF0000, 0xFFFF0000};
    // At quality 1 each texture's sampling changes in the first frame, which
    // must not mix up which texture a run shows.
    for (std::int32_t quality : {1, 0}) {
        SCOPED_TRACE(quality);
        screen_->SetSprite3DQuality(quality);
        const auto pixels = Frame([&](Screen& s) {
            s.DisplaySprite3D(red, 0, 0, 255);
            s.DisplaySprite3D(red, 2, 0, 255);   // same texture: same run
            s.DisplaySprite3D(blue, 4, 0, 255);  // over the second red quad's right half
            s.DisplaySprite3D(red, 6, 0, 255);   // over blue's right half
        });
        EXPECT_EQ(screen_->Stats().frameGeometryCalls, 3u);
        EXPECT_EQ(screen_->Stats().frameQuads, 4u);
        for (int x = 0; x < 10; ++x) EXPECT_EQ(At(pixels, x, 1), expected[x]) << x;
    }

    // A new frame starts the per-frame counts again; the totals go on.
    const std::uint64_t total = screen_->Stats().geometryCalls;
    Frame([&](Screen& s) {
        for (int i = 0; i < 50; ++i) s.DisplaySprite3D(blue, 5 * i, 100, 255);
    });
    EXPECT_EQ(screen_->Stats().frameGeometryCalls, 1u);
    EXPECT_EQ(screen_->Stats().geometryCalls, total + 1);
}

TEST_F(OffscreenTest, LinesCoverBothEndPointsAndNothingElse) {
    struct Case {
        std::int32_t x, y, width, height;
        std::vector<std::pair<int, int>> covered;
    };
    std::vector<std::pair<int, int>> guide;
    for (int x = 50; x <= 649; ++x) guide.push_back({x, 100});
    const std::vector<Case> cases = {
        {50, 100, 600, 1, guide},
        {10, 10, 1, 3, {{10, 10}, {10, 11}, {10, 12}}},
        {0, 0, 4, 4, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {795, 5, 10, 1, {{795, 5}, {796, 5}, {797, 5}, {798, 5}, {799, 5}}},  // clipped
        {-2000000000, 7, 2000000100, 1, {}},  // far-off start: clipped, no overflow
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.width << "x" << c.height);
        screen_->Clear(0xFFFFFF);
        ASSERT_TRUE(screen_->Begin2D());
        screen_->SetDrawingMode(1);
        screen_->DrawLine(c.x, c.y, c.width, c.height, 0x000000);
        screen_->End2D();
        const auto pixels = screen_->ReadPixels();
        std::vector<std::uint32_t> expected(pixels.size(), kWhite);
        for (const auto& [px, py] : c.covered)
            expected[static_cast<std::size_t>(py) * kScreenWidth + px] = 0xFF000000u;
        if (c.x < 0) {  // only the on-screen part of row 7, x 0..99
            for (int px = 0; px < 100; ++px) expected[7 * kScreenWidth + px] = 0xFF000000u;
        }
        EXPECT_TRUE(pixels == expected);
    }
    // Colour is 0xBBGGRR: red in the low byte.
    screen_->Clear(0xFFFFFF);
    screen_->DrawLine(1, 1, 2, 1, 0x0000FF);
    EXPECT_EQ(At(screen_->ReadPixels(), 1, 1), 0xFFFF0000u);
}

TEST_F(OffscreenTest, UnknownHandlesAndRefusedSpritesDoNothing) {
    const std::vector<std::uint32_t> texels(4, 0xFF00FF00);
    EXPECT_EQ(Sprite(texels, 2, 2, SpriteFlagAlpha), 0);  // flag 8 needs flag 4
    const SpriteHandle flat = Sprite(texels, 2, 2, 0);
    ASSERT_NE(flat, 0);
    EXPECT_EQ(screen_->CreateSprite3D(AutoHandle, flat), 0);  // not usable as a 3D texture
    EXPECT_EQ(screen_->CreateSprite3D(AutoHandle, 0), 0);
    EXPECT_EQ(screen_->CreateSprite3D(AutoHandle, 4711), 0);
    const unsigned char junk[] = "not an image at all";
    EXPECT_EQ(screen_->CreateSprite(AutoHandle, junk, sizeof junk, 12), 0);
    EXPECT_EQ(screen_->CreateSprite(AutoHandle, nullptr, 0, 12), 0);
    EXPECT_EQ(screen_->CreateSprite(-7, nullptr, 0, 12), 0);

    // A request for a handle in use is refused; a free one is granted.
    const SpriteHandle quad = Quad(texels, 2, 2);
    EXPECT_EQ(screen_->CreateSprite3D(quad, flat), 0);
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(EncodePng(texels.data(), 2, 2, true, png));
    EXPECT_EQ(screen_->CreateSprite(300, png.data(), png.size(), 12), 300);
    EXPECT_EQ(screen_->CreateSprite(300, png.data(), png.size(), 12), 0);
    EXPECT_EQ(screen_->CreateSprite(70000, png.data(), png.size(), 12), 0);

    const float uv[8] = {};
    const auto pixels = Frame([&](Screen& s) {
        for (SpriteHandle bad : {0, -1, quad + 1000, 1 << 30}) {
            s.SetSprite3DTexCoords(bad, uv);
            s.ZoomSprite3D(bad, 50, 50);
            s.RotateSprite3D(bad, 45.0f, 0);
            s.DisplaySprite3D(bad, 10, 10, 255);
            std::int32_t w = -1, h = -1;
            EXPECT_FALSE(s.Sprite3DTextureSize(bad, &w, &h));
            EXPECT_EQ(w, -1);
        }
        s.SetSprite3DTexCoords(quad, nullptr);
    });
    EXPECT_EQ(StrayPixels(pixels, 0, 0, 0, 0), 0);
}

TEST_F(OffscreenTest, SpritesNeedThePngDecoderEnabled) {
    PlatformStatus status;
    // A second platform in one process is refused; a second screen is fine.
    EXPECT_EQ(Platform::Start(VideoMode::Offscreen, &status), nullptr);
    EXPECT_EQ(status.error, PlatformError::AlreadyOpen);
    auto other = platform_->OpenOffscreenScreen(&status);
    ASSERT_TRUE(other);
    std::vector<std::uint8_t> png;
    const std::vector<std::uint32_t> texels(4, 0xFF00FF00);
    ASSERT_TRUE(EncodePng(texels.data(), 2, 2, true, png));
    EXPECT_EQ(other->CreateSprite(AutoHandle, png.data(), png.size(), 12), 0);
    other->EnablePngDecoder();
    EXPECT_NE(other->CreateSprite(AutoHandle, png.data(), png.size(), 12), 0);
}

}  // namespace
