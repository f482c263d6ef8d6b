#pragma once

#include <cstddef>

// The demonstration's packed font, embedded at build time from
// demo/demo_font.sf3d (regenerate with the font generator in tools/).
extern const unsigned char kDemoFont[];
extern const std::size_t kDemoFontSize;
