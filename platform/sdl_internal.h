// sdl_internal.h - what the SDL window and the SDL screen share inside the
// platform library. Not installed, not included outside platform/.
#pragma once

#include <SDL.h>

#include <memory>

#include "platform.h"

struct SdlWindowDeleter {
    void operator()(SDL_Window* window) const noexcept { SDL_DestroyWindow(window); }
};
using SdlWindowPtr = std::unique_ptr<SDL_Window, SdlWindowDeleter>;

// Makes the screen for an SDL window: windowed presents into it at each flip,
// offscreen owns the (hidden) window and only keeps the back buffer.
// repaintLink is the window's cell naming the screen that repaints it on an
// expose; the screen fills it and empties it again when it closes.
std::unique_ptr<Screen> CreateSdlScreen(SDL_Window* window, SdlWindowPtr ownedWindow,
                                        std::shared_ptr<Screen*> repaintLink, bool windowed,
                                        PlatformStatus* status);
