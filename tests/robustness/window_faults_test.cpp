// The window program under faults on a real X server (Xvfb in CI): a close
// request in the middle of a pointer storm, the window covered and
// uncovered over and over, and the X server itself going away.
#include <gtest/gtest.h>

// After gtest: Xlib's macros (None, Bool, ...) would break its headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "child_process.h"
#include "x11_window.h"

namespace {

using Clock = std::chrono::steady_clock;

// True once the window shows the frame: white, and the guide line on row 100.
bool ShowsTheFrame(Display* display, Window window, double withinSeconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(withinSeconds);
    do {
        XImage* image = XGetImage(display, window, 0, 0, 800, 600, AllPlanes, ZPixmap);
        if (image) {
            const bool frame = (XGetPixel(image, 5, 5) & 0xFFFFFF) == 0xFFFFFF &&
                               (XGetPixel(image, 60, 100) & 0xFFFFFF) == 0 &&
                               (XGetPixel(image, 640, 100) & 0xFFFFFF) == 0 &&
                               (XGetPixel(image, 790, 590) & 0xFFFFFF) == 0xFFFFFF;
            XDestroyImage(image);
            if (frame) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (Clock::now() < deadline);
    return false;
}

// Requests to a window that has just been destroyed (the program closing
// under the pointer storm) fail harmlessly; Xlib's default would exit.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

class WindowFaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        XInitThreads();
        XSetErrorHandler(IgnoreXErrors);
        const char* name = std::getenv("DISPLAY");
        ASSERT_TRUE(name && *name) << "these tests need an X display: run them under xvfb-run";
        // Xvfb started without -noreset refuses connections for a moment
        // while it starts over after its last client has left.
        display_ = OpenDisplay(100);
        ASSERT_TRUE(display_) << "cannot open the X display " << name;
        demo_ = std::make_unique<ChildProcess>(SPRITEFONT_DEMO_PATH, std::vector<std::string>{"SDL_VIDEODRIVER"},
                                               std::vector<std::string>{});
        ASSERT_TRUE(demo_->Started());
        window_ = WaitForViewableWindow(display_.get(), "SCREEN", demo_->Pid(), 20.0);
        ASSERT_NE(window_, 0u) << "no viewable window named SCREEN appeared";
    }

    DisplayPtr display_;
    std::unique_ptr<ChildProcess> demo_;
    Window window_ = 0;
};

TEST_F(WindowFaultsTest, TheCloseRequestArrivesInTheMiddleOfAPointerStorm) {
    // A second connection keeps the pointer moving over the window before,
    // during and after the close request, until the program has gone, at
    // 1000 moves a second, as the fastest mice report. (A flood of warps
    // with no pause outruns the program's event reading, most of all in a
    // sanitizer build, and the loop then waits in the poll until it ends.)
    std::atomic<bool> stop{false};
    std::thread storm([&stop, window = window_] {
        DisplayPtr d(XOpenDisplay(nullptr));
        if (!d) return;
        for (int i = 0; !stop; ++i) {
            XWarpPointer(d.get(), 0, window, 0, 0, 0, 0, 10 + (i * 13) % 780, 10 + (i * 7) % 580);
            XFlush(d.get());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const auto sent = Clock::now();
    SendDeleteWindow(display_.get(), window_);
    // Wait's limit counts from the program's start, which a sanitizer build
    // makes slow; the time that matters is taken from the close request.
    const ChildResult result = demo_->Wait(120.0);
    const double afterClose = std::chrono::duration<double>(Clock::now() - sent).count();
    stop = true;
    storm.join();
    ASSERT_TRUE(result.exited) << "still running long after the close request";
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_LT(afterClose, 10.0);
}

TEST_F(WindowFaultsTest, CoveredAndUncoveredTheWindowShowsTheFrameAgain) {
    Display* d = display_.get();
    ASSERT_TRUE(ShowsTheFrame(d, window_, 5.0));
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(d, window_, DefaultRootWindow(d), 0, 0, &x, &y, &child);

    // A black window laid over the whole client area, or over its left half,
    // with no window manager to place it: override-redirect, as a menu is.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(d, DefaultScreen(d));
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const unsigned width = round % 2 == 0 ? 800 : 400;
        const Window cover = XCreateWindow(d, DefaultRootWindow(d), x, y, width, 600, 0, CopyFromParent,
                                           InputOutput, nullptr, CWOverrideRedirect | CWBackPixel, &attributes);
        XMapRaised(d, cover);
        XSync(d, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        // The cover is what the screen shows there now.
        XImage* seen = XGetImage(d, DefaultRootWindow(d), x + 5, y + 5, 1, 1, AllPlanes, ZPixmap);
        ASSERT_TRUE(seen);
        EXPECT_EQ(XGetPixel(seen, 0, 0) & 0xFFFFFF, 0u);
        XDestroyImage(seen);
        XDestroyWindow(d, cover);
        XSync(d, False);
        EXPECT_TRUE(ShowsTheFrame(d, window_, 3.0)) << "the uncovered window does not show the frame";
    }
    const auto sent = Clock::now();
    SendDeleteWindow(d, window_);
    const ChildResult result = demo_->Wait(120.0);
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - sent).count(), 10.0);
}

// An X server of our own that this test can take away.
class PrivateServer {
public:
    PrivateServer() {
        for (int number = 150; number < 200 && pid_ <= 0; ++number) {
            const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            struct stat info;
            if (stat(lock.c_str(), &info) == 0 || stat(socket.c_str(), &info) == 0) continue;
            name_ = ":" + std::to_string(number);
            pid_ = fork();
            if (pid_ == 0) {
                const int null = open("/dev/null", O_WRONLY);
                dup2(null, STDOUT_FILENO);
                dup2(null, STDERR_FILENO);
                execlp("Xvfb", "Xvfb", name_.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
                       static_cast<char*>(nullptr));
                _exit(127);
            }
            // Ready when a client can connect (-noreset: the server does not
            // start over when that client leaves again).
            const auto deadline = Clock::now() + std::chrono::seconds(10);
            while (Clock::now() < deadline) {
                if (Display* d = XOpenDisplay(name_.c_str())) {
                    XCloseDisplay(d);
                    ready_ = true;
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
    }
    ~PrivateServer() { Stop(); }
    bool Ready() const { return ready_; }
    const std::string& Name() const { return name_; }
    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
    std::string name_;
};

TEST(WindowFaults, TheXServerGoingAwayEndsTheProgramWithAMessage) {
    PrivateServer server;
    ASSERT_TRUE(server.Ready()) << "could not start a private Xvfb";
    DisplayPtr display(XOpenDisplay(server.Name().c_str()));
    ASSERT_TRUE(display);
    ChildProcess demo(SPRITEFONT_DEMO_PATH, {"SDL_VIDEODRIVER", "WAYLAND_DISPLAY"}, {"DISPLAY=" + server.Name()});
    ASSERT_TRUE(demo.Started());
    ASSERT_NE(WaitForViewableWindow(display.get(), "SCREEN", demo.Pid(), 20.0), 0u);
    display.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    const auto gone = Clock::now();
    server.Stop();
    const ChildResult result = demo.Wait(120.0);
    ASSERT_TRUE(result.exited) << "still running long after its X server went away";
    EXPECT_EQ(result.exitCode, 1) << "neither a crash nor a clean-looking 0";
    EXPECT_FALSE(result.stderrText.empty());
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - gone).count(), 10.0);
}

}  // namespace
