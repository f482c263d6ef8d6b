#include "demo_font.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "demo_font_art.h"
#include "demo_font_metrics.h"
#include "sprite_font.h"

namespace font_maker {
namespace {

using namespace demo_font;

// Blanks carry a positive advance but are spaces in the demonstration font:
// their cells stay empty whatever the face has for them.
bool IsBlank(std::uint8_t code) {
    return std::find(kBlankCodes.begin(), kBlankCodes.end(), code) != kBlankCodes.end();
}

// Records of advance 0 draw nothing visible and do not move the pen.
bool HasArtwork(const MetricRecord& m) { return m.advance > 0 && !IsBlank(m.code); }

// The table's codes are all defined in Windows-1252.
char32_t CharacterOf(std::uint8_t code) {
    return static_cast<char32_t>(std::max(0, CodePageToUnicode(CodePageWindows1252, code)));
}

// The face's own advance matches the table for most glyphs; where it does
// not, stretch the glyph sideways towards the table's advance, within limits
// that keep the letter's shape.
double StretchFor(const MetricRecord& m, const FaceMetrics& face) {
    if (std::lround(face.advance) == m.advance || face.advance <= 0) return 1.0;
    return std::clamp(m.advance / face.advance, 0.88, 1.12);
}

}  // namespace

MakeStatus ReportDemoFontFit(std::span<const std::uint8_t> faceFile, std::FILE* out) {
    std::string error;
    auto face = TypeFace::Open(faceFile, &error);
    if (!face) return Fail(MakeError::FaceUnusable, error);
    // One line per drawn glyph; a star marks the glyphs that get stretched.
    std::fprintf(out, "code  U+      table-ox+1 face-left  table-adv face-adv  ink-w   stretch\n");
    for (const MetricRecord& m : kMetrics) {
        if (!HasArtwork(m)) continue;
        const char32_t ch = CharacterOf(m.code);
        const auto fm = face->Measure(ch);
        if (!fm) {
            std::fprintf(out, "%4d  %04X    no glyph in the face\n", m.code, static_cast<unsigned>(ch));
            continue;
        }
        const double s = StretchFor(m, *fm);
        std::fprintf(out, "%4d  %04X  %8d %10.2f %10d %9.2f %7.2f %8.3f%s\n", m.code,
                     static_cast<unsigned>(ch), m.offsetX + 1, fm->inkLeft, m.advance, fm->advance,
                     fm->inkWidth, s, s != 1.0 ? "  *" : "");
    }
    return {};
}

MakeStatus RenderDemoFont(std::span<const std::uint8_t> faceFile, std::vector<GlyphImage>* glyphs) {
    glyphs->clear();
    std::string error;
    auto face = TypeFace::Open(faceFile, &error);
    if (!face) return Fail(MakeError::FaceUnusable, error);
    CellCoverage ink;
    CellImage cell;
    for (const MetricRecord& m : kMetrics) {
        GlyphImage g;
        g.code = m.code;
        g.width = g.height = kCellSize;
        g.offsetX = m.offsetX;
        g.offsetY = kOffsetY;
        g.advance = m.advance;
        g.lineHeight = kLineHeight;
        // Every record's rectangle is its whole cell, drawn or not.
        g.rgba.assign(cell.size(), 0);
        if (HasArtwork(m)) {
            const char32_t ch = CharacterOf(m.code);
            // A face without one of the table's glyphs cannot make this font.
            const auto fm = face->Measure(ch);
            if (!fm || !face->Rasterise(ch, StretchFor(m, *fm), &ink))
                return Fail(MakeError::FaceUnusable, "the typeface has no outline for code " + std::to_string(m.code));
            PaintCell(ink, &cell);
            // The metrics assume the box; a glyph outside it would overlap its
            // neighbours' cells when drawn, so report them all and write nothing.
            const CellBounds b = MeasureCell(cell);
            if (b.left < kBoxLeft || b.right > kBoxRight || b.top < kBoxTop || b.bottom > kBoxBottom) {
                error += (error.empty() ? "" : "; ") + std::string("the artwork of code ") + std::to_string(m.code) +
                         " leaves its box: columns " + std::to_string(b.left) + ".." + std::to_string(b.right) +
                         ", rows " + std::to_string(b.top) + ".." + std::to_string(b.bottom);
            }
            g.rgba.assign(cell.begin(), cell.end());
        }
        glyphs->push_back(std::move(g));
    }
    if (!error.empty()) return Fail(MakeError::GlyphOutsidePage, error);
    return {};
}

}  // namespace font_maker
