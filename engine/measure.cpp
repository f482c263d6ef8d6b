// Text measurement: the extent of one line under the font's rotation and arc.
#include "measure.h"

#include "numbers.h"

namespace sprite_font_detail {

std::int32_t MeasureText(const SpriteFont& font, const char* text, float size, Extent extent) noexcept {
    if (UsesFontDefault(size)) size = font.StyleSize;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const bool width = extent == Extent::Width;

    // Degrees throughout; measurement turns by arc x advance x size per glyph,
    // with no division by lineHeight (drawing divides: see draw.cpp).
    float angle = font.StyleRotation;
    const float arc = font.StyleArc;

    // The first character's line height seeds the extent across the writing,
    // whether or not it has a glyph (an empty text reads slot 0, which is all 0).
    const float across = ToFloat(font.glyphs[bytes[0]].lineHeight) * size;
    float radians = DegToRad(angle);
    float total = width ? across * Sin(radians) : across * Cos(radians);

    for (; *bytes != 0; ++bytes) {
        const GlyphSlot& glyph = font.glyphs[*bytes];
        if (glyph.present == 0) continue;
        const float advance = ToFloat(glyph.advance);
        angle = angle + (arc * advance) * size;
        radians = DegToRad(angle);
        const float along = advance * size;
        total = total + along * (width ? Cos(radians) : Sin(radians));
    }
    return RoundToInt32(total);
}

}  // namespace sprite_font_detail

std::int32_t SpriteFontTextWidth(FontId id, const char* text, float size) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || text == nullptr) return 0;
    return sprite_font_detail::MeasureText(*font, text, size, sprite_font_detail::Extent::Width);
}

std::int32_t SpriteFontTextHeight(FontId id, const char* text, float size) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || text == nullptr) return 0;
    return sprite_font_detail::MeasureText(*font, text, size, sprite_font_detail::Extent::Height);
}
