// Text along paths and the glyph-quads query: ns per glyph, beside the
// arced and straight drawing they are compared with (draw/*/batched).
//
// As there, every text lies far above the screen, so the GL driver fills
// nothing, and only the work up to the batch's hand-over to SDL is timed.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_screen.h"

namespace {

constexpr char kLine[] = "Standard Style einer Quillon Bogen-Style";  // 40 glyphs
constexpr std::int32_t kLineGlyphs = sizeof kLine - 1;
constexpr float kAbove = -5000.0f;

enum class Kind { Circle, Polyline, Bezier, QuadsStraight, QuadsArced };

// A wave of cubic curves and a zig-zag of segments, each about 2000 pixels
// long (the 40 glyphs take about 800), and a circle of radius 300.
struct Paths {
    TextPathPoint wave[13];
    TextPathPoint zigzag[21];
    Paths() {
        for (int i = 0; i < 13; ++i) {
            const float x = 100.0f * static_cast<float>(i);
            const int phase = i % 3;
            wave[i] = {x, kAbove + (phase == 0 ? 0.0f : (phase == 1 ? -120.0f : 120.0f))};
        }
        for (int i = 0; i < 21; ++i)
            zigzag[i] = {90.0f * static_cast<float>(i), kAbove + ((i % 2) != 0 ? 40.0f : 0.0f)};
    }
};

void BM_Path(benchmark::State& state, Kind kind) {
    Screen& screen = BenchScreen();
    ResetFontStyles();
    if (kind == Kind::QuadsArced) SetSpriteFontStyle(1, StyleArc, 15.0f);
    const auto lines = static_cast<std::int32_t>(state.range(0) / kLineGlyphs);
    const Paths paths;
    const TextPath path = kind == Kind::Circle     ? TextPath::Circle(400.0f, kAbove, 300.0f, -90.0f)
                          : kind == Kind::Polyline ? TextPath::Polyline(paths.zigzag, 21)
                                                   : TextPath::Bezier(paths.wave, 13);
    std::vector<GlyphQuad> quads(kLineGlyphs);
    std::uint64_t glyphs = 0;
    const bool query = kind == Kind::QuadsStraight || kind == Kind::QuadsArced;
    for (auto _ : state) {
        const std::uint64_t quadsBefore = screen.Stats().quads;
        std::uint64_t reported = 0;
        const auto start = BenchClock::now();
        screen.BeginSprite3D();
        for (std::int32_t line = 0; line < lines; ++line) {
            if (query) {
                reported += SpriteFontTextQuads(1, 0, static_cast<std::int32_t>(kAbove), kLine, 1.0f, quads.data(),
                                                quads.size());
                benchmark::DoNotOptimize(quads.data());
            } else {
                DrawSpriteFontTextOnPath(1, kLine, path, 0.0f, TextAlignLeft, 255.0f, 1.0f);
            }
        }
        screen.EndSprite3D();
        state.SetIterationTime(SecondsSince(start));
        screen.Flip();
        glyphs = query ? reported : screen.Stats().quads - quadsBefore;
    }
    state.counters["glyphs"] = benchmark::Counter(static_cast<double>(glyphs));
    state.counters["per_glyph"] = benchmark::Counter(static_cast<double>(glyphs),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
    ResetFontStyles();
}

[[maybe_unused]] const int registered = [] {
    const std::pair<const char*, Kind> kinds[] = {{"circle", Kind::Circle},
                                                  {"polyline", Kind::Polyline},
                                                  {"bezier", Kind::Bezier},
                                                  {"quads_straight", Kind::QuadsStraight},
                                                  {"quads_arced", Kind::QuadsArced}};
    for (const auto& [name, kind] : kinds)
        for (const std::int64_t glyphs : {160, 10000, 100000}) {
            const std::string full = std::string("paths/") + name + "/" + std::to_string(glyphs);
            benchmark::RegisterBenchmark(full.c_str(), BM_Path, kind)
                ->Arg(glyphs)
                ->UseManualTime()
                ->Unit(benchmark::kMicrosecond);
        }
    return 0;
}();

}  // namespace
