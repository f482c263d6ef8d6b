// What can go wrong while making a packed font. Tests compare kinds; the
// message is for the person at the command line.
#pragma once

#include <cstdint>
#include <string>

namespace font_maker {

enum class MakeError : std::int32_t {
    None = 0,
    Malformed,           // the BMFont file breaks its own format
    UnsupportedVersion,  // a binary BMFont file of a version other than 3
    ChannelPacked,       // glyphs packed into single colour channels
    UnsupportedCharset,  // a non-Unicode BMFont in a character set other than ANSI
    DuplicateCharacter,  // two chars for one character, or for one code
    PageMissing,         // a page file that cannot be read, or a page id with no file
    PageUndecodable,     // a page that is not a PNG libpng can decode
    PageWithoutAlpha,    // a colour page with no alpha channel: the ink cannot be told
    GlyphOutsidePage,    // a char's rectangle reaches past its page
    MetricTooLarge,      // a value the 16-bit metrics cannot hold
    AtlasTooLarge,       // the glyphs do not fit an atlas the engine can decode
    NoGlyphs,            // nothing of the font lands in the code page
    FaceUnusable,        // FreeType cannot open or size the face
    EncodeFailed,        // libpng could not encode the atlas
    NoInk,               // every glyph is empty: the font would draw nothing
    PageTooLarge,        // a page declares more pixels than may be decoded
    PageMismatch,        // a page's size disagrees with the scaleW/scaleH the rectangles were made for
    FieldUnsupported,    // a distance field of a kind the format cannot mark
};

struct MakeStatus {
    MakeError kind = MakeError::None;
    std::string message;
    bool ok() const { return kind == MakeError::None; }
};

inline MakeStatus Fail(MakeError kind, std::string message) { return {kind, std::move(message)}; }

}  // namespace font_maker
