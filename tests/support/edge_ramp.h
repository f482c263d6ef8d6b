// The width of an edge's 10-90 % ramp in a picture, in pixels across the
// edge, measured as a slanted-edge test does: each row's 50 % crossing is
// found, a line is fitted through them, and every pixel near the edge is
// placed by its distance from that line; the averaged profile (many
// sub-pixel phases, so no luck of where the edge falls) gives the ramp.
// Header only: the field tests and the field benchmark share it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace test_support {

// Ink darker than the ground, edge crossed left to right (ground to ink),
// near-vertical (a turn of up to about 40 degrees). pixels: 0xAARRGGBB rows
// of width. Rows y0..y1-1, each searched from x0 to x1-1 for the first ink
// crossing. reach: pixels outside the edge to take (wide enough for the
// softest ramp expected). NaN when the rows show no usable edge.
inline double EdgeRampWidth(const std::vector<std::uint32_t>& pixels, std::int32_t width, std::int32_t x0,
                            std::int32_t x1, std::int32_t y0, std::int32_t y1, double ground, double ink,
                            double reach) {
    const auto level = [&](std::int32_t x, std::int32_t y) {
        const std::uint32_t p = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                       static_cast<std::size_t>(x)];
        const double grey = ((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) / 3.0;
        return std::clamp((ground - grey) / (ground - ink), 0.0, 1.0);
    };
    struct Row {
        double y, enter, leave;
    };
    std::vector<Row> rows;
    for (std::int32_t y = y0; y < y1; ++y) {
        double enter = NAN, leave = NAN;
        for (std::int32_t x = x0 + 1; x < x1; ++x) {
            const double a = level(x - 1, y), b = level(x, y);
            if (std::isnan(enter) && a < 0.5 && b >= 0.5) enter = x - 1 + 0.5 + (0.5 - a) / (b - a);
            else if (!std::isnan(enter) && a >= 0.5 && b < 0.5) {
                leave = x - 1 + 0.5 + (a - 0.5) / (a - b);
                break;
            }
        }
        if (!std::isnan(enter)) rows.push_back({y + 0.5, enter, std::isnan(leave) ? enter + reach : leave});
    }
    if (rows.size() < 3) return NAN;
    // Least squares: enter = a + b * y.
    double sy = 0, se = 0, syy = 0, sye = 0;
    for (const Row& r : rows) sy += r.y, se += r.enter, syy += r.y * r.y, sye += r.y * r.enter;
    const double n = static_cast<double>(rows.size());
    const double det = n * syy - sy * sy;
    const double b = det != 0.0 ? (n * sye - sy * se) / det : 0.0;
    const double a = (se - b * sy) / n;
    const double across = 1.0 / std::sqrt(1.0 + b * b);  // horizontal distance to distance across the edge
    constexpr double kBin = 0.05;
    const int bins = static_cast<int>(std::ceil(2.0 * reach / kBin)) + 1;
    std::vector<double> sum(static_cast<std::size_t>(bins), 0.0), count(static_cast<std::size_t>(bins), 0.0);
    for (const Row& r : rows) {
        const std::int32_t y = static_cast<std::int32_t>(r.y);
        const double line = a + b * r.y;
        const double inner = (r.enter + r.leave) * 0.5;  // the middle of the stroke: the far edge stays out
        for (std::int32_t x = x0; x < x1; ++x) {
            const double cx = x + 0.5;
            if (cx > inner) break;
            const double d = (cx - line) * across;
            if (d < -reach || d > reach) continue;
            const int bin = static_cast<int>((d + reach) / kBin);
            if (bin < 0 || bin >= bins) continue;
            sum[static_cast<std::size_t>(bin)] += level(x, y);
            count[static_cast<std::size_t>(bin)] += 1.0;
        }
    }
    std::vector<double> d, v;
    for (int i = 0; i < bins; ++i)
        if (count[static_cast<std::size_t>(i)] > 0) {
            d.push_back(-reach + (i + 0.5) * kBin);
            v.push_back(sum[static_cast<std::size_t>(i)] / count[static_cast<std::size_t>(i)]);
        }
    if (d.size() < 4) return NAN;
    // The profile's crossings nearest the edge, outwards from it.
    std::size_t mid = 0;
    while (mid + 1 < d.size() && d[mid + 1] <= 0.0) ++mid;
    // Where the level passes `at` between samples i and j (linear in between).
    const auto cross = [&](std::size_t i, std::size_t j, double at) {
        return v[j] != v[i] ? d[i] + (at - v[i]) / (v[j] - v[i]) * (d[j] - d[i]) : d[i];
    };
    double low = NAN, high = NAN;
    for (std::size_t i = mid + 1; i-- > 0;)
        if (v[i] <= 0.1) {
            low = i + 1 < d.size() ? cross(i, i + 1, 0.1) : d[i];
            break;
        }
    for (std::size_t i = mid; i < d.size(); ++i)
        if (v[i] >= 0.9) {
            high = i > 0 ? cross(i - 1, i, 0.9) : d[i];
            break;
        }
    return high - low;
}

}  // namespace test_support
