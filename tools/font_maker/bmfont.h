// BMFont fonts in their three formats (text, XML, binary version 3), read
// into one model and converted into glyph images for the packer.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "atlas_packer.h"
#include "make_status.h"

namespace font_maker {

enum class BmFormat { Text, Xml, Binary };

struct BmChar {
    std::int64_t id = -1;
    std::int64_t x = 0, y = 0, width = 0, height = 0;
    std::int64_t xoffset = 0, yoffset = 0, xadvance = 0;
    std::int64_t page = 0, chnl = 15;
};

// Values are kept wide, as the file gives them, so that conversion can say
// which one does not fit rather than have it wrap.
struct BmFont {
    BmFormat format = BmFormat::Text;
    bool unicode = false;
    std::string charset;  // the text and XML name; the binary form writes its number
    std::int64_t lineHeight = 0, base = 0, pages = 0;
    bool packed = false;
    std::map<std::int64_t, std::string> pageFiles;
    std::vector<BmChar> chars;
    std::size_t kerningPairs = 0;
};

// True when the bytes look like a BMFont file in any of its formats.
bool LooksLikeBmFont(std::span<const std::uint8_t> bytes);

MakeStatus ParseBmFont(std::span<const std::uint8_t> bytes, BmFont* font);

// Gives the bytes of a page file named in the font (relative to the font's
// folder); false with a message when it cannot.
using PageReader = std::function<bool(const std::string& file, std::vector<std::uint8_t>* bytes,
                                      std::string* error)>;

// The chars that have a code in codePage become glyph images with their
// pixels cut from the pages; notes gets a line for what was dropped (chars
// outside the code page, kerning pairs).
MakeStatus ConvertBmFont(const BmFont& font, const PageReader& readPage, std::int32_t codePage,
                         std::vector<GlyphImage>* glyphs, std::vector<std::string>* notes);

}  // namespace font_maker
