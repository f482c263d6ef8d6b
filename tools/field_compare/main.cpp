// spritefont_field_compare: the same text drawn with a bitmap font, a
// single-channel and a multi-channel distance-field font, at several sizes
// and turned, side by side in one picture (the field fonts through the
// distance-field program on an offscreen GL canvas).
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "field_canvas.h"
#include "file_io.h"
#include "platform.h"
#include "png_codec.h"
#include "sprite_font.h"

namespace {

const char kUsage[] =
    "usage: spritefont_field_compare BITMAP.sf3d SDF.sf3d MSDF.sf3d OUT.png\n"
    "\n"
    "Draws the same text with each font in a column: at sizes 0.25, 1, 4 and\n"
    "12 and turned by 30 degrees. Fonts made with spritefont_make from one face\n"
    "at one pixel size (the second and third with --distance-field).\n"
    "\n"
    "Exit status: 0 done, 1 the work failed, 2 wrong command line.\n";

constexpr std::int32_t kColumn = 420, kWidth = 3 * kColumn, kHeight = 940;

FontId Load(const std::string& path, std::vector<std::vector<std::uint8_t>>& keep, std::string* error) {
    keep.emplace_back();
    if (!sftools::ReadFile(path, &keep.back(), error)) return 0;
    return LoadSpriteFont(AutoId, keep.back().data(), keep.back().size());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a.size() > 1 && a[0] == '-') {
            return CommandLineError("spritefont_field_compare", "unknown option " + a);
        }
    if (args.size() != 4) return CommandLineError("spritefont_field_compare", "give three fonts and one picture");
    PlatformStatus status;
    auto platform = Platform::Start(VideoMode::Offscreen, &status);
    if (!platform) {
        std::fprintf(stderr, "spritefont_field_compare: %s\n", PlatformErrorMessage(status.error));
        return 1;
    }
    std::string why;
    auto canvas = FieldCanvas::Open(kWidth, kHeight, &why);
    if (!canvas) {
        std::fprintf(stderr, "spritefont_field_compare: %s\n", why.c_str());
        return 1;
    }
    SetSpritePlatform(canvas.get());
    InitSpriteFonts();
    std::vector<std::vector<std::uint8_t>> keep;
    FontId fonts[3];
    for (int i = 0; i < 3; ++i) {
        fonts[i] = Load(args[static_cast<std::size_t>(i)], keep, &why);
        if (fonts[i] == 0 || GetSpriteFont(fonts[i])->sprite3D == 0) {
            std::fprintf(stderr, "spritefont_field_compare: %s: %s\n", args[static_cast<std::size_t>(i)].c_str(),
                         why.empty() ? "the atlas does not decode" : why.c_str());
            return 1;
        }
        SetSpriteFontColor(fonts[i], 0x302418);
    }
    canvas->Clear(0xF4F0EC);
    static const char* const kLabels[3] = {"bitmap", "SDF", "MSDF"};
    for (int i = 0; i < 3; ++i) {
        const FontId f = fonts[i];
        const std::int32_t x = i * kColumn + 14;
        DrawSpriteFontText(fonts[0], x, 6, kLabels[i], -1.0f, 0.75f);
        DrawSpriteFontText(f, x, 42, "size 0.25: sharp text at every size and turn", -1.0f, 0.25f);
        DrawSpriteFontText(f, x, 60, "size 1: Sharp text", -1.0f, 1.0f);
        DrawSpriteFontText(f, x, 100, "Ag4", -1.0f, 4.0f);
        DrawSpriteFontText(f, x - 20, 240, "g", -1.0f, 12.0f);
        SetSpriteFontStyle(f, StyleRotation, 30.0f);
        DrawSpriteFontText(f, x + 10, 690, "Turned 30\xB0", -1.0f, 2.0f);
        SetSpriteFontStyle(f, StyleRotation, 0.0f);
    }
    const std::vector<std::uint32_t> pixels = canvas->ReadPixels();
    std::vector<std::uint8_t> png;
    if (pixels.empty() || !EncodePng(pixels.data(), kWidth, kHeight, false, png) ||
        !sftools::WriteFileAtomically(args[3], png, &why)) {
        std::fprintf(stderr, "spritefont_field_compare: the picture could not be written %s\n", why.c_str());
        return 1;
    }
    SetSpritePlatform(nullptr);
    return 0;
}
