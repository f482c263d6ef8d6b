#include "specimen.h"

#include <algorithm>

#include "platform.h"
#include "startup.h"
#include "png_codec.h"
#include "sprite_font.h"

namespace inspect {
namespace {

constexpr int kMargin = 8;

struct Bounds {
    int left = kScreenWidth, top = kScreenHeight, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
    bool touchesEdge() const {
        return left == 0 || top == 0 || right == kScreenWidth - 1 || bottom == kScreenHeight - 1;
    }
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

// How far to move what was drawn along one axis: centred when it fits; cut
// on one side only, moved so that as much as can be shown is; cut on both,
// left alone.
int Shift(int low, int high, int extent) {
    const bool cutLow = low == 0, cutHigh = high == extent - 1;
    if (cutLow && cutHigh) return 0;
    if (cutHigh) return kMargin - low;
    if (cutLow) return extent - 1 - kMargin - high;
    return extent / 2 - (low + high) / 2;
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

    // Clear takes 0xBBGGRR; pixels come back as 0xAARRGGBB.
    const std::uint32_t bgr = (style.background & 0xFF) << 16 | (style.background & 0xFF00) | (style.background >> 16 & 0xFF);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    const auto draw = [&](int x, int y) {
        screen->Clear(bgr);
        screen->BeginSprite3D();
        if (style.utf8) DrawSpriteFontTextUtf8(font, x, y, text.c_str(), -1.0f, -1.0f, style.codePage);
        else DrawSpriteFontText(font, x, y, text.c_str(), -1.0f, -1.0f);
        screen->EndSprite3D();
        screen->Flip();
        return screen->ReadPixels(pixels) ? InkBounds(pixels, style.background & 0xFFFFFF) : Bounds{};
    };
    // Where a bent or turned text lands is easiest seen: draw it from the
    // centre, then once more moved so that what was drawn is centred.
    int x = kScreenWidth / 2, y = kScreenHeight / 2;
    Bounds b = draw(x, y);
    if (b.empty()) {
        *error = "the text draws nothing with this font and style";
        return false;
    }
    if (b.touchesEdge()) {
        x += Shift(b.left, b.right, kScreenWidth);
        y += Shift(b.top, b.bottom, kScreenHeight);
        b = draw(x, y);
        if (b.empty()) {
            *error = "the text draws nothing with this font and style";
            return false;
        }
        if (b.touchesEdge()) warnings->push_back("the text is larger than the 800 x 600 screen and is cut");
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
