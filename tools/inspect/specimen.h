// A picture of a text drawn with a packed font through the engine and the
// offscreen screen, cropped to what was drawn.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sprite_font.h"

namespace inspect {

struct SpecimenStyle {
    float size = 1.0f, rotation = 0.0f, arc = 0.0f, transparency = 255.0f;
    float alignX = 0.0f, alignY = 0.0f, maxLength = 0.0f;
    bool utf8 = false;               // the text is UTF-8, converted to codePage
    bool nearest = false;            // sample the atlas nearest (quality 0), not bilinear
    std::int32_t codePage = 1252;
    std::uint32_t background = 0xFFFFFF;  // 0xRRGGBB
    float circle = 0.0f;  // > 0: the text round a circle of this radius, centred on its top
    bool upright = false; // with circle: centred on its bottom, reading left to right
    // The font's tint (SetSpriteFontColor), 0xRRGGBB as people write it; none leaves the font untinted.
    bool tinted = false;
    std::uint32_t color = 0xFFFFFF;
    // Drawn as a block (DrawSpriteFontBlock) with this layout rather than as
    // one line; rotation applies, arc and maxLength do not.
    bool asBlock = false;
    TextBlock block;
    // When false, a font whose ink is light (white glyphs to be tinted)
    // is drawn on dark grey 0x202020 instead, so that it shows.
    bool backgroundGiven = false;
};

// An RGB PNG of the text on the background. Where the glyphs land is taken
// from the quads drawn, not from the ink, so blank glyphs past the screen's
// edge still count. False with a message when the screen cannot open, the
// atlas does not decode or nothing is drawn; a text larger than the
// 800 x 600 screen is cut there, with a warning.
bool RenderSpecimen(std::span<const std::uint8_t> block, const std::string& text, const SpecimenStyle& style,
                    std::vector<std::uint8_t>* png, std::vector<std::string>* warnings, std::string* error);

}  // namespace inspect
