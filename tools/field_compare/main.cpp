// spritefont_field_compare: the same text drawn with a bitmap font, a
// single-channel and a multi-channel distance-field font, at several sizes
// and turned, side by side in one picture: two frames of the offscreen
// screen (our GL renderer, which draws fields with its field program), one
// above the other.
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "file_io.h"
#include "platform.h"
#include "png_codec.h"
#include "sprite_font.h"

namespace {

const char kUsage[] =
    "usage: spritefont_field_compare BITMAP.sf3d SDF.sf3d MSDF.sf3d OUT.png\n"
    "\n"
    "Draws the same text with each font in a column: at sizes 0.25, 1, 4 and\n"
    "12, turned by 30 degrees, and with an outline and a soft shadow (which\n"
    "only field fonts have). Fonts made with spritefont_make from one face at\n"
    "one pixel size (the second and third with --distance-field).\n"
    "\n"
    "Exit status: 0 done, 1 the work failed, 2 wrong command line.\n";

constexpr std::int32_t kColumn = kScreenWidth / 3;
constexpr std::int32_t kSecondRows = 510;

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
    auto screen = platform->OpenOffscreenScreen(&status);
    if (!screen) {
        std::fprintf(stderr, "spritefont_field_compare: %s\n", PlatformErrorMessage(status.error));
        return 1;
    }
    screen->EnablePngDecoder();
    screen->SetSprite3DQuality(1);  // the bitmap font scaled bilinearly, as fonts are drawn turned and scaled
    SetSpritePlatform(screen.get());
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
    static const char* const kLabels[3] = {"bitmap", "SDF", "MSDF"};
    std::vector<std::uint32_t> picture;
    for (int frame = 0; frame < 2; ++frame) {
        screen->Clear(0xF4F0EC);
        screen->BeginSprite3D();
        for (int i = 0; i < 3; ++i) {
            const FontId f = fonts[i];
            const std::int32_t x = i * kColumn + 10;
            if (frame == 0) {
                DrawSpriteFontText(fonts[0], x, 6, kLabels[i], -1.0f, 0.75f);
                DrawSpriteFontText(f, x, 44, "size 0.25: sharp text at any size", -1.0f, 0.25f);
                DrawSpriteFontText(f, x, 62, "size 1: Sharp", -1.0f, 1.0f);
                DrawSpriteFontText(f, x - 4, 110, "Ag", -1.0f, 4.0f);
                SetSpriteFontStyle(f, StyleRotation, 30.0f);
                DrawSpriteFontText(f, x + 6, 320, "Turned 30\xB0", -1.0f, 1.5f);
                SetSpriteFontStyle(f, StyleRotation, 0.0f);
            } else {
                DrawSpriteFontText(fonts[0], x, 4, "size 12", -1.0f, 0.5f);
                DrawSpriteFontText(f, x - 24, -110, "g", -1.0f, 12.0f);
                // Effects of field fonts (a bitmap font has none: it draws plain).
                DrawSpriteFontText(fonts[0], x, 362, "outline, shadow", -1.0f, 0.5f);
                SpriteFontFieldEffects outline;
                outline.outlineWidth = 1.5f;
                outline.outlineColor = 0x3CB4F0;
                SetSpriteFontFieldEffects(f, outline);
                SetSpriteFontColor(f, 0xFFFFFF);
                DrawSpriteFontText(f, x, 384, "Outline", -1.0f, 1.75f);
                SpriteFontFieldEffects shadow;
                shadow.shadowOffsetX = 1.0f;
                shadow.shadowOffsetY = 1.0f;
                shadow.shadowSoftness = 1.0f;
                shadow.shadowColor = 0x000000;
                shadow.shadowOpacity = 140;
                SetSpriteFontFieldEffects(f, shadow);
                SetSpriteFontColor(f, 0x3CB4F0);
                DrawSpriteFontText(f, x, 440, "Shadow", -1.0f, 1.75f);
                SetSpriteFontFieldEffects(f, SpriteFontFieldEffects{});
                SetSpriteFontColor(f, 0x302418);
            }
        }
        screen->EndSprite3D();
        const std::vector<std::uint32_t> pixels = screen->ReadPixels();
        if (pixels.empty()) {
            std::fprintf(stderr, "spritefont_field_compare: the frame could not be read\n");
            return 1;
        }
        // The second frame holds one line of glyphs: its lower part stays out.
        const std::size_t rows = frame == 0 ? kScreenHeight : kSecondRows;
        picture.insert(picture.end(), pixels.begin(), pixels.begin() + static_cast<std::ptrdiff_t>(rows * kScreenWidth));
    }
    std::vector<std::uint8_t> png;
    if (!EncodePng(picture.data(), kScreenWidth, kScreenHeight + kSecondRows, false, png) ||
        !sftools::WriteFileAtomically(args[3], png, &why)) {
        std::fprintf(stderr, "spritefont_field_compare: the picture could not be written %s\n", why.c_str());
        return 1;
    }
    SetSpritePlatform(nullptr);
    return 0;
}
