// spritefont_make: writes a packed font from a TrueType/OpenType face or
// from a BMFont font (text, XML or binary).
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <new>
#include <cstdlib>
#include <string>
#include <vector>

#include "atlas_packer.h"
#include "bmfont.h"
#include "code_page_names.h"
#include "command_line.h"
#include "face_style.h"
#include "file_io.h"
#include "sprite_font.h"
#if SPRITEFONT_MAKE_FREETYPE
#include "demo_font.h"
#include "distance_field.h"
#include "truetype.h"
#endif

namespace {

using namespace font_maker;

const char kUsage[] =
    "usage: spritefont_make [options] INPUT OUT.sf3d\n"
    "       spritefont_make --demo-font FACE.otf [OUT.sf3d]\n"
    "\n"
    "Writes a packed font (an RGBA PNG atlas and its glyph records) from INPUT:\n"
    "  - a TrueType or OpenType face (.ttf, .otf), rendered at --size pixels;\n"
    "  - a BMFont font in its text, XML or binary form (.fnt), whose pages\n"
    "    (PNG files beside it) are merged into one atlas.\n"
    "Characters are mapped to the code page; those it lacks are left out with\n"
    "a note. A BMFont font's kerning pairs between characters it keeps, its\n"
    "line height, baseline and code page go into the packed font too. A\n"
    "distance-field BMFont font keeps its field as the glyphs' coverage, marked\n"
    "as a field in the font's metrics (drawn plainly it looks blurred).\n"
    "OUT is written only when the whole font is made.\n"
    "\n"
    "  --code-page NAME     windows-1252 (default), windows-1250 (Central\n"
    "                       European), windows-1251 (Cyrillic), windows-1253\n"
    "                       (Greek), latin-1 or latin-9 (--codepage also works)\n"
    "  --fill RRGGBB        colour of the glyphs (default FFFFFF for faces; a\n"
    "                       BMFont font keeps its pages' colours unless given)\n"
    "  --no-kerning         leave the kerning pairs out\n"
    "  --packing grid|tight grid: equal cells in code order; tight (default):\n"
    "                       shelves, the smallest atlas\n"
    "  --no-kerning         leave the font's kerning pairs out\n"
    "TrueType/OpenType only:\n"
    "  --size PX            pixel size (1..1024, default 32)\n"
    "  --demo-font          the demonstration's font: FACE (TeX Gyre Chorus)\n"
    "                       drawn to its fixed metric table, in 64 x 64 cells\n"
    "                       in code order; takes no other option. Without OUT,\n"
    "                       prints how the face fits the table\n"
    "  --gradient TOP,BOTTOM  vertical gradient over the line, e.g. 2050C0,A01466\n"
    "  --outline PX         outline this many pixels wide (0..32)\n"
    "  --outline-colour RRGGBB  (default 000000)\n"
    "  --shadow DX,DY       shadow offset in pixels (-64..64 each)\n"
    "  --shadow-colour RRGGBB   (default 000000)\n"
    "  --shadow-opacity F   0..1 (default 0.5)\n"
    "  --distance-field sdf|msdf  store a signed distance field of each glyph\n"
    "                       (single- or multi-channel) instead of its coverage,\n"
    "                       for renderers that draw fields sharp at any size;\n"
    "                       no fill, gradient, outline or shadow with it\n"
    "  --range N            the field's range in texels (1..64, default 4)\n"
    "  --help               this text\n"
    "\n"
    "Exit status: 0 done, 1 the font could not be made, 2 wrong command line.\n";

int Usage(const std::string& message) { return CommandLineError("spritefont_make", message); }

// The colour split into the channels the face styler takes.
bool ParseColour(const std::string& text, Rgb* out) {
    std::uint32_t v = 0;
    if (!ParseHexColour(text, &v)) return false;
    *out = {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    return true;
}

// "A,B" into its two halves.
bool SplitPair(const std::string& text, std::string* a, std::string* b) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) return false;
    *a = text.substr(0, comma);
    *b = text.substr(comma + 1);
    return true;
}

// --distance-field and --range, kept apart from the face style: a field
// stores the shape only.
struct FieldRequest {
    std::int32_t kind = 0;  // 0 none, 1 sdf, 2 msdf
    std::int32_t range = 4;
};

bool ParseFieldOption(const std::string& arg, const std::string& value, FieldRequest* field) {
    if (arg == "--range") return ParseInt(value, 1, 64, &field->range);
    field->kind = value == "sdf" ? 1 : value == "msdf" ? 2 : 0;
    return field->kind != 0;
}

#if SPRITEFONT_MAKE_FREETYPE
FieldOptions FieldOf(const FieldRequest& field) { return {static_cast<FieldKind>(field.kind), field.range}; }

bool StyledFace(const Style& s) {
    const Style plain;
    return s.fill.r != plain.fill.r || s.fill.g != plain.fill.g || s.fill.b != plain.fill.b || s.gradient ||
           s.outline != 0 || s.shadow;
}
#endif

int Run(int argc, char** argv) {
    std::int32_t codePage = CodePageWindows1252;
    // Tight by default: the smallest atlas, and the format allows any rectangles.
    Packing packing = Packing::Tight;
    // faceOnly remembers face options, refused later if the input is a BMFont font.
    std::vector<std::string> positional, faceOnly;
    Style style;
    FieldRequest field;
    BmOptions bmOptions;
    bool kerning = true;
    bool demoFont = false;
    int options = 0;  // other than --demo-font, which takes none
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--demo-font") {
            demoFont = true;
            continue;
        }
        if (arg == "--no-kerning") {
            kerning = false;
            bmOptions.kerning = false;
            continue;
        }
        // Anything not an option is a file name; "-" alone is one too.
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            positional.push_back(arg);
            continue;
        }
        static const char* const kValueOptions[] = {
            "--codepage", "--code-page", "--packing", "--fill", "--size", "--gradient", "--outline",
            "--outline-colour", "--shadow", "--shadow-colour", "--shadow-opacity", "--distance-field", "--range"};
        if (std::find(std::begin(kValueOptions), std::end(kValueOptions), arg) == std::end(kValueOptions))
            return Usage("unknown option " + arg);
        if (i + 1 >= argc) return Usage("missing value after " + arg);
        const std::string value = argv[++i];
        ++options;
        bool ok = true;
        if (arg == "--codepage" || arg == "--code-page") {
            const auto cp = sftools::ParseCodePage(value);
            ok = cp.has_value();
            if (ok) codePage = *cp;
        } else if (arg == "--packing") {
            ok = value == "grid" || value == "tight";
            packing = value == "grid" ? Packing::Grid : Packing::Tight;
        } else if (arg == "--distance-field" || arg == "--range") {
            faceOnly.push_back(arg);
            ok = ParseFieldOption(arg, value, &field);
        } else if (arg == "--fill") {
            std::uint32_t fill = 0;
            ok = ParseHexColour(value, &fill) && ParseColour(value, &style.fill);
            if (ok) bmOptions.fill = fill;
        } else if (arg == "--size" || arg == "--gradient" || arg == "--outline" ||
                   arg == "--outline-colour" || arg == "--shadow" || arg == "--shadow-colour" ||
                   arg == "--shadow-opacity") {
            faceOnly.push_back(arg);
            std::string a, b;
            if (arg == "--size") ok = ParseInt(value, 1, kMaxPixelSize, &style.pixelSize);
            else if (arg == "--gradient") {
                Rgb top, bottom;
                ok = SplitPair(value, &a, &b) && ParseColour(a, &top) && ParseColour(b, &bottom);
                if (ok) style.gradient = std::make_pair(top, bottom);
            } else if (arg == "--outline") ok = ParseInt(value, 0, kMaxOutline, &style.outline);
            else if (arg == "--outline-colour") ok = ParseColour(value, &style.outlineColour);
            else if (arg == "--shadow") {
                ok = SplitPair(value, &a, &b) && ParseInt(a, -kMaxShadowOffset, kMaxShadowOffset, &style.shadowDx) &&
                     ParseInt(b, -kMaxShadowOffset, kMaxShadowOffset, &style.shadowDy);
                style.shadow = ok;
            } else if (arg == "--shadow-colour") ok = ParseColour(value, &style.shadowColour);
            else {
                char* end = nullptr;
                style.shadowOpacity = std::strtod(value.c_str(), &end);
                ok = end != value.c_str() && *end == '\0' && style.shadowOpacity >= 0.0 && style.shadowOpacity <= 1.0;
            }
        } else {
            return Usage("unknown option " + arg);
        }
        if (!ok) return Usage("bad value for " + arg + ": " + value);
    }
    if (demoFont && (options > 0 || !kerning)) return Usage("--demo-font takes no other option");
    if (demoFont && positional.size() == 1) {
#if SPRITEFONT_MAKE_FREETYPE
        std::vector<std::uint8_t> face;
        std::string error;
        MakeStatus fit;
        if (!sftools::ReadFile(positional[0], &face, &error)) fit = Fail(MakeError::FaceUnusable, error);
        else fit = ReportDemoFontFit(face, stdout);
        if (fit.ok()) return 0;
        std::fprintf(stderr, "spritefont_make: %s: %s\n", positional[0].c_str(), fit.message.c_str());
        return 1;
#endif
    }
    if (positional.size() != 2) return Usage("give one input font and one output file");
    const std::string& input = positional[0];
    const std::string& output = positional[1];

    std::string error;
    // The whole input is read once: its content tells what it is, and FreeType
    // opens the face from these bytes.
    std::vector<std::uint8_t> bytes;
    if (!sftools::ReadFile(input, &bytes, &error)) {
        std::fprintf(stderr, "spritefont_make: %s\n", error.c_str());
        return 1;
    }
    std::vector<GlyphImage> glyphs;
    std::vector<std::string> notes;
    std::vector<std::uint8_t> block;
    sftools::FontChunks chunks;
    MakeStatus status;
    [[maybe_unused]] sprite_font_format::Metrics fieldMetrics{};
    bool packed = false;
    // The content decides, not the extension: .fnt is used for all three forms
    // and faces come as .ttf, .otf, .ttc or nothing.
    if (LooksLikeBmFont(bytes)) {
        if (demoFont) return Usage("--demo-font draws from a TrueType/OpenType face, not from a BMFont font");
        if (!faceOnly.empty()) return Usage(faceOnly.front() + " applies to TrueType/OpenType faces, not to BMFont fonts");
        bmOptions.codePage = codePage;
        // Page files are named relative to the font file's folder.
        status = MakeBmFontBlock(bytes, PagesBeside(input), bmOptions, packing, true, &block, &notes);
        packed = true;
    } else {
#if SPRITEFONT_MAKE_FREETYPE
        if (field.kind != 0 && StyledFace(style)) return Usage("--distance-field stores shapes only: no --fill, --gradient, --outline or --shadow with it");
        if (demoFont) packing = Packing::Cells;
        status = demoFont ? RenderDemoFont(bytes, &glyphs)
                          : RenderFace(bytes, style, codePage, &glyphs, &notes, &chunks, kerning);
        if (status.ok() && field.kind != 0) {
            status = MakeFaceFields(bytes, style.pixelSize, codePage, FieldOf(field), &glyphs, &fieldMetrics);
            // The face's own metrics stay; the field's kind and range join them.
            if (!chunks.metrics) chunks.metrics = fieldMetrics;
            chunks.metrics->fieldKind = fieldMetrics.fieldKind;
            chunks.metrics->fieldRange = fieldMetrics.fieldRange;
        }
#else
        std::fprintf(stderr, "spritefont_make: %s is not a BMFont file, and this build has no FreeType for "
                             "TrueType/OpenType faces\n", input.c_str());
        return 1;
#endif
    }
    // Notes are printed even when the font then fails: they may say why.
    for (const std::string& note : notes) std::fprintf(stderr, "spritefont_make: %s\n", note.c_str());
    if (status.ok() && !packed) status = BuildPackedFont(std::move(glyphs), packing, &block, true, chunks);
    if (!status.ok()) {
        std::fprintf(stderr, "spritefont_make: %s: %s\n", input.c_str(), status.message.c_str());
        return 1;
    }
    // Written only now, complete, through a temporary file renamed into place.
    if (!sftools::WriteFileAtomically(output, block, &error)) {
        std::fprintf(stderr, "spritefont_make: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Memory runs out only for absurd inputs, since every size is checked
    // first; should it all the same, that is a failure to report, not a crash.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("spritefont_make: out of memory\n", stderr);
        return 1;
    }
}
