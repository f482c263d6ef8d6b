// Distance-field fonts against the bitmap font made from the same face at
// the same pixel size, in one run:
//   fields/draw/{bitmap,sdf,msdf}/{0,1,4}: time per glyph of drawing text
//     the whole way from the engine call to the driver's finished frame: at
//     size 1 (1,000 glyphs a frame) and 4 (100 glyphs), fill included (the
//     field program's work is all in the fill), and (0) 1,000 glyphs at
//     size 1 far off the screen, so that the driver fills nothing: the
//     engine's, the platform's and the vertex stage's share;
//   fields/sharpness/{bitmap,sdf,msdf}/{5,10,40,120}: not a time: the width
//     in pixels of the 10-90 % edge ramp of H's stem at size 0.5, 1, 4 and
//     12 (counter ramp_px), turned 5 degrees so that the edge is met at
//     every sub-pixel phase.
// The fonts are made from DejaVu Sans at 48 px (fields with range 6) by the
// maker's own code when the program starts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "atlas_packer.h"
#include "bench_screen.h"
#include "distance_field.h"
#include "edge_ramp.h"
#include "file_io.h"
#include "truetype.h"

namespace {

using namespace font_maker;

constexpr char kLine[] = "Standard Style einer Quillon Bogen-Style";  // 40 glyphs
constexpr std::int32_t kLineGlyphs = sizeof kLine - 1;
constexpr std::int32_t kPixelSize = 48;
constexpr std::int32_t kRange = 6;

std::vector<std::uint8_t> MakeBlock(FieldKind kind) {
    std::vector<std::uint8_t> face, block;
    std::string error;
    if (!sftools::ReadFile(DEJAVU_SANS_FILE, &face, &error)) {
        std::fprintf(stderr, "spritefont_bench_fields: %s\n", error.c_str());
        std::exit(1);
    }
    Style style;
    style.pixelSize = kPixelSize;
    std::vector<GlyphImage> glyphs;
    std::vector<std::string> notes;
    const std::string keep = std::string(kLine) + "H";
    MakeStatus status = RenderFace(face, style, CodePageWindows1252, &glyphs, &notes);
    std::erase_if(glyphs, [&](const GlyphImage& g) { return keep.find(static_cast<char>(g.code)) == std::string::npos; });
    sprite_font_format::Metrics metrics{};
    if (status.ok() && kind != FieldKind::None)
        status = MakeFaceFields(face, kPixelSize, CodePageWindows1252, {kind, kRange}, &glyphs, &metrics);
    if (status.ok()) status = BuildPackedFont(std::move(glyphs), Packing::Tight, &block, false);
    if (status.ok() && kind != FieldKind::None) status = MarkFieldFont(&block, metrics);
    if (!status.ok()) {
        std::fprintf(stderr, "spritefont_bench_fields: %s\n", status.message.c_str());
        std::exit(1);
    }
    return block;
}

// The three fonts, loaded on the bench screen once.
FontId FontOf(int kind) {
    static std::vector<std::uint8_t> blocks[3];
    static FontId ids[3] = {0, 0, 0};
    if (ids[kind] == 0) {
        Screen& screen = BenchScreen();
        SetSpritePlatform(&screen);
        blocks[kind] = MakeBlock(static_cast<FieldKind>(kind));
        ids[kind] = LoadSpriteFont(AutoId, blocks[kind].data(), blocks[kind].size());
        SetSpriteFontColor(ids[kind], 0x000000);
    }
    return ids[kind];
}

const char* const kNames[3] = {"bitmap", "sdf", "msdf"};

void Draw(benchmark::State& state, int kind) {
    const FontId font = FontOf(kind);
    Screen& screen = BenchScreen();
    const bool culled = state.range(0) == 0;
    const float size = culled ? 1.0f : static_cast<float>(state.range(0));
    const int lines = size <= 1.0f ? 25 : 5;  // 1,000 or 100 glyphs
    const std::int32_t step = static_cast<std::int32_t>(std::lround(kPixelSize * 0.5 * size));
    SetSpriteFontStyle(font, StyleRotation, 0.0f);
    for (auto _ : state) {
        screen.Clear(0xFFFFFF);
        screen.BeginSprite3D();
        for (int i = 0; i < lines; ++i) DrawSpriteFontText(font, 4, culled ? -5000 : 4 + (i * step) % 560, kLine, -1.0f, size);
        screen.EndSprite3D();
        screen.Flip();  // offscreen: the frame is drawn and finished
    }
    state.counters["per_glyph"] = benchmark::Counter(static_cast<double>(lines * kLineGlyphs),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
}

void Sharpness(benchmark::State& state, int kind) {
    const FontId font = FontOf(kind);
    Screen& screen = BenchScreen();
    const float size = static_cast<float>(state.range(0)) / 10.0f;
    SetSpriteFontStyle(font, StyleRotation, 5.0f);
    std::vector<std::uint32_t> pixels;
    for (auto _ : state) {
        screen.Clear(0xFFFFFF);
        screen.BeginSprite3D();
        DrawSpriteFontText(font, 40, size > 6.0f ? -150 : 20, "H", -1.0f, size);
        screen.EndSprite3D();
        pixels = screen.ReadPixels();
    }
    SetSpriteFontStyle(font, StyleRotation, 0.0f);
    // The ink's box; the rows between the crossbar and the foot.
    int left = kScreenWidth, right = -1, top = kScreenHeight, bottom = -1;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            if ((pixels[static_cast<std::size_t>(y * kScreenWidth + x)] & 0xFF) < 0xC0)
                left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    const double reach = 3.0 + 2.5 * size;
    const int h = bottom - top;
    const double ramp = test_support::EdgeRampWidth(pixels, kScreenWidth, std::max(0, left - static_cast<int>(reach) - 2),
                                                     (left + right) / 2, top + h * 62 / 100, top + h * 88 / 100, 255.0,
                                                     0.0, reach);
    state.counters["ramp_px"] = ramp;
}

void Register() {
    for (int kind = 0; kind < 3; ++kind) {
        benchmark::RegisterBenchmark((std::string("fields/draw/") + kNames[kind]).c_str(),
                                     [kind](benchmark::State& s) { Draw(s, kind); })
            ->Arg(0)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond)->UseRealTime();
        benchmark::RegisterBenchmark((std::string("fields/sharpness/") + kNames[kind]).c_str(),
                                     [kind](benchmark::State& s) { Sharpness(s, kind); })
            ->Arg(5)->Arg(10)->Arg(40)->Arg(120)->Iterations(1)->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SetSpritePlatform(nullptr);
    return 0;
}
