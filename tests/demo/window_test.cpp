// The demonstration's real window on an X server (Xvfb in CI), examined and
// closed the way a window manager would.
#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Bool, ...) would break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <signal.h>

#include <chrono>
#include <memory>
#include <cstdlib>
#include <string>
#include <thread>

#include "child_process.h"
#include "x11_window.h"

namespace {

class DemoWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* name = std::getenv("DISPLAY");
        ASSERT_TRUE(name && *name) << "these tests need an X display: run them under xvfb-run";
        display_ = OpenDisplay();
        ASSERT_TRUE(display_) << "cannot open the X display " << name;
        demo_ = std::make_unique<ChildProcess>(SPRITEFONT_DEMO_PATH,
                                               std::vector<std::string>{"SDL_VIDEODRIVER"},
                                               std::vector<std::string>{});
        ASSERT_TRUE(demo_->Started());
        // Mapped and drawn within a few seconds, even on a loaded machine.
        window_ = WaitForViewableWindow(display_.get(), "SCREEN", demo_->Pid(), 20.0);
        ASSERT_NE(window_, 0u) << "no viewable window named SCREEN appeared";
    }

    DisplayPtr display_;
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

    SendDeleteWindow(display_.get(), window_);
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
    SendDeleteWindow(display_.get(), window_);
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
