// sprite_font_bmfont.h - BMFont fonts loaded at run time, without a
// conversion step (library SpriteFont::bmfont; needs libpng).
//
// A BMFont descriptor (text, XML or binary version 3) and its page images
// are turned into a packed font in memory by the same code spritefont_make
// runs, then loaded with LoadSpriteFont: a font loaded here and the same font
// made by the tool and loaded from its file have the same glyphs, kerning
// pairs and metrics. Only the atlas' PNG encoding is quicker here (one
// encoding instead of the smallest of a dozen), so the bytes differ, not
// the pixels.
#pragma once

#include <cstdint>
#include <string>

#include "sprite_font.h"

struct BMFontOptions {
    // The code page the font's characters are mapped to; characters it
    // lacks are left out.
    std::int32_t codePage = CodePageWindows1252;
    bool kerning = true;               // keep the font's kerning pairs
    bool recolour = false;             // paint every texel in fill (alpha kept)
    std::uint32_t fill = 0xFFFFFF;     // 0xRRGGBB, used when recolour is set
};

// Reads the descriptor at path and the pages it names (beside it; an
// absolute or missing path falls back to the file of that name beside it)
// and loads the font under id (AutoId or a small id, as LoadSpriteFont).
// Returns the font's handle, or 0 with the reason in *error (when error is
// not null) when the font cannot be read, cannot be held by the packed
// format, or the engine does not load it. Call InitSpriteFonts first; with
// a platform installed the atlas becomes its texture, as for LoadSpriteFont.
// Memory: at most one decoded page (8192 x 8192 RGBA at most) besides the
// glyphs and the atlas while loading; nothing is kept but the engine's font.
FontId LoadBMFont(FontId id, const char* path, const BMFontOptions& options, std::string* error);
