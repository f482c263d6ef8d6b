// spritefont_make: writes a packed font from a TrueType/OpenType face or
// from a BMFont font (text, XML or binary).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
#include "distance_field.h"
#include "truetype.h"
#endif

namespace {

using namespace font_maker;

const char kUsage[] =
    "usage: spritefont_make [options] INPUT OUT.sf3d\n"
    "\n"
    "Writes a packed font (an RGBA PNG atlas and its glyph records) from INPUT:\n"
    "  - a TrueType or OpenType face (.ttf, .otf), rendered at --size pixels;\n"
    "  - a BMFont font in its text, XML or binary form (.fnt), whose pages\n"
    "    (PNG files beside it) are merged into one atlas.\n"
    "Characters are mapped to the code page; those it lacks are left out with\n"
    "a note. Kerning pairs of a BMFont font are dropped with a warning.\n"
    "OUT is written only when the whole font is made.\n"
    "\n"
    "  --codepage NAME      windows-1252 (default), latin-1 or latin-9\n"
    "  --packing grid|tight grid: equal cells in code order; tight (default):\n"
    "                       shelves, the smallest atlas\n"
    "TrueType/OpenType only:\n"
    "  --size PX            pixel size (1..1024, default 32)\n"
    "  --fill RRGGBB        colour of the glyphs (default FFFFFF)\n"
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

}  // namespace

int main(int argc, char** argv) {
    std::int32_t codePage = CodePageWindows1252;
    // Tight by default: the smallest atlas, and the format allows any rectangles.
    Packing packing = Packing::Tight;
    // faceOnly remembers face options, refused later if the input is a BMFont font.
    std::vector<std::string> positional, faceOnly;
    Style style;
    FieldRequest field;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        // Anything not an option is a file name; "-" alone is one too.
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            positional.push_back(arg);
            continue;
        }
        if (i + 1 >= argc) return Usage("missing value after " + arg);
        const std::string value = argv[++i];
        bool ok = true;
        if (arg == "--codepage") {
            const auto cp = sftools::ParseCodePage(value);
            ok = cp.has_value();
            if (ok) codePage = *cp;
        } else if (arg == "--packing") {
            ok = value == "grid" || value == "tight";
            packing = value == "grid" ? Packing::Grid : Packing::Tight;
        } else if (arg == "--distance-field" || arg == "--range") {
            faceOnly.push_back(arg);
            ok = ParseFieldOption(arg, value, &field);
        } else if (arg == "--size" || arg == "--fill" || arg == "--gradient" || arg == "--outline" ||
                   arg == "--outline-colour" || arg == "--shadow" || arg == "--shadow-colour" ||
                   arg == "--shadow-opacity") {
            faceOnly.push_back(arg);
            std::string a, b;
            if (arg == "--size") ok = ParseInt(value, 1, kMaxPixelSize, &style.pixelSize);
            else if (arg == "--fill") ok = ParseColour(value, &style.fill);
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
    MakeStatus status;
    [[maybe_unused]] sprite_font_format::Metrics fieldMetrics{};
    // The content decides, not the extension: .fnt is used for all three forms
    // and faces come as .ttf, .otf, .ttc or nothing.
    if (LooksLikeBmFont(bytes)) {
        if (!faceOnly.empty()) return Usage(faceOnly.front() + " applies to TrueType/OpenType faces, not to BMFont fonts");
        BmFont font;
        status = ParseBmFont(bytes, &font);
        if (status.ok()) {
            // Page files are named relative to the font file's folder.
            const std::filesystem::path folder = std::filesystem::path(input).parent_path();
            const PageReader readPage = [&](const std::string& file, std::vector<std::uint8_t>* page, std::string* e) {
                return sftools::ReadFile((folder / file).string(), page, e);
            };
            status = ConvertBmFont(font, readPage, codePage, &glyphs, &notes);
        }
    } else {
#if SPRITEFONT_MAKE_FREETYPE
        if (field.kind != 0 && StyledFace(style)) return Usage("--distance-field stores shapes only: no --fill, --gradient, --outline or --shadow with it");
        status = RenderFace(bytes, style, codePage, &glyphs, &notes);
        if (status.ok() && field.kind != 0) status = MakeFaceFields(bytes, style.pixelSize, codePage, FieldOf(field), &glyphs, &fieldMetrics);
#else
        std::fprintf(stderr, "spritefont_make: %s is not a BMFont file, and this build has no FreeType for "
                             "TrueType/OpenType faces\n", input.c_str());
        return 1;
#endif
    }
    // Notes are printed even when the font then fails: they may say why.
    for (const std::string& note : notes) std::fprintf(stderr, "spritefont_make: %s\n", note.c_str());
    std::vector<std::uint8_t> block;
    if (status.ok()) status = BuildPackedFont(std::move(glyphs), packing, &block);
#if SPRITEFONT_MAKE_FREETYPE
    if (status.ok() && field.kind != 0) status = MarkFieldFont(&block, fieldMetrics);
#endif
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
