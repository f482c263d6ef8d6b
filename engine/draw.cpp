// Text drawing: one line of text through the font's one 3D sprite.
#include <bit>
#include <cstdint>

#include "font_extras.h"
#include "glyph_walk.h"
#include "measure.h"
#include "numbers.h"
#include "walk.h"

namespace sprite_font_detail {

namespace {

struct LineStart {
    std::int32_t x, y;  // start point after anchoring
    float size;
};

void StraightLayout(const SpriteFont& font, const unsigned char* text, const LineStart& pen,
                    GlyphSink& sink) noexcept {
    sink.SetTurn(0.0f);  // once per call, even for no glyph
    const float maxLength = font.StyleMaxLength;
    const bool limited = !IsPlusZero(maxLength);
    const float size = pen.size;
    WalkState state;
    Walk(font, Spacing{size}, text, nullptr, state, [&](const GlyphSlot& glyph, const unsigned char* at, float penX) {
        PlacedGlyph placed{*at, glyph.srcX, glyph.srcY, glyph.srcWidth, glyph.srcHeight, 0, 0, 0, 0, false, 0.0f};
        const float offsetX = ToFloat(glyph.offsetX) * size;
        placed.height = RoundToInt32(ToFloat(glyph.srcHeight) * size);
        if (limited && maxLength < (penX + ToFloat(glyph.srcWidth) * size) + offsetX) {
            if (maxLength < penX) return false;  // the pen is past the limit: the text ends
            const std::int32_t cutWidth = RoundToInt32((maxLength - penX) - offsetX);
            // The visible part keeps the glyph's scale, so it never shows texels
            // from beyond the glyph's own atlas rectangle.
            placed.srcWidth = size == 1.0f ? cutWidth : RoundToInt32(ToFloat(cutWidth) / size);
            placed.width = cutWidth;
        } else {
            placed.width = RoundToInt32(ToFloat(glyph.srcWidth) * size);
        }
        placed.x = RoundToInt32((ToFloat(pen.x) + penX) + offsetX);
        placed.y = RoundToInt32(ToFloat(glyph.offsetY) * size + ToFloat(pen.y));
        sink.Glyph(placed);
        return true;
    });
}

void RotatedLayout(const SpriteFont& font, const unsigned char* text, const LineStart& pen, float angle, float arcRad,
                   GlyphSink& sink) noexcept {
    const float size = pen.size;
    // Each glyph's box turns rigidly about its pen point, as in the line
    // turned as a whole, but shifted as the reference box turned about its
    // own centre would be: the quads of a font whose glyphs share one box
    // land exactly where they always have, and a tight box (a comma, a
    // hyphen) keeps its place among its neighbours.
    const FontExtras& extras = ExtrasOf(font);
    const std::int32_t refWidth = RoundToInt32(ToFloat(extras.referenceWidth) * size);
    const std::int32_t refHeight = RoundToInt32(ToFloat(extras.referenceHeight) * size);
    float penX = 0.0f;
    float penY = 0.0f;
    // One cosine and sine pair serves the pen's move after a glyph and the
    // offset of the next, and is taken again only when the angle changes.
    float c = Cos(angle);
    float s = Sin(angle);
    for (; *text != 0; ++text) {
        const GlyphSlot& glyph = font.glyphs[*text];
        if (glyph.present == 0) continue;
        PlacedGlyph placed{*text, glyph.srcX, glyph.srcY, glyph.srcWidth, glyph.srcHeight, 0, 0, 0, 0, true, 0.0f};
        placed.width = RoundToInt32(ToFloat(glyph.srcWidth) * size);
        placed.height = RoundToInt32(ToFloat(glyph.srcHeight) * size);
        placed.degrees = RadToDeg(angle);

        // The offset turns with the baseline in whole pixels, then scales.
        const TurnedOffset offset = TurnOffset(glyph, c, s);
        float x = (ToFloat(pen.x) + penX) + offset.x * size;
        float y = (ToFloat(pen.y) + penY) + offset.y * size;
        const Shift shift = ReferenceShift(placed.width, placed.height, refWidth, refHeight, c, s);
        x = x + shift.x;
        y = y + shift.y;
        placed.x = RoundToInt32(x);
        placed.y = RoundToInt32(y);
        sink.Glyph(placed);

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

void AnchorStart(const SpriteFont& font, const char* text, float size, std::int32_t* x, std::int32_t* y) noexcept {
    if (!IsPlusZero(font.StyleAlignX)) {
        const float width = ToFloat(MeasureText(font, text, size, Extent::Width));
        *x = RoundToInt32(ToFloat(*x) - width * font.StyleAlignX);
    }
    if (!IsPlusZero(font.StyleAlignY)) {
        const float height = ToFloat(MeasureText(font, text, size, Extent::Height));
        *y = RoundToInt32(ToFloat(*y) - height * font.StyleAlignY);
    }
}

void WalkTextLine(const SpriteFont& font, std::int32_t x, std::int32_t y, const char* text, float size,
                  GlyphSink& sink) noexcept {
    const float angle = DegToRad(font.StyleRotation);
    const float arcRad = DegToRad(font.StyleArc);
    const LineStart pen{x, y, size};
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (IsPlusZero(angle) && IsPlusZero(arcRad)) {
        StraightLayout(font, bytes, pen, sink);
    } else {
        RotatedLayout(font, bytes, pen, angle, arcRad, sink);
    }
}

}  // namespace sprite_font_detail

std::int32_t DrawSpriteFontText(FontId id, std::int32_t x, std::int32_t y, const char* text,
                                float transparency, float size) noexcept {
    using namespace sprite_font_detail;
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || text == nullptr) return 0;
    SpritePlatform* platform = GetSpritePlatform();
    if (platform == nullptr || font->sprite3D == 0) return 0;  // nothing to show it through

    if (UsesFontDefault(transparency)) transparency = ToFloat(font->StyleTransparency);
    if (UsesFontDefault(size)) size = font->StyleSize;
    AnchorStart(*font, text, size, &x, &y);

    DrawSink sink(*platform, font->sprite3D, RoundToInt32(transparency));
    WalkTextLine(*font, x, y, text, size, sink);
    return 0;
}

std::int32_t SetSprite3DSourceRect(SpriteHandle sprite3D, std::int32_t x, std::int32_t y, std::int32_t width,
                                   std::int32_t height) noexcept {
    using sprite_font_detail::ToFloat;
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
