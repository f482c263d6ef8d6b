// Drawing one glyph into its atlas cell: outline coverage from the typeface,
// then the coloured fill over a soft shadow.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <span>

#include "demo_font_metrics.h"

namespace font_maker::demo_font {

// Ink coverage of one cell, 0..255, row-major, row 0 at the top.
using CellCoverage = std::array<std::uint8_t, kCellSize * kCellSize>;

// Where the typeface puts a glyph at the atlas' size, in pixels.
struct FaceMetrics {
    double advance = 0;     // the face's own advance width
    double inkLeft = 0;     // left edge of the outline, from the pen
    double inkWidth = 0;
};

class TypeFace {
public:
    // Nullptr with a message in error when the bytes do not open as a face.
    // They must outlive the face.
    static std::unique_ptr<TypeFace> Open(std::span<const std::uint8_t> faceFile, std::string* error);
    virtual ~TypeFace() = default;

    // Nothing when the face has no glyph for ch.
    virtual std::optional<FaceMetrics> Measure(char32_t ch) = 0;

    // The outline stretched by xScale from its left edge, the left edge put on
    // the left edge of column 1 and the baseline on the top edge of row
    // kBaselineRow. False when the face has no glyph for ch.
    virtual bool Rasterise(char32_t ch, double xScale, CellCoverage* coverage) = 0;
};

inline constexpr int kPixelsPerEm = 40;
inline constexpr int kBaselineRow = 41;

// The box every glyph's artwork, shadow included, has to stay in.
inline constexpr int kBoxLeft = 1;
inline constexpr int kBoxRight = 52;
inline constexpr int kBoxTop = 2;
inline constexpr int kBoxBottom = 54;

// One cell of RGBA texels (straight alpha), row-major, row 0 at the top.
using CellImage = std::array<std::uint8_t, kCellSize * kCellSize * 4>;

// Paints a cell from its ink coverage: the fill over the shadow. Texels left
// transparent are all zero; the packer gives them their neighbours' colour.
void PaintCell(const CellCoverage& ink, CellImage* cell);

// Bounds of the non-transparent texels of a cell; all -1 when it is empty.
struct CellBounds {
    int left = -1, right = -1, top = -1, bottom = -1;
};
CellBounds MeasureCell(const CellImage& cell);

}  // namespace font_maker::demo_font
