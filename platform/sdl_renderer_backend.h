// sdl_renderer_backend.h - drawing through an SDL_Renderer: SDL's OpenGL
// renderer where the machine has it. Used for applications that own their
// renderer, and as the fallback where our own GL renderer cannot start.
#pragma once

#include <SDL.h>

#include <memory>

#include "platform.h"
#include "render_backend.h"

// On window, a renderer of our own drawing into an 800 x 600 back buffer;
// vsync asks presents to wait for the retrace.
std::unique_ptr<RenderBackend> CreateSdlRendererBackend(SDL_Window* window, bool vsync, PlatformStatus* status);
// On the application's renderer, drawing into its current target; the
// renderer stays the application's.
std::unique_ptr<RenderBackend> CreateSdlRendererBackendOn(SDL_Renderer* renderer, PlatformStatus* status);
