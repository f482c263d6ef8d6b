#include "truetype.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_OUTLINE_H
#include FT_STROKER_H

#include <algorithm>
#include <cmath>

#include "code_page_names.h"
#include "face_kerning.h"
#include "sprite_font.h"

namespace font_maker {
namespace {

// Closes the face and the library on every way out.
struct FreeTypeGuard {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FT_Stroker stroker = nullptr;
    ~FreeTypeGuard() {
        if (stroker != nullptr) FT_Stroker_Done(stroker);
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

// A grey bitmap placed in glyph space: left edge and top edge (y up) of its
// texels, in pixels from the pen on the baseline.
struct Coverage {
    int left = 0, top = 0, width = 0, rows = 0, pitch = 0;
    std::vector<std::uint8_t> texels;

    void Take(const FT_Bitmap& bitmap, int bitmapLeft, int bitmapTop) {
        left = bitmapLeft, top = bitmapTop;
        width = static_cast<int>(bitmap.width), rows = static_cast<int>(bitmap.rows);
        texels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(rows), 0);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < width; ++x)
                texels[static_cast<std::size_t>(y * width + x)] = bitmap.buffer[static_cast<std::ptrdiff_t>(y) * bitmap.pitch + x];
    }
    bool empty() const { return width == 0 || rows == 0; }
    // Coverage 0..1 at glyph-space column x and row (y up) y.
    double At(int x, int y) const {
        const int col = x - left, row = top - 1 - y;
        if (col < 0 || row < 0 || col >= width || row >= rows) return 0.0;
        return texels[static_cast<std::size_t>(row * width + col)] / 255.0;
    }
};

// The outline: the glyph's outer border stroked radius pixels out with round
// joins, rendered filled, so it covers the ink and a ring around it.
bool StrokedCoverage(FT_GlyphSlot slot, FT_Stroker stroker, Coverage* out) {
    FT_Glyph glyph = nullptr;
    if (FT_Get_Glyph(slot, &glyph) != 0) return false;
    bool ok = FT_Glyph_StrokeBorder(&glyph, stroker, 0, 1) == 0 &&
              FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1) == 0;
    if (ok) {
        const auto* bitmap = reinterpret_cast<FT_BitmapGlyph>(glyph);
        ok = bitmap->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
        if (ok) out->Take(bitmap->bitmap, bitmap->left, bitmap->top);
    }
    FT_Done_Glyph(glyph);
    return ok;
}

// Colours as 0..1 for the compositing; bytes again only at the end.
Layer Colour(const Rgb& c, double alpha) { return {c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha}; }

std::uint8_t ToByte(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

}  // namespace

MakeStatus RenderFace(std::span<const std::uint8_t> faceFile, const Style& style, std::int32_t codePage,
                      std::vector<GlyphImage>* glyphs, std::vector<std::string>* notes,
                      sftools::FontChunks* chunks, bool kerning) {
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
    // The line's own numbers: records place glyphs against its top, the ascender.
    const FT_Size_Metrics& size = ft.face->size->metrics;
    const std::int32_t ascender = Pixels(size.ascender);
    const std::int32_t descender = Pixels(size.descender);
    const std::int32_t lineHeight = Pixels(size.height);
    const int dx = style.shadow ? style.shadowDx : 0, dy = style.shadow ? style.shadowDy : 0;
    if (style.outline > 0) {
        if (FT_Stroker_New(ft.library, &ft.stroker) != 0) return Fail(MakeError::FaceUnusable, "FreeType has no stroker");
        FT_Stroker_Set(ft.stroker, static_cast<FT_Fixed>(style.outline) * 64, FT_STROKER_LINECAP_ROUND,
                       FT_STROKER_LINEJOIN_ROUND, 0);
    }

    std::vector<std::int32_t> missing, oversized;
    for (int byte = 1; byte <= 255; ++byte) {
        const std::int32_t character = CodePageToUnicode(codePage, static_cast<unsigned char>(byte));
        // Control characters draw nothing in any face.
        if (character < 0x20 || (character >= 0x7F && character <= 0x9F)) continue;
        const FT_UInt index = FT_Get_Char_Index(ft.face, static_cast<FT_ULong>(character));
        Coverage ink, outline;
        // The outline is stroked from the outline before rendering consumes it.
        const bool loaded = index != 0 && FT_Load_Glyph(ft.face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) == 0 &&
                            ft.face->glyph->format == FT_GLYPH_FORMAT_OUTLINE;
        // A damaged face can scale a glyph to tens of thousands of pixels,
        // which FreeType would render (seconds and gigabytes) only for the
        // packer to refuse; such a glyph is left out before it is drawn.
        if (loaded) {
            FT_BBox box;
            FT_Outline_Get_CBox(&ft.face->glyph->outline, &box);
            const std::int64_t limit = std::min<std::int64_t>(16 * std::int64_t{style.pixelSize} + 64, kMaxAtlasSide);
            if ((std::int64_t{box.xMax} - box.xMin) / 64 > limit || (std::int64_t{box.yMax} - box.yMin) / 64 > limit) {
                oversized.push_back(character);
                continue;
            }
        }
        if (!loaded || (ft.stroker != nullptr && !StrokedCoverage(ft.face->glyph, ft.stroker, &outline)) ||
            FT_Render_Glyph(ft.face->glyph, FT_RENDER_MODE_NORMAL) != 0 ||
            ft.face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
            missing.push_back(character);
            continue;
        }
        const FT_GlyphSlot slot = ft.face->glyph;
        ink.Take(slot->bitmap, slot->bitmap_left, slot->bitmap_top);
        GlyphImage g;
        g.code = static_cast<std::uint8_t>(byte);
        g.advance = Pixels(slot->advance.x);
        g.lineHeight = lineHeight;
        if (ink.empty() && outline.empty()) {
            // A blank: it only moves the pen.
            glyphs->push_back(std::move(g));
            continue;
        }
        // The shape is ink and outline together; the shadow widens it on one side.
        const Coverage& p = ink.empty() ? outline : ink;
        const Coverage& q = outline.empty() ? p : outline;
        const int shapeLeft = std::min(p.left, q.left), shapeRight = std::max(p.left + p.width, q.left + q.width);
        const int shapeTop = std::max(p.top, q.top), shapeBottom = std::min(p.top - p.rows, q.top - q.rows);
        const int left = shapeLeft + std::min(0, dx), top = shapeTop + std::max(0, -dy);
        const int w = shapeRight - shapeLeft + std::abs(dx), h = shapeTop - shapeBottom + std::abs(dy);
        g.width = w;
        g.height = h;
        g.offsetX = left;
        g.offsetY = ascender - top;
        // Coverage of the image's texel (x, y), row 0 at the top.
        const auto inkAt = [&](int x, int y) { return ink.At(left + x, top - 1 - y); };
        const auto shapeAt = [&](int x, int y) {
            return outline.empty() ? inkAt(x, y) : std::max(inkAt(x, y), outline.At(left + x, top - 1 - y));
        };
        g.rgba.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
        // The gradient spans the whole line, so every glyph of a text shares it.
        const double lineSpan = std::max(1, ascender - descender);
        for (int y = 0; y < h; ++y) {
            Rgb fill = style.fill;
            if (style.gradient) {
                // Row centre measured from the top of the line.
                const double t = std::clamp((g.offsetY + y + 0.5) / lineSpan, 0.0, 1.0);
                const Rgb& a = style.gradient->first;
                const Rgb& b = style.gradient->second;
                const auto mix = [t](std::uint8_t from, std::uint8_t to) {
                    return static_cast<std::uint8_t>(std::lround(from + (to - from) * t));
                };
                fill = {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
            }
            for (int x = 0; x < w; ++x) {
                const std::size_t i = static_cast<std::size_t>(y * w + x);
                Layer out{0, 0, 0, 0};
                // Bottom to top: shadow, outline, fill.
                if (style.shadow) out = Colour(style.shadowColour, shapeAt(x - dx, y - dy) * style.shadowOpacity);
                if (!outline.empty()) out = Over(Colour(style.outlineColour, shapeAt(x, y)), out);
                out = Over(Colour(fill, inkAt(x, y)), out);
                std::uint8_t* px = &g.rgba[i * 4];
                px[3] = ToByte(out.a);
                if (px[3] == 0) continue;
                px[0] = ToByte(out.r), px[1] = ToByte(out.g), px[2] = ToByte(out.b);
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
    if (!oversized.empty())
        notes->push_back("note: " + std::to_string(oversized.size()) + " glyph" + (oversized.size() == 1 ? " is" : "s are") +
                         " more than 16 times the pixel size and left out (a damaged face?), the first " +
                         sftools::CharacterName(oversized.front()));
    if (glyphs->empty()) return Fail(MakeError::NoGlyphs, "the face has no character of the code page");
    if (chunks != nullptr) {
        *chunks = {};
        // Clamped for the cast only: the packer refuses records whose line height does not fit.
        chunks->metrics = sprite_font_format::Metrics{static_cast<std::int16_t>(std::clamp(lineHeight, -32768, 32767)),
                                                      static_cast<std::int16_t>(std::clamp(ascender, -32768, 32767)),
                                                      static_cast<std::uint32_t>(codePage), 0, 0};
        if (kerning) {
            std::vector<std::uint8_t> codes;
            for (const GlyphImage& g : *glyphs) codes.push_back(g.code);
            chunks->kerning = FaceKerning(faceFile, style.pixelSize, codePage, codes);
            if (!FaceKerningAvailable())
                notes->push_back("note: this build has no HarfBuzz, so the face's kerning is left out");
        }
    }
    return {};
}

}  // namespace font_maker
