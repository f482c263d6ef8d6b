// The walk that places a line's glyphs, shared by drawing and the queries
// that report where glyphs land: the walk computes every glyph's texture
// rectangle, zoom, turn and display point once, and a sink either hands them
// to the platform or records them.
#pragma once

#include <cstdint>

#include "sprite_font.h"

namespace sprite_font_detail {

// One glyph as the font's 3D sprite is given it.
struct PlacedGlyph {
    unsigned char code;
    std::int32_t srcX, srcY, srcWidth, srcHeight;  // texture rectangle, texels
    std::int32_t width, height;                    // zoom, screen pixels
    std::int32_t x, y;                             // display point: top-left corner before the turn
    bool turned;                                   // false: the rotation of the last SetTurn holds
    float degrees;                                 // the glyph's own rotation when turned
};

class GlyphSink {
public:
    // The rotation of the glyphs that follow without a turn of their own:
    // once per straight line (0, even with no glyph) or turned block.
    virtual void SetTurn(float degrees) noexcept = 0;
    virtual void Glyph(const PlacedGlyph& glyph) noexcept = 0;

protected:
    ~GlyphSink() = default;
};

// Hands every placed glyph to the platform: texture rectangle, zoom, the
// turn when turned, display.
class DrawSink final : public GlyphSink {
public:
    DrawSink(SpritePlatform& platform, SpriteHandle sprite, std::int32_t alpha) noexcept
        : platform_(platform), sprite_(sprite), alpha_(alpha) {}
    void SetTurn(float degrees) noexcept override { platform_.RotateSprite3D(sprite_, degrees, 0); }
    void Glyph(const PlacedGlyph& g) noexcept override {
        SetSprite3DSourceRect(sprite_, g.srcX, g.srcY, g.srcWidth, g.srcHeight);
        platform_.ZoomSprite3D(sprite_, g.width, g.height);
        if (g.turned) platform_.RotateSprite3D(sprite_, g.degrees, 0);
        platform_.DisplaySprite3D(sprite_, g.x, g.y, alpha_);
    }

private:
    SpritePlatform& platform_;
    SpriteHandle sprite_;
    std::int32_t alpha_;
};

// Moves the start point by the font's anchor factors against the measured
// extent of the text at this size.
void AnchorStart(const SpriteFont& font, const char* text, float size, std::int32_t* x, std::int32_t* y) noexcept;

// Lays out a block from its given start point as DrawSpriteFontBlock draws
// it (text and font resolved, size resolved).
void WalkBlock(const SpriteFont& font, std::int32_t x, std::int32_t y, const char* text, float size,
               const TextBlock& block, GlyphSink& sink) noexcept;

// Walks one line from an anchored start point at a resolved size, in the
// straight or the rotated layout as the font's rotation and arc choose.
void WalkTextLine(const SpriteFont& font, std::int32_t x, std::int32_t y, const char* text, float size,
                  GlyphSink& sink) noexcept;

// The shift that puts a glyph of a width x height quad, turned about its own
// centre, where its box turned rigidly with the line would be, relative to
// the font's reference box (zero for a glyph of that box). c and s are the
// turn's cosine and sine; refWidth and refHeight the reference box's zoom.
struct Shift {
    float x, y;
};
inline Shift ReferenceShift(std::int32_t width, std::int32_t height, std::int32_t refWidth,
                            std::int32_t refHeight, float c, float s) noexcept {
    if (width == refWidth && height == refHeight) return Shift{0.0f, 0.0f};
    const float dx = (static_cast<float>(width) - static_cast<float>(refWidth)) * 0.5f;
    const float dy = (static_cast<float>(height) - static_cast<float>(refHeight)) * 0.5f;
    return Shift{(c * dx - s * dy) - dx, (s * dx + c * dy) - dy};
}

}  // namespace sprite_font_detail
