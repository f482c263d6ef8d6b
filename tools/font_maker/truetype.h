// TrueType and OpenType faces through FreeType, rendered glyph by glyph with
// a fill, an outline and a shadow.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "atlas_packer.h"
#include "make_status.h"

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

// Renders every character of the code page that the face has (control
// characters aside). offsetX and offsetY place the image against the pen
// and the top of the line (the ascender), advance is the face's hinted
// advance and lineHeight its line height at that size. notes gets a line
// for the characters the face lacks. The bytes must outlive nothing: the
// face is closed before the call returns.
MakeStatus RenderFace(std::span<const std::uint8_t> faceFile, const Style& style, std::int32_t codePage,
                      std::vector<GlyphImage>* glyphs, std::vector<std::string>* notes);

}  // namespace font_maker
