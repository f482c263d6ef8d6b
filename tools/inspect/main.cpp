// spritefont_inspect: checks a packed font, prints its glyph table and
// renders specimens of it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "bmfont.h"
#include "code_page_names.h"
#include "command_line.h"
#include "file_io.h"
#include "font_check.h"
#include "specimen.h"

namespace {

const char kUsage[] =
    "usage: spritefont_inspect FONT.sf3d [--table] [--kerning] [--codepage NAME]\n"
    "       spritefont_inspect FONT.sf3d --specimen OUT.png --text TEXT\n"
    "                          [style options] [block options] [--utf8] [--nearest] [--codepage NAME]\n"
    "\n"
    "Checks the packed font: the magic, the atlas length against the file, that\n"
    "the atlas PNG decodes and has alpha, that the glyph records are ended,\n"
    "rectangles inside the atlas, duplicate codes, line heights of 0; then the\n"
    "chunks after the records: damage, kerning pairs naming codes without a\n"
    "glyph, a metrics line height of 0 or less, a code page the engine does not\n"
    "know. Prints a summary (and the metrics, when the font has them) on\n"
    "standard output and each problem on its own line on standard error.\n"
    "\n"
    "  --table            print the glyph table and the list of chunks\n"
    "  --kerning          print the kerning pairs\n"
    "  --code-page NAME   windows-1252, windows-1250, windows-1251, windows-1253,\n"
    "                     latin-1 or latin-9: how the tables show characters and\n"
    "                     --utf8 converts text (default: the font's own code\n"
    "                     page, else windows-1252)\n"
    "  --specimen OUT.png draw TEXT with the engine on the 800 x 600 offscreen\n"
    "                     screen and write it, cropped, as a PNG\n"
    "  --text TEXT        the text; its bytes are character codes unless --utf8\n"
    "  --text-file FILE   the text read from FILE (one final line feed dropped)\n"
    "  --utf8             TEXT is UTF-8, converted to the code page\n"
    "  --size S           style size (default 1)\n"
    "  --nearest          sample the atlas nearest, not bilinear (pixel fonts)\n"
    "  --rotation R       style rotation in degrees (default 0)\n"
    "  --arc A            style arc in degrees (default 0)\n"
    "  --transparency T   style transparency, 0..255 (default 255)\n"
    "  --align-x F        style horizontal anchoring factor (default 0)\n"
    "  --align-y F        style vertical anchoring factor (default 0)\n"
    "  --max-length L     style length limit in pixels (default 0: none)\n"
    "  --background RRGGBB  colour behind the text (default FFFFFF, or 202020\n"
    "                     when the font's ink is light)\n"
    "  --color RRGGBB     tint the font's glyphs with this colour (default none)\n"
    "  --circle R         set the text round a circle of radius R, centred on\n"
    "                     its top (rotation, arc, anchoring and blocks do not apply)\n"
    "  --upright          with --circle: centred on the circle's bottom,\n"
    "                     reading left to right\n"
    "Block options (any of them draws TEXT as a block: line feeds break lines;\n"
    "--arc and --max-length then do not apply):\n"
    "  --wrap W           wrap lines at W pixels (default 0: only at line feeds)\n"
    "  --align A          left (default), center, right or justify\n"
    "  --max-lines N      at most N lines, the last ending in an ellipsis\n"
    "  --line-spacing F   baseline to baseline, in font line heights (default 1)\n"
    "  --help             this text\n"
    "\n"
    "Exit status: 0 no problems, 1 problems found, the file is no packed font\n"
    "or the work failed, 2 wrong command line.\n";

// Problems in the font and failed work exit 1.
int Usage(const std::string& message) { return CommandLineError("spritefont_inspect", message); }

}  // namespace

int main(int argc, char** argv) {
    std::string fontPath, specimenPath, text, textFile;
    // An empty --text is allowed (it then draws nothing, which is reported).
    bool table = false, kerningTable = false, haveText = false, codePageGiven = false;
    bool blockArc = false;  // --arc or --max-length, which blocks do not take
    std::string styleOption;
    inspect::SpecimenStyle style;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        // Flags first; every other option takes a value.
        if (arg == "--table") {
            table = true;
            continue;
        }
        if (arg == "--kerning") {
            kerningTable = true;
            continue;
        }
        if (arg == "--utf8") {
            style.utf8 = true;
            continue;
        }
        if (arg == "--upright") {
            style.upright = true;
            continue;
        }
        if (arg == "--nearest") {
            style.nearest = true;
            continue;
        }
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            if (!fontPath.empty()) return Usage("give one font");
            fontPath = arg;
            continue;
        }
        static const char* const kValueOptions[] = {
            "--codepage", "--code-page", "--specimen", "--text", "--size", "--rotation", "--arc", "--transparency",
            "--align-x", "--align-y", "--max-length", "--background", "--color", "--wrap", "--align", "--max-lines",
            "--circle", "--text-file", "--line-spacing"};
        if (std::find(std::begin(kValueOptions), std::end(kValueOptions), arg) == std::end(kValueOptions))
            return Usage("unknown option " + arg);
        if (i + 1 >= argc) return Usage("missing value after " + arg);
        const std::string value = argv[++i];
        // Options that only shape the picture mean nothing without one.
        if (arg != "--codepage" && arg != "--code-page" && arg != "--specimen" && arg != "--text" && arg != "--text-file")
            styleOption = arg;
        bool ok = true;
        if (arg == "--codepage" || arg == "--code-page") {
            const auto cp = sftools::ParseCodePage(value);
            ok = cp.has_value();
            if (ok) style.codePage = *cp;
            codePageGiven = ok;
        } else if (arg == "--specimen") specimenPath = value;
        else if (arg == "--text") text = value, haveText = true;
        else if (arg == "--text-file") textFile = value, haveText = true;
        else if (arg == "--size") ok = ParseFloat(value, &style.size);
        else if (arg == "--rotation") ok = ParseFloat(value, &style.rotation);
        else if (arg == "--arc") {
            ok = ParseFloat(value, &style.arc);
            blockArc = true;
        }
        // The engine takes any value; outside 0..255 is surely a typing error here.
        else if (arg == "--transparency") ok = ParseFloat(value, &style.transparency) && style.transparency >= 0 && style.transparency <= 255;
        else if (arg == "--align-x") ok = ParseFloat(value, &style.alignX);
        else if (arg == "--align-y") ok = ParseFloat(value, &style.alignY);
        else if (arg == "--max-length") {
            ok = ParseFloat(value, &style.maxLength) && style.maxLength >= 0;
            blockArc = true;
        }
        else if (arg == "--circle") ok = ParseFloat(value, &style.circle) && style.circle > 0 && style.circle < 1e6f;
        else if (arg == "--background") {
            ok = ParseHexColour(value, &style.background);
            style.backgroundGiven = true;
        } else if (arg == "--color") {
            ok = ParseHexColour(value, &style.color);
            style.tinted = true;
        } else if (arg == "--wrap") {
            ok = ParseInt(value, 0, 1 << 20, &style.block.wrapWidth);
            style.asBlock = true;
        } else if (arg == "--max-lines") {
            ok = ParseInt(value, 0, 1 << 20, &style.block.maxLines);
            style.asBlock = true;
        } else if (arg == "--line-spacing") {
            ok = ParseFloat(value, &style.block.lineSpacing) && style.block.lineSpacing > 0;
            style.asBlock = true;
        } else if (arg == "--align") {
            const std::pair<const char*, TextAlign> kAligns[] = {
                {"left", TextAlignLeft}, {"center", TextAlignCenter}, {"right", TextAlignRight}, {"justify", TextAlignJustify}};
            ok = false;
            for (const auto& [name, align] : kAligns)
                if (value == name) {
                    ok = true;
                    style.block.align = align;
                }
            style.asBlock = true;
        } else return Usage("unknown option " + arg);
        if (!ok) return Usage("bad value for " + arg + ": " + value);
    }
    // --specimen and --text only make sense together.
    if (fontPath.empty()) return Usage("give a packed font to inspect");
    if (specimenPath.empty() && haveText) return Usage("--text needs --specimen OUT.png");
    if (!specimenPath.empty() && !haveText) return Usage("--specimen needs --text TEXT");
    if (style.upright && style.circle == 0.0f) return Usage("--upright needs --circle R");
    if (style.asBlock && blockArc) return Usage("--arc and --max-length apply to one line, not to a block (--wrap, --align, --max-lines)");
    if (specimenPath.empty() && !styleOption.empty()) return Usage(styleOption + " applies to --specimen only");
    if (specimenPath.empty() && style.utf8) return Usage("--utf8 applies to --specimen only");
    if (style.circle > 0.0f && style.asBlock) return Usage("--circle sets one line, not a block");

    std::vector<std::uint8_t> block;
    std::string error;
    if (!textFile.empty()) {
        // A text file's last line ends in a line feed that draws no line.
        if (!sftools::ReadFile(textFile, &block, &error, std::size_t{1} << 20)) {
            std::fprintf(stderr, "spritefont_inspect: %s\n", error.c_str());
            return 1;
        }
        if (!block.empty() && block.back() == '\n') block.pop_back();
        text.assign(block.begin(), block.end());
    }
    if (!sftools::ReadFile(fontPath, &block, &error)) {
        std::fprintf(stderr, "spritefont_inspect: %s\n", error.c_str());
        return 1;
    }
    // What people mistake for a packed font gets its name, not a list of
    // faults it was never meant to pass.
    if (std::memcmp(block.data(), sftools::kMagic, std::min(block.size(), sizeof sftools::kMagic)) != 0) {
        const char* what = nullptr;
        if (font_maker::LooksLikeBmFont(block)) what = "a BMFont descriptor";
        else if (block.size() >= 4 && (std::memcmp(block.data(), "\0\x01\0\0", 4) == 0 ||
                                       std::memcmp(block.data(), "OTTO", 4) == 0 ||
                                       std::memcmp(block.data(), "true", 4) == 0 ||
                                       std::memcmp(block.data(), "ttcf", 4) == 0))
            what = "a TrueType/OpenType face";
        if (what != nullptr) {
            std::fprintf(stderr, "spritefont_inspect: %s is %s, not a packed font; make one with "
                                 "spritefont_make %s OUT.sf3d\n", fontPath.c_str(), what, fontPath.c_str());
            return 1;
        }
    }
    // The check always runs: a table or a picture of a broken font should come
    // with what is wrong with it.
    const inspect::FontReport report = inspect::CheckFont(block);
    std::printf("%s: %zu glyph records", fontPath.c_str(), report.records.size());
    if (report.atlasDecoded) std::printf(", atlas %d x %d", report.atlasWidth, report.atlasHeight);
    if (!report.kerning.empty())
        std::printf(", %zu kerning pair%s", report.kerning.size(), report.kerning.size() == 1 ? "" : "s");
    if (report.problems.empty()) std::printf(", no problems\n");
    else std::printf(", %zu problem%s\n", report.problems.size(), report.problems.size() == 1 ? "" : "s");
    // The summary and notes on standard output, the problems on standard error,
    // so that a table piped to a file stays clean.
    if (report.metrics) std::printf("%s\n", inspect::MetricsLine(report).c_str());
    for (const std::string& note : report.notes) std::printf("note: %s\n", note.c_str());
    for (const inspect::Issue& issue : report.problems)
        std::fprintf(stderr, "%s: %s\n", fontPath.c_str(), issue.text.c_str());
    // Characters are named, and UTF-8 converted, in the font's own code page unless told otherwise.
    if (!codePageGiven) style.codePage = inspect::FontCodePage(report, CodePageWindows1252);
    if (table) {
        std::fputs(inspect::GlyphTable(report, style.codePage).c_str(), stdout);
        std::fputs(inspect::ChunkList(report).c_str(), stdout);
    }
    if (kerningTable) std::fputs(inspect::KerningTable(report, style.codePage).c_str(), stdout);

    // A specimen of a font with problems is still drawn, but the status says 1.
    int result = report.problems.empty() ? 0 : 1;
    if (!specimenPath.empty()) {
        std::vector<std::uint8_t> png;
        std::vector<std::string> warnings;
        // Nothing is written unless the whole picture was made.
        const bool drawn = inspect::RenderSpecimen(block, text, style, &png, &warnings, &error) &&
                           sftools::WriteFileAtomically(specimenPath, png, &error);
        for (const std::string& w : warnings) std::fprintf(stderr, "spritefont_inspect: warning: %s\n", w.c_str());
        if (!drawn) {
            std::fprintf(stderr, "spritefont_inspect: %s\n", error.c_str());
            return 1;
        }
        std::printf("wrote %s\n", specimenPath.c_str());
    }
    return result;
}
