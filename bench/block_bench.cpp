// Blocks against single lines: ns per glyph of drawing a block of text
// through the real engine and the real batch, against drawing the same
// glyphs as single lines with DrawSpriteFontText, in the same run. The
// summary prints the ratio per glyph (target: at most 1.3).
//
// Every block has lines of the showcase's 40-glyph caption:
//   plain    - the lines joined by line feeds, left aligned, unkerned;
//   wrapped  - one paragraph wrapped back into those lines, justified (each
//              line has spare room for its spaces to share) and kerned, with
//              a kerning chunk added to the demonstration font;
//   centered - the plain text centred without a wrap width, which costs a
//              measuring pass over the whole text before the first line;
//   turned   - the plain text under a 30-degree rotation, against single
//              lines drawn in the rotated layout.
// Only drawing up to the batch's SDL_RenderGeometry call is timed, as in the
// drawing benchmark; every glyph lies far above the screen.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bench_screen.h"
#include "demo_font.h"

namespace {

enum class Variant { SingleStraight, SingleTurned, Plain, Wrapped, Centered, Turned };

constexpr char kLine[] = "Standard Style einer Quillon Bogen-Style";  // 40 glyphs
constexpr std::int32_t kLineGlyphs = sizeof kLine - 1;
constexpr std::int32_t kTop = -400000;  // far above the screen, for every line
constexpr float kRotation = 30.0f;
constexpr FontId kKerned = 2;

// The demonstration font with a kerning chunk after its terminator: every
// pair of the caption's letters kerns by -1 or -2.
void LoadKernedFont() {
    static std::vector<unsigned char> bytes;
    if (GetSpriteFont(kKerned) != nullptr) return;
    bytes.assign(kDemoFont, kDemoFont + kDemoFontSize);
    std::vector<unsigned char> pairs;
    std::uint32_t count = 0;
    for (const char* a = kLine; *a != 0; ++a)
        for (const char* b = kLine; *b != 0; ++b) {
            if (*a == ' ' || *b == ' ') continue;
            const unsigned char first = static_cast<unsigned char>(*a), second = static_cast<unsigned char>(*b);
            bool seen = false;
            for (std::size_t i = 0; i < pairs.size() && !seen; i += 4) seen = pairs[i] == first && pairs[i + 1] == second;
            if (seen) continue;
            const std::int16_t amount = (first + second) % 2 == 0 ? -1 : -2;
            pairs.insert(pairs.end(), {first, second, static_cast<unsigned char>(amount & 0xFF),
                                       static_cast<unsigned char>((amount >> 8) & 0xFF)});
            ++count;
        }
    const std::uint32_t length = 4 + static_cast<std::uint32_t>(pairs.size());
    const unsigned char header[] = {'K', 'E', 'R', 'N',
                                    static_cast<unsigned char>(length), static_cast<unsigned char>(length >> 8),
                                    static_cast<unsigned char>(length >> 16), static_cast<unsigned char>(length >> 24),
                                    static_cast<unsigned char>(count), static_cast<unsigned char>(count >> 8),
                                    static_cast<unsigned char>(count >> 16), static_cast<unsigned char>(count >> 24)};
    bytes.insert(bytes.end(), header, header + sizeof header);
    bytes.insert(bytes.end(), pairs.begin(), pairs.end());
    LoadSpriteFont(kKerned, bytes.data(), bytes.size());
}

void BM_Block(benchmark::State& state, Variant variant) {
    Screen& screen = BenchScreen();
    LoadKernedFont();
    ResetFontStyles();
    const auto lines = static_cast<std::int32_t>(state.range(0) / kLineGlyphs);
    const float lineAdvance = static_cast<float>(SpriteFontMeasureBlock(1, "\n", 1.0f, TextBlock{}).height -
                                                 SpriteFontMeasureBlock(1, "", 1.0f, TextBlock{}).height);
    const bool turned = variant == Variant::SingleTurned || variant == Variant::Turned;
    if (turned) SetSpriteFontStyle(1, StyleRotation, kRotation);

    std::string text;
    TextBlock block;
    block.kerning = false;
    FontId font = 1;
    for (std::int32_t line = 0; line < lines; ++line) {
        if (line > 0) text += variant == Variant::Wrapped ? ' ' : '\n';
        text += kLine;
    }
    if (variant == Variant::Wrapped) {
        font = kKerned;
        block.kerning = true;
        block.align = TextAlignJustify;
        block.wrapWidth = SpriteFontMeasureBlock(kKerned, kLine, 1.0f, block).width + 12;
        if (SpriteFontMeasureBlock(kKerned, text.c_str(), 1.0f, block).lines != lines) {
            state.SkipWithError("the wrapped paragraph does not break into the caption's lines");
            return;
        }
    }
    if (variant == Variant::Centered) block.align = TextAlignCenter;
    const bool single = variant == Variant::SingleStraight || variant == Variant::SingleTurned;

    std::uint64_t glyphs = 0;
    for (auto _ : state) {
        const std::uint64_t quadsBefore = screen.Stats().quads;
        const auto start = BenchClock::now();
        screen.BeginSprite3D();
        if (single) {
            for (std::int32_t line = 0; line < lines; ++line)
                DrawSpriteFontText(1, 0, kTop + static_cast<std::int32_t>(static_cast<float>(line) * lineAdvance),
                                   kLine, 255.0f, 1.0f);
        } else {
            DrawSpriteFontBlock(font, 0, kTop, text.c_str(), 255.0f, 1.0f, block);
        }
        screen.EndSprite3D();
        state.SetIterationTime(SecondsSince(start));
        screen.Flip();
        glyphs = screen.Stats().quads - quadsBefore;
    }
    if (glyphs != static_cast<std::uint64_t>(lines) * kLineGlyphs &&
        glyphs != static_cast<std::uint64_t>(lines) * (kLineGlyphs - 4)) {  // when spaces have no glyph
        state.SkipWithError("the block drew other glyphs than the single lines");
    }
    state.counters["glyphs"] = benchmark::Counter(static_cast<double>(glyphs));
    state.counters["per_glyph"] = benchmark::Counter(static_cast<double>(glyphs),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
    ResetFontStyles();
}

[[maybe_unused]] const int registered = [] {
    const std::pair<const char*, Variant> variants[] = {
        {"single_straight", Variant::SingleStraight}, {"single_turned", Variant::SingleTurned},
        {"plain", Variant::Plain},                    {"wrapped", Variant::Wrapped},
        {"centered", Variant::Centered},              {"turned", Variant::Turned}};
    for (const auto& [name, variant] : variants)
        for (const std::int64_t glyphs : {160, 10000, 100000}) {
            const std::string full = std::string("block/") + name + "/" + std::to_string(glyphs);
            benchmark::RegisterBenchmark(full.c_str(), BM_Block, variant)
                ->Arg(glyphs)
                ->UseManualTime()
                ->Unit(benchmark::kMicrosecond);
        }
    return 0;
}();

}  // namespace
