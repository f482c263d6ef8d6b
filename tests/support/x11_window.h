// Finding and closing a program's window on an X server, as the window
// tests and the valgrind closer do it. Include after gtest: Xlib's macros
// (None, Bool, ...) would break its headers.
#pragma once

#include <X11/Xlib.h>

#include <memory>

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// Opens the default display, trying up to attempts times 50 ms apart: Xvfb
// started without -noreset refuses connections for a moment while it starts
// over after its last client has left. Null when every attempt failed.
// Installs an X error handler that ignores errors: a window that vanishes
// while a test looks at it must not end the test process.
DisplayPtr OpenDisplay(int attempts = 1);

// The process that owns a window, from the _NET_WM_PID that SDL sets; 0 if none.
long WindowOwner(Display* display, Window window);

// The first window under root (depth first) titled name and owned by pid, or
// any owner when pid is 0; 0 if none. Tests running side by side on one
// server pass their own program's pid so that each sees only its window.
Window FindWindowByName(Display* display, Window root, const char* name, long pid = 0);

// That window once it is viewable, polled every 50 ms; 0 after seconds.
Window WaitForViewableWindow(Display* display, const char* name, long pid, double seconds);

// What a window manager sends when the close box is clicked; flushed.
void SendDeleteWindow(Display* display, Window window);
