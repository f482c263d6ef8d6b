// Text drawing: one line of text through the font's one 3D sprite.
#include <bit>
#include <cstdint>

#include "measure.h"
#include "numbers.h"
#include "walk.h"

namespace {

using namespace sprite_font_detail;

void StraightLayout(const SpriteFont& font, const unsigned char* text, const Pen& pen) noexcept {
    pen.platform.RotateSprite3D(pen.sprite, 0.0f, 0);  // once per call, even for no glyph
    const float maxLength = font.StyleMaxLength;
    const bool limited = !IsPlusZero(maxLength);
    const float size = pen.size;
    WalkState state;
    Walk(font, Spacing{size}, text, nullptr, state, [&](const GlyphSlot& glyph, const unsigned char*, float penX) {
        const float offsetX = ToFloat(glyph.offsetX) * size;
        if (!limited || !(maxLength < (penX + ToFloat(glyph.srcWidth) * size) + offsetX)) {
            ShowStraightGlyph(pen, glyph, penX);
            return true;
        }
        if (maxLength < penX) return false;  // the pen is past the limit: the text ends
        const std::int32_t cutWidth = RoundToInt32((maxLength - penX) - offsetX);
        // The visible part keeps the glyph's scale, so it never shows texels
        // from beyond the glyph's own atlas rectangle.
        const std::int32_t texels = size == 1.0f ? cutWidth : RoundToInt32(ToFloat(cutWidth) / size);
        SetSprite3DSourceRect(pen.sprite, glyph.srcX, glyph.srcY, texels, glyph.srcHeight);
        pen.platform.ZoomSprite3D(pen.sprite, cutWidth, RoundToInt32(ToFloat(glyph.srcHeight) * size));
        pen.platform.DisplaySprite3D(pen.sprite, RoundToInt32((ToFloat(pen.x) + penX) + offsetX),
                                     RoundToInt32(ToFloat(glyph.offsetY) * size + ToFloat(pen.y)), pen.alpha);
        return true;
    });
}

void RotatedLayout(const SpriteFont& font, const unsigned char* text, const Pen& pen, float angle,
                   float arcRad) noexcept {
    const float size = pen.size;
    float penX = 0.0f;
    float penY = 0.0f;
    // One cosine and sine pair serves the pen's move after a glyph and the
    // offset of the next, and is taken again only when the angle changes.
    float c = Cos(angle);
    float s = Sin(angle);
    for (; *text != 0; ++text) {
        const GlyphSlot& glyph = font.glyphs[*text];
        if (glyph.present == 0) continue;
        SetSprite3DSourceRect(pen.sprite, glyph.srcX, glyph.srcY, glyph.srcWidth, glyph.srcHeight);
        pen.platform.ZoomSprite3D(pen.sprite, RoundToInt32(ToFloat(glyph.srcWidth) * size),
                                  RoundToInt32(ToFloat(glyph.srcHeight) * size));
        pen.platform.RotateSprite3D(pen.sprite, RadToDeg(angle), 0);

        // The offset turns with the baseline in whole pixels, then scales.
        const TurnedOffset offset = TurnOffset(glyph, c, s);
        pen.platform.DisplaySprite3D(pen.sprite, RoundToInt32((ToFloat(pen.x) + penX) + offset.x * size),
                                     RoundToInt32((ToFloat(pen.y) + penY) + offset.y * size), pen.alpha);

        // The drawn arc turns by arcRad per lineHeight travelled (measurement
        // turns per degree of arc and advance instead); a glyph without a
        // line height does not turn it.
        const float advance = ToFloat(glyph.advance);
        if (glyph.lineHeight != 0) {
            const float turned = angle + ((arcRad * advance) * size) / ToFloat(glyph.lineHeight);
            if (std::bit_cast<std::uint32_t>(turned) != std::bit_cast<std::uint32_t>(angle)) {
                angle = turned;
                c = Cos(angle);
                s = Sin(angle);
            }
        }
        const float along = advance * size;
        penX = penX + along * c;
        penY = penY + along * s;
    }
}

}  // namespace

std::int32_t DrawSpriteFontText(FontId id, std::int32_t x, std::int32_t y, const char* text,
                                float transparency, float size) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || text == nullptr) return 0;
    SpritePlatform* platform = GetSpritePlatform();
    if (platform == nullptr || font->sprite3D == 0) return 0;  // nothing to show it through

    const float angle = DegToRad(font->StyleRotation);
    const float arcRad = DegToRad(font->StyleArc);
    if (UsesFontDefault(transparency)) transparency = ToFloat(font->StyleTransparency);
    if (UsesFontDefault(size)) size = font->StyleSize;

    if (!IsPlusZero(font->StyleAlignX)) {
        const float width = ToFloat(MeasureText(*font, text, size, Extent::Width));
        x = RoundToInt32(ToFloat(x) - width * font->StyleAlignX);
    }
    if (!IsPlusZero(font->StyleAlignY)) {
        const float height = ToFloat(MeasureText(*font, text, size, Extent::Height));
        y = RoundToInt32(ToFloat(y) - height * font->StyleAlignY);
    }

    const Pen pen{*platform, font->sprite3D, x, y, RoundToInt32(transparency), size};
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (IsPlusZero(angle) && IsPlusZero(arcRad)) {
        StraightLayout(*font, bytes, pen);
    } else {
        RotatedLayout(*font, bytes, pen, angle, arcRad);
    }
    return 0;
}

std::int32_t SetSprite3DSourceRect(SpriteHandle sprite3D, std::int32_t x, std::int32_t y, std::int32_t width,
                                   std::int32_t height) noexcept {
    SpritePlatform* platform = GetSpritePlatform();
    std::int32_t textureWidth = 0;
    std::int32_t textureHeight = 0;
    if (platform == nullptr || !platform->Sprite3DTextureSize(sprite3D, &textureWidth, &textureHeight)) return 0;
    if (textureWidth <= 0 || textureHeight <= 0) return 0;  // no texture to measure texels against
    const float w = ToFloat(textureWidth);
    const float h = ToFloat(textureHeight);
    // The sums are taken in 64 bits so that extreme rectangles cannot overflow.
    const float left = static_cast<float>(x) / w;
    const float right = static_cast<float>(std::int64_t{x} + width) / w;
    const float top = static_cast<float>(y) / h;
    const float bottom = static_cast<float>(std::int64_t{y} + height) / h;
    const float uv[8] = {left, top, right, top, left, bottom, right, bottom};
    platform->SetSprite3DTexCoords(sprite3D, uv);
    return 0;
}
