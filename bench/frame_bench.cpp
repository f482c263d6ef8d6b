// One frame of the showcase: its 21 engine calls alone, and the whole frame
// on the offscreen screen as the capture tool makes it, piece by piece.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench_screen.h"
#include "frame.h"
#include "png_codec.h"
#include "showcase.h"

namespace {

std::vector<std::uint32_t>& Pixels() {
    static std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    return pixels;
}

// The frame counter keeps running across iterations, as in the window.
float NextT() {
    static float t = 0.0f;
    t += 1.0f;
    return t;
}

// Styles and five texts into the batch; the clear, the fill and the readback
// run untimed after each frame, so no fill overlaps the next one.
void BM_ShowcaseEngineCalls(benchmark::State& state) {
    Screen& screen = BenchScreen();
    for (auto _ : state) {
        const float t = NextT();
        screen.Clear(0xFFFFFF);
        const auto start = BenchClock::now();
        screen.BeginSprite3D();
        RunShowcase(t);
        screen.EndSprite3D();
        state.SetIterationTime(SecondsSince(start));
        screen.Flip();
        screen.ReadPixels(Pixels());
    }
    state.counters["quads"] = benchmark::Counter(static_cast<double>(screen.Stats().frameQuads));
    ResetFontStyles();
}

// Drawn, flipped and read back: the fill is done when the pixels arrive.
void BM_ShowcaseFrameWithFill(benchmark::State& state) {
    Screen& screen = BenchScreen();
    for (auto _ : state) {
        RenderFrame(screen, NextT());
        screen.Flip();
        benchmark::DoNotOptimize(screen.ReadPixels(Pixels()));
    }
    ResetFontStyles();
}

// The fill alone: the frame's commands are queued untimed, then flushed to
// GL and waited for.
void BM_ShowcaseFill(benchmark::State& state) {
    Screen& screen = BenchScreen();
    for (auto _ : state) {
        RenderFrame(screen, NextT());
        const auto start = BenchClock::now();
        screen.Flip();
        screen.ReadPixels(Pixels());
        state.SetIterationTime(SecondsSince(start));
    }
    ResetFontStyles();
}

// Reading back a frame that is already finished.
void BM_ReadPixels(benchmark::State& state) {
    Screen& screen = BenchScreen();
    RenderFrame(screen, NextT());
    screen.Flip();
    screen.ReadPixels(Pixels());
    for (auto _ : state) benchmark::DoNotOptimize(screen.ReadPixels(Pixels()));
    ResetFontStyles();
}

// The capture tool's encoding of one frame (RGB, no alpha).
void BM_EncodePng(benchmark::State& state) {
    Screen& screen = BenchScreen();
    RenderFrame(screen, 90.0f);
    screen.Flip();
    screen.ReadPixels(Pixels());
    std::vector<std::uint8_t> png;
    for (auto _ : state) {
        EncodePng(Pixels().data(), kScreenWidth, kScreenHeight, false, png);
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["png_bytes"] = benchmark::Counter(static_cast<double>(png.size()));
    ResetFontStyles();
}

// What spritefont_capture spends per picture: frame, fill, readback, PNG.
void BM_CapturePicture(benchmark::State& state) {
    Screen& screen = BenchScreen();
    std::vector<std::uint8_t> png;
    for (auto _ : state) {
        RenderFrame(screen, NextT());
        screen.Flip();
        screen.ReadPixels(Pixels());
        EncodePng(Pixels().data(), kScreenWidth, kScreenHeight, false, png);
        benchmark::DoNotOptimize(png.data());
    }
    ResetFontStyles();
}

BENCHMARK(BM_ShowcaseEngineCalls)->Name("frame/showcase_engine_calls")->UseManualTime()
    ->Iterations(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShowcaseFrameWithFill)->Name("frame/showcase_with_fill")->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowcaseFill)->Name("frame/showcase_fill_only")->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPixels)->Name("frame/read_pixels")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodePng)->Name("frame/encode_png")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CapturePicture)->Name("frame/capture_picture")->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
