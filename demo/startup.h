// startup.h - the demonstration's start-up, written once for the window
// program, the capture tool, the inspector, the benchmarks and the tests:
// the platform, the window (with a display) and the screen, the font
// registry, bilinear 3D sprites, the PNG decoder, the screen installed for
// the engine and font 1 loaded from the embedded font and checked.
#pragma once

#include <memory>
#include <string>

#include "platform.h"

struct StartupOptions {
    VideoMode mode = VideoMode::Window;  // Offscreen: no window, the offscreen screen
    bool loadDemoFont = true;            // false: stop before the load, for other fonts
    ScreenBackend backend = ScreenBackend::Gl;
};

struct Demonstration {
    std::unique_ptr<Platform> platform;
    std::unique_ptr<PlatformWindow> window;  // VideoMode::Window only
    std::unique_ptr<Screen> screen;

    Demonstration() = default;
    Demonstration(const Demonstration&) = delete;
    Demonstration& operator=(const Demonstration&) = delete;
    // Uninstalls the screen from the engine; closes in reverse order.
    ~Demonstration();
};

// Null when a step fails; *error then names the step and why.
std::unique_ptr<Demonstration> StartDemonstration(const StartupOptions& options, std::string* error);
