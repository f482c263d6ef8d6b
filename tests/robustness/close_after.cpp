// Closes the demonstration's window the way a window manager would, once
// the program has presented a given number of frames (as counted by the
// preloaded present_counter):
//   robust_close_after <frames> <count-file> [timeout-seconds]
// Exits 0 after sending the close request, 1 when the frames or the window
// did not come within the timeout (default 600 s).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "x11_window.h"

namespace {

long Presented(const char* path) {
    std::ifstream in(path);
    long frames = 0;
    in >> frames;
    return frames;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: robust_close_after <frames> <count-file> [timeout-seconds]\n");
        return 2;
    }
    const long frames = std::atol(argv[1]);
    const double timeout = argc > 3 ? std::atof(argv[3]) : 600.0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "robust_close_after: cannot open the display\n");
        return 1;
    }
    ::Window window = 0;
    long seen = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!window) window = FindWindowByName(display, DefaultRootWindow(display), "SCREEN");
        seen = Presented(argv[2]);
        if (window && seen >= frames) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!window || seen < frames) {
        std::fprintf(stderr, "robust_close_after: %ld of %ld frames, window %s\n", seen, frames,
                     window ? "found" : "not found");
        XCloseDisplay(display);
        return 1;
    }
    SendDeleteWindow(display, window);
    XCloseDisplay(display);
    std::printf("robust_close_after: close request sent after %ld frames\n", seen);
    return 0;
}
