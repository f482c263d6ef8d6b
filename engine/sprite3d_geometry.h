// sprite3d_geometry.h - where a 3D sprite's corners land on the screen.
//
// The one definition of the quad's geometry: the platform writes its
// vertices with it and the engine's glyph-quad queries report the same
// corners with it, so the two cannot drift apart. A quad is zoomed to
// width x height, has its top-left corner (before the turn) on the display
// point, and turns about its own centre; with y down a positive angle is
// clockwise. Corners come in the seam's order: top-left, top-right,
// bottom-left, bottom-right of the quad before the turn.
#pragma once

#include <cmath>
#include <cstdint>

namespace sprite3d_geometry {

struct Turn {
    float cosine = 1.0f;
    float sine = 0.0f;
    bool upright = true;  // no turn at all: corners are taken exactly
};

// Cosine and sine of a turn in degrees, exact at multiples of 90 so that
// quarter turns keep texels on pixels; not-finite angles count as 0.
inline Turn TurnOf(float degrees) noexcept {
    double reduced = std::isfinite(degrees) ? std::fmod(static_cast<double>(degrees), 360.0) : 0.0;
    if (reduced < 0.0) reduced += 360.0;
    if (reduced == 0.0) return Turn{1.0f, 0.0f, true};
    if (reduced == 90.0) return Turn{0.0f, 1.0f, false};
    if (reduced == 180.0) return Turn{-1.0f, 0.0f, false};
    if (reduced == 270.0) return Turn{0.0f, -1.0f, false};
    const double radians = reduced * 0.017453292519943295;
    return Turn{static_cast<float>(std::cos(radians)), static_cast<float>(std::sin(radians)), false};
}

// Whether a quad of this zoom shows anything: empty, or mirrored in one
// direction only (its winding turned), draws nothing.
inline bool IsVisible(std::int32_t width, std::int32_t height) noexcept {
    return width != 0 && height != 0 && ((width < 0) == (height < 0));
}

// The four corners of a quad displayed at (x, y), zoomed to width x height.
inline void Corners(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, const Turn& turn,
                    float cornerX[4], float cornerY[4]) noexcept {
    const float left = static_cast<float>(x);
    const float top = static_cast<float>(y);
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    if (turn.upright) {
        cornerX[0] = left, cornerY[0] = top;
        cornerX[1] = left + w, cornerY[1] = top;
        cornerX[2] = left, cornerY[2] = top + h;
        cornerX[3] = left + w, cornerY[3] = top + h;
        return;
    }
    const float hw = w * 0.5f;
    const float hh = h * 0.5f;
    const float cx = left + hw;
    const float cy = top + hh;
    const float c = turn.cosine;
    const float s = turn.sine;
    const float dx[4] = {-hw, hw, -hw, hw};
    const float dy[4] = {-hh, -hh, hh, hh};
    for (int i = 0; i < 4; ++i) {
        cornerX[i] = cx + (dx[i] * c - dy[i] * s);
        cornerY[i] = cy + (dx[i] * s + dy[i] * c);
    }
}

}  // namespace sprite3d_geometry
