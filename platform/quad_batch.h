// quad_batch.h - the frame's drawing, in order, waiting for the backend:
// 3D-sprite quads as six vertices each (two triangles, no indices) in one
// array, in runs of consecutive quads that share a texture and a filter,
// with the clears and 2D rectangles and points between them.
//
// Nothing reaches the driver until the frame is shown or read: the
// backend then takes the whole list at once (one vertex upload a frame).
// The arrays only grow, doubling, so a steady frame allocates nothing once
// the largest frame has been seen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "field_shader.h"

class GpuTexture;

// One corner of a quad: the layout of SDL_Vertex (position, colour bytes
// r g b a, texture coordinate), so the SDL_Renderer backend can hand the
// array over as it is and the GL backend can read it as its vertex format.
struct QuadVertex {
    float x, y;
    std::uint8_t r, g, b, a;
    float u, v;
};
static_assert(sizeof(QuadVertex) == 20);

inline constexpr std::size_t kVerticesPerQuad = 6;

struct PixelRect {
    std::int32_t x, y, width, height;
};
struct PixelPoint {
    std::int32_t x, y;
};

enum class BatchStep : std::int32_t {
    Quads,   // a run: texture, linear, first, count
    Clear,   // the whole back buffer takes colour
    Fill,    // rect takes colour, replacing pixels
    Points,  // points first .. first + count - 1 take colour
};

struct BatchCommand {
    BatchStep step;
    GpuTexture* texture;   // Quads
    bool linear;           // Quads: bilinear sampling, else nearest
    std::size_t first;     // Quads: first quad; Points: first point
    std::size_t count;     // quads or points
    std::uint32_t colour;  // 0xBBGGRR
    PixelRect rect;        // Fill
    std::size_t field;     // Quads: 0 plain, else 1 + the index of the run's FieldState
};

class QuadBatch {
public:
    // Room for one more quad at the end of a run of texture and filter.
    // Null when memory runs out (the quad is then dropped). The caller
    // writes all six vertices. *newRun tells whether the quad began a run
    // (a draw call).
    // field: the distance-field state the quad is drawn with (copied; runs
    // break where it changes), or null for a plain quad.
    QuadVertex* Add(GpuTexture* texture, bool linear, bool* newRun, const FieldState* field = nullptr) noexcept;
    // The next quad starts a run of its own (a run never spans two batches).
    void CloseRun() noexcept { closed_ = true; }
    void AddClear(std::uint32_t colour) noexcept;
    void AddFill(const PixelRect& rect, std::uint32_t colour) noexcept;
    void AddPoints(const std::vector<PixelPoint>& points, std::uint32_t colour) noexcept;

    bool Empty() const noexcept { return commands_.empty(); }
    std::size_t Quads() const noexcept { return quads_; }
    const QuadVertex* Vertices() const noexcept { return vertices_.data(); }
    const std::vector<BatchCommand>& Commands() const noexcept { return commands_; }
    const PixelPoint* Points() const noexcept { return points_.data(); }
    // The field state of a run whose field is not 0.
    const FieldState& Field(const BatchCommand& run) const noexcept { return fields_[run.field - 1]; }
    // Forgets everything (the backend has drawn it); keeps the memory.
    void Reset() noexcept {
        quads_ = 0;
        commands_.clear();
        points_.clear();
        fields_.clear();
        closed_ = false;
    }

private:
    bool Grow() noexcept;
    bool Push(const BatchCommand& command) noexcept;

    std::vector<QuadVertex> vertices_;
    std::vector<BatchCommand> commands_;
    std::vector<PixelPoint> points_;
    std::vector<FieldState> fields_;  // of the field runs, in order
    std::size_t quads_ = 0;
    std::size_t capacity_ = 0;  // quads the vertex array holds
    bool closed_ = false;       // the last run takes no more quads
};
