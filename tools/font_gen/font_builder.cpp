#include "font_builder.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "cp1252.h"
#include "glyph_art.h"
#include "metrics_table.h"
#include "packed_font.h"
#include "png_io.h"

namespace font_gen {
namespace {

// Blanks carry a positive advance but are spaces in the demonstration font:
// their cells stay empty whatever the face has for them.
bool IsBlank(std::uint8_t code) {
    return std::find(kBlankCodes.begin(), kBlankCodes.end(), code) != kBlankCodes.end();
}

// Records of advance 0 draw nothing visible and do not move the pen.
bool HasArtwork(const MetricRecord& m) { return m.advance > 0 && !IsBlank(m.code); }

// The face's own advance matches the table for most glyphs; where it does
// not, stretch the glyph sideways towards the table's advance, within limits
// that keep the letter's shape.
double StretchFor(const MetricRecord& m, const FaceMetrics& face) {
    if (std::lround(face.advance) == m.advance || face.advance <= 0) return 1.0;
    return std::clamp(m.advance / face.advance, 0.88, 1.12);
}

}  // namespace

bool ReportFit(const std::string& facePath, std::FILE* out, std::string* error) {
    auto face = TypeFace::Open(facePath, error);
    if (!face) return false;
    // One line per drawn glyph; a star marks the glyphs that get stretched.
    std::fprintf(out, "code  U+      table-ox+1 face-left  table-adv face-adv  ink-w   stretch\n");
    for (const MetricRecord& m : kMetrics) {
        if (!HasArtwork(m)) continue;
        const char32_t ch = Cp1252ToUnicode(m.code);
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
    return true;
}

bool BuildDemoFont(const std::string& facePath, std::vector<std::uint8_t>* block, std::string* error) {
    auto face = TypeFace::Open(facePath, error);
    if (!face) return false;
    // All zero: every texel nobody draws is transparent, and compresses to nothing.
    std::vector<std::uint8_t> atlas(static_cast<std::size_t>(kAtlasSize) * kAtlasSize * 4, 0);
    CellCoverage ink;
    for (const MetricRecord& m : kMetrics) {
        if (!HasArtwork(m)) continue;
        const char32_t ch = Cp1252ToUnicode(m.code);
        // A face without one of the table's glyphs cannot make this font.
        const auto fm = face->Measure(ch);
        if (!fm || !face->Rasterise(ch, StretchFor(m, *fm), &ink)) {
            *error = "the typeface has no outline for code " + std::to_string(m.code);
            return false;
        }
        const int cellX = kCellSize * (m.code % kGridSize);
        const int cellY = kCellSize * (m.code / kGridSize);
        PaintCell(ink, atlas.data(), cellX, cellY);
        // The metrics assume the box; a glyph outside it would overlap its
        // neighbours' cells when drawn, so report them all and write nothing.
        const CellBounds b = MeasureCell(atlas.data(), cellX, cellY);
        if (b.left < kBoxLeft || b.right > kBoxRight || b.top < kBoxTop || b.bottom > kBoxBottom) {
            *error += "the artwork of code " + std::to_string(m.code) + " leaves its box: columns " +
                      std::to_string(b.left) + ".." + std::to_string(b.right) + ", rows " +
                      std::to_string(b.top) + ".." + std::to_string(b.bottom) + "\n";
        }
    }
    if (!error->empty()) return false;
    const auto png = EncodePng(atlas, kAtlasSize, kAtlasSize, 4);
    if (png.empty()) {
        *error = "libpng could not encode the atlas";
        return false;
    }
    // Ascending code order, as the metric table lists them.
    const auto glyphs = DemoFontGlyphs();
    *block = PackFont(png, glyphs);
    return true;
}

}  // namespace font_gen
