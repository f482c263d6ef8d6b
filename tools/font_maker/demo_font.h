// The demonstration font as an input of spritefont_make: glyphs drawn from a
// typeface to a fixed metric table, one 64 x 64 cell each, packed in the
// grid of their codes (Packing::Cells).
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "atlas_packer.h"
#include "make_status.h"

namespace font_maker {

// Every record of the metric table as a cell-sized glyph image, drawn from
// the face (TeX Gyre Chorus); codes without artwork get a transparent cell.
// Fails when the face lacks a glyph or a glyph's artwork would leave its box
// (every such glyph is named).
MakeStatus RenderDemoFont(std::span<const std::uint8_t> faceFile, std::vector<GlyphImage>* glyphs);

// Prints, per glyph with artwork, the face's advance and left edge against
// the table's, and the horizontal stretch applied to fit.
MakeStatus ReportDemoFontFit(std::span<const std::uint8_t> faceFile, std::FILE* out);

}  // namespace font_maker
