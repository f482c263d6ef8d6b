// platform.h - the window, the screen and its sprites, for the demonstration
// and the tools.
//
// One backend draws everything: an SDL renderer (OpenGL where the machine has
// it) rendering every frame into an 800 x 600 back-buffer texture. A windowed
// screen copies that texture into its window at each flip; an offscreen
// screen (SDL's offscreen video driver with EGL, no X server) keeps it for
// readback. Both run the same drawing code, so a captured frame is the frame
// the window shows.
//
// A frame on either screen:
//   Clear -> BeginSprite3D -> DisplaySprite3D ... -> EndSprite3D
//         -> Begin2D -> SetDrawingMode -> DrawLine -> End2D -> Flip
//
// Sprites: CreateSprite decodes a PNG (see png_codec.h) into a texture of
// exactly its size; CreateSprite3D puts a quad over it. Quads displayed inside
// the batch collect in one vertex buffer and reach SDL in one
// SDL_RenderGeometry call per run of consecutive quads with the same texture.
//
// No SDL or libpng type appears here. Threads: one, the one that opened the
// platform. Handles that name nothing are ignored.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sprite_font.h"

inline constexpr std::int32_t kScreenWidth = 800;
inline constexpr std::int32_t kScreenHeight = 600;

// Event codes of PlatformWindow::PollEvent.
inline constexpr std::int32_t EventNone = 0;
inline constexpr std::int32_t EventRepaint = 15;  // handled inside the poll: the last frame shown again
inline constexpr std::int32_t EventClose = 16;    // close box, window menu, desktop shortcut, SIGINT

enum class VideoMode : std::int32_t {
    Window,     // a real display (X11 or Wayland); headless drivers are refused
    Offscreen,  // no display at all; offscreen screens only
};

// Why opening something failed. Tests compare kinds, never the message text.
enum class PlatformError : std::int32_t {
    Ok = 0,
    NoDisplay,       // no display to open a window on (or only a headless video driver)
    VideoInit,       // SDL's video could not start
    WindowCreate,    // the window could not be made
    NoRenderer,      // no accelerated renderer for the window or the offscreen surface
    TargetTexture,   // the 800 x 600 back buffer could not be made
    AlreadyOpen,     // a second platform, window or screen where only one may exist
};

const char* PlatformErrorMessage(PlatformError error) noexcept;

struct PlatformStatus {
    PlatformError error = PlatformError::Ok;
    std::string detail;  // SDL's own words, when it gave any
};

// Counters of the batch, for tests and benchmarks. A frame starts at Clear.
struct DrawStats {
    std::uint64_t geometryCalls = 0;       // SDL_RenderGeometry calls since the screen opened
    std::uint64_t frameGeometryCalls = 0;  // ... since the last Clear
    std::uint64_t quads = 0;               // quads submitted since the screen opened
    std::uint64_t frameQuads = 0;          // ... since the last Clear
    std::uint64_t frames = 0;              // flips
};

class Screen;

class PlatformWindow {
public:
    virtual ~PlatformWindow() = default;
    // Never waits; takes at most one event. Returns EventNone, EventClose or
    // EventRepaint (after showing the last frame again); everything else the
    // program does not act on is kept out of the queue.
    virtual std::int32_t PollEvent() noexcept = 0;
    // The window system's handle (an SDL_Window*), to pass on to a screen.
    virtual void* SystemHandle() noexcept = 0;
};

class Screen : public SpritePlatform {
public:
    // 3D-sprite sampling from the next batch on: 0 nearest, 1 (or more) bilinear.
    virtual void SetSprite3DQuality(std::int32_t quality) noexcept = 0;
    // Until this runs CreateSprite accepts no image.
    virtual void EnablePngDecoder() noexcept = 0;

    // colour is 0xBBGGRR (red in the low byte); the whole back buffer takes it.
    virtual void Clear(std::uint32_t colour) noexcept = 0;
    virtual void BeginSprite3D() noexcept = 0;
    virtual void EndSprite3D() noexcept = 0;

    // 2D drawing on the back buffer after the batch. Begin2D ends any batch
    // still open and returns false when there is nothing to draw on.
    virtual bool Begin2D() noexcept = 0;
    // 1 is a transparent background for text and patterns; lines ignore it.
    virtual void SetDrawingMode(std::int32_t mode) noexcept = 0;
    // From (x, y) to (x + width - 1, y + height - 1), both ends included.
    virtual void DrawLine(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                          std::uint32_t colour) noexcept = 0;
    virtual void End2D() noexcept = 0;

    // Shows the back buffer. A windowed screen presents it in step with the
    // display's retrace, or paces itself to the refresh rate where the retrace
    // cannot be had. An offscreen screen only finishes the frame.
    virtual void Flip() noexcept = 0;
    // Shows the last finished frame again (a repaint request).
    virtual void Repaint() noexcept = 0;

    // The back buffer as 0xAARRGGBB, row after row from the top; out must
    // hold kScreenWidth * kScreenHeight pixels. False when it cannot be read.
    virtual bool ReadPixels(std::span<std::uint32_t> out) noexcept = 0;
    std::vector<std::uint32_t> ReadPixels();

    virtual const DrawStats& Stats() const noexcept = 0;
    // The SDL render driver in use ("opengl", "opengles2", ...).
    virtual const char* RendererName() const noexcept = 0;
    // True when Flip paces itself because the retrace is not available.
    virtual bool SelfPaced() const noexcept = 0;
    // Frames per second Flip aims at when it paces itself.
    virtual double RefreshRate() const noexcept = 0;
};

// Starts and stops SDL's video. One per process, in one mode: a process that
// opens a window cannot open an offscreen screen, and the other way round.
// Close in reverse order of opening: screens, then the window, then this.
class Platform {
public:
    static std::unique_ptr<Platform> Start(VideoMode mode, PlatformStatus* status);
    ~Platform();
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    VideoMode Mode() const noexcept { return mode_; }
    // The SDL video driver in use ("x11", "offscreen", ...).
    const char* VideoDriver() const noexcept;

    // Title "SCREEN", client area 800 x 600, not resizable, centred, shown.
    // Only in VideoMode::Window.
    std::unique_ptr<PlatformWindow> OpenWindow(PlatformStatus* status);
    // The screen filling the window's client area.
    std::unique_ptr<Screen> OpenWindowedScreen(PlatformWindow& window, PlatformStatus* status);
    // 800 x 600 with no window; only in VideoMode::Offscreen.
    std::unique_ptr<Screen> OpenOffscreenScreen(PlatformStatus* status);

private:
    explicit Platform(VideoMode mode) : mode_(mode) {}
    VideoMode mode_;
};
