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
    sink.Finish();
    return 0;
}

std::int32_t SetSprite3DSourceRect(SpriteHandle sprite3D, std::int32_t x, std::int32_t y, std::int32_t width,
                                   std::int32_t height) noexcept {
    SpritePlatform* platform = GetSpritePlatform();
    std::int32_t textureWidth = 0;
    std::int32_t textureHeight = 0;
    if (platform == nullptr || !platform->Sprite3DTextureSize(sprite3D, &textureWidth, &textureHeight)) return 0;
    if (textureWidth <= 0 || textureHeight <= 0) return 0;  // no texture to measure texels against
    float uv[8];
    sprite_font_detail::SourceRectUv(x, y, width, height, textureWidth, textureHeight, uv);
    platform->SetSprite3DTexCoords(sprite3D, uv);
    return 0;
}

namespace sprite_font_detail {

DrawSink::DrawSink(SpritePlatform& platform, SpriteHandle sprite, std::int32_t alpha) noexcept
    : platform_(platform), sprite_(sprite), alpha_(alpha) {
    // Quads need the texture's size for their texture coordinates; without
    // one the per-glyph calls do what they always did.
    quads_ = platform_.DisplaySprite3DQuads(sprite_, nullptr, 0, alpha_) &&
             platform_.Sprite3DTextureSize(sprite_, &textureWidth_, &textureHeight_) && textureWidth_ > 0 &&
             textureHeight_ > 0;
}

void DrawSink::Turn(float degrees) noexcept {
    // The platform's own rule: the same angle keeps the turn in force.
    if (turnKnown_ && std::bit_cast<std::uint32_t>(degrees) == std::bit_cast<std::uint32_t>(degrees_)) return;
    turnKnown_ = true;
    degrees_ = degrees;
    turn_ = sprite3d_geometry::TurnOf(degrees);
}

void DrawSink::SetTurn(float degrees) noexcept {
    if (quads_) Turn(degrees);
    else platform_.RotateSprite3D(sprite_, degrees, 0);
}

void DrawSink::Glyph(const PlacedGlyph& g) noexcept {
    // A glyph before any turn of this call keeps whatever rotation the
    // sprite had, which only the platform knows.
    if (!quads_ || (!g.turned && !turnKnown_)) {
        PerGlyphCalls(g);
        return;
    }
    if (g.turned) Turn(g.degrees);
    SourceRectUv(g.srcX, g.srcY, g.srcWidth, g.srcHeight, textureWidth_, textureHeight_, lastUv_);
    lastWidth_ = g.width;
    lastHeight_ = g.height;
    placed_ = true;
    if (!sprite3d_geometry::IsVisible(g.width, g.height)) return;
    Sprite3DQuad& quad = heldQuads_[held_];
    sprite3d_geometry::Corners(g.x, g.y, g.width, g.height, turn_, quad.x, quad.y);
    for (int i = 0; i < 8; ++i) quad.uv[i] = lastUv_[i];
    if (++held_ == kHeld) Flush();
}

void DrawSink::Flush() noexcept {
    if (held_ != 0) platform_.DisplaySprite3DQuads(sprite_, heldQuads_, held_, alpha_);
    held_ = 0;
}

void DrawSink::Finish() noexcept {
    if (!quads_) return;
    Flush();
    if (turnKnown_) platform_.RotateSprite3D(sprite_, degrees_, 0);
    if (placed_) {
        platform_.SetSprite3DTexCoords(sprite_, lastUv_);
        platform_.ZoomSprite3D(sprite_, lastWidth_, lastHeight_);
    }
}

}  // namespace sprite_font_detail
