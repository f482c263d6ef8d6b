#include "demo_font_art.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_BBOX_H
#include FT_BITMAP_H

#include <algorithm>
#include <cmath>

namespace font_maker::demo_font {
namespace {

// FreeType measures outlines in 26.6 fixed point: 64 units to the pixel.
constexpr double k26Dot6 = 64.0;
constexpr FT_Pos kEmbolden = 36;  // in 1/64 pixel, spread over both sides of a stroke

// One library per face: the maker opens one face per run, and the pair
// then lives and dies together.
class FreeTypeFace final : public TypeFace {
public:
    FreeTypeFace(FT_Library library, FT_Face face) : library_(library), face_(face) {}
    ~FreeTypeFace() override {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;

    std::optional<FaceMetrics> Measure(char32_t ch) override {
        if (!Load(ch)) return std::nullopt;
        FT_BBox box;
        FT_Outline_Get_BBox(&face_->glyph->outline, &box);
        FaceMetrics m;
        // Unhinted, so the advance keeps its fraction (16.16 in linearHoriAdvance).
        m.advance = static_cast<double>(face_->glyph->linearHoriAdvance) / 65536.0;
        m.inkLeft = static_cast<double>(box.xMin) / k26Dot6;
        m.inkWidth = static_cast<double>(box.xMax - box.xMin) / k26Dot6;
        return m;
    }

    bool Rasterise(char32_t ch, double xScale, CellCoverage* coverage) override {
        coverage->fill(0);
        if (!Load(ch)) return false;
        FT_Outline* outline = &face_->glyph->outline;
        // Stretched about x = 0; the translation below puts the left edge back.
        if (xScale != 1.0) {
            FT_Matrix stretch{static_cast<FT_Fixed>(std::lround(xScale * 65536.0)), 0, 0, 0x10000};
            FT_Outline_Transform(outline, &stretch);
        }
        // At 40 pixels the face's hairlines are thin; a slight weight keeps
        // the fill's colour visible and survives drawing at half size.
        FT_Outline_Embolden(outline, kEmbolden);
        FT_BBox box;
        FT_Outline_Get_BBox(outline, &box);
        // FreeType's bitmap origin is its bottom-left corner, y up.
        const FT_Pos dx = kBoxLeft * 64 - box.xMin;
        const FT_Pos dy = (kCellSize - kBaselineRow) * 64;
        FT_Outline_Translate(outline, dx, dy);

        // Rendered straight into the cell. Ink beyond it would be clipped
        // unseen, but it would cross the box, which is checked after painting.
        FT_Bitmap bitmap;
        FT_Bitmap_Init(&bitmap);
        bitmap.rows = kCellSize;
        bitmap.width = kCellSize;
        bitmap.pitch = kCellSize;
        bitmap.buffer = coverage->data();
        bitmap.num_grays = 256;
        bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
        return FT_Outline_Get_Bitmap(library_, outline, &bitmap) == 0;
    }

private:
    // Hinting would snap stems to whole pixels and change the advances the
    // metric table was fitted to; embedded bitmaps would skip the outline.
    bool Load(char32_t ch) {
        const FT_UInt index = FT_Get_Char_Index(face_, ch);
        if (index == 0) return false;
        return FT_Load_Glyph(face_, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0 &&
               face_->glyph->format == FT_GLYPH_FORMAT_OUTLINE;
    }

    FT_Library library_;
    FT_Face face_;
};

struct Rgb {
    double r, g, b;
};

// Fill: a vertical gradient fixed to the cell's rows, so that every glyph of a
// line shares it; deep blue at the cap height to plum at the baseline.
constexpr int kGradientTop = 12;
constexpr int kGradientBottom = 44;
constexpr Rgb kFillTop{0.12, 0.30, 0.78};
constexpr Rgb kFillBottom{0.62, 0.08, 0.40};

// Shadow: the ink moved to the lower right, blurred, dark and half opaque.
constexpr int kShadowDx = 2;
constexpr int kShadowDy = 2;
constexpr Rgb kShadowColour{0.10, 0.08, 0.16};
constexpr double kShadowOpacity = 0.45;
// The blur's faintest tail is invisible; dropping it keeps the shadow in the box.
constexpr double kShadowCutoff = 2.5 / 255.0;

Rgb FillAt(int row) {
    const double t = std::clamp(static_cast<double>(row - kGradientTop) /
                                    static_cast<double>(kGradientBottom - kGradientTop),
                                0.0, 1.0);
    return {kFillTop.r + (kFillBottom.r - kFillTop.r) * t,
            kFillTop.g + (kFillBottom.g - kFillTop.g) * t,
            kFillTop.b + (kFillBottom.b - kFillTop.b) * t};
}

// A 5-tap binomial blur, rows then columns, of the coverage as 0..1.
std::array<double, kCellSize * kCellSize> Blur(const CellCoverage& ink) {
    constexpr double kTaps[5] = {1.0 / 16, 4.0 / 16, 6.0 / 16, 4.0 / 16, 1.0 / 16};
    std::array<double, kCellSize * kCellSize> across{};
    std::array<double, kCellSize * kCellSize> out{};
    // Taps outside the cell read as no ink; the cell's margins are empty anyway.
    for (int y = 0; y < kCellSize; ++y)
        for (int x = 0; x < kCellSize; ++x) {
            double sum = 0;
            for (int k = -2; k <= 2; ++k) {
                const int sx = x + k;
                if (sx >= 0 && sx < kCellSize) sum += kTaps[k + 2] * ink[y * kCellSize + sx];
            }
            across[y * kCellSize + x] = sum / 255.0;
        }
    for (int y = 0; y < kCellSize; ++y)
        for (int x = 0; x < kCellSize; ++x) {
            double sum = 0;
            for (int k = -2; k <= 2; ++k) {
                const int sy = y + k;
                if (sy >= 0 && sy < kCellSize) sum += kTaps[k + 2] * across[sy * kCellSize + x];
            }
            out[y * kCellSize + x] = sum;
        }
    return out;
}

// Rounding, not truncation: a coverage of 254.6/255 must stay opaque-looking.
std::uint8_t ToByte(double v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

}  // namespace

std::unique_ptr<TypeFace> TypeFace::Open(std::span<const std::uint8_t> faceFile, std::string* error) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        *error = "cannot start FreeType";
        return nullptr;
    }
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library, faceFile.data(), static_cast<FT_Long>(faceFile.size()), 0, &face) != 0) {
        FT_Done_FreeType(library);
        *error = "not a typeface FreeType can open";
        return nullptr;
    }
    // Windows-1252 bytes are mapped to Unicode first, so the face must have a
    // Unicode map; a bitmap-only face has no size to scale to.
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 ||
        FT_Set_Pixel_Sizes(face, 0, kPixelsPerEm) != 0) {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
        *error = "the typeface has no Unicode map or no scalable outlines";
        return nullptr;
    }
    return std::make_unique<FreeTypeFace>(library, face);
}

void PaintCell(const CellCoverage& ink, CellImage* cell) {
    cell->fill(0);
    const auto blurred = Blur(ink);
    auto texel = [&](int x, int y) { return cell->data() + (static_cast<std::size_t>(y) * kCellSize + x) * 4; };
    for (int y = 0; y < kCellSize; ++y) {
        const Rgb fill = FillAt(y);
        for (int x = 0; x < kCellSize; ++x) {
            // f: the fill's coverage; s: the shadow's opacity at this texel.
            const double f = ink[y * kCellSize + x] / 255.0;
            const int sx = x - kShadowDx, sy = y - kShadowDy;
            double s = (sx >= 0 && sy >= 0) ? blurred[sy * kCellSize + sx] * kShadowOpacity : 0.0;
            if (s < kShadowCutoff) s = 0.0;
            // Fill over shadow, kept as straight (unpremultiplied) colour.
            const double a = f + s * (1.0 - f);
            std::uint8_t* p = texel(x, y);
            p[3] = ToByte(a);
            // Nothing drawn: the colour is left to the packer's bleeding.
            if (p[3] == 0) continue;
            const double ws = s * (1.0 - f);
            p[0] = ToByte((fill.r * f + kShadowColour.r * ws) / a);
            p[1] = ToByte((fill.g * f + kShadowColour.g * ws) / a);
            p[2] = ToByte((fill.b * f + kShadowColour.b * ws) / a);
        }
    }
}

// Counts every texel with alpha, however faint: the box holds for all of them.
CellBounds MeasureCell(const CellImage& cell) {
    CellBounds b;
    for (int y = 0; y < kCellSize; ++y)
        for (int x = 0; x < kCellSize; ++x) {
            if (cell[(static_cast<std::size_t>(y) * kCellSize + x) * 4 + 3] == 0) continue;
            if (b.left < 0 || x < b.left) b.left = x;
            if (x > b.right) b.right = x;
            if (b.top < 0) b.top = y;
            b.bottom = y;
        }
    return b;
}

}  // namespace font_maker::demo_font
