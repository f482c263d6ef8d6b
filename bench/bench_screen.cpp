#include "bench_screen.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "demo_font.h"

namespace {

std::unique_ptr<Platform> platform;
std::unique_ptr<Screen> screen;

[[noreturn]] void Fail(const char* what, const PlatformStatus& status) {
    std::fprintf(stderr, "spritefont_bench: %s: %s %s\n", what, PlatformErrorMessage(status.error),
                 status.detail.c_str());
    std::exit(1);
}

}  // namespace

Screen& BenchScreen() {
    if (screen) return *screen;
    PlatformStatus status;
    platform = Platform::Start(VideoMode::Offscreen, &status);
    if (!platform) Fail("cannot start the video system", status);
    screen = platform->OpenOffscreenScreen(&status);
    if (!screen) Fail("cannot open the offscreen screen", status);
    InitSpriteFonts();
    screen->SetSprite3DQuality(1);
    screen->EnablePngDecoder();
    SetSpritePlatform(screen.get());
    LoadSpriteFont(1, kDemoFont, kDemoFontSize);
    const SpriteFont* font = GetSpriteFont(1);
    if (font == nullptr || font->sprite3D == 0) Fail("the embedded font did not load", status);
    // The screen outlives main's benchmarks; SDL is closed at exit.
    std::atexit([] {
        SetSpritePlatform(nullptr);
        screen.reset();
        platform.reset();
    });
    return *screen;
}

void ResetFontStyles() {
    SetSpriteFontStyle(1, StyleTransparency, 255.0f);
    SetSpriteFontStyle(1, StyleSize, 1.0f);
    SetSpriteFontStyle(1, StyleRotation, 0.0f);
    SetSpriteFontStyle(1, StyleArc, 0.0f);
    SetSpriteFontStyle(1, StyleAlignX, 0.0f);
    SetSpriteFontStyle(1, StyleAlignY, 0.0f);
    SetSpriteFontStyle(1, StyleMaxLength, 0.0f);
}
