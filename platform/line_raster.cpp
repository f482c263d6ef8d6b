#include "line_raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform.h"

RasterLine RasteriseLine(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                         std::vector<PixelPoint>& points) noexcept {
    RasterLine result;
    points.clear();
    const std::int64_t x0 = x, y0 = y;
    const std::int64_t x1 = x0 + width - 1, y1 = y0 + height - 1;
    if (x0 == x1 || y0 == y1) {
        // Straight along an axis: a filled rectangle, clipped to the screen
        // first so that far-off coordinates cannot overflow.
        const std::int64_t left = std::max<std::int64_t>(std::min(x0, x1), -1);
        const std::int64_t right = std::min<std::int64_t>(std::max(x0, x1), kScreenWidth);
        const std::int64_t top = std::max<std::int64_t>(std::min(y0, y1), -1);
        const std::int64_t bottom = std::min<std::int64_t>(std::max(y0, y1), kScreenHeight);
        if (left > right || top > bottom) return result;
        result.isRect = true;
        result.rect = PixelRect{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                                static_cast<std::int32_t>(right - left + 1), static_cast<std::int32_t>(bottom - top + 1)};
        return result;
    }
    // A slanted line: one pixel per step along its longer axis, the other
    // coordinate rounded, walking only the part that can be on screen.
    const bool steep = std::abs(y1 - y0) > std::abs(x1 - x0);
    const std::int64_t a0 = steep ? y0 : x0, a1 = steep ? y1 : x1;
    const std::int64_t b0 = steep ? x0 : y0, b1 = steep ? x1 : y1;
    const std::int64_t extent = steep ? kScreenHeight : kScreenWidth;
    const std::int64_t da = a1 - a0, db = b1 - b0;
    const std::int64_t step = da > 0 ? 1 : -1;
    const std::int64_t from = std::clamp<std::int64_t>(a0, -1, extent);
    const std::int64_t to = std::clamp<std::int64_t>(a1, -1, extent);
    for (std::int64_t a = from;; a += step) {
        if (a >= 0 && a < extent) {
            const std::int64_t b =
                b0 + std::llround(static_cast<double>(a - a0) * static_cast<double>(db) / static_cast<double>(da));
            const std::int64_t px = steep ? b : a, py = steep ? a : b;
            if (px >= 0 && px < kScreenWidth && py >= 0 && py < kScreenHeight && points.size() < points.capacity())
                points.push_back({static_cast<std::int32_t>(px), static_cast<std::int32_t>(py)});
        }
        if (a == to) break;
    }
    return result;
}
