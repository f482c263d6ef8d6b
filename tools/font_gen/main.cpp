// font_gen: draws the demonstration's packed font from a typeface, and lays
// out a specimen of it.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "font_builder.h"
#include "packed_font.h"
#include "png_io.h"

namespace {

// Whole files: a packed font is a few hundred kilobytes at most.
bool ReadFile(const std::string& path, std::vector<std::uint8_t>* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Only reports success once the bytes are flushed: a full disk must not pass.
bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

int Usage() {
    std::fputs(
        "usage: font_gen font FACE.otf OUT.sf3d      draw the packed font\n"
        "       font_gen report FACE.otf             compare the face with the metric table\n"
        "       font_gen specimen FONT.sf3d OUT.png  lay out the demonstration's captions\n",
        stderr);
    return 2;
}

}  // namespace

// Exit status 0 on success, 1 when the work failed, 2 for a wrong command line.
int main(int argc, char** argv) {
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
        if (!WriteFile(argv[3], block)) {
            std::fprintf(stderr, "font_gen: cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    if (mode == "specimen" && argc == 4) {
        std::vector<std::uint8_t> block;
        if (!ReadFile(argv[2], &block)) {
            std::fprintf(stderr, "font_gen: cannot read %s\n", argv[2]);
            return 1;
        }
        std::vector<std::uint8_t> png;
        if (!font_gen::BuildSpecimen(block, &png, &error)) {
            std::fprintf(stderr, "font_gen: %s\n", error.c_str());
            return 1;
        }
        if (!WriteFile(argv[3], png)) {
            std::fprintf(stderr, "font_gen: cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    return Usage();
}
