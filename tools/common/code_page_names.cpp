#include "code_page_names.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "sprite_font.h"

namespace sftools {

std::optional<std::int32_t> ParseCodePage(std::string_view name) {
    // Separators and case vary between tools, so compare without them.
    std::string key;
    for (char c : name)
        if (c != '-' && c != '_' && c != ' ') key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // The names people type for each code page, as tools and editors spell them.
    for (const char* n : {"1252", "windows1252", "cp1252", "win1252"})
        if (key == n) return CodePageWindows1252;
    for (const char* n : {"1250", "windows1250", "cp1250", "win1250", "centraleuropean"})
        if (key == n) return CodePageWindows1250;
    for (const char* n : {"1251", "windows1251", "cp1251", "win1251", "cyrillic"})
        if (key == n) return CodePageWindows1251;
    for (const char* n : {"1253", "windows1253", "cp1253", "win1253", "greek"})
        if (key == n) return CodePageWindows1253;
    for (const char* n : {"latin1", "iso88591", "28591", "l1"})
        if (key == n) return CodePageLatin1;
    for (const char* n : {"latin9", "iso885915", "28605", "l9"})
        if (key == n) return CodePageLatin9;
    return std::nullopt;
}

// For messages: how a person names the code page.
const char* CodePageName(std::int32_t codePage) {
    switch (codePage) {
        case CodePageWindows1250: return "Windows-1250";
        case CodePageWindows1251: return "Windows-1251";
        case CodePageWindows1252: return "Windows-1252";
        case CodePageWindows1253: return "Windows-1253";
        case CodePageLatin1: return "Latin-1";
        case CodePageLatin9: return "Latin-9";
        default: return "an unknown code page";
    }
}

// Four hex digits at least, as Unicode charts write them.
std::string CharacterName(std::int32_t character) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(character));
    return buffer;
}

std::string CharacterLabel(std::int32_t character) {
    const bool shown = character > 0x20 && character != 0x7F && !(character >= 0x80 && character <= 0xA0) &&
                       !(character >= 0xD800 && character <= 0xDFFF) && character <= 0x10FFFF;
    std::string label;
    if (shown) {
        AppendUtf8(character, &label);
        label += ' ';
    }
    return label + CharacterName(character);
}

// Tables and messages are printed as UTF-8 whatever the font's code page.
void AppendUtf8(std::int32_t c, std::string* out) {
    // Nothing for what is no character, rather than bytes no terminal shows.
    if (c < 0 || c > 0x10FFFF) return;
    const auto byte = [](std::int32_t v) { return static_cast<char>(static_cast<unsigned char>(v)); };
    if (c < 0x80) {
        *out += byte(c);
    // Two, three or four bytes, by how many bits the character needs.
    } else if (c < 0x800) {
        *out += byte(0xC0 | (c >> 6));
        *out += byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out += byte(0xE0 | (c >> 12));
        *out += byte(0x80 | ((c >> 6) & 0x3F));
        *out += byte(0x80 | (c & 0x3F));
    } else {
        *out += byte(0xF0 | (c >> 18));
        *out += byte(0x80 | ((c >> 12) & 0x3F));
        *out += byte(0x80 | ((c >> 6) & 0x3F));
        *out += byte(0x80 | (c & 0x3F));
    }
}

}  // namespace sftools
