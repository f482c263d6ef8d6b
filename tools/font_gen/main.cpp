// font_gen: draws the demonstration's packed font from a typeface, and lays
// out a specimen of it.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "file_io.h"
#include "font_builder.h"
#include "packed_font.h"
#include "png_io.h"

namespace {

const char kUsage[] =
    "usage: font_gen font FACE.otf OUT.sf3d      draw the packed font\n"
    "       font_gen report FACE.otf             compare the face with the metric table\n"
    "       font_gen specimen FONT.sf3d OUT.png  lay out the demonstration's captions\n"
    "\n"
    "Exit status: 0 done, 1 the work failed, 2 wrong command line.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

// Exit status 0 on success, 1 when the work failed, 2 for a wrong command line.
int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 3) return Usage();
    const std::string mode = argv[1];
    std::string error;
    if (mode == "report" && argc == 3) {
        if (!font_gen::ReportFit(argv[2], stdout, &error)) {
            std::fprintf(stderr, "font_gen: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    // The output file is written only once the whole font is made.
    if (mode == "font" && argc == 4) {
        std::vector<std::uint8_t> block;
        if (!font_gen::BuildDemoFont(argv[2], &block, &error)) {
            std::fprintf(stderr, "font_gen: %s\n", error.c_str());
            return 1;
        }
        if (!sftools::WriteFileAtomically(argv[3], block, &error)) {
            std::fprintf(stderr, "font_gen: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (mode == "specimen" && argc == 4) {
        std::vector<std::uint8_t> block;
        if (!sftools::ReadFile(argv[2], &block, &error)) {
            std::fprintf(stderr, "font_gen: %s\n", error.c_str());
            return 1;
        }
        std::vector<std::uint8_t> png;
        if (!font_gen::BuildSpecimen(block, &png, &error)) {
            std::fprintf(stderr, "font_gen: %s\n", error.c_str());
            return 1;
        }
        if (!sftools::WriteFileAtomically(argv[3], png, &error)) {
            std::fprintf(stderr, "font_gen: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    return Usage();
}
