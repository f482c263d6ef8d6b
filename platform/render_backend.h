// render_backend.h - what draws: textures, the batch's quads, clears, the
// 2D pass's rectangles and points, readback and showing the frame. Two
// implementations: our own OpenGL renderer (gl_backend.cpp) and SDL's
// renderer (sdl_renderer_backend.cpp), for applications that own one.
//
// Every frame is drawn into an 800 x 600 back buffer (except on an
// application's renderer, which draws into the application's target);
// showing copies it into the window, so a repaint can show it again.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "gpu_texture.h"
#include "png_codec.h"
#include "quad_batch.h"

class RenderBackend {
public:
    virtual ~RenderBackend() = default;

    // "gl" for our own renderer; SDL's render driver name for SDL's.
    virtual const char* Name() const noexcept = 0;
    virtual std::int32_t MaxTextureSide() const noexcept = 0;
    // The byte order the backend's textures take without conversion.
    virtual PixelOrder TextureOrder() const noexcept = 0;
    // A texture of the decoded image; opaque drops its alpha (reads 255).
    // The image's pixels may be consumed. Null when it cannot be made.
    virtual std::unique_ptr<GpuTexture> CreateTexture(DecodedImage& image, bool opaque) noexcept = 0;
    // Whether runs with a field state are drawn with the field program;
    // otherwise their textures are drawn as plain alpha.
    virtual bool DrawsFields() const noexcept { return false; }

    // Runs the batch's commands in order: clears and 2D fills replace
    // pixels (alpha 255), quads blend source alpha over inverse source alpha
    // in one draw call per run. Colours are 0xBBGGRR.
    virtual void Draw(const QuadBatch& batch) noexcept = 0;

    // The back buffer as 0xAARRGGBB, rows from the top.
    virtual bool ReadPixels(std::span<std::uint32_t> out) noexcept = 0;
    // Copies the back buffer into the window and presents it.
    virtual void Present() noexcept = 0;
    // Waits until the frame is drawn, for screens that show nothing: without
    // it the driver queues frames it has not drawn and its memory grows.
    virtual void Finish() noexcept = 0;
    // Whether a present waits for the display's retrace.
    virtual bool PresentWaitsForRetrace() const noexcept = 0;
};
