// Closes the demonstration's window the way a window manager would, once
// the program has presented a given number of frames (as counted by the
// preloaded present_counter):
//   robust_close_after <frames> <count-file> [timeout-seconds]
// Exits 0 after sending the close request, 1 when the frames or the window
// did not come within the timeout (default 600 s).
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace {

::Window FindByName(Display* display, ::Window root, const char* name) {
    ::Window rootReturn, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return 0;
    ::Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        char* title = nullptr;
        if (XFetchName(display, children[i], &title) && title) {
            if (std::strcmp(title, name) == 0) found = children[i];
            XFree(title);
        }
        if (!found) found = FindByName(display, children[i], name);
    }
    if (children) XFree(children);
    return found;
}

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
        if (!window) window = FindByName(display, DefaultRootWindow(display), "SCREEN");
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
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);  // flushes the request
    std::printf("robust_close_after: close request sent after %ld frames\n", seen);
    return 0;
}
