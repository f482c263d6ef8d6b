// load_bmfont FONT.fnt: loads the font with LoadBMFont (no screen: the
// glyph records alone) and prints how many glyphs and kerning pairs it has.
#include <cstdio>
#include <string>

#include "sprite_font.h"
#include "sprite_font_bmfont.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: load_bmfont FONT.fnt\n", stderr);
        return 2;
    }
    InitSpriteFonts();
    std::string error;
    const FontId font = LoadBMFont(AutoId, argv[1], BMFontOptions{}, &error);
    if (font == 0) {
        std::fprintf(stderr, "load_bmfont: %s\n", error.c_str());
        return 1;
    }
    int glyphs = 0;
    for (const GlyphSlot& slot : GetSpriteFont(font)->glyphs) glyphs += slot.present;
    SpriteFontMetrics metrics{};
    GetSpriteFontMetrics(font, &metrics);
    std::printf("%d glyphs, %d kerning pairs, line height %d\n", glyphs, metrics.kerningPairs, metrics.lineHeight);
    return glyphs > 0 ? 0 : 1;
}
