// LoadBMFont: the maker's BMFont path, ending in LoadSpriteFont instead of
// a file.
#include <new>

#include "bmfont.h"
#include "file_io.h"
#include "sprite_font_bmfont.h"

FontId LoadBMFont(FontId id, const char* path, const BMFontOptions& options, std::string* error) {
    const auto fail = [error](const std::string& message) -> FontId {
        if (error != nullptr) *error = message;
        return 0;
    };
    if (path == nullptr) return fail("no path given");
    // Every known code page maps 'A' to itself; an unknown one maps nothing.
    if (CodePageToUnicode(options.codePage, 'A') != 'A')
        return fail("code page " + std::to_string(options.codePage) + " is not known");
    // Out of memory is a reason like any other here: a game must not die
    // of a font it can do without.
    try {
        std::vector<std::uint8_t> descriptor;
        std::string message;
        if (!sftools::ReadFile(path, &descriptor, &message)) return fail(message);
        if (!font_maker::LooksLikeBmFont(descriptor)) return fail(std::string(path) + " is not a BMFont descriptor");
        font_maker::BmOptions bm;
        bm.codePage = options.codePage;
        bm.kerning = options.kerning;
        if (options.recolour) bm.fill = options.fill & 0xFFFFFF;
        std::vector<std::uint8_t> block;
        std::vector<std::string> notes;
        const font_maker::MakeStatus status = font_maker::MakeBmFontBlock(
            descriptor, font_maker::PagesBeside(path), bm, font_maker::Packing::Tight, false, &block, &notes);
        if (!status.ok()) return fail(std::string(path) + ": " + status.message);
        const FontId font = LoadSpriteFont(id, block.data(), block.size());
        if (font == 0) return fail("the engine did not load the font (InitSpriteFonts not called, or a bad id)");
        const SpriteFont* loaded = GetSpriteFont(font);
        if (GetSpritePlatform() != nullptr && (loaded == nullptr || loaded->sprite3D == 0))
            return fail("the platform did not take the font's atlas as a texture");
        return font;
    } catch (const std::bad_alloc&) {
        return fail(std::string(path) + ": out of memory");
    }
}
