// The demonstration's real window on an X server (Xvfb in CI), examined and
// closed the way a window manager would.
#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Bool, ...) would break its headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>

#include <chrono>
#include <memory>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "child_process.h"

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

long WindowPid(Display* display, Window window) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1,
                           False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data && count == 1 && format == 32)
        pid = *reinterpret_cast<long*>(data);
    if (data) XFree(data);
    return pid;
}

// The window of that name that the given process made: tests running side by
// side on one X server each see only their own program's window.
Window FindByName(Display* display, Window root, const char* name, long pid) {
    Window rootReturn, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        char* title = nullptr;
        if (XFetchName(display, children[i], &title) && title) {
            if (std::strcmp(title, name) == 0 && WindowPid(display, children[i]) == pid)
                found = children[i];
            XFree(title);
        }
        if (!found) found = FindByName(display, children[i], name, pid);
    }
    if (children) XFree(children);
    return found;
}

class DemoWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* name = std::getenv("DISPLAY");
        ASSERT_TRUE(name && *name) << "these tests need an X display: run them under xvfb-run";
        display_.reset(XOpenDisplay(nullptr));
        ASSERT_TRUE(display_) << "cannot open the X display " << name;
        demo_ = std::make_unique<ChildProcess>(SPRITEFONT_DEMO_PATH,
                                               std::vector<std::string>{"SDL_VIDEODRIVER"},
                                               std::vector<std::string>{});
        ASSERT_TRUE(demo_->Started());
        // Mapped and drawn within a few seconds, even on a loaded machine.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!window_ && std::chrono::steady_clock::now() < deadline) {
            window_ = FindByName(display_.get(), DefaultRootWindow(display_.get()), "SCREEN",
                                 demo_->Pid());
            if (window_) {
                XWindowAttributes attributes;
                if (!XGetWindowAttributes(display_.get(), window_, &attributes) ||
                    attributes.map_state != IsViewable)
                    window_ = 0;
            }
            if (!window_) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ASSERT_NE(window_, 0u) << "no viewable window named SCREEN appeared";
    }

    // What a window manager sends when the close box is clicked.
    void SendDeleteWindow() {
        Display* d = display_.get();
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window_;
        event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(d, window_, False, NoEventMask, &event);
        XFlush(d);
    }

    std::unique_ptr<Display, DisplayCloser> display_;
    std::unique_ptr<ChildProcess> demo_;
    Window window_ = 0;
};

TEST_F(DemoWindowTest, IsTitledScreenSized800x600FixedCentredAndShowsTheFrame) {
    Display* d = display_.get();
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(d, window_, &attributes));
    EXPECT_EQ(attributes.width, 800);
    EXPECT_EQ(attributes.height, 600);

    // Not resizable: the size hints pin the minimum and maximum to 800 x 600.
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(d, window_, &hints, &supplied));
    ASSERT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.min_width, 800);
    EXPECT_EQ(hints.min_height, 600);
    EXPECT_EQ(hints.max_width, 800);
    EXPECT_EQ(hints.max_height, 600);

    // Centred on the screen (with no window manager there is no frame).
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(d, window_, DefaultRootWindow(d), 0, 0, &x, &y, &child);
    EXPECT_NEAR(x, (DisplayWidth(d, DefaultScreen(d)) - 800) / 2, 1);
    EXPECT_NEAR(y, (DisplayHeight(d, DefaultScreen(d)) - 600) / 2, 1);

    // The frame loop has drawn: white, with the black guide line on row 100.
    // A new GL window is black until its first frame, which may take a
    // moment on a loaded machine.
    bool drawn = false;
    unsigned long corner = 0, lineStart = 0, lineEnd = 0, afterLine = 0;
    for (int attempt = 0; attempt < 100 && !drawn; ++attempt) {
        XImage* image = XGetImage(d, window_, 0, 0, 800, 600, AllPlanes, ZPixmap);
        ASSERT_TRUE(image);
        corner = XGetPixel(image, 5, 5) & 0xFFFFFF;
        lineStart = XGetPixel(image, 50, 100) & 0xFFFFFF;
        lineEnd = XGetPixel(image, 649, 100) & 0xFFFFFF;
        afterLine = XGetPixel(image, 795, 595) & 0xFFFFFF;
        XDestroyImage(image);
        drawn = corner == 0xFFFFFF && afterLine == 0xFFFFFF && lineStart == 0 && lineEnd == 0;
        if (!drawn) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(drawn) << "after 10 s: corner 0x" << std::hex << corner << ", line ends 0x"
                       << lineStart << " 0x" << lineEnd << ", far corner 0x" << afterLine;

    SendDeleteWindow();
    const ChildResult result = demo_->Wait(10.0);
    EXPECT_TRUE(result.exited) << result.stderrText;
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
}

TEST_F(DemoWindowTest, CloseIsActedOnPromptlyWhileTheMouseMovesOverTheWindow) {
    Display* d = display_.get();
    // Thousands of motion events over the window: were they queued, the
    // one-event-per-frame poll would reach the close only after minutes.
    for (int i = 0; i < 3000; ++i) {
        XWarpPointer(d, None, window_, 0, 0, 0, 0, 100 + i % 600, 100 + (i * 7) % 400);
        if (i % 100 == 0) XFlush(d);
    }
    XSync(d, False);
    SendDeleteWindow();
    const ChildResult result = demo_->Wait(10.0);
    ASSERT_TRUE(result.exited) << "still running 10 s after the close request";
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_LT(result.seconds, 30.0);
}

TEST_F(DemoWindowTest, EndsWithZeroOnSigterm) {
    // SIGTERM and SIGINT reach the program as a close request too.
    kill(demo_->Pid(), SIGTERM);
    const ChildResult result = demo_->Wait(10.0);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
}

}  // namespace
