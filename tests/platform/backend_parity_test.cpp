// Every backend and target draws the same pixels: our GL renderer and SDL's
// renderer offscreen, and SDL's renderer as an application's own; the
// demonstration's frames are those in docs/. (The window against the
// offscreen screen: window_parity_test.cpp, which needs a display.)
#include <SDL.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "demo_font.h"
#include "frame.h"
#include "platform.h"
#include "png_codec.h"
#include "sdl_renderer_screen.h"
#include "sprite_font.h"

namespace {

constexpr std::size_t kPixels = static_cast<std::size_t>(kScreenWidth) * kScreenHeight;

struct Backend {
    const char* name;
    std::unique_ptr<Screen> screen;
};

class BackendParity : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        PlatformStatus status;
        platform_ = Platform::Start(VideoMode::Offscreen, &status);
        if (!platform_) {
            error_ = status.detail;
            return;
        }
        InitSpriteFonts();
        backends_.push_back({"gl offscreen", platform_->OpenOffscreenScreen(&status, ScreenBackend::Gl)});
        backends_.push_back({"sdl offscreen", platform_->OpenOffscreenScreen(&status, ScreenBackend::SdlRenderer)});
        // An application's renderer drawing into its own 800 x 600 target.
        window_ = SDL_CreateWindow("app", 0, 0, kScreenWidth, kScreenHeight, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
        renderer_ = window_ ? SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE)
                            : nullptr;
        target_ = renderer_ ? SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                                kScreenWidth, kScreenHeight)
                            : nullptr;
        if (target_) SDL_SetRenderTarget(renderer_, target_);
        backends_.push_back({"application's renderer", target_ ? OpenScreenOnRenderer(renderer_) : nullptr});
        for (Backend& b : backends_)
            if (b.screen) {
                b.screen->SetSprite3DQuality(1);
                b.screen->EnablePngDecoder();
            }
    }
    static void TearDownTestSuite() {
        SetSpritePlatform(nullptr);
        backends_.clear();
        if (target_) SDL_DestroyTexture(target_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        platform_.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(platform_) << error_;
        for (const Backend& b : backends_) ASSERT_TRUE(b.screen) << b.name << " did not open";
        EXPECT_STREQ(backends_[0].screen->RendererName(), "gl");
    }

    // Installs the screen and loads the demonstration font through it as font 1.
    static Screen& Use(Backend& b) {
        SetSpritePlatform(b.screen.get());
        LoadSpriteFont(1, kDemoFont, kDemoFontSize);
        return *b.screen;
    }
    static std::vector<std::uint32_t> Read(Screen& screen) {
        std::vector<std::uint32_t> pixels = screen.ReadPixels();
        pixels.resize(kPixels, 0);
        for (std::uint32_t& p : pixels) p |= 0xFF000000u;  // the application's target keeps its own alpha
        return pixels;
    }
    static std::size_t Mismatches(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b,
                                  std::string* first) {
        std::size_t count = 0;
        for (std::size_t i = 0; i < kPixels; ++i)
            if (a[i] != b[i] && count++ == 0)
                *first = std::to_string(i % kScreenWidth) + "," + std::to_string(i / kScreenWidth);
        return count;
    }

    static inline std::unique_ptr<Platform> platform_;
    static inline std::vector<Backend> backends_;
    static inline SDL_Window* window_ = nullptr;
    static inline SDL_Renderer* renderer_ = nullptr;
    static inline SDL_Texture* target_ = nullptr;
    static inline std::string error_;
};

TEST_F(BackendParity, ShowcaseFramesAreThePicturesInDocs) {
    for (int t : {1, 90, 180, 270}) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%04d.png", t);
        std::ifstream file(std::string(SPRITEFONT_DOCS_DIR) + name, std::ios::binary);
        ASSERT_TRUE(file) << name;
        const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        DecodedImage expected;
        ASSERT_EQ(DecodePng(bytes.data(), bytes.size(), expected), PngStatus::Ok);
        ASSERT_EQ(expected.pixels.size(), kPixels);
        for (Backend& b : backends_) {
            SCOPED_TRACE(testing::Message() << b.name << ", frame " << t);
            Screen& screen = Use(b);
            RenderFrame(screen, static_cast<float>(t));
            std::string first;
            EXPECT_EQ(Mismatches(Read(screen), expected.pixels, &first), 0u) << "first at " << first;
        }
    }
}

TEST_F(BackendParity, TintTurnsFadesFiltersAndLinesAlike) {
    // Everything a backend could do its own way, in one scene.
    const auto scene = [](Screen& s) {
        const SpriteFont* font = GetSpriteFont(1);
        s.Clear(0x204060);
        for (std::int32_t quality : {0, 1}) {
            s.SetSprite3DQuality(quality);
            s.BeginSprite3D();
            SetSpriteFontColor(1, quality ? 0x3080FFu : 0xFFFFFFu);
            SetSpriteFontStyle(1, StyleSize, quality ? 1.7f : 2.0f);
            SetSpriteFontStyle(1, StyleRotation, quality ? 33.3f : 0.0f);
            SetSpriteFontStyle(1, StyleArc, quality ? 4.0f : 0.0f);
            DrawSpriteFontText(1, 40, 60 + 250 * quality, "Tint & Filter Qg", quality ? 150.0f : -1.0f, -1.0f);
            s.EndSprite3D();
        }
        // A quad reaching outside its texture, and one outside any batch.
        const float outside[8] = {-0.25f, 0, 0.5f, 0, -0.25f, 0.5f, 0.5f, 0.5f};
        s.SetSprite3DTexCoords(font->sprite3D, outside);
        s.ZoomSprite3D(font->sprite3D, 90, 90);
        s.RotateSprite3D(font->sprite3D, 0.0f, 0);
        s.DisplaySprite3D(font->sprite3D, 600, 400, 200);
        s.Begin2D();
        s.SetDrawingMode(1);
        s.DrawLine(10, 590, 780, -500, 0xFFFFFF);  // slanted: one point per column
        s.DrawLine(700, 10, 1, 300, 0x00FF00);
        s.End2D();
        SetSpriteFontColor(1, 0xFFFFFF);
        for (StyleKind kind : {StyleSize, StyleRotation, StyleArc}) SetSpriteFontStyle(1, kind, kind == StyleSize);
        s.SetSprite3DQuality(1);
    };
    std::vector<std::uint32_t> reference;
    for (Backend& b : backends_) {
        SCOPED_TRACE(b.name);
        Screen& screen = Use(b);
        scene(screen);
        const std::vector<std::uint32_t> pixels = Read(screen);
        if (reference.empty()) {
            reference = pixels;
            continue;
        }
        std::string first;
        EXPECT_EQ(Mismatches(pixels, reference, &first), 0u) << "first at " << first;
    }
}

TEST_F(BackendParity, QualityZeroKeepsPixelFontsSharpAtTwiceTheSize) {
    // At size 2 from even points every glyph starts on an even pixel: nearest
    // sampling fills each aligned 2 x 2 block with one texel, bilinear does not.
    for (Backend& b : backends_) {
        SCOPED_TRACE(b.name);
        Screen& screen = Use(b);
        std::vector<std::uint32_t> pixels[2];
        for (std::int32_t quality : {0, 1}) {
            screen.SetSprite3DQuality(quality);
            screen.Clear(0xFFFFFF);
            screen.BeginSprite3D();
            DrawSpriteFontText(1, 20, 200, "Pixel Wg", -1.0f, 2.0f);
            screen.EndSprite3D();
            pixels[quality] = Read(screen);
        }
        screen.SetSprite3DQuality(1);
        const auto mixedBlocks = [](const std::vector<std::uint32_t>& p) {
            int mixed = 0;
            for (int y = 0; y < kScreenHeight; y += 2)
                for (int x = 0; x < kScreenWidth; x += 2) {
                    const std::uint32_t c = p[static_cast<std::size_t>(y) * kScreenWidth + x];
                    for (int d : {1, kScreenWidth, kScreenWidth + 1})
                        if (p[static_cast<std::size_t>(y) * kScreenWidth + x + d] != c) {
                            ++mixed;
                            break;
                        }
                }
            return mixed;
        };
        EXPECT_NE(pixels[0], std::vector<std::uint32_t>(kPixels, 0xFFFFFFFFu));  // something was drawn
        EXPECT_EQ(mixedBlocks(pixels[0]), 0);
        EXPECT_GT(mixedBlocks(pixels[1]), 100);
    }
}

}  // namespace
