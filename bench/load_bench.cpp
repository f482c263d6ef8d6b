// Loading the embedded font against a bare libpng decode of its atlas, and
// start-up to the first finished frame in a process of its own.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <png.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_screen.h"
#include "demo_font.h"
#include "png_codec.h"

extern char** environ;

namespace {

const unsigned char* Atlas() { return kDemoFont + 20; }
std::size_t AtlasSize() {
    std::int32_t length = 0;
    std::memcpy(&length, kDemoFont + 16, 4);
    return static_cast<std::size_t>(length);
}

// Each load keeps its font and texture for good (fonts are never unloaded),
// so the count of loads is fixed rather than left to the timer.
void BM_LoadSpriteFont(benchmark::State& state) {
    BenchScreen();
    for (auto _ : state) benchmark::DoNotOptimize(LoadSpriteFont(AutoId, kDemoFont, kDemoFontSize));
}

// The same load through SDL's renderer, the baseline.
void BM_LoadSpriteFontSdl(benchmark::State& state) {
    Screen& baseline = BenchSdlScreen();
    SetSpritePlatform(&baseline);
    for (auto _ : state) benchmark::DoNotOptimize(LoadSpriteFont(AutoId, kDemoFont, kDemoFontSize));
    SetSpritePlatform(&BenchScreen());
}

// What any GL program does with decoded pixels: one glTexImage2D into a
// new texture (kept, as a font's is), in the driver's byte order, on our
// renderer's context.
void BM_BareTexImage(benchmark::State& state) {
    Screen& screen = BenchScreen();
    DecodedImage image;
    if (DecodePng(Atlas(), AtlasSize(), image, PixelOrder::Rgba) != PngStatus::Ok) {
        state.SkipWithError("the atlas does not decode");
        return;
    }
    screen.Flip();  // makes the screen's context current
    using GenTextures = void (*)(int, unsigned*);
    using BindTexture = void (*)(unsigned, unsigned);
    using TexImage2D = void (*)(unsigned, int, int, int, int, int, unsigned, unsigned, const void*);
    const auto gen = reinterpret_cast<GenTextures>(SDL_GL_GetProcAddress("glGenTextures"));
    const auto bind = reinterpret_cast<BindTexture>(SDL_GL_GetProcAddress("glBindTexture"));
    const auto upload = reinterpret_cast<TexImage2D>(SDL_GL_GetProcAddress("glTexImage2D"));
    constexpr unsigned kTexture2D = 0x0DE1, kRgba8 = 0x8058, kRgba = 0x1908, kUnsignedByte = 0x1401;
    for (auto _ : state) {
        unsigned name = 0;
        gen(1, &name);
        bind(kTexture2D, name);
        upload(kTexture2D, 0, static_cast<int>(kRgba8), image.width, image.height, 0, kRgba, kUnsignedByte,
               image.pixels.data());
    }
    bind(kTexture2D, 0);
}

// The engine's own part: the same load with no screen installed reads the
// glyph records into a new font and decodes nothing.
void BM_LoadRecordsOnly(benchmark::State& state) {
    Screen& screen = BenchScreen();
    SetSpritePlatform(nullptr);
    for (auto _ : state) benchmark::DoNotOptimize(LoadSpriteFont(AutoId, kDemoFont, kDemoFontSize));
    SetSpritePlatform(&screen);
}

// The platform's part: decoding the atlas into a new texture.
void BM_CreateSprite(benchmark::State& state) {
    Screen& screen = BenchScreen();
    for (auto _ : state)
        benchmark::DoNotOptimize(screen.CreateSprite(AutoHandle, Atlas(), AtlasSize(), SpriteFlag3D | SpriteFlagAlpha));
}

// What any program would write: libpng's simplified API, straight from
// memory into a new BGRA buffer.
void BM_BareLibpngDecode(benchmark::State& state) {
    for (auto _ : state) {
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, Atlas(), AtlasSize())) {
            state.SkipWithError("libpng refused the atlas");
            break;
        }
        image.format = PNG_FORMAT_BGRA;
        std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
        png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
}

// The platform's decoder alone, without the texture.
void BM_PlatformDecode(benchmark::State& state) {
    for (auto _ : state) {
        DecodedImage image;
        benchmark::DoNotOptimize(DecodePng(Atlas(), AtlasSize(), image));
    }
}

// Runs the start-up program, which prints its own milliseconds from main to
// the first frame read back; the whole process's time is a counter.
void BM_StartupToFirstFrame(benchmark::State& state) {
    double processSeconds = 0.0;
    for (auto _ : state) {
        int out[2];
        if (pipe(out) != 0) {
            state.SkipWithError("no pipe");
            break;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char sdl[] = "sdl";
        char* argv[] = {const_cast<char*>(STARTUP_EXE), state.range(0) ? sdl : nullptr, nullptr};
        const auto start = BenchClock::now();
        pid_t child = 0;
        const int spawned = posix_spawn(&child, STARTUP_EXE, &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string text;
        char chunk[256];
        for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<std::size_t>(n));
        close(out[0]);
        int status = 0;
        if (spawned == 0) waitpid(child, &status, 0);
        processSeconds += SecondsSince(start);
        double ms = 0.0;
        if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
            std::sscanf(text.c_str(), "first_frame_ms %lf", &ms) != 1) {
            state.SkipWithError("the start-up program failed");
            break;
        }
        state.SetIterationTime(ms / 1000.0);
    }
    state.counters["process_ms"] =
        benchmark::Counter(processSeconds * 1000.0 / static_cast<double>(state.iterations()));
}

BENCHMARK(BM_LoadSpriteFont)->Name("load/load_sprite_font")->UseRealTime()->Iterations(8)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadRecordsOnly)->Name("load/records_only")->UseRealTime()->Iterations(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadSpriteFontSdl)->Name("load/load_sprite_font_sdl")->UseRealTime()->Iterations(8)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareTexImage)->Name("load/bare_tex_image")->UseRealTime()->Iterations(8)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateSprite)->Name("load/create_sprite")->UseRealTime()->Iterations(8)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareLibpngDecode)->Name("load/bare_libpng_decode")->UseRealTime()->Iterations(8)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlatformDecode)->Name("load/platform_decode")->UseRealTime()->Iterations(8)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupToFirstFrame)->Name("startup/first_frame")->Arg(0)->UseManualTime()->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupToFirstFrame)->Name("startup/first_frame_sdl")->Arg(1)->UseManualTime()->Iterations(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace
