// spritefont_inspect: checks a packed font, prints its glyph table and
// renders specimens of it.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "code_page_names.h"
#include "command_line.h"
#include "file_io.h"
#include "font_check.h"
#include "specimen.h"

namespace {

const char kUsage[] =
    "usage: spritefont_inspect FONT.sf3d [--table] [--codepage NAME]\n"
    "       spritefont_inspect FONT.sf3d --specimen OUT.png --text TEXT\n"
    "                          [style options] [--utf8] [--nearest] [--codepage NAME]\n"
    "\n"
    "Checks the packed font: the magic, the atlas length against the file, that\n"
    "the atlas PNG decodes and has alpha, that the glyph records are ended,\n"
    "rectangles inside the atlas, duplicate codes, line heights of 0. Prints a\n"
    "summary on standard output and each problem on its own line on standard\n"
    "error.\n"
    "\n"
    "  --table            print the glyph table\n"
    "  --codepage NAME    windows-1252 (default), latin-1 or latin-9: how the\n"
    "                     table shows characters and --utf8 converts text\n"
    "  --specimen OUT.png draw TEXT with the engine on the 800 x 600 offscreen\n"
    "                     screen and write it, cropped, as a PNG\n"
    "  --text TEXT        the text; its bytes are character codes unless --utf8\n"
    "  --utf8             TEXT is UTF-8, converted to the code page\n"
    "  --size S           style size (default 1)\n"
    "  --nearest          sample the atlas nearest, not bilinear (pixel fonts)\n"
    "  --rotation R       style rotation in degrees (default 0)\n"
    "  --arc A            style arc in degrees (default 0)\n"
    "  --transparency T   style transparency, 0..255 (default 255)\n"
    "  --align-x F        style horizontal anchoring factor (default 0)\n"
    "  --align-y F        style vertical anchoring factor (default 0)\n"
    "  --max-length L     style length limit in pixels (default 0: none)\n"
    "  --background RRGGBB  colour behind the text (default FFFFFF)\n"
    "  --help             this text\n"
    "\n"
    "Exit status: 0 no problems, 1 problems found or the work failed, 2 wrong\n"
    "command line.\n";

// Problems in the font and failed work exit 1.
int Usage(const std::string& message) { return CommandLineError("spritefont_inspect", message); }

}  // namespace

int main(int argc, char** argv) {
    std::string fontPath, specimenPath, text;
    // An empty --text is allowed (it then draws nothing, which is reported).
    bool table = false, haveText = false;
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
        if (arg == "--utf8") {
            style.utf8 = true;
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
        if (i + 1 >= argc) return Usage("missing value after " + arg);
        const std::string value = argv[++i];
        bool ok = true;
        if (arg == "--codepage") {
            const auto cp = sftools::ParseCodePage(value);
            ok = cp.has_value();
            if (ok) style.codePage = *cp;
        } else if (arg == "--specimen") specimenPath = value;
        else if (arg == "--text") text = value, haveText = true;
        else if (arg == "--size") ok = ParseFloat(value, &style.size);
        else if (arg == "--rotation") ok = ParseFloat(value, &style.rotation);
        else if (arg == "--arc") ok = ParseFloat(value, &style.arc);
        // The engine takes any value; outside 0..255 is surely a typing error here.
        else if (arg == "--transparency") ok = ParseFloat(value, &style.transparency) && style.transparency >= 0 && style.transparency <= 255;
        else if (arg == "--align-x") ok = ParseFloat(value, &style.alignX);
        else if (arg == "--align-y") ok = ParseFloat(value, &style.alignY);
        else if (arg == "--max-length") ok = ParseFloat(value, &style.maxLength) && style.maxLength >= 0;
        else if (arg == "--background") {
            ok = ParseHexColour(value, &style.background);
        } else return Usage("unknown option " + arg);
        if (!ok) return Usage("bad value for " + arg + ": " + value);
    }
    // --specimen and --text only make sense together.
    if (fontPath.empty()) return Usage("give a packed font to inspect");
    if (specimenPath.empty() && haveText) return Usage("--text needs --specimen OUT.png");
    if (!specimenPath.empty() && !haveText) return Usage("--specimen needs --text TEXT");

    std::vector<std::uint8_t> block;
    std::string error;
    if (!sftools::ReadFile(fontPath, &block, &error)) {
        std::fprintf(stderr, "spritefont_inspect: %s\n", error.c_str());
        return 1;
    }
    // The check always runs: a table or a picture of a broken font should come
    // with what is wrong with it.
    const inspect::FontReport report = inspect::CheckFont(block);
    std::printf("%s: %zu glyph records", fontPath.c_str(), report.records.size());
    if (report.atlasDecoded) std::printf(", atlas %d x %d", report.atlasWidth, report.atlasHeight);
    if (report.problems.empty()) std::printf(", no problems\n");
    else std::printf(", %zu problem%s\n", report.problems.size(), report.problems.size() == 1 ? "" : "s");
    // The summary and notes on standard output, the problems on standard error,
    // so that a table piped to a file stays clean.
    for (const std::string& note : report.notes) std::printf("note: %s\n", note.c_str());
    for (const inspect::Issue& issue : report.problems)
        std::fprintf(stderr, "%s: %s\n", fontPath.c_str(), issue.text.c_str());
    if (table) std::fputs(inspect::GlyphTable(report, style.codePage).c_str(), stdout);

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
