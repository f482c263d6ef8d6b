// The tools' shared block and PNG code, as the specimen uses it.
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

}  // namespace font_gen
