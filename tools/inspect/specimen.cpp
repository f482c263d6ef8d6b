#include "specimen.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <tuple>

#include "font_block.h"
#include "platform.h"
#include "png_io.h"
#include "startup.h"
#include "png_codec.h"
#include "sprite_font.h"

namespace inspect {
namespace {

constexpr int kMargin = 8;

struct Bounds {
    int left = kScreenWidth, top = kScreenHeight, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
};

// Every pixel that is not the background belongs to the text.
Bounds InkBounds(const std::vector<std::uint32_t>& pixels, std::uint32_t background) {
    Bounds b;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x) {
            if ((pixels[static_cast<std::size_t>(y * kScreenWidth + x)] & 0xFFFFFF) == background) continue;
            b.left = std::min(b.left, x), b.right = std::max(b.right, x);
            b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
        }
    return b;
}

// How far to move what was drawn along one axis: centred when it fits
// with its margins, else its start put at the screen's edge and its end
// cut, which shows the most of it.
int Shift(std::int64_t low, std::int64_t high, int extent) {
    if (high - low + 1 <= extent - 2 * kMargin) return static_cast<int>(extent / 2 - (low + high) / 2);
    return static_cast<int>(-low);
}

// Passes every call on to the screen and notes the box around every quad
// displayed, wherever it lands: the ink alone misses glyphs drawn past the
// screen's edge after a run of blanks.
class QuadExtent : public SpritePlatform {
public:
    explicit QuadExtent(SpritePlatform* screen) : screen_(screen) {}

    void Reset() { left_ = top_ = std::numeric_limits<double>::max(), right_ = bottom_ = std::numeric_limits<double>::lowest(); }
    bool Empty() const { return right_ < left_; }
    std::int64_t Left() const { return static_cast<std::int64_t>(std::floor(left_)); }
    std::int64_t Top() const { return static_cast<std::int64_t>(std::floor(top_)); }
    std::int64_t Right() const { return static_cast<std::int64_t>(std::ceil(right_)) - 1; }
    std::int64_t Bottom() const { return static_cast<std::int64_t>(std::ceil(bottom_)) - 1; }
    bool Inside() const { return Left() >= 0 && Top() >= 0 && Right() < kScreenWidth && Bottom() < kScreenHeight; }

    SpriteHandle CreateSprite(std::int32_t request, const void* data, std::size_t size, std::int32_t flags) override {
        return screen_->CreateSprite(request, data, size, flags);
    }
    SpriteHandle CreateSprite3D(std::int32_t request, SpriteHandle sprite) override {
        return screen_->CreateSprite3D(request, sprite);
    }
    bool Sprite3DTextureSize(SpriteHandle sprite3D, std::int32_t* width, std::int32_t* height) override {
        return screen_->Sprite3DTextureSize(sprite3D, width, height);
    }
    void SetSprite3DTexCoords(SpriteHandle sprite3D, const float uv[8]) override {
        screen_->SetSprite3DTexCoords(sprite3D, uv);
    }
    void ZoomSprite3D(SpriteHandle sprite3D, std::int32_t width, std::int32_t height) override {
        size_[sprite3D] = {width, height};
        screen_->ZoomSprite3D(sprite3D, width, height);
    }
    void RotateSprite3D(SpriteHandle sprite3D, float degrees, std::int32_t mode) override {
        if (mode == 0) angle_[sprite3D] = degrees;
        screen_->RotateSprite3D(sprite3D, degrees, mode);
    }
    // Distance fields are the screen's business: passed straight on.
    void FieldSprite3D(SpriteHandle sprite3D, std::int32_t kind, float range) override {
        screen_->FieldSprite3D(sprite3D, kind, range);
    }
    void FieldEffectsSprite3D(SpriteHandle sprite3D, const SpriteFontFieldEffects& effects) override {
        screen_->FieldEffectsSprite3D(sprite3D, effects);
    }
    void DisplaySprite3D(SpriteHandle sprite3D, std::int32_t x, std::int32_t y, std::int32_t transparency) override {
        std::int32_t w = 0, h = 0;
        if (const auto found = size_.find(sprite3D); found != size_.end()) std::tie(w, h) = found->second;
        else screen_->Sprite3DTextureSize(sprite3D, &w, &h);
        const auto angle = angle_.find(sprite3D);
        const double radians = angle == angle_.end() ? 0.0 : angle->second * 0.017453292519943295;
        // A rectangle turned about its centre: its box grows by the turn.
        const double c = std::fabs(std::cos(radians)), s = std::fabs(std::sin(radians));
        const double halfW = (w * c + h * s) / 2, halfH = (w * s + h * c) / 2;
        const double cx = x + w / 2.0, cy = y + h / 2.0;
        if (w != 0 && h != 0) {
            left_ = std::min(left_, cx - halfW), right_ = std::max(right_, cx + halfW);
            top_ = std::min(top_, cy - halfH), bottom_ = std::max(bottom_, cy + halfH);
        }
        screen_->DisplaySprite3D(sprite3D, x, y, transparency);
    }

private:
    SpritePlatform* screen_;
    std::map<SpriteHandle, std::pair<std::int32_t, std::int32_t>> size_;
    std::map<SpriteHandle, float> angle_;
    double left_ = 0, top_ = 0, right_ = -1, bottom_ = -1;
};

// Light ink (white glyphs made to be tinted) vanishes on the white ground:
// the alpha-weighted mean brightness of the atlas, under the tint (0xRRGGBB),
// says which ground shows it.
bool InkIsLight(std::span<const std::uint8_t> block, std::uint32_t tint) {
    const auto font = sftools::UnpackFont(block);
    if (!font) return false;
    const auto atlas = sftools::DecodePng(font->png);
    if (!atlas) return false;
    double light = 0, weight = 0;
    for (std::size_t i = 0; i < atlas->rgba.size(); i += 4) {
        const double a = atlas->rgba[i + 3];
        light += a * (0.299 * atlas->rgba[i] * (tint >> 16 & 0xFF) + 0.587 * atlas->rgba[i + 1] * (tint >> 8 & 0xFF) +
                      0.114 * atlas->rgba[i + 2] * (tint & 0xFF)) / 255.0;
        weight += a;
    }
    return weight > 0 && light / weight > 0.75 * 255;
}

}  // namespace

bool RenderSpecimen(std::span<const std::uint8_t> block, const std::string& text, const SpecimenStyle& style,
                    std::vector<std::uint8_t>* png, std::vector<std::string>* warnings, std::string* error) {
    // The demonstration's start-up on the offscreen screen, which needs no
    // display and is the one the captures use, without its font.
    auto demo = StartDemonstration(StartupOptions{VideoMode::Offscreen, false}, error);
    if (!demo) return false;
    Screen* screen = demo->screen.get();
    if (style.nearest) screen->SetSprite3DQuality(0);
    QuadExtent extent(screen);
    SetSpritePlatform(&extent);
    struct Unhook {
        ~Unhook() { SetSpritePlatform(nullptr); }
    } unhook;
    // Sized: a broken font file must not be read past its end.
    const FontId font = LoadSpriteFont(AutoId, block.data(), block.size());
    const SpriteFont* loaded = GetSpriteFont(font);
    if (loaded == nullptr || loaded->sprite3D == 0) {
        *error = "the font's atlas does not load, so nothing can be drawn";
        return false;
    }
    // Drawing passes -1 for size and transparency, so these styles apply.
    SetSpriteFontStyle(font, StyleSize, style.size);
    SetSpriteFontStyle(font, StyleRotation, style.rotation);
    SetSpriteFontStyle(font, StyleArc, style.arc);
    SetSpriteFontStyle(font, StyleTransparency, style.transparency);
    SetSpriteFontStyle(font, StyleAlignX, style.alignX);
    SetSpriteFontStyle(font, StyleAlignY, style.alignY);
    SetSpriteFontStyle(font, StyleMaxLength, style.maxLength);
    // The engine takes red in the low byte, the other way round from how people write colours.
    if (style.tinted)
        SetSpriteFontColor(font, (style.color & 0xFF) << 16 | (style.color & 0xFF00) | (style.color >> 16 & 0xFF));

    const std::uint32_t background = style.backgroundGiven || !InkIsLight(block, style.tinted ? style.color : 0xFFFFFF) ? style.background & 0xFFFFFF : 0x202020;
    // Clear takes 0xBBGGRR; pixels come back as 0xAARRGGBB.
    const std::uint32_t bgr = (background & 0xFF) << 16 | (background & 0xFF00) | (background >> 16 & 0xFF);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    const auto draw = [&](int x, int y) {
        screen->Clear(bgr);
        extent.Reset();
        screen->BeginSprite3D();
        if (style.circle > 0.0f) {
            const TextPath path = TextPath::Circle(static_cast<float>(x), static_cast<float>(y), style.circle,
                                                   style.upright ? 90.0f : -90.0f, true, style.upright);
            if (style.utf8)
                DrawSpriteFontTextOnPathUtf8(font, text.c_str(), path, 0.0f, TextAlignCenter, -1.0f, -1.0f,
                                             style.codePage);
            else
                DrawSpriteFontTextOnPath(font, text.c_str(), path, 0.0f, TextAlignCenter, -1.0f, -1.0f);
        } else if (style.asBlock && style.utf8) {
            DrawSpriteFontBlockUtf8(font, x, y, text.c_str(), -1.0f, -1.0f, style.block, style.codePage);
        } else if (style.asBlock) {
            DrawSpriteFontBlock(font, x, y, text.c_str(), -1.0f, -1.0f, style.block);
        } else if (style.utf8) {
            DrawSpriteFontTextUtf8(font, x, y, text.c_str(), -1.0f, -1.0f, style.codePage);
        } else {
            DrawSpriteFontText(font, x, y, text.c_str(), -1.0f, -1.0f);
        }
        screen->EndSprite3D();
        screen->Flip();
        return screen->ReadPixels(pixels) ? InkBounds(pixels, background) : Bounds{};
    };
    // Where a bent or turned text lands is easiest seen: draw it from the
    // centre, then once more moved so that what was drawn is centred.
    int x = kScreenWidth / 2, y = kScreenHeight / 2;
    Bounds b = draw(x, y);
    // Moved by where the quads landed, blank ones included, so that a
    // glyph past the edge is brought in even when no ink touches the edge.
    if (!extent.Empty() && !extent.Inside()) {
        x += Shift(extent.Left(), extent.Right(), kScreenWidth);
        y += Shift(extent.Top(), extent.Bottom(), kScreenHeight);
        b = draw(x, y);
        if (!extent.Inside()) warnings->push_back("the text is larger than the 800 x 600 screen and is cut");
    }
    if (b.empty()) {
        *error = "the text draws nothing with this font and style";
        return false;
    }
    // Cropped to the ink with a margin, as much as the screen has.
    const int left = std::max(0, b.left - kMargin), top = std::max(0, b.top - kMargin);
    const int right = std::min(kScreenWidth - 1, b.right + kMargin), bottom = std::min(kScreenHeight - 1, b.bottom + kMargin);
    const int width = right - left + 1, height = bottom - top + 1;
    std::vector<std::uint32_t> cropped;
    cropped.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int row = top; row <= bottom; ++row) {
        const auto start = pixels.begin() + row * kScreenWidth + left;
        cropped.insert(cropped.end(), start, start + width);
    }
    if (!EncodePng(cropped.data(), width, height, false, *png)) {
        *error = "libpng could not encode the specimen";
        return false;
    }
    return true;
}

}  // namespace inspect
