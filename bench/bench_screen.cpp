#include "bench_screen.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "demo_font.h"
#include "startup.h"

namespace {

std::unique_ptr<Demonstration> demo;
std::unique_ptr<Screen> baseline;

}  // namespace

Screen& BenchScreen() {
    if (demo) return *demo->screen;
    std::string error;
    demo = StartDemonstration(StartupOptions{VideoMode::Offscreen}, &error);
    if (!demo) {
        std::fprintf(stderr, "spritefont_bench: %s\n", error.c_str());
        std::exit(1);
    }
    // The screens outlive main's benchmarks; SDL is closed at exit.
    std::atexit([] {
        SetSpritePlatform(nullptr);
        baseline.reset();
        demo.reset();
    });
    return *demo->screen;
}

Screen& BenchSdlScreen() {
    if (baseline) return *baseline;
    Screen& main = BenchScreen();
    PlatformStatus status;
    baseline = demo->platform->OpenOffscreenScreen(&status, ScreenBackend::SdlRenderer);
    if (!baseline) {
        std::fprintf(stderr, "spritefont_bench: no SDL renderer screen: %s\n", status.detail.c_str());
        std::exit(1);
    }
    baseline->SetSprite3DQuality(1);
    baseline->EnablePngDecoder();
    SetSpritePlatform(baseline.get());
    LoadSpriteFont(kBaselineFont, kDemoFont, kDemoFontSize);
    SetSpritePlatform(&main);
    return *baseline;
}

void ResetFontStyles(FontId font) {
    SetSpriteFontStyle(font, StyleTransparency, 255.0f);
    SetSpriteFontStyle(font, StyleSize, 1.0f);
    SetSpriteFontStyle(font, StyleRotation, 0.0f);
    SetSpriteFontStyle(font, StyleArc, 0.0f);
    SetSpriteFontStyle(font, StyleAlignX, 0.0f);
    SetSpriteFontStyle(font, StyleAlignY, 0.0f);
    SetSpriteFontStyle(font, StyleMaxLength, 0.0f);
}
