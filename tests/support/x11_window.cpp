#include "x11_window.h"

#include <X11/Xatom.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

// Windows of other tests come and go while a walk looks at them; Xlib's
// default handler would end the whole test process on such a BadWindow.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

DisplayPtr OpenDisplay(int attempts) {
    XSetErrorHandler(IgnoreXErrors);
    DisplayPtr display;
    for (int attempt = 0; attempt < attempts && !display; ++attempt) {
        display.reset(XOpenDisplay(nullptr));
        if (!display && attempt + 1 < attempts) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return display;
}

long WindowOwner(Display* display, Window window) {
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False,
                           XA_CARDINAL, &type, &format, &items, &after, &data) == Success &&
        data && items == 1 && format == 32)
        pid = *reinterpret_cast<long*>(data);  // format 32 arrives as longs
    if (data) XFree(data);
    return pid;
}

Window FindWindowByName(Display* display, Window root, const char* name, long pid) {
    Window rootReturn, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        char* title = nullptr;
        if (XFetchName(display, children[i], &title) && title) {
            if (std::strcmp(title, name) == 0 && (pid == 0 || WindowOwner(display, children[i]) == pid))
                found = children[i];
            XFree(title);
        }
        // SDL's window may sit below a frame or a wrapper of the server's.
        if (!found) found = FindWindowByName(display, children[i], name, pid);
    }
    if (children) XFree(children);
    return found;
}

Window WaitForViewableWindow(Display* display, const char* name, long pid, double seconds) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(seconds));
    while (Clock::now() < deadline) {
        const Window window = FindWindowByName(display, DefaultRootWindow(display), name, pid);
        XWindowAttributes attributes;
        if (window && XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
            return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

void SendDeleteWindow(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}
