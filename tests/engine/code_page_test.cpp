// UTF-8 text converted to a font's single-byte code page.
#include <string>

#include <gtest/gtest.h>

#include "packed_font_builder.h"
#include "recording_platform.h"

using namespace test_support;

namespace {

std::string Convert(const char* utf8, std::int32_t codePage = CodePageWindows1252) {
    char out[64];
    const std::size_t n = ConvertUtf8ToCodePage(utf8, codePage, out, sizeof out);
    EXPECT_EQ(n, std::string(out).size());
    return out;
}

}  // namespace

TEST(CodePage, ConvertsWhatTheCodePageHasAndDropsTheRest) {
    const struct {
        const char* utf8;
        std::int32_t codePage;
        const char* expected;
    } cases[] = {
        {"L\xC3\xA4nge", CodePageWindows1252, "L\xE4nge"},
        {"Gr\xC3\xB6\xC3\x9F" "e", CodePageWindows1252, "Gr\xF6\xDF" "e"},
        {"\xE2\x82\xAC 5", CodePageWindows1252, "\x80 5"},   // euro sign
        {"\xE2\x82\xAC 5", CodePageLatin1, " 5"},            // Latin-1 has no euro sign
        {"\xE2\x82\xAC 5", CodePageLatin9, "\xA4 5"},
        {"\xC2\xA4", CodePageLatin9, ""},                    // the currency sign Latin-9 replaced
        {"\xC2\x81", CodePageWindows1252, ""},               // a hole of Windows-1252
        {"\xC2\x81", CodePageLatin1, "\x81"},
        {"a\xE6\x97\xA5z", CodePageWindows1252, "az"},       // CJK: not in any of them
        {"a\xF0\x9F\x98\x80z", CodePageWindows1252, "az"},   // outside the BMP
        {"a\x80z", CodePageWindows1252, "az"},               // stray continuation byte
        {"a\xC3", CodePageWindows1252, "a"},                 // cut short at the end
        {"a\xC3z", CodePageWindows1252, "az"},               // cut short before an ASCII byte
        {"\xC0\xAF", CodePageWindows1252, ""},               // overlong '/'
        {"\xED\xA0\x80", CodePageWindows1252, ""},           // a surrogate
        {"\xF4\x90\x80\x80", CodePageWindows1252, ""},       // past U+10FFFF
        {"\xFF\xFE", CodePageWindows1252, ""},
        {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", CodePageWindows1251, "\xCF\xF0\xE8\xE2\xE5\xF2"},  // Привет
        {"\xD0\x81\xD1\x91", CodePageWindows1251, "\xA8\xB8"},   // Ё ё
        {"\xCE\x9A\xCE\xB1\xCE\xBB\xCF\x8E\xCF\x82", CodePageWindows1253, "\xCA\xE1\xEB\xFE\xF2"},  // Καλώς
        {"\xC5\xA0\xC5\x82\xC5\x91", CodePageWindows1250, "\x8A\xB3\xF5"},  // Š ł ő
        {"\xD0\x9F", CodePageWindows1252, ""},                // Cyrillic is not in Windows-1252
        {"\xCE\x91\xD0\x90", CodePageWindows1251, "\xC0"},   // Greek Alpha is not in 1251, Cyrillic A is
        {"abc", 437, ""},                                    // an unknown code page converts nothing
        {"", CodePageWindows1252, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Convert(c.utf8, c.codePage), c.expected) << c.utf8;
    EXPECT_EQ(Convert(nullptr), "");
}

TEST(CodePage, MappingsRoundTrip) {
    for (std::int32_t page : {CodePageWindows1252, CodePageLatin1, CodePageLatin9, CodePageWindows1250,
                              CodePageWindows1251, CodePageWindows1253}) {
        for (int byte = 1; byte < 256; ++byte) {
            const std::int32_t character = CodePageToUnicode(page, static_cast<unsigned char>(byte));
            if (character >= 0) {
                EXPECT_EQ(UnicodeToCodePage(page, character), byte) << page << " " << byte;
            }
        }
    }
    // The bytes each Windows table leaves undefined, and a few that are not.
    const struct {
        std::int32_t page;
        unsigned char byte;
        std::int32_t character;
    } table[] = {
        {CodePageWindows1250, 0x81, -1}, {CodePageWindows1250, 0x83, -1}, {CodePageWindows1250, 0x88, -1},
        {CodePageWindows1250, 0x90, -1}, {CodePageWindows1250, 0x98, -1}, {CodePageWindows1250, 0xA5, 0x0104},
        {CodePageWindows1250, 0xFF, 0x02D9}, {CodePageWindows1251, 0x98, -1}, {CodePageWindows1251, 0x80, 0x0402},
        {CodePageWindows1251, 0x88, 0x20AC}, {CodePageWindows1251, 0xB9, 0x2116}, {CodePageWindows1251, 0xC0, 0x0410},
        {CodePageWindows1251, 0xFF, 0x044F}, {CodePageWindows1253, 0x81, -1}, {CodePageWindows1253, 0x88, -1},
        {CodePageWindows1253, 0xAA, -1}, {CodePageWindows1253, 0xD2, -1}, {CodePageWindows1253, 0xFF, -1},
        {CodePageWindows1253, 0xA2, 0x0386}, {CodePageWindows1253, 0xC1, 0x0391}, {CodePageWindows1253, 0xF9, 0x03C9},
        {CodePageWindows1251, 0x41, 0x41},
    };
    for (const auto& t : table) EXPECT_EQ(CodePageToUnicode(t.page, t.byte), t.character) << t.page << " " << int{t.byte};
    // Every byte below 0x80 is ASCII in each of them, and the whole upper
    // half of 1251 is defined but for one byte.
    int defined = 0;
    for (int byte = 0x80; byte < 256; ++byte) defined += CodePageToUnicode(CodePageWindows1251, static_cast<unsigned char>(byte)) >= 0;
    EXPECT_EQ(defined, 127);
    EXPECT_EQ(CodePageToUnicode(CodePageWindows1252, 0x9F), 0x0178);
    EXPECT_EQ(UnicodeToCodePage(CodePageWindows1252, 0x2122), 0x99);
    EXPECT_EQ(UnicodeToCodePage(CodePageWindows1252, -5), -1);
}

TEST(CodePage, SmallBuffersAreCutAndTerminated) {
    char out[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(ConvertUtf8ToCodePage("h\xC3\xA9llo", CodePageWindows1252, out, sizeof out), 5u);
    EXPECT_STREQ(out, "h\xE9l");
    EXPECT_EQ(ConvertUtf8ToCodePage("hello", CodePageWindows1252, out, 0), 5u);
    EXPECT_EQ(out[0], 'h');  // untouched
    EXPECT_EQ(ConvertUtf8ToCodePage("hello", CodePageWindows1252, nullptr, 0), 5u);
}

TEST(CodePage, Utf8DrawsAndMeasuresLikeTheConvertedBytes) {
    InitSpriteFonts();
    RecordingPlatform platform;
    ScopedPlatform scope(&platform);
    const auto block = PackedFontBuilder().Add({CellGlyph('L'), CellGlyph(0xE4, 1, 17), CellGlyph(0x80, 0, 32)}).Build();
    const FontId font = LoadSpriteFont(AutoId, block.data(), block.size());
    EXPECT_EQ(SpriteFontTextWidthUtf8(font, "L\xC3\xA4\xE2\x82\xAC", 1.0f), SpriteFontTextWidth(font, "L\xE4\x80", 1.0f));
    EXPECT_EQ(SpriteFontTextHeightUtf8(font, "\xC3\xA4", 2.0f), 88);
    platform.log.clear();
    DrawSpriteFontText(font, 5, 6, "L\xE4\x80", -1.0f, -1.0f);
    const auto bytes = platform.log;
    platform.log.clear();
    DrawSpriteFontTextUtf8(font, 5, 6, "L\xC3\xA4\xE2\x82\xAC", -1.0f, -1.0f);
    EXPECT_EQ(platform.log, bytes);
    // A text longer than the stack buffer goes through the kept buffer whole.
    std::string longText;
    for (int i = 0; i < 3000; ++i) longText += "\xC3\xA4";
    EXPECT_EQ(SpriteFontTextWidthUtf8(font, longText.c_str(), 1.0f), 17 * 3000);
    EXPECT_EQ(SpriteFontTextWidthUtf8(font, nullptr, 1.0f), 0);
}
