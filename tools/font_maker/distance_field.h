// Distance-field glyphs from a face's outlines: single-channel (SDF) and
// multi-channel (MSDF), computed here from the contours FreeType gives.
//
// Both kinds come out of one geometry pass, so an MSDF's alpha is exactly
// the SDF of the same glyph. A texel holds 0.5 + d / range (clamped to 0..1,
// as a byte), d the signed distance in texels from the texel's centre to the
// outline, positive inside: the edge is at 0.5 and the field runs out at
// range / 2 texels on either side (the meaning BMFont files give
// distanceRange). The pixels are laid out so that plain drawing degrades to
// a soft glyph:
//   SDF:  red, green, blue 255; alpha the field.
//   MSDF: red, green, blue the three channels (the shape is where their
//         median passes 0.5); alpha the true single-channel field.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "atlas_packer.h"
#include "font_block.h"
#include "make_status.h"

namespace font_maker {

enum class FieldKind : std::int32_t { None = 0, Sdf = 1, Msdf = 2 };

struct FieldOptions {
    FieldKind kind = FieldKind::None;
    std::int32_t range = 4;  // texels from field value 0 to 1
};

inline constexpr std::int32_t kMaxFieldRange = 64;

// A contour point in pixels, y up.
struct FieldPoint {
    double x, y;
};

// One glyph's outline as the field builder takes it: contours of edges, each
// edge a line, a quadratic or a cubic Bézier (2, 3 or 4 points; the last
// point of an edge is the first of the next, and a contour closes on itself).
// Filled where the nonzero winding rule says so; either orientation works.
struct FieldOutline {
    std::vector<std::vector<std::vector<FieldPoint>>> contours;
};

// The field of an outline over a width x height image whose top-left texel's
// top-left corner is at (left, top) (pixels, y up), as straight RGBA.
std::vector<std::uint8_t> RenderField(const FieldOutline& outline, const FieldOptions& options, double left,
                                      double top, std::int32_t width, std::int32_t height);

// Replaces every glyph image with the field of the same character, taken
// from the face's unhinted outline at pixelSize and padded by range / 2 + 1
// texels on each side; offsets are moved so the shape stays where it was.
// advance and lineHeight stay. metrics gets the face's line height and
// ascender (the baseline the records are placed against) and the code page,
// with the field's kind and range.
MakeStatus MakeFaceFields(std::span<const std::uint8_t> faceFile, std::int32_t pixelSize, std::int32_t codePage,
                          const FieldOptions& options, std::vector<GlyphImage>* glyphs,
                          sprite_font_format::Metrics* metrics);

// Marks a finished block as a field font: its metrics chunk gets the kind
// and range (metrics is written whole when the block had none), other
// chunks stay as they are.
MakeStatus MarkFieldFont(std::vector<std::uint8_t>* block, const sprite_font_format::Metrics& metrics);

}  // namespace font_maker
