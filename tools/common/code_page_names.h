// Code page names on the command line, and UTF-8 for printing characters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sftools {

// "1252", "windows-1252", "cp1252", "latin1", "iso-8859-1", "latin9",
// "iso-8859-15", "1250", "cyrillic", "greek" and the like, any case;
// nothing for an unknown name.
std::optional<std::int32_t> ParseCodePage(std::string_view name);
// "Windows-1252", "Latin-1", "Windows-1251", ...
const char* CodePageName(std::int32_t codePage);
// U+XXXX, as messages name characters.
std::string CharacterName(std::int32_t character);
// The character itself in UTF-8 and its U+XXXX ("Ā U+0100"); control
// characters and what no terminal shows by their number alone.
std::string CharacterLabel(std::int32_t character);
// Appends the character's UTF-8 bytes; nothing for a negative value.
void AppendUtf8(std::int32_t character, std::string* out);

}  // namespace sftools
