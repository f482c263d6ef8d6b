// sdl_renderer_screen.h - the platform over an SDL renderer that the
// application made and owns, for programs with their own window and loop.
//
// The returned Screen is the engine's SpritePlatform: install it with
// SetSpritePlatform, load fonts, and draw text between BeginSprite3D and
// EndSprite3D. It draws into the renderer's current target and never changes
// the target; EndSprite3D hands the collected quads to SDL, so call it before
// your own SDL_RenderPresent (or call Flip, which presents). Clear and
// DrawLine draw on the current target too; they leave the renderer's draw
// blend mode at SDL_BLENDMODE_NONE. ReadPixels reads the target's top-left
// 800 x 600 pixels.
//
// Create the renderer with SDL_RENDERER_ACCELERATED; if you name a render
// driver, set SDL_HINT_RENDER_BATCHING to "1" first, or SDL stops batching.
// Close the screen before you destroy the renderer; it does not destroy it.
#pragma once

#include <SDL.h>

#include <memory>

#include "platform.h"

// Null (with the reason in *status, if given) when renderer is null or the
// screen's textures cannot be made on it.
std::unique_ptr<Screen> OpenScreenOnRenderer(SDL_Renderer* renderer, PlatformStatus* status = nullptr);
