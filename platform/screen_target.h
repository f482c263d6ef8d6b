// screen_target.h - where a screen's frames go when it flips: into a window
// (window_target.cpp), nowhere (offscreen_target.cpp), or an application's
// renderer (application_target.cpp).
#pragma once

#include <SDL.h>

#include <memory>

#include "platform.h"
#include "render_backend.h"

class ScreenTarget {
public:
    virtual ~ScreenTarget() = default;
    // The window the backend's context lives on (hidden when offscreen).
    virtual SDL_Window* Window() const noexcept = 0;
    // False when the frame is drawn into the application's target, not a
    // back buffer of the screen's own.
    virtual bool HasBackBuffer() const noexcept { return true; }
    // Learns from the backend how presents are paced, once it is made.
    virtual void Attach(RenderBackend& backend) noexcept { (void)backend; }
    // Shows the finished frame.
    virtual void Show(RenderBackend& backend) noexcept = 0;
    // Shows the last finished frame again, where there is anything to show.
    virtual void Repaint(RenderBackend& backend) noexcept { (void)backend; }
    virtual bool SelfPaced() const noexcept { return false; }
    virtual double RefreshRate() const noexcept { return 60.0; }
};

// The window's screen; null with AlreadyOpen when the window has one.
std::unique_ptr<ScreenTarget> CreateWindowTarget(SDL_Window* window, PlatformStatus* status);
// A hidden window to hang the context on; frames are only finished.
std::unique_ptr<ScreenTarget> CreateOffscreenTarget(PlatformStatus* status);
// The application's renderer: a flip presents it.
std::unique_ptr<ScreenTarget> CreateApplicationTarget(SDL_Renderer* renderer);

// The screen that draws through backend into target.
std::unique_ptr<Screen> CreateScreen(std::unique_ptr<ScreenTarget> target, std::unique_ptr<RenderBackend> backend,
                                     PlatformStatus* status);
