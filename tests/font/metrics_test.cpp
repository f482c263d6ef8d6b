// The embedded font's metrics against a second, separate transcription of
// its offsetX/advance table: one row of 16 codes per line, "-" for a code
// without a record.
#include <array>
#include <cstdio>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "demo_font.h"
#include "sprite_font.h"

namespace {

const char kTable[] =
    "| 32-47 | -2/9 | 2/11 | 5/9 | 0/18 | 0/18 | 4/27 | 3/31 | 5/6 | 2/10 | -2/9 | 7/17 | 2/21 | -1/9 | 2/11 | 2/9 | -2/14 |\n"
    "| 48-63 | 2/18 | -1/15 | 0/18 | -1/18 | 1/18 | -1/17 | 2/18 | 2/15 | 1/18 | -1/18 | 2/10 | -1/10 | 3/21 | 2/21 | 1/21 | 3/17 |\n"
    "| 64-79 | 2/28 | -1/25 | 1/24 | 1/21 | 1/28 | 1/25 | 0/21 | 2/25 | -1/27 | 1/15 | -2/16 | 1/26 | -1/23 | 0/34 | -1/28 | 2/24 |\n"
    "| 80-95 | -1/22 | 2/24 | -1/24 | -2/17 | 0/20 | 2/30 | 2/26 | 2/35 | -2/22 | -1/21 | 0/25 | 0/10 | 5/19 | -1/13 | 6/21 | -2/20 |\n"
    "| 96-111 | 5/9 | 1/17 | 1/17 | 1/14 | 1/18 | 1/14 | -6/11 | -5/16 | 1/18 | 1/10 | -7/9 | 1/18 | 1/10 | 1/25 | 1/18 | 1/16 |\n"
    "| 112-127 | -2/18 | 1/16 | 1/12 | -1/13 | 2/13 | 1/18 | 1/18 | 1/27 | 1/17 | -2/16 | 0/18 | 2/10 | 10/21 | -2/10 | 1/21 | - |\n"
    "| 128-143 | 0/32 | - | -1/7 | -4/18 | -1/11 | 2/40 | 2/18 | - | - | - | -2/17 | 2/10 | 2/33 | - | -2/0 | - |\n"
    "| 144-159 | - | 7/10 | 7/10 | 7/14 | 7/14 | - | - | -1/40 | - | 4/40 | -1/13 | 1/10 | 1/22 | - | -2/0 | -1/22 |\n"
    "| 160-175 | - | 0/11 | 3/18 | -2/18 | 0/18 | -2/18 | -2/0 | 0/17 | 5/14 | 3/30 | 1/10 | 2/14 | 0/21 | -2/0 | 3/30 | 5/18 |\n"
    "| 176-191 | -2/17 | -2/21 | -2/0 | -2/0 | 6/12 | -2/24 | -1/20 | 2/9 | -1/12 | -2/0 | 2/10 | 1/15 | -2/0 | -2/0 | -2/0 | 0/16 |\n"
    "| 192-207 | -1/25 | -1/25 | -1/25 | -1/25 | -1/25 | -1/25 | -1/30 | 1/21 | 1/25 | 1/25 | 1/25 | 1/25 | 1/15 | 1/15 | 1/15 | 1/15 |\n"
    "| 208-223 | -2/0 | -1/28 | 2/24 | 2/24 | 2/24 | 2/24 | 2/24 | -2/0 | 2/26 | 2/30 | 2/30 | 2/30 | 2/30 | -2/0 | -2/0 | -7/17 |\n"
    "| 224-239 | 1/17 | 1/17 | 1/17 | 1/17 | 1/17 | 1/17 | 1/22 | 0/14 | 1/14 | 1/14 | 1/14 | 1/14 | 1/10 | 1/10 | 1/10 | 1/10 |\n"
    "| 240-255 | -2/0 | 1/18 | 1/16 | 1/16 | 1/16 | 1/16 | 1/16 | -2/21 | 1/18 | 1/18 | 1/18 | 1/18 | 1/18 | -2/0 | -2/0 | - |\n";

struct Expected {
    bool present = false;
    int offsetX = 0;
    int advance = 0;
};

std::array<Expected, 256> ParseTable() {
    std::array<Expected, 256> out{};
    std::istringstream lines(kTable);
    std::string line;
    while (std::getline(lines, line)) {
        int first = 0, last = 0;
        EXPECT_EQ(std::sscanf(line.c_str(), "| %d-%d |", &first, &last), 2) << line;
        std::istringstream cells(line.substr(line.find('|', 1) + 1));
        std::string cell;
        int code = first;
        while (std::getline(cells, cell, '|')) {
            if (cell.find_first_not_of(' ') == std::string::npos) continue;
            Expected& e = out.at(static_cast<std::size_t>(code++));
            if (cell.find('/') != std::string::npos) {
                e.present = std::sscanf(cell.c_str(), " %d/%d", &e.offsetX, &e.advance) == 2;
                EXPECT_TRUE(e.present) << cell;
            }
        }
        EXPECT_EQ(code, last + 1) << line;
    }
    return out;
}

}  // namespace

TEST(DemoFontMetrics, EveryRecordMatchesTheTable) {
    InitSpriteFonts();
    const SpriteFont* font = GetSpriteFont(LoadSpriteFont(AutoId, kDemoFont, kDemoFontSize));
    ASSERT_NE(font, nullptr);
    const auto table = ParseTable();
    int records = 0;
    for (int code = 0; code < 256; ++code) {
        const GlyphSlot& g = font->glyphs[code];
        const Expected& e = table[static_cast<std::size_t>(code)];
        ASSERT_EQ(g.present, e.present ? 1 : 0) << "code " << code;
        if (!e.present) continue;
        ++records;
        EXPECT_EQ(g.offsetX, e.offsetX) << "code " << code;
        EXPECT_EQ(g.advance, e.advance) << "code " << code;
        EXPECT_EQ(g.offsetY, -2) << "code " << code;
        EXPECT_EQ(g.lineHeight, 44) << "code " << code;
        EXPECT_EQ(g.srcX, 64 * (code % 16)) << "code " << code;
        EXPECT_EQ(g.srcY, 64 * (code / 16)) << "code " << code;
        EXPECT_EQ(g.srcWidth, 64) << "code " << code;
        EXPECT_EQ(g.srcHeight, 64) << "code " << code;
    }
    EXPECT_EQ(records, 210);
}

TEST(DemoFontMetrics, CodesWithoutAGlyph) {
    InitSpriteFonts();
    const SpriteFont* font = GetSpriteFont(LoadSpriteFont(AutoId, kDemoFont, kDemoFontSize));
    ASSERT_NE(font, nullptr);
    std::string missing;
    for (int code = 0; code < 256; ++code)
        if (!font->glyphs[code].present) missing += std::to_string(code) + " ";
    std::string expected;
    for (int code = 0; code <= 31; ++code) expected += std::to_string(code) + " ";
    expected += "127 129 135 136 137 141 143 144 149 150 152 157 160 255 ";
    EXPECT_EQ(missing, expected);
}
