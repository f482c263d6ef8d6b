// The demonstration's start-up on the offscreen screen up to its first
// finished frame; prints the milliseconds that took, from main on.
#include <chrono>
#include <cstdio>
#include <vector>

#include <cstring>
#include <string>

#include "frame.h"
#include "startup.h"

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    // With an argument "sdl": SDL's renderer, the baseline.
    StartupOptions options{VideoMode::Offscreen};
    if (argc > 1 && std::strcmp(argv[1], "sdl") == 0) options.backend = ScreenBackend::SdlRenderer;
    auto demo = StartDemonstration(options, &error);
    if (!demo) return 1;
    Screen* screen = demo->screen.get();
    RenderFrame(*screen, 1.0f);
    screen->Flip();
    // The readback waits until the frame is filled.
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    const bool read = screen->ReadPixels(pixels);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!read) return 1;
    std::printf("first_frame_ms %.3f\n", ms);
    return 0;
}
