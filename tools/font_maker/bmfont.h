// BMFont fonts in their three formats (text, XML, binary version 3), read
// into one model and converted into glyph images for the packer.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "atlas_packer.h"
#include "font_block.h"
#include "make_status.h"

namespace font_maker {

enum class BmFormat { Text, Xml, Binary };

struct BmChar {
    std::int64_t id = -1;
    std::int64_t x = 0, y = 0, width = 0, height = 0;
    std::int64_t xoffset = 0, yoffset = 0, xadvance = 0;
    std::int64_t page = 0, chnl = 15;
};

struct BmKerning {
    std::int64_t first = 0, second = 0, amount = 0;
};

// Values are kept wide, as the file gives them, so that conversion can say
// which one does not fit rather than have it wrap.
struct BmFont {
    BmFormat format = BmFormat::Text;
    bool unicode = false;
    std::string charset;  // the text and XML name; the binary form writes its number
    std::int64_t lineHeight = 0, base = 0, pages = 0;
    std::int64_t scaleW = 0, scaleH = 0;  // the page size the rectangles were made for; 0 unknown
    bool packed = false;
    std::map<std::int64_t, std::string> pageFiles;
    std::vector<BmChar> chars;
    std::vector<BmKerning> kerning;
    // A distanceField tag: "sdf", "psdf", "msdf", "mtsdf" as the writer
    // names it; empty for a plain (coverage) font.
    std::string fieldType;
    std::int64_t distanceRange = 0;
    // Whether the first char named its page and channel (see the parser).
    bool charsHavePage = false, charsHaveChnl = false;
};

// True when the bytes look like a BMFont file in any of its formats.
bool LooksLikeBmFont(std::span<const std::uint8_t> bytes);

MakeStatus ParseBmFont(std::span<const std::uint8_t> bytes, BmFont* font);
// One form, whatever the bytes look like (for the fuzzers).
MakeStatus ParseBmFontAs(BmFormat format, std::span<const std::uint8_t> bytes, BmFont* font);

// Gives the bytes of a page file named in the font (relative to the font's
// folder); false with a message when it cannot.
using PageReader = std::function<bool(const std::string& file, std::vector<std::uint8_t>* bytes,
                                      std::string* error)>;

// Page files beside the descriptor at descriptorPath. A name is read as
// given relative to that folder (backslashes taken for slashes); an
// absolute name (a Unix root, a drive letter, a UNC path), or one not
// found, falls back to its last component in that folder, since writers
// record the path the page had on their own machine.
PageReader PagesBeside(const std::string& descriptorPath);

struct BmOptions {
    std::int32_t codePage = 1252;
    // Recolours every texel (alpha kept), e.g. white so that a tint applies.
    std::optional<std::uint32_t> fill;  // 0xRRGGBB
    bool kerning = true;
};

// The chars that have a code in the code page become glyph images with
// their pixels cut from the pages; their kerning pairs and the font's
// metrics become chunks. Pages are decoded one at a time, each file once,
// and released before the next: at most one decoded page is held (at most
// 8192 x 8192 RGBA, 256 MiB), and the glyphs cut from all of them are
// refused before any page is read when they could not fit one atlas.
// notes gets a line for what was dropped or is worth knowing.
MakeStatus ConvertBmFont(const BmFont& font, const PageReader& readPage, const BmOptions& options,
                         std::vector<GlyphImage>* glyphs, sftools::FontChunks* chunks,
                         std::vector<std::string>* notes);

// Descriptor bytes to a packed font block: parse, convert, pack. The maker
// and LoadBMFont both come here, so they cannot differ.
MakeStatus MakeBmFontBlock(std::span<const std::uint8_t> descriptor, const PageReader& readPage,
                           const BmOptions& options, Packing packing, bool thorough,
                           std::vector<std::uint8_t>* block, std::vector<std::string>* notes);

}  // namespace font_maker
