// The five sample lines, each showing one style. Every value a frame sets
// stays in font 1 until set again, so the order of the calls matters: line 5
// keeps line 4's transparency, and lines 3 to 5 keep line 2's length limit
// (which only cuts straight text).
#include "showcase.h"

#include <cmath>

namespace {

constexpr FontId kFont = 1;

void Set(std::int32_t kind, float value) noexcept { SetSpriteFontStyle(kFont, kind, value); }

}  // namespace

float ShowcaseSize(float t) noexcept {
    const float radians = static_cast<float>(static_cast<double>(t) * 0.017453292519943295);
    const float sine = static_cast<float>(std::sin(static_cast<double>(radians)));
    return sine * 0.5f + 1.0f;
}

float ShowcaseArc(float t) noexcept {
    const float radians = t * 0.1f;  // taken as radians as it stands
    const float sine = static_cast<float>(std::sin(static_cast<double>(radians)));
    return sine * 5.0f;
}

void RunShowcase(float t) noexcept {
    // Back to the load-time defaults, so line 1 never sees the last frame.
    Set(StyleAlignX, 0.0f);
    Set(StyleMaxLength, 0.0f);
    Set(StyleTransparency, 255.0f);
    Set(StyleSize, 1.0f);
    Set(StyleArc, 0.0f);
    Set(StyleRotation, 0.0f);
    DrawSpriteFontText(kFont, 50, 50, "Standard Style einer Quillon", -1.0f, -1.0f);

    Set(StyleMaxLength, 600.0f);
    DrawSpriteFontText(kFont, 50, 100, "Abgeschnitten nach einer bestimmten L\xE4nge", -1.0f, -1.0f);

    Set(StyleArc, 15.0f);
    Set(StyleRotation, t);
    DrawSpriteFontText(kFont, 400, 300, "Bogen-Style einer Quillon", -1.0f, -1.0f);

    Set(StyleArc, 0.0f);
    Set(StyleTransparency, 128.0f);
    Set(StyleSize, ShowcaseSize(t));
    Set(StyleRotation, -30.0f);
    DrawSpriteFontText(kFont, 50, 500, "Transparente Gr\xF6\xDF" "en\xE4nderung der Quillon", -1.0f, -1.0f);

    Set(StyleArc, ShowcaseArc(t));
    Set(StyleRotation, 0.0f);
    Set(StyleSize, 1.0f);
    DrawSpriteFontText(kFont, 200, 200, "Feder-Style einer Quillon", -1.0f, -1.0f);
}
