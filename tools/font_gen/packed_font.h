// The demonstration font's glyph records; the block itself is written and
// read by the tools' shared code.
#pragma once

#include <vector>

#include "font_block.h"
#include "png_io.h"

namespace font_gen {

using sftools::DecodePng;
using sftools::EncodePng;
using sftools::GlyphMetrics;
using sftools::Image;
using sftools::PackFont;
using sftools::UnpackFont;

// Every record of the demonstration font, from the metric table.
std::vector<GlyphMetrics> DemoFontGlyphs();

}  // namespace font_gen
