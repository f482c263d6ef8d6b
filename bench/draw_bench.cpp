// Drawing: ns per glyph of turning text into quads, through the real engine
// and the real batch, against one draw call per glyph and against writing
// the quads' vertices and nothing else; and the whole way of a glyph, from
// the engine call to the driver's return (the flip, which hands the frame
// to GL and waits for it), on our GL renderer and on SDL's side by side.
//
// Times are CPU time of the whole process, the driver's threads included:
// on a machine shared with other work, waiting is not the path's cost.
//
// Every text lies far above the screen: the GL driver clips its triangles
// and fills nothing. "batched" times drawing up to the hand-over to the
// driver (everything before the GL draw call); the flip after it is timed
// apart (counter flush_per_glyph).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "bench_screen.h"

namespace {

enum class Layout { Straight, Rotated, Arced };
enum class Path { Batched, PerGlyphCall, VertexFloor, SdlShare, WholeWayGl, WholeWaySdl };

constexpr char kLine[] = "Standard Style einer Quillon Bogen-Style";  // 40 glyphs
constexpr std::int32_t kLineGlyphs = sizeof kLine - 1;
constexpr std::int32_t kOffscreenY = -5000;
constexpr float kRotation = 30.0f;  // rotated text
constexpr float kArc = 15.0f;       // arced text, as the showcase's line 3

// Sends every glyph on by itself: after each display the run is closed,
// which makes the platform call SDL_RenderGeometry for that one quad.
class PerGlyphCalls final : public SpritePlatform {
public:
    explicit PerGlyphCalls(Screen& screen) : screen_(screen) {}
    SpriteHandle CreateSprite(std::int32_t request, const void* data, std::size_t size,
                              std::int32_t flags) override {
        return screen_.CreateSprite(request, data, size, flags);
    }
    SpriteHandle CreateSprite3D(std::int32_t request, SpriteHandle sprite) override {
        return screen_.CreateSprite3D(request, sprite);
    }
    bool Sprite3DTextureSize(SpriteHandle sprite3D, std::int32_t* width, std::int32_t* height) override {
        return screen_.Sprite3DTextureSize(sprite3D, width, height);
    }
    void SetSprite3DTexCoords(SpriteHandle sprite3D, const float uv[8]) override {
        screen_.SetSprite3DTexCoords(sprite3D, uv);
    }
    void ZoomSprite3D(SpriteHandle sprite3D, std::int32_t width, std::int32_t height) override {
        screen_.ZoomSprite3D(sprite3D, width, height);
    }
    void RotateSprite3D(SpriteHandle sprite3D, float degrees, std::int32_t mode) override {
        screen_.RotateSprite3D(sprite3D, degrees, mode);
    }
    void DisplaySprite3D(SpriteHandle sprite3D, std::int32_t x, std::int32_t y,
                         std::int32_t transparency) override {
        screen_.DisplaySprite3D(sprite3D, x, y, transparency);
        screen_.EndSprite3D();
        screen_.BeginSprite3D();
    }

private:
    Screen& screen_;
};

// SDL_Vertex's layout, without SDL.
struct Vertex {
    float x, y;
    std::uint8_t r, g, b, a;
    float u, v;
};
static_assert(sizeof(Vertex) == 20);

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void SetLayout(Layout layout, FontId font = 1) {
    ResetFontStyles(font);
    if (layout == Layout::Rotated) SetSpriteFontStyle(font, StyleRotation, kRotation);
    if (layout == Layout::Arced) SetSpriteFontStyle(font, StyleArc, kArc);
}

// The floor: per glyph, its corners from the pen and its metrics (turned by
// a cos/sin pair of the baseline when the text turns) and its texture
// coordinates from a table made once, written into a buffer made once.
class VertexFloor {
public:
    VertexFloor() {
        const SpriteFont& font = *GetSpriteFont(1);
        std::int32_t w = 1, h = 1;
        BenchScreen().Sprite3DTextureSize(font.sprite3D, &w, &h);
        for (int c = 0; c < 256; ++c) {
            const GlyphSlot& g = font.glyphs[c];
            uv_[c][0] = static_cast<float>(g.srcX) / static_cast<float>(w);
            uv_[c][1] = static_cast<float>(g.srcY) / static_cast<float>(h);
            uv_[c][2] = static_cast<float>(g.srcX + g.srcWidth) / static_cast<float>(w);
            uv_[c][3] = static_cast<float>(g.srcY + g.srcHeight) / static_cast<float>(h);
        }
    }

    // Writes the quads of lines texts and returns how many there were.
    std::size_t Write(Layout layout, std::int32_t lines, std::vector<Vertex>& out) const {
        const SpriteFont& font = *GetSpriteFont(1);
        Vertex* v = out.data();
        const float arcRad = layout == Layout::Arced ? kArc * 0.017453292f : 0.0f;
        for (std::int32_t line = 0; line < lines; ++line) {
            float penX = 0.0f, penY = static_cast<float>(kOffscreenY);
            float angle = layout == Layout::Rotated ? kRotation * 0.017453292f : 0.0f;
            for (const char* p = kLine; *p != 0; ++p) {
                const auto code = static_cast<unsigned char>(*p);
                const GlyphSlot& g = font.glyphs[code];
                if (g.present == 0) continue;
                const float* uv = uv_[code];
                const float left = penX + static_cast<float>(g.offsetX);
                const float top = penY + static_cast<float>(g.offsetY);
                const float w = static_cast<float>(g.srcWidth), h = static_cast<float>(g.srcHeight);
                float px[4] = {left, left + w, left, left + w};
                float py[4] = {top, top, top + h, top + h};
                const float advance = static_cast<float>(g.advance);
                if (layout == Layout::Straight) {
                    penX += advance;
                } else {
                    const float c = std::cos(angle), s = std::sin(angle);
                    const float cx = left + w * 0.5f, cy = top + h * 0.5f;
                    for (int i = 0; i < 4; ++i) {
                        const float dx = px[i] - cx, dy = py[i] - cy;
                        px[i] = cx + (dx * c - dy * s);
                        py[i] = cy + (dx * s + dy * c);
                    }
                    angle += arcRad * advance / static_cast<float>(g.lineHeight);
                    penX += advance * c;
                    penY += advance * s;
                }
                for (int i = 0; i < 4; ++i)
                    v[i] = Vertex{px[i], py[i], 255, 255, 255, 255, uv[(i & 1) * 2], uv[1 + (i >> 1) * 2]};
                v += 4;
            }
        }
        return static_cast<std::size_t>(v - out.data()) / 4;
    }

private:
    float uv_[256][4];
};

void BM_Draw(benchmark::State& state, Layout layout, Path path) {
    Screen& screen = BenchScreen();
    const auto lines = static_cast<std::int32_t>(state.range(0) / kLineGlyphs);
    SetLayout(layout);
    double flushSeconds = 0.0;
    std::uint64_t glyphs = 0;

    if (path == Path::WholeWayGl || path == Path::WholeWaySdl) {
        const bool sdl = path == Path::WholeWaySdl;
        Screen& target = sdl ? BenchSdlScreen() : screen;
        const FontId font = sdl ? kBaselineFont : 1;
        SetLayout(layout, font);
        for (auto _ : state) {
            const std::uint64_t quadsBefore = target.Stats().quads;
            const double start = ProcessCpuSeconds();
            SetSpritePlatform(&target);
            target.BeginSprite3D();
            for (std::int32_t line = 0; line < lines; ++line)
                DrawSpriteFontText(font, 0, kOffscreenY, kLine, 255.0f, 1.0f);
            target.EndSprite3D();
            target.Flip();
            state.SetIterationTime(ProcessCpuSeconds() - start);
            glyphs = target.Stats().quads - quadsBefore;
        }
        SetSpritePlatform(&screen);
        ResetFontStyles(font);
    } else if (path == Path::SdlShare) {
        // SDL's own part of its batched path: the floor's quads handed to
        // SDL_RenderGeometry in one call, on the baseline screen's renderer.
        Screen& baseline = BenchSdlScreen();
        SDL_Renderer* renderer = nullptr;
        for (Uint32 id = 1; id < 16 && renderer == nullptr; ++id)
            if (SDL_Window* window = SDL_GetWindowFromID(id)) renderer = SDL_GetRenderer(window);
        SDL_Texture* texture = renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                                            SDL_TEXTUREACCESS_STATIC, 1024, 1024)
                                        : nullptr;
        if (texture == nullptr) {
            state.SkipWithError("no SDL renderer to submit to");
            return;
        }
        const VertexFloor floor;
        std::vector<Vertex> buffer(static_cast<std::size_t>(lines) * kLineGlyphs * 4);
        glyphs = floor.Write(layout, lines, buffer);
        std::vector<int> indices(glyphs * 6);
        for (std::size_t q = 0; q < glyphs; ++q) {
            const int base = static_cast<int>(q * 4);
            const int quad[6] = {base, base + 1, base + 2, base + 1, base + 3, base + 2};
            std::copy(quad, quad + 6, indices.begin() + static_cast<std::ptrdiff_t>(q * 6));
        }
        static_assert(sizeof(Vertex) == sizeof(SDL_Vertex));
        for (auto _ : state) {
            const double start = ProcessCpuSeconds();
            SDL_RenderGeometry(renderer, texture, reinterpret_cast<const SDL_Vertex*>(buffer.data()),
                               static_cast<int>(glyphs * 4), indices.data(), static_cast<int>(glyphs * 6));
            state.SetIterationTime(ProcessCpuSeconds() - start);
            baseline.Flip();
        }
        SDL_DestroyTexture(texture);
    } else if (path == Path::VertexFloor) {
        const VertexFloor floor;
        std::vector<Vertex> buffer(static_cast<std::size_t>(lines) * kLineGlyphs * 4);
        for (auto _ : state) {
            const double start = ProcessCpuSeconds();
            glyphs = floor.Write(layout, lines, buffer);
            benchmark::DoNotOptimize(buffer.data());
            benchmark::ClobberMemory();
            state.SetIterationTime(ProcessCpuSeconds() - start);
        }
    } else {
        PerGlyphCalls perGlyph(screen);
        SpritePlatform* platform = path == Path::Batched ? static_cast<SpritePlatform*>(&screen) : &perGlyph;
        for (auto _ : state) {
            const std::uint64_t quadsBefore = screen.Stats().quads;
            const double start = ProcessCpuSeconds();
            SetSpritePlatform(platform);
            screen.BeginSprite3D();
            for (std::int32_t line = 0; line < lines; ++line)
                DrawSpriteFontText(1, 0, kOffscreenY, kLine, 255.0f, 1.0f);
            screen.EndSprite3D();
            state.SetIterationTime(ProcessCpuSeconds() - start);
            const double flushStart = ProcessCpuSeconds();
            screen.Flip();
            flushSeconds += ProcessCpuSeconds() - flushStart;
            glyphs = screen.Stats().quads - quadsBefore;
        }
        SetSpritePlatform(&screen);
        state.counters["flush_per_glyph"] = benchmark::Counter(
            flushSeconds / static_cast<double>(glyphs * state.iterations()) * 1e9);
        state.counters["calls_per_frame"] = benchmark::Counter(
            static_cast<double>(path == Path::Batched ? 1 : glyphs));
    }
    state.counters["glyphs"] = benchmark::Counter(static_cast<double>(glyphs));
    state.counters["per_glyph"] = benchmark::Counter(static_cast<double>(glyphs),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
    ResetFontStyles();
}

[[maybe_unused]] const int registered = [] {
    const std::pair<const char*, Layout> layouts[] = {
        {"straight", Layout::Straight}, {"rotated", Layout::Rotated}, {"arced", Layout::Arced}};
    const std::pair<const char*, Path> paths[] = {
        {"batched", Path::Batched},
        {"per_glyph_call", Path::PerGlyphCall},
        {"vertex_floor", Path::VertexFloor},
        {"sdl_share", Path::SdlShare},
        {"gl_whole_way", Path::WholeWayGl},
        {"sdl_whole_way", Path::WholeWaySdl}};
    for (const auto& [layoutName, layout] : layouts)
        for (const auto& [pathName, path] : paths)
            for (const std::int64_t glyphs : {160, 10000, 100000}) {
                // SDL's share does not depend on how the quads were turned.
                if (path == Path::SdlShare && layout != Layout::Straight) continue;
                const std::string name = std::string("draw/") + layoutName + "/" + pathName + "/" +
                                         std::to_string(glyphs);
                benchmark::RegisterBenchmark(name.c_str(), BM_Draw, layout, path)
                    ->Arg(glyphs)
                    ->UseManualTime()
                    ->Unit(benchmark::kMicrosecond);
            }
    return 0;
}();

}  // namespace
