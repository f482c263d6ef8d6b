// The window shows what the offscreen screen renders: the same scene drawn
// offscreen (in a child process: one video driver per process) and in a real
// window, compared pixel for pixel, readback and window content alike.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform.h"
#include "png_codec.h"
#include "x11_grab.h"

namespace {

constexpr std::size_t kPixels = static_cast<std::size_t>(kScreenWidth) * kScreenHeight;

// Upright, zoomed, turned and translucent quads with bilinear sampling, and a line.
bool DrawScene(Screen& screen) {
    screen.EnablePngDecoder();
    std::vector<std::uint32_t> texels;
    for (std::uint32_t i = 0; i < 64; ++i)
        texels.push_back(((i * 4 + 3) << 24) | (i * 4) << 16 | (255 - i * 3) << 8 | (i * 37 % 256));
    std::vector<std::uint8_t> png;
    if (!EncodePng(texels.data(), 8, 8, true, png)) return false;
    const SpriteHandle sprite = screen.CreateSprite(AutoHandle, png.data(), png.size(), 12);
    const SpriteHandle quad = screen.CreateSprite3D(AutoHandle, sprite);
    if (!quad) return false;
    screen.SetSprite3DQuality(1);
    screen.Clear(0xFFFFFF);
    screen.BeginSprite3D();
    screen.DisplaySprite3D(quad, 10, 10, 255);
    screen.ZoomSprite3D(quad, 20, 20);
    screen.DisplaySprite3D(quad, 100, 50, 255);
    screen.ZoomSprite3D(quad, 64, 48);
    screen.RotateSprite3D(quad, 30.0f, 0);
    screen.DisplaySprite3D(quad, 300, 200, 255);
    screen.RotateSprite3D(quad, -117.5f, 0);
    screen.DisplaySprite3D(quad, 320, 210, 100);
    screen.EndSprite3D();
    screen.Begin2D();
    screen.DrawLine(50, 100, 600, 1, 0);
    screen.DrawLine(600, 400, -150, 90, 0x2040FF);
    screen.End2D();
    return true;
}

std::vector<std::uint32_t> RenderOffscreenInChild() {
    int fds[2];
    if (pipe(fds) != 0) return {};
    // Forked before this process touches SDL, so the child starts clean.
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        PlatformStatus status;
        auto platform = Platform::Start(VideoMode::Offscreen, &status);
        auto screen = platform ? platform->OpenOffscreenScreen(&status) : nullptr;
        std::vector<std::uint32_t> pixels;
        if (screen && DrawScene(*screen)) pixels = screen->ReadPixels();
        const auto* bytes = reinterpret_cast<const char*>(pixels.data());
        std::size_t left = pixels.size() * 4;
        while (left > 0) {
            const ssize_t put = write(fds[1], bytes, left);
            if (put <= 0) break;
            bytes += put;
            left -= static_cast<std::size_t>(put);
        }
        _exit(left == 0 && !pixels.empty() ? 0 : 1);
    }
    close(fds[1]);
    // The child writes the whole frame, or fails and says so by its exit code.
    std::vector<std::uint32_t> pixels(kPixels);
    auto* bytes = reinterpret_cast<char*>(pixels.data());
    std::size_t got = 0;
    while (got < kPixels * 4) {
        const ssize_t n = read(fds[0], bytes + got, kPixels * 4 - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (got != kPixels * 4 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return pixels;
}

// Pixels whose colour differs (alpha aside: the window has none); first
// names where the first one lies.
int Mismatches(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b,
               std::string* first) {
    int count = 0;
    for (std::size_t i = 0; i < kPixels; ++i)
        if ((a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF) && count++ == 0)
            *first = testing::PrintToString(i % kScreenWidth) + "," +
                     testing::PrintToString(i / kScreenWidth);
    return count;
}

TEST(WindowParity, TheWindowShowsWhatTheOffscreenScreenRenders) {
    const char* display = std::getenv("DISPLAY");
    ASSERT_TRUE(display && *display) << "this test needs an X display: run it under xvfb-run";
    const std::vector<std::uint32_t> offscreen = RenderOffscreenInChild();
    ASSERT_EQ(offscreen.size(), kPixels) << "the offscreen child failed";

    PlatformStatus status;
    auto platform = Platform::Start(VideoMode::Window, &status);
    ASSERT_TRUE(platform) << PlatformErrorMessage(status.error) << " " << status.detail;
    auto window = platform->OpenWindow(&status);
    ASSERT_TRUE(window) << status.detail;
    auto screen = platform->OpenWindowedScreen(*window, &status);
    ASSERT_TRUE(screen) << status.detail;
    // Both sides must run the same renderer for pixel-exact agreement.
    EXPECT_STREQ(screen->RendererName(), "gl");
    ASSERT_TRUE(DrawScene(*screen));
    const std::vector<std::uint32_t> readback = screen->ReadPixels();
    std::string where;
    EXPECT_EQ(Mismatches(readback, offscreen, &where), 0) << "first at " << where;

    // What reaches the window after the flip is the same frame.
    screen->Flip();
    // The X server may take a moment to show the present.
    int mismatched = -1;
    for (int attempt = 0; attempt < 50 && mismatched != 0; ++attempt) {
        std::vector<std::uint32_t> shown;
        ASSERT_TRUE(GrabX11Window(window->SystemHandle(), shown));
        mismatched = Mismatches(shown, readback, &where);
        if (mismatched) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(mismatched, 0) << "window and back buffer differ, first at " << where;

    // An expose reaches the poll as a repaint; the loop's repaint shows the
    // same frame again, which the back buffer kept.
    ASSERT_TRUE(ExposeX11Window(window->SystemHandle()));
    std::int32_t code = EventNone;
    for (int attempt = 0; attempt < 200 && code != EventRepaint; ++attempt) {
        code = window->PollEvent();
        if (code != EventRepaint) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(code, EventRepaint);
    screen->Repaint();
    std::vector<std::uint32_t> repainted;
    ASSERT_TRUE(GrabX11Window(window->SystemHandle(), repainted));
    EXPECT_EQ(Mismatches(repainted, readback, &where), 0) << "first at " << where;
    EXPECT_TRUE(screen->ReadPixels() == readback);

    // SDL's renderer in the same window (one screen at a time) agrees too.
    screen.reset();
    auto sdl = platform->OpenWindowedScreen(*window, &status, ScreenBackend::SdlRenderer);
    ASSERT_TRUE(sdl) << status.detail;
    EXPECT_STREQ(sdl->RendererName(), "opengl");
    ASSERT_TRUE(DrawScene(*sdl));
    EXPECT_EQ(Mismatches(sdl->ReadPixels(), offscreen, &where), 0) << "SDL's renderer, first at " << where;
    sdl->Flip();
    mismatched = -1;
    for (int attempt = 0; attempt < 50 && mismatched != 0; ++attempt) {
        std::vector<std::uint32_t> shown;
        ASSERT_TRUE(GrabX11Window(window->SystemHandle(), shown));
        mismatched = Mismatches(shown, offscreen, &where);
        if (mismatched) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(mismatched, 0) << "SDL's renderer in the window, first at " << where;
}

}  // namespace
