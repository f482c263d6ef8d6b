// How a TrueType/OpenType face is drawn into glyph images. Plain data, so
// that the command line parses it whether or not FreeType is built in.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

namespace font_maker {

struct Rgb {
    std::uint8_t r = 255, g = 255, b = 255;
};

struct Style {
    std::int32_t pixelSize = 32;
    Rgb fill;
    // A vertical gradient from the top of the line (the ascender) to its
    // bottom (the descender), the same for every glyph; replaces fill.
    std::optional<std::pair<Rgb, Rgb>> gradient;
    std::int32_t outline = 0;  // pixels around the ink; 0 is none
    Rgb outlineColour{0, 0, 0};
    bool shadow = false;
    std::int32_t shadowDx = 2, shadowDy = 2;
    Rgb shadowColour{0, 0, 0};
    double shadowOpacity = 0.5;
};

inline constexpr std::int32_t kMaxPixelSize = 1024;
inline constexpr std::int32_t kMaxOutline = 32;
inline constexpr std::int32_t kMaxShadowOffset = 64;

}  // namespace font_maker
