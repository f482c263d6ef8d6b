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
        {"abc", 437, ""},                                    // an unknown code page converts nothing
        {"", CodePageWindows1252, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Convert(c.utf8, c.codePage), c.expected) << c.utf8;
    EXPECT_EQ(Convert(nullptr), "");
}

TEST(CodePage, MappingsRoundTrip) {
    for (std::int32_t page : {CodePageWindows1252, CodePageLatin1, CodePageLatin9}) {
        for (int byte = 1; byte < 256; ++byte) {
            const std::int32_t character = CodePageToUnicode(page, static_cast<unsigned char>(byte));
            if (character >= 0) {
                EXPECT_EQ(UnicodeToCodePage(page, character), byte) << page << " " << byte;
            }
        }
    }
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
