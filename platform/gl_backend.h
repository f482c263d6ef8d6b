// gl_backend.h - our own renderer on OpenGL 3.3 core, through a context
// that SDL makes on the target's window (Mesa's llvmpipe here, real drivers
// elsewhere; both give 3.3 core on X11 and on SDL's offscreen EGL driver).
//
// One vertex buffer, mapped with invalidation for each hand-over of quads
// (never orphaned, so no fresh pages in a steady frame); six vertices a
// quad drawn with glDrawArrays, one call per texture run; one shader pair.
// The pixels are those of SDL's OpenGL renderer: the same projection
// matrix, vertex colours scaled by the same 1/255, texture times colour,
// straight alpha blended source alpha over inverse source alpha, clamped
// texture edges, and a back buffer stored top row first.
#pragma once

#include <SDL.h>

#include <memory>

#include "platform.h"
#include "render_backend.h"

// Null (with the reason) when the window takes no GL 3.3 core context or the
// shaders do not build. vsync asks presents to wait for the retrace.
std::unique_ptr<RenderBackend> CreateGlBackend(SDL_Window* window, bool vsync, PlatformStatus* status);
