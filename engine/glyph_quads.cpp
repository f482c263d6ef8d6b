// Glyph quads and bounds: the drawing walk, recorded instead of drawn.
#include <algorithm>
#include <bit>

#include "glyph_walk.h"
#include "numbers.h"
#include "sprite3d_geometry.h"

namespace {

using namespace sprite_font_detail;

// The corners of every visible glyph, through the same geometry the
// platform writes its vertices with. The turn of the last glyph is kept:
// a rotated line mostly repeats it.
class QuadSink : public GlyphSink {
public:
    void SetTurn(float degrees) noexcept override { baseDegrees_ = degrees; }
    void Glyph(const PlacedGlyph& g) noexcept override {
        if (!sprite3d_geometry::IsVisible(g.width, g.height)) return;
        const float degrees = g.turned ? g.degrees : baseDegrees_;
        if (!haveTurn_ || std::bit_cast<std::uint32_t>(degrees) != std::bit_cast<std::uint32_t>(degrees_)) {
            turn_ = sprite3d_geometry::TurnOf(degrees);
            degrees_ = degrees;
            haveTurn_ = true;
        }
        float cornerX[4];
        float cornerY[4];
        sprite3d_geometry::Corners(g.x, g.y, g.width, g.height, turn_, cornerX, cornerY);
        Quad(g, cornerX, cornerY);
    }
    virtual void Quad(const PlacedGlyph& g, const float cornerX[4], const float cornerY[4]) noexcept = 0;

protected:
    ~QuadSink() = default;

private:
    sprite3d_geometry::Turn turn_{};
    float baseDegrees_ = 0.0f;
    float degrees_ = 0.0f;
    bool haveTurn_ = false;
};

class FillSink final : public QuadSink {
public:
    FillSink(GlyphQuad* out, std::size_t capacity) : out_(out), capacity_(out == nullptr ? 0 : capacity) {}
    void Quad(const PlacedGlyph& g, const float cornerX[4], const float cornerY[4]) noexcept override {
        if (count_ < capacity_) {
            GlyphQuad& q = out_[count_];
            q.code = g.code;
            std::copy(cornerX, cornerX + 4, q.x);
            std::copy(cornerY, cornerY + 4, q.y);
            q.srcX = g.srcX, q.srcY = g.srcY, q.srcWidth = g.srcWidth, q.srcHeight = g.srcHeight;
        }
        ++count_;
    }
    std::size_t Count() const noexcept { return count_; }

private:
    GlyphQuad* out_;
    std::size_t capacity_;
    std::size_t count_ = 0;
};

class BoundsSink final : public QuadSink {
public:
    void Quad(const PlacedGlyph&, const float cornerX[4], const float cornerY[4]) noexcept override {
        for (int i = 0; i < 4; ++i) {
            if (empty_) {
                box_ = TextBounds{cornerX[i], cornerY[i], cornerX[i], cornerY[i]};
                empty_ = false;
            }
            box_.left = std::min(box_.left, cornerX[i]);
            box_.right = std::max(box_.right, cornerX[i]);
            box_.top = std::min(box_.top, cornerY[i]);
            box_.bottom = std::max(box_.bottom, cornerY[i]);
        }
    }
    TextBounds Box() const noexcept { return box_; }

private:
    TextBounds box_{0.0f, 0.0f, 0.0f, 0.0f};
    bool empty_ = true;
};

// The walk as drawing runs it, from the anchored start point.
const SpriteFont* Prepare(FontId id, const char* text, float* size, std::int32_t* x, std::int32_t* y) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || text == nullptr) return nullptr;
    if (UsesFontDefault(*size)) *size = font->StyleSize;
    AnchorStart(*font, text, *size, x, y);
    return font;
}

}  // namespace

std::size_t SpriteFontTextQuads(FontId id, std::int32_t x, std::int32_t y, const char* text, float size,
                                GlyphQuad* out, std::size_t capacity) noexcept {
    const SpriteFont* font = Prepare(id, text, &size, &x, &y);
    if (font == nullptr) return 0;
    FillSink sink(out, capacity);
    WalkTextLine(*font, x, y, text, size, sink);
    return sink.Count();
}

TextBounds SpriteFontTextBounds(FontId id, std::int32_t x, std::int32_t y, const char* text, float size) noexcept {
    const SpriteFont* font = Prepare(id, text, &size, &x, &y);
    if (font == nullptr) return TextBounds{0.0f, 0.0f, 0.0f, 0.0f};
    BoundsSink sink;
    WalkTextLine(*font, x, y, text, size, sink);
    return sink.Box();
}

std::size_t SpriteFontBlockQuads(FontId id, std::int32_t x, std::int32_t y, const char* text, float size,
                                 const TextBlock& block, GlyphQuad* out, std::size_t capacity) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || text == nullptr) return 0;
    if (UsesFontDefault(size)) size = font->StyleSize;
    FillSink sink(out, capacity);
    WalkBlock(*font, x, y, text, size, block, sink);
    return sink.Count();
}

TextBounds SpriteFontBlockBounds(FontId id, std::int32_t x, std::int32_t y, const char* text, float size,
                                 const TextBlock& block) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || text == nullptr) return TextBounds{0.0f, 0.0f, 0.0f, 0.0f};
    if (UsesFontDefault(size)) size = font->StyleSize;
    BoundsSink sink;
    WalkBlock(*font, x, y, text, size, block, sink);
    return sink.Box();
}
