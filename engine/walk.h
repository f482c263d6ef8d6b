// The straight walk along a line of text: which glyph stands at which pen
// position. Single-line drawing, block layout, block measurement and the
// block's line breaking all step through text with this one loop, so they
// cannot disagree about where a glyph lies or how wide a line is.
#pragma once

#include <cstdint>

#include "numbers.h"
#include "sprite_font.h"

namespace sprite_font_detail {

// What moves the pen besides the glyphs' own advances.
struct Spacing {
    float size = 1.0f;
    const std::int16_t* kerning = nullptr;  // 256 x 256 amounts by (first << 8 | second); null: none
    float spaceExtra = 0.0f;                // added after every space glyph (justification); 0: none
};

// Where a walk stands; a line walked in pieces carries it from one to the next.
struct WalkState {
    float penX = 0.0f;
    std::int32_t previous = -1;  // code of the last glyph passed, for kerning; -1 at a line's start
};

// Steps through the bytes [p, end), or up to the terminating 0 when end is
// null. A byte without a glyph is skipped and moves nothing. For every other
// byte: the kerning of the pair it makes with the glyph before moves the pen
// by amount x size, visit(glyph, at, penX) sees the glyph at the pen (false
// ends the walk, which then returns false), and the pen advances by
// advance x size; a space then adds spaceExtra. The sums are rounded to
// float as written, and a pair of amount 0 adds nothing at all (not even
// 0 x size, which is NaN for an infinite size).
template <typename Visit>
inline bool Walk(const SpriteFont& font, const Spacing& spacing, const unsigned char* p, const unsigned char* end,
                 WalkState& state, Visit&& visit) noexcept {
    const float size = spacing.size;
    for (; p != end && *p != 0; ++p) {
        const unsigned char code = *p;
        const GlyphSlot& glyph = font.glyphs[code];
        if (glyph.present == 0) continue;
        if (spacing.kerning != nullptr && state.previous >= 0) {
            const std::int16_t amount = spacing.kerning[state.previous << 8 | code];
            if (amount != 0) state.penX = state.penX + ToFloat(amount) * size;
        }
        if (!visit(glyph, p, state.penX)) return false;
        state.penX = state.penX + ToFloat(glyph.advance) * size;
        state.previous = code;
        if (code == ' ' && spacing.spaceExtra != 0.0f) state.penX = state.penX + spacing.spaceExtra;
    }
    return true;
}

// Where drawing puts its glyphs and how.
struct Pen {
    SpritePlatform& platform;
    SpriteHandle sprite;
    std::int32_t x, y;  // start point of the line, after anchoring
    std::int32_t alpha; // the display's transparency
    float size;
};

// One whole glyph of a straight line, its pen at penX: texture rectangle,
// zoom, display. The single-line walk's uncut glyph and every glyph of an
// unturned block.
inline void ShowStraightGlyph(const Pen& pen, const GlyphSlot& glyph, float penX) noexcept {
    const float size = pen.size;
    SetSprite3DSourceRect(pen.sprite, glyph.srcX, glyph.srcY, glyph.srcWidth, glyph.srcHeight);
    pen.platform.ZoomSprite3D(pen.sprite, RoundToInt32(ToFloat(glyph.srcWidth) * size),
                              RoundToInt32(ToFloat(glyph.srcHeight) * size));
    pen.platform.DisplaySprite3D(pen.sprite, RoundToInt32((ToFloat(pen.x) + penX) + ToFloat(glyph.offsetX) * size),
                                 RoundToInt32(ToFloat(glyph.offsetY) * size + ToFloat(pen.y)), pen.alpha);
}

// A glyph's offset turned by the baseline's angle (c, s its cosine and
// sine), in whole pixels at size 1.0: it is rounded before it is scaled.
struct TurnedOffset {
    float x, y;
};
inline TurnedOffset TurnOffset(const GlyphSlot& glyph, float c, float s) noexcept {
    const float offsetX = ToFloat(glyph.offsetX);
    const float offsetY = ToFloat(glyph.offsetY);
    return {ToFloat(RoundToInt32(c * offsetX - s * offsetY)), ToFloat(RoundToInt32(s * offsetX + c * offsetY))};
}

}  // namespace sprite_font_detail
