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
