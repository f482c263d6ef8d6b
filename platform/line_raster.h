// line_raster.h - the pixels of a 2D line from (x, y) over width - 1 and
// height - 1 pixels, both end points included, clipped to the screen.
#pragma once

#include <cstdint>
#include <vector>

#include "render_backend.h"

struct RasterLine {
    bool isRect = false;  // along an axis: one rectangle, else points
    PixelRect rect{};
};

// Fills points (cleared first, never grown past its capacity) for a slanted
// line, or result.rect for a straight one; neither when nothing is on screen.
RasterLine RasteriseLine(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                         std::vector<PixelPoint>& points) noexcept;
