#include "atlas_packer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>

#include "font_block.h"
#include "png_io.h"

namespace font_maker {
namespace {

// A transparent texel between neighbours: bilinear filtering reads half a
// texel past a rectangle's edge, and must find nothing of the next glyph there.
constexpr std::int32_t kGap = 1;

struct Place {
    std::int32_t x = 0, y = 0;
};

// Every metric and every rectangle corner is a signed 16-bit field.
bool FitsInt16(std::int64_t v) {
    return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
}

// Cells as large as the largest glyph, one row of 16 per 16 codes; rows
// before the first code's are left out.
void PlaceOnGrid(const std::vector<GlyphImage>& glyphs, std::vector<Place>* places,
                 std::int64_t* width, std::int64_t* height) {
    std::int64_t cellW = 0, cellH = 0;
    // Empty rows before the first code would only waste atlas.
    int firstRow = 16, lastRow = 0;
    for (const GlyphImage& g : glyphs) {
        cellW = std::max<std::int64_t>(cellW, g.width + kGap);
        cellH = std::max<std::int64_t>(cellH, g.height + kGap);
        firstRow = std::min(firstRow, g.code / 16);
        lastRow = std::max(lastRow, g.code / 16);
    }
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const int code = glyphs[i].code;
        (*places)[i] = {static_cast<std::int32_t>(kGap + cellW * (code % 16)),
                        static_cast<std::int32_t>(kGap + cellH * (code / 16 - firstRow))};
    }
    *width = kGap + cellW * 16;
    *height = kGap + cellH * (lastRow - firstRow + 1);
}

// The fixed grid: every cell the images' common size, all 256 of them.
// False when the images differ in size.
bool PlaceInCells(const std::vector<GlyphImage>& glyphs, std::vector<Place>* places,
                  std::int64_t* width, std::int64_t* height) {
    const std::int64_t cellW = glyphs.front().width, cellH = glyphs.front().height;
    if (cellW <= 0 || cellH <= 0) return false;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        if (glyphs[i].width != cellW || glyphs[i].height != cellH) return false;
        const int code = glyphs[i].code;
        (*places)[i] = {static_cast<std::int32_t>(cellW * (code % 16)), static_cast<std::int32_t>(cellH * (code / 16))};
    }
    *width = cellW * 16;
    *height = cellH * 16;
    return true;
}

// Shelves: tallest glyphs first, left to right, a new shelf when the row is
// full. The width aims at a roughly square atlas.
void PlaceOnShelves(const std::vector<GlyphImage>& glyphs, std::vector<Place>* places,
                    std::int64_t* width, std::int64_t* height) {
    std::int64_t area = 0, widest = 0;
    for (const GlyphImage& g : glyphs) {
        area += std::int64_t{g.width + kGap} * (g.height + kGap);
        widest = std::max<std::int64_t>(widest, g.width + kGap);
    }
    // A little slack for the ends of the shelves, then a multiple of 4.
    std::int64_t target = static_cast<std::int64_t>(std::ceil(std::sqrt(static_cast<double>(area) * 1.15)));
    target = std::max(target, widest + kGap);
    target = (target + 3) / 4 * 4;
    std::vector<std::size_t> order(glyphs.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Codes break ties, so the same glyphs always give the same atlas.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return glyphs[a].height > glyphs[b].height;
    });
    std::int64_t x = kGap, y = kGap, shelf = 0, right = 0;
    for (std::size_t i : order) {
        const GlyphImage& g = glyphs[i];
        // Blanks take no room; they get the empty rectangle at (0, 0).
        if (g.width == 0 || g.height == 0) continue;
        if (x + g.width + kGap > target) {
            x = kGap;
            y += shelf;
            shelf = 0;
        }
        (*places)[i] = {static_cast<std::int32_t>(std::min<std::int64_t>(x, INT32_MAX)),
                        static_cast<std::int32_t>(std::min<std::int64_t>(y, INT32_MAX))};
        x += g.width + kGap;
        right = std::max(right, x);
        shelf = std::max<std::int64_t>(shelf, g.height + kGap);
    }
    // A font of blanks only still needs a 1 x 1 atlas to be a PNG.
    *width = std::max<std::int64_t>(right, 1);
    *height = std::max<std::int64_t>(y + shelf, 1);
}

// Transparent texels take the alpha-weighted colour of their neighbours, so
// that filtering at a glyph's edge does not pull in black.
void BleedColour(std::vector<std::uint8_t>* atlas, std::int32_t width, std::int32_t height) {
    std::vector<std::uint8_t> bled(*atlas);
    const auto at = [&](std::int32_t x, std::int32_t y) {
        return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
    };
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            if ((*atlas)[at(x, y) + 3] != 0) continue;
            // Alpha-weighted: faint texels lend little colour.
            unsigned sum[3] = {0, 0, 0}, weight = 0;
            for (std::int32_t ny = std::max(0, y - 1); ny <= std::min(height - 1, y + 1); ++ny)
                for (std::int32_t nx = std::max(0, x - 1); nx <= std::min(width - 1, x + 1); ++nx) {
                    const std::uint8_t* q = &(*atlas)[at(nx, ny)];
                    for (int c = 0; c < 3; ++c) sum[c] += q[c] * unsigned{q[3]};
                    weight += q[3];
                }
            std::uint8_t* p = &bled[at(x, y)];
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<std::uint8_t>(weight == 0 ? 0u : (sum[c] + weight / 2) / weight);
        }
    // Computed from the original: no bled texel feeds another.
    atlas->swap(bled);
}

}  // namespace

MakeStatus BuildPackedFont(std::vector<GlyphImage> glyphs, Packing packing,
                           std::vector<std::uint8_t>* block, bool thorough, const sftools::FontChunks& chunks) {
    if (glyphs.empty()) return Fail(MakeError::NoGlyphs, "the font has no glyph to write");
    // Ascending codes: the records are written in this order.
    std::sort(glyphs.begin(), glyphs.end(),
              [](const GlyphImage& a, const GlyphImage& b) { return a.code < b.code; });
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const GlyphImage& g = glyphs[i];
        if (g.code == 0 || (i > 0 && glyphs[i - 1].code == g.code))
            return Fail(MakeError::DuplicateCharacter, "code " + std::to_string(g.code) + " has two glyphs");
        if (g.width < 0 || g.height < 0 ||
            g.rgba.size() != static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height) * 4)
            return Fail(MakeError::Malformed, "code " + std::to_string(g.code) + " has a broken image");
        for (std::int64_t v : {std::int64_t{g.offsetX}, std::int64_t{g.offsetY}, std::int64_t{g.advance},
                               std::int64_t{g.lineHeight}, std::int64_t{g.width}, std::int64_t{g.height}})
            if (!FitsInt16(v))
                return Fail(MakeError::MetricTooLarge, "code " + std::to_string(g.code) + ": the value " +
                                                           std::to_string(v) + " does not fit 16 bits");
    }
    // A font that converts into nothing visible (an empty face, a file that
    // only looked like a font) would load and then draw nothing at all.
    const bool ink = std::any_of(glyphs.begin(), glyphs.end(), [](const GlyphImage& g) {
        for (std::size_t i = 3; i < g.rgba.size(); i += 4)
            if (g.rgba[i] != 0) return true;
        return false;
    });
    if (!ink)
        return Fail(MakeError::NoInk, "every glyph is empty (no texel has any alpha): the font would draw nothing");
    // Sizes are checked before any pixel memory is taken.
    std::vector<Place> places(glyphs.size());
    std::int64_t width = 0, height = 0;
    if (packing == Packing::Cells) {
        if (!PlaceInCells(glyphs, &places, &width, &height))
            return Fail(MakeError::Malformed, "the glyph images of a cell grid are empty or differ in size");
    } else if (packing == Packing::Grid) PlaceOnGrid(glyphs, &places, &width, &height);
    else PlaceOnShelves(glyphs, &places, &width, &height);
    if (width > kMaxAtlasSide || height > kMaxAtlasSide)
        return Fail(MakeError::AtlasTooLarge, "the atlas would be " + std::to_string(width) + " x " +
                                                  std::to_string(height) + " pixels; at most " +
                                                  std::to_string(kMaxAtlasSide) + " a side can be decoded");
    const auto w = static_cast<std::int32_t>(width), h = static_cast<std::int32_t>(height);
    // All zero: every texel no glyph covers is transparent.
    std::vector<std::uint8_t> atlas(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 0);
    std::vector<sftools::GlyphMetrics> records;
    records.reserve(glyphs.size());
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const GlyphImage& g = glyphs[i];
        const bool empty = g.width == 0 || g.height == 0;
        const Place p = empty ? Place{} : places[i];
        for (std::int32_t row = 0; row < g.height && !empty; ++row)
            std::memcpy(&atlas[(static_cast<std::size_t>(p.y + row) * static_cast<std::size_t>(w) +
                                static_cast<std::size_t>(p.x)) * 4],
                        &g.rgba[static_cast<std::size_t>(row) * static_cast<std::size_t>(g.width) * 4],
                        static_cast<std::size_t>(g.width) * 4);
        // The place is only known now; the rest was fixed by the glyph's source.
        sftools::GlyphMetrics m;
        m.code = g.code;
        m.offsetX = static_cast<std::int16_t>(g.offsetX);
        m.offsetY = static_cast<std::int16_t>(g.offsetY);
        m.advance = static_cast<std::int16_t>(g.advance);
        m.lineHeight = static_cast<std::int16_t>(g.lineHeight);
        m.srcX = static_cast<std::int16_t>(p.x);
        m.srcY = static_cast<std::int16_t>(p.y);
        m.srcWidth = static_cast<std::int16_t>(empty ? 0 : g.width);
        m.srcHeight = static_cast<std::int16_t>(empty ? 0 : g.height);
        records.push_back(m);
    }
    BleedColour(&atlas, w, h);
    const auto png = sftools::EncodePng(atlas, w, h, 4, thorough);
    if (png.empty()) return Fail(MakeError::EncodeFailed, "libpng could not encode the atlas");
    // A pair naming a code without a glyph could never apply, and one of 0 changes nothing.
    sftools::FontChunks kept{chunks.metrics, {}};
    std::array<bool, 256> present{};
    for (const GlyphImage& g : glyphs) present[g.code] = true;
    for (const sprite_font_format::KerningPair& pair : chunks.kerning)
        if (present[pair.first] && present[pair.second] && pair.amount != 0) kept.kerning.push_back(pair);
    *block = sftools::PackFont(png, records, kept);
    return {};
}

}  // namespace font_maker
