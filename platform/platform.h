// platform.h - the window, the screen and its sprites, for the demonstration
// and the tools.
//
// A screen is made of parts (each in a file of its own):
//   - the sprite table (sprite_table.h): sprite and 3D-sprite handles and
//     what a 3D sprite remembers (texture rectangle, zoom, turn, tint);
//   - the quad batch (quad_batch.h): the frame's quads as vertices, in runs
//     of one texture;
//   - a backend that draws (render_backend.h): our own OpenGL 3.3 renderer
//     (gl_backend.h), or SDL's renderer (sdl_renderer_backend.h) for
//     applications that own one and where GL 3.3 cannot be had;
//   - a target that a flip shows the frame in (screen_target.h): the
//     window, nothing (offscreen), or an application's renderer.
// Every frame is drawn into an 800 x 600 back buffer; a windowed screen
// copies it into its window at each flip, an offscreen screen (SDL's
// offscreen video driver with EGL, no X server) keeps it for readback. Both
// run the same drawing code, so a captured frame is the frame the window shows.
//
// A frame on either screen:
//   Clear -> BeginSprite3D -> DisplaySprite3D ... -> EndSprite3D
//         -> Begin2D -> SetDrawingMode -> DrawLine -> End2D -> Flip
//
// Sprites: CreateSprite decodes a PNG (see png_codec.h) into a texture of
// exactly its size; CreateSprite3D puts a quad over it. Quads displayed inside
// the batch collect in one vertex array and reach the driver in one draw
// call per run of consecutive quads with the same texture.
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
inline constexpr std::int32_t EventRepaint = 15;  // the window needs the last frame again: call Screen::Repaint
inline constexpr std::int32_t EventClose = 16;    // close box, window menu, desktop shortcut, SIGINT

// What a window or offscreen screen draws with.
enum class ScreenBackend : std::int32_t {
    Gl,           // our own OpenGL 3.3 core renderer (SDL's renderer if no such context can be had)
    SdlRenderer,  // SDL's renderer (OpenGL where the machine has it)
};

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
    std::uint64_t geometryCalls = 0;       // draw calls of 3D-sprite quads since the screen opened
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
    // EventRepaint (the frame loop then calls the screen's Repaint, or draws
    // a new frame); everything else the program does not act on is kept out
    // of the queue.
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
    // The backend in use: "gl" for our own renderer, else SDL's render
    // driver ("opengl", "opengles2", ...).
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
    // One screen per window.
    std::unique_ptr<Screen> OpenWindowedScreen(PlatformWindow& window, PlatformStatus* status,
                                               ScreenBackend backend = ScreenBackend::Gl);
    // 800 x 600 with no window; only in VideoMode::Offscreen.
    std::unique_ptr<Screen> OpenOffscreenScreen(PlatformStatus* status, ScreenBackend backend = ScreenBackend::Gl);

private:
    explicit Platform(VideoMode mode) : mode_(mode) {}
    VideoMode mode_;
};
