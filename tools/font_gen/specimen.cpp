#include <algorithm>
#include <array>
#include <string_view>

#include <span>
#include <string>
#include <vector>
#include "packed_font.h"
#include "png_io.h"

namespace font_gen {
namespace {

// The demonstration's captions, in Windows-1252 bytes.
constexpr std::array<std::string_view, 5> kCaptions = {
    "Standard Style einer Quillon",
    "Abgeschnitten nach einer bestimmten L\xE4nge",
    "Bogen-Style einer Quillon",
    "Transparente Gr\xF6\xDF" "en\xE4nderung der Quillon",
    "Feder-Style einer Quillon",
};

constexpr int kMargin = 12;
constexpr int kLineGap = 8;  // added to the font's line height between captions

// RGB over white, with the bounds of everything drawn so far, for cropping.
struct Canvas {
    int width, height;
    std::vector<std::uint8_t> rgb;
    int inkLeft, inkTop, inkRight, inkBottom;
};

// Straight alpha over what is there, as the screen blends a glyph.
void Blend(const Image& atlas, const GlyphMetrics& g, int left, int top, Canvas* canvas) {
    for (int y = 0; y < g.srcHeight; ++y)
        for (int x = 0; x < g.srcWidth; ++x) {
            const int ax = g.srcX + x, ay = g.srcY + y, cx = left + x, cy = top + y;
            // The font is input like any other: rectangles may point anywhere.
            if (ax < 0 || ay < 0 || ax >= atlas.width || ay >= atlas.height) continue;
            if (cx < 0 || cy < 0 || cx >= canvas->width || cy >= canvas->height) continue;
            const std::uint8_t* s = &atlas.rgba[(static_cast<std::size_t>(ay) * atlas.width + ax) * 4];
            if (s[3] == 0) continue;
            std::uint8_t* d = &canvas->rgb[(static_cast<std::size_t>(cy) * canvas->width + cx) * 3];
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<std::uint8_t>((s[c] * s[3] + d[c] * (255 - s[3]) + 127) / 255);
            canvas->inkLeft = std::min(canvas->inkLeft, cx);
            canvas->inkRight = std::max(canvas->inkRight, cx);
            canvas->inkTop = std::min(canvas->inkTop, cy);
            canvas->inkBottom = std::max(canvas->inkBottom, cy);
        }
}

}  // namespace

// The five captions laid out straight with the font's own metrics, over white.
bool BuildSpecimen(std::span<const std::uint8_t> block, std::vector<std::uint8_t>* png,
                   std::string* error) {
    const auto font = UnpackFont(block);
    if (!font) {
        *error = "not a complete packed font";
        return false;
    }
    const auto atlas = DecodePng(font->png);
    if (!atlas) {
        *error = "the font's atlas does not decode";
        return false;
    }
    // Later records replace earlier ones of the same code, as the loader does.
    std::array<const GlyphMetrics*, 256> glyphs{};
    for (const GlyphMetrics& g : font->glyphs) glyphs[g.code] = &g;
    const GlyphMetrics* first = glyphs[static_cast<std::uint8_t>(kCaptions[0][0])];
    // Lines a little further apart than the font's line height, so that the
    // descenders of one line clear the capitals of the next.
    const int pitch = (first != nullptr ? first->lineHeight : 44) + kLineGap;

    // Draw on a generous canvas, then crop to the ink plus a margin.
    Canvas canvas{1200, 128 + pitch * static_cast<int>(kCaptions.size()), {}, 1 << 30, 1 << 30, -1, -1};
    canvas.rgb.assign(static_cast<std::size_t>(canvas.width) * canvas.height * 3, 255);
    int y = 64;
    for (std::string_view caption : kCaptions) {
        int pen = 64;
        for (char ch : caption) {
            const GlyphMetrics* g = glyphs[static_cast<std::uint8_t>(ch)];
            // A character without a glyph is skipped and does not move the pen.
            if (g == nullptr) continue;
            Blend(*atlas, *g, pen + g->offsetX, y + g->offsetY, &canvas);
            pen += g->advance;
        }
        y += pitch;
    }
    if (canvas.inkRight < 0) {
        *error = "the captions draw nothing";
        return false;
    }
    const int left = std::max(0, canvas.inkLeft - kMargin);
    const int top = std::max(0, canvas.inkTop - kMargin);
    const int width = std::min(canvas.width, canvas.inkRight + 1 + kMargin) - left;
    const int height = std::min(canvas.height, canvas.inkBottom + 1 + kMargin) - top;
    // Opaque white background, so RGB is enough and smaller.
    std::vector<std::uint8_t> cropped;
    cropped.reserve(static_cast<std::size_t>(width) * height * 3);
    for (int row = top; row < top + height; ++row) {
        const auto start = canvas.rgb.begin() + (static_cast<std::ptrdiff_t>(row) * canvas.width + left) * 3;
        cropped.insert(cropped.end(), start, start + static_cast<std::ptrdiff_t>(width) * 3);
    }
    *png = EncodePng(cropped, width, height, 3);
    if (png->empty()) {
        *error = "libpng could not encode the specimen";
        return false;
    }
    return true;
}

}  // namespace font_gen
