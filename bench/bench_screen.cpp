#include "bench_screen.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "startup.h"

namespace {

std::unique_ptr<Demonstration> demo;

}  // namespace

Screen& BenchScreen() {
    if (demo) return *demo->screen;
    std::string error;
    demo = StartDemonstration(StartupOptions{VideoMode::Offscreen}, &error);
    if (!demo) {
        std::fprintf(stderr, "spritefont_bench: %s\n", error.c_str());
        std::exit(1);
    }
    // The screen outlives main's benchmarks; SDL is closed at exit.
    std::atexit([] { demo.reset(); });
    return *demo->screen;
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
