// The demonstration: one window, the embedded font as font 1, and a frame
// loop that draws the showcase until the window is closed.
#include <cstdio>
#include <cstdlib>

#include <string>

#include "frame.h"
#include "startup.h"

namespace {

int Run() {
    std::string error;
    auto demo = StartDemonstration(StartupOptions{VideoMode::Window}, &error);
    // A start-up step that fails ends the program with 1, not 0: a window
    // that never appeared must not look like a clean run.
    if (!demo) {
        std::fprintf(stderr, "spritefont_demo: %s\n", error.c_str());
        return EXIT_FAILURE;
    }
    Screen& screen = *demo->screen;
    PlatformWindow& window = *demo->window;

    float t = 0.0f;
    for (;;) {
        const std::int32_t lastEvent = window.PollEvent();
        // The window wants the last frame again before the next is drawn.
        if (lastEvent == EventRepaint) screen.Repaint();
        t += 1.0f;
        RenderFrame(screen, t);
        screen.Flip();
        // The frame whose poll brought the close request is still shown.
        if (lastEvent == EventClose) break;
    }
    return EXIT_SUCCESS;
}

}  // namespace

int main() { return Run(); }
