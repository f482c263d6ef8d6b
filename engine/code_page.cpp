// Single-byte code pages and the UTF-8 front end of measuring and drawing.
#include <array>
#include <memory>
#include <new>
#include <utility>

#include "font_extras.h"
#include "sprite_font.h"

namespace {

constexpr std::int32_t kNone = -1;

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
constexpr std::array<std::int32_t, 32> kWindows1252High = {
    0x20AC, kNone,  0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, kNone,  0x017D, kNone,  kNone,  0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, kNone,  0x017E, 0x0178};

// The other Windows code pages, generated from the Unicode mapping files;
// bytes those leave undefined have no character.
// Windows-1250 (Central European), bytes 0x80..0xFF.
constexpr std::array<std::int32_t, 128> kWindows1250High = {
    0x20AC,  kNone, 0x201A,  kNone, 0x201E, 0x2026, 0x2020, 0x2021,
     kNone, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
     kNone, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
     kNone, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

// Windows-1251 (Cyrillic), bytes 0x80..0xFF.
constexpr std::array<std::int32_t, 128> kWindows1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
     kNone, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Windows-1253 (Greek), bytes 0x80..0xFF.
constexpr std::array<std::int32_t, 128> kWindows1253High = {
    0x20AC,  kNone, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
     kNone, 0x2030,  kNone, 0x2039,  kNone,  kNone,  kNone,  kNone,
     kNone, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
     kNone, 0x2122,  kNone, 0x203A,  kNone,  kNone,  kNone,  kNone,
    0x00A0, 0x0385, 0x0386, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9,  kNone, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x2015,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x0384, 0x00B5, 0x00B6, 0x00B7,
    0x0388, 0x0389, 0x038A, 0x00BB, 0x038C, 0x00BD, 0x038E, 0x038F,
    0x0390, 0x0391, 0x0392, 0x0393, 0x0394, 0x0395, 0x0396, 0x0397,
    0x0398, 0x0399, 0x039A, 0x039B, 0x039C, 0x039D, 0x039E, 0x039F,
    0x03A0, 0x03A1,  kNone, 0x03A3, 0x03A4, 0x03A5, 0x03A6, 0x03A7,
    0x03A8, 0x03A9, 0x03AA, 0x03AB, 0x03AC, 0x03AD, 0x03AE, 0x03AF,
    0x03B0, 0x03B1, 0x03B2, 0x03B3, 0x03B4, 0x03B5, 0x03B6, 0x03B7,
    0x03B8, 0x03B9, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BE, 0x03BF,
    0x03C0, 0x03C1, 0x03C2, 0x03C3, 0x03C4, 0x03C5, 0x03C6, 0x03C7,
    0x03C8, 0x03C9, 0x03CA, 0x03CB, 0x03CC, 0x03CD, 0x03CE,  kNone,
};

// Latin-9 replaces eight Latin-1 characters.
constexpr std::array<std::pair<unsigned char, std::int32_t>, 8> kLatin9Changes = {{
    {0xA4, 0x20AC}, {0xA6, 0x0160}, {0xA8, 0x0161}, {0xB4, 0x017D},
    {0xB8, 0x017E}, {0xBC, 0x0152}, {0xBD, 0x0153}, {0xBE, 0x0178},
}};

// Decodes one UTF-8 character starting at *p and moves p past it. Malformed
// input (a stray continuation, an overlong form, a surrogate, past U+10FFFF,
// a sequence cut short) yields kNone and moves on by one byte.
std::int32_t NextCharacter(const unsigned char*& p) noexcept {
    const unsigned char lead = *p++;
    if (lead < 0x80) return lead;
    int extra = 0;
    std::int32_t value = 0;
    std::int32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, value = lead & 0x07, minimum = 0x10000;
    } else {
        return kNone;
    }
    const unsigned char* q = p;
    for (int i = 0; i < extra; ++i, ++q) {
        if ((*q & 0xC0) != 0x80) return kNone;  // also stops at the NUL
        value = value << 6 | (*q & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return kNone;
    p = q;
    return value;
}

// The converted text of one call: a stack buffer, or one kept heap buffer
// for longer texts.
class Converted {
public:
    Converted(const char* utf8, std::int32_t codePage) noexcept {
        const std::size_t needed = ConvertUtf8ToCodePage(utf8, codePage, local_, sizeof local_);
        if (needed < sizeof local_) {
            text_ = local_;
            return;
        }
        static std::unique_ptr<char[]> kept;
        static std::size_t keptSize = 0;
        if (keptSize <= needed) {
            kept.reset(new (std::nothrow) char[needed + 1]);
            keptSize = kept ? needed + 1 : 0;
        }
        if (!kept) {
            text_ = local_;  // out of memory: the text as far as it fit
            return;
        }
        ConvertUtf8ToCodePage(utf8, codePage, kept.get(), keptSize);
        text_ = kept.get();
    }
    const char* Text() const noexcept { return text_; }

private:
    char local_[1024];
    const char* text_ = local_;
};

}  // namespace

std::int32_t CodePageToUnicode(std::int32_t codePage, unsigned char byte) noexcept {
    switch (codePage) {
        case CodePageWindows1252:
            return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : byte;
        case CodePageWindows1250:
            return byte >= 0x80 ? kWindows1250High[byte - 0x80] : byte;
        case CodePageWindows1251:
            return byte >= 0x80 ? kWindows1251High[byte - 0x80] : byte;
        case CodePageWindows1253:
            return byte >= 0x80 ? kWindows1253High[byte - 0x80] : byte;
        case CodePageLatin1:
            return byte;
        case CodePageLatin9:
            for (const auto& [b, character] : kLatin9Changes)
                if (b == byte) return character;
            return byte;
        default:
            return kNone;
    }
}

std::int32_t UnicodeToCodePage(std::int32_t codePage, std::int32_t character) noexcept {
    if (character < 0) return kNone;
    // Most characters map to the byte of the same value; check that first.
    if (character <= 0xFF && CodePageToUnicode(codePage, static_cast<unsigned char>(character)) == character)
        return character;
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        if (CodePageToUnicode(codePage, static_cast<unsigned char>(byte)) == character) return byte;
    return kNone;
}

std::size_t ConvertUtf8ToCodePage(const char* utf8, std::int32_t codePage, char* out,
                                  std::size_t outSize) noexcept {
    std::size_t length = 0;
    if (utf8 != nullptr) {
        const auto* p = reinterpret_cast<const unsigned char*>(utf8);
        while (*p != 0) {
            const std::int32_t character = NextCharacter(p);
            const std::int32_t byte = character == kNone ? kNone : UnicodeToCodePage(codePage, character);
            if (byte <= 0) continue;  // not in the code page
            if (out != nullptr && length + 1 < outSize) out[length] = static_cast<char>(byte);
            ++length;
        }
    }
    if (out != nullptr && outSize > 0) out[length < outSize ? length : outSize - 1] = '\0';
    return length;
}

std::int32_t SpriteFontTextWidthUtf8(FontId id, const char* utf8, float size, std::int32_t codePage) noexcept {
    if (utf8 == nullptr) return 0;
    return SpriteFontTextWidth(id, Converted(utf8, codePage).Text(), size);
}

std::int32_t SpriteFontTextHeightUtf8(FontId id, const char* utf8, float size, std::int32_t codePage) noexcept {
    if (utf8 == nullptr) return 0;
    return SpriteFontTextHeight(id, Converted(utf8, codePage).Text(), size);
}

std::int32_t DrawSpriteFontTextUtf8(FontId id, std::int32_t x, std::int32_t y, const char* utf8, float transparency,
                                    float size, std::int32_t codePage) noexcept {
    if (utf8 == nullptr) return 0;
    return DrawSpriteFontText(id, x, y, Converted(utf8, codePage).Text(), transparency, size);
}

// Blocks read their text in the font's own code page unless told otherwise.
namespace {
std::int32_t BlockCodePage(const SpriteFont& font, std::int32_t codePage) noexcept {
    return codePage == CodePageFontDefault ? sprite_font_detail::CodePageOf(sprite_font_detail::ExtrasOf(font))
                                           : codePage;
}
}  // namespace

TextBlockExtent SpriteFontMeasureBlockUtf8(FontId id, const char* utf8, float size, const TextBlock& block,
                                           std::int32_t codePage) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || utf8 == nullptr) return {0, 0, 0};
    return SpriteFontMeasureBlock(id, Converted(utf8, BlockCodePage(*font, codePage)).Text(), size, block);
}

std::int32_t DrawSpriteFontBlockUtf8(FontId id, std::int32_t x, std::int32_t y, const char* utf8,
                                     float transparency, float size, const TextBlock& block,
                                     std::int32_t codePage) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || utf8 == nullptr) return 0;
    return DrawSpriteFontBlock(id, x, y, Converted(utf8, BlockCodePage(*font, codePage)).Text(), transparency,
                               size, block);
}
