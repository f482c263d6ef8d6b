#include "truetype.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

#include "code_page_names.h"
#include "sprite_font.h"

namespace font_maker {
namespace {

// Closes the face and the library on every way out.
struct FreeTypeGuard {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeGuard() {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

// FreeType's 26.6 fixed point to whole pixels, halves away from zero.
std::int32_t Pixels(FT_Pos v) {
    return static_cast<std::int32_t>(v >= 0 ? (v + 32) / 64 : -((-v + 32) / 64));
}

struct Layer {
    double r, g, b, a;
};

// Straight-alpha "over": top covers bottom by its alpha.
Layer Over(const Layer& top, const Layer& bottom) {
    const double a = top.a + bottom.a * (1.0 - top.a);
    if (a <= 0.0) return {0, 0, 0, 0};
    const double wb = bottom.a * (1.0 - top.a);
    return {(top.r * top.a + bottom.r * wb) / a, (top.g * top.a + bottom.g * wb) / a,
            (top.b * top.a + bottom.b * wb) / a, a};
}

// Coverage grown by radius pixels with a soft edge: each texel takes the
// strongest ink within the disc, weighted by how far inside the disc it lies.
std::vector<double> Dilate(const std::vector<double>& ink, int width, int height, int radius) {
    std::vector<double> out(ink.size(), 0.0);
    const int reach = radius + 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double best = 0.0;
            for (int dy = -reach; dy <= reach; ++dy) {
                const int sy = y + dy;
                if (sy < 0 || sy >= height) continue;
                for (int dx = -reach; dx <= reach; ++dx) {
                    const int sx = x + dx;
                    if (sx < 0 || sx >= width) continue;
                    const double weight = std::clamp(radius + 0.5 - std::sqrt(double(dx * dx + dy * dy)), 0.0, 1.0);
                    best = std::max(best, ink[static_cast<std::size_t>(sy * width + sx)] * weight);
                }
            }
            out[static_cast<std::size_t>(y * width + x)] = best;
        }
    return out;
}

Layer Colour(const Rgb& c, double alpha) { return {c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha}; }

std::uint8_t ToByte(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

}  // namespace

MakeStatus RenderFace(std::span<const std::uint8_t> faceFile, const Style& style, std::int32_t codePage,
                      std::vector<GlyphImage>* glyphs, std::vector<std::string>* notes) {
    glyphs->clear();
    FreeTypeGuard ft;
    if (FT_Init_FreeType(&ft.library) != 0) return Fail(MakeError::FaceUnusable, "FreeType does not start");
    if (FT_New_Memory_Face(ft.library, faceFile.data(), static_cast<FT_Long>(faceFile.size()), 0, &ft.face) != 0)
        return Fail(MakeError::FaceUnusable, "neither a BMFont file nor a face FreeType can open");
    // Code page bytes are looked up through Unicode.
    if (FT_Select_Charmap(ft.face, FT_ENCODING_UNICODE) != 0)
        return Fail(MakeError::FaceUnusable, "the face has no Unicode character map");
    if (!FT_IS_SCALABLE(ft.face) || FT_Set_Pixel_Sizes(ft.face, 0, static_cast<FT_UInt>(style.pixelSize)) != 0)
        return Fail(MakeError::FaceUnusable, "the face has no outlines to scale to " + std::to_string(style.pixelSize) +
                                                 " pixels");
    const FT_Size_Metrics& size = ft.face->size->metrics;
    const std::int32_t ascender = Pixels(size.ascender);
    const std::int32_t descender = Pixels(size.descender);
    const std::int32_t lineHeight = Pixels(size.height);
    const int n = style.outline;
    const int dx = style.shadow ? style.shadowDx : 0, dy = style.shadow ? style.shadowDy : 0;
    // The effects widen the image: the outline on every side, the shadow on one.
    const int padLeft = n + std::max(0, -dx), padRight = n + std::max(0, dx);
    const int padTop = n + std::max(0, -dy), padBottom = n + std::max(0, dy);

    std::vector<std::int32_t> missing;
    for (int byte = 1; byte <= 255; ++byte) {
        const std::int32_t character = CodePageToUnicode(codePage, static_cast<unsigned char>(byte));
        // Control characters draw nothing in any face.
        if (character < 0x20 || (character >= 0x7F && character <= 0x9F)) continue;
        const FT_UInt index = FT_Get_Char_Index(ft.face, static_cast<FT_ULong>(character));
        if (index == 0 || FT_Load_Glyph(ft.face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0 ||
            FT_Render_Glyph(ft.face->glyph, FT_RENDER_MODE_NORMAL) != 0 ||
            ft.face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
            missing.push_back(character);
            continue;
        }
        const FT_GlyphSlot slot = ft.face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        GlyphImage g;
        g.code = static_cast<std::uint8_t>(byte);
        g.advance = Pixels(slot->advance.x);
        g.lineHeight = lineHeight;
        const int inkW = static_cast<int>(bitmap.width), inkH = static_cast<int>(bitmap.rows);
        if (inkW == 0 || inkH == 0) {
            // A blank: it only moves the pen.
            glyphs->push_back(std::move(g));
            continue;
        }
        const int w = inkW + padLeft + padRight, h = inkH + padTop + padBottom;
        g.width = w;
        g.height = h;
        g.offsetX = slot->bitmap_left - padLeft;
        g.offsetY = ascender - slot->bitmap_top - padTop;
        // The ink, placed inside the padded image.
        std::vector<double> ink(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0.0);
        for (int y = 0; y < inkH; ++y)
            for (int x = 0; x < inkW; ++x)
                ink[static_cast<std::size_t>((y + padTop) * w + x + padLeft)] =
                    bitmap.buffer[static_cast<std::ptrdiff_t>(y) * bitmap.pitch + x] / 255.0;
        const std::vector<double> shape = n > 0 ? Dilate(ink, w, h, n) : ink;
        g.rgba.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
        const double lineSpan = std::max(1, ascender - descender);
        for (int y = 0; y < h; ++y) {
            Rgb fill = style.fill;
            if (style.gradient) {
                // Row centre measured from the top of the line.
                const double t = std::clamp((g.offsetY + y + 0.5) / lineSpan, 0.0, 1.0);
                const Rgb& a = style.gradient->first;
                const Rgb& b = style.gradient->second;
                const auto mix = [t](std::uint8_t p, std::uint8_t q) {
                    return static_cast<std::uint8_t>(std::lround(p + (q - p) * t));
                };
                fill = {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
            }
            for (int x = 0; x < w; ++x) {
                const std::size_t i = static_cast<std::size_t>(y * w + x);
                Layer out{0, 0, 0, 0};
                if (style.shadow) {
                    const int sx = x - dx, sy = y - dy;
                    const double s = (sx >= 0 && sy >= 0 && sx < w && sy < h)
                                         ? shape[static_cast<std::size_t>(sy * w + sx)] : 0.0;
                    out = Colour(style.shadowColour, s * style.shadowOpacity);
                }
                if (n > 0) out = Over(Colour(style.outlineColour, shape[i]), out);
                out = Over(Colour(fill, ink[i]), out);
                std::uint8_t* p = &g.rgba[i * 4];
                p[3] = ToByte(out.a);
                if (p[3] == 0) continue;
                p[0] = ToByte(out.r), p[1] = ToByte(out.g), p[2] = ToByte(out.b);
            }
        }
        glyphs->push_back(std::move(g));
    }
    if (!missing.empty()) {
        std::string line = "note: the face has no glyph for " + std::to_string(missing.size()) + " character" +
                           (missing.size() == 1 ? "" : "s") + " of " + sftools::CodePageName(codePage) +
                           ", left out:";
        for (std::size_t i = 0; i < missing.size() && i < 12; ++i) line += " " + sftools::CharacterName(missing[i]);
        if (missing.size() > 12) line += " ...";
        notes->push_back(line);
    }
    if (glyphs->empty()) return Fail(MakeError::NoGlyphs, "the face has no character of the code page");
    return {};
}

}  // namespace font_maker
