// Text blocks, traced against the recording platform: where lines break,
// where each glyph of each line lands, and that measuring agrees with it.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "packed_font_builder.h"
#include "recording_platform.h"

using namespace test_support;

namespace {

constexpr unsigned char kEllipsis = 0x85;  // in Windows-1252

// A glyph as the trace shows it: its code (from its atlas cell) and where it was displayed.
struct Placed {
    unsigned char code;
    std::int32_t x, y;
    bool operator==(const Placed&) const = default;
};

void PrintTo(const Placed& p, std::ostream* os) { *os << "'" << p.code << "'@(" << p.x << "," << p.y << ")"; }

// Every glyph sits in the 64 x 64 cell of its code on a 1024 x 1024 atlas.
std::vector<Placed> Placements(const std::vector<Call>& log) {
    std::vector<Placed> out;
    unsigned char code = 0;
    for (const Call& call : log) {
        if (call.op == Op::TexCoords)
            code = static_cast<unsigned char>(std::lround(call.f[0] * 16.0f) + 16 * std::lround(call.f[1] * 16.0f));
        if (call.op == Op::Display) out.push_back({code, call.i[0], call.i[1]});
    }
    return out;
}

// The drawn glyphs as lines of text: a new line starts wherever y changes.
std::vector<std::string> DrawnLines(const std::vector<Placed>& glyphs) {
    std::vector<std::string> lines;
    std::int32_t y = std::numeric_limits<std::int32_t>::min();
    for (const Placed& g : glyphs) {
        if (lines.empty() || g.y != y) lines.emplace_back();
        lines.back() += static_cast<char>(g.code);
        y = g.y;
    }
    return lines;
}

TextBlock Block(std::int32_t wrapWidth, TextAlign align = TextAlignLeft, std::int32_t maxLines = 0,
                bool kerning = true, float lineSpacing = 1.0f) {
    TextBlock block;
    block.wrapWidth = wrapWidth;
    block.align = align;
    block.maxLines = maxLines;
    block.kerning = kerning;
    block.lineSpacing = lineSpacing;
    return block;
}

// Letters advance 10, a space 5, a hyphen 6, a full stop 4, the ellipsis
// 12; every offsetX is 0 (so a glyph is displayed at its pen), every offsetY
// -2. The font's line height is 24 (metrics chunk, Windows-1252); kerning
// A-V -3, V-A -2, a-ellipsis -4.
class Blocks : public ::testing::Test {
protected:
    void SetUp() override {
        InitSpriteFonts();
        font_ = Load(true, true, 1252);
        plain_ = Load(false, false, 0);
        platform_.log.clear();
    }

    FontId Load(bool ellipsis, bool chunks, std::uint32_t codePage) {
        PackedFontBuilder builder;
        for (unsigned char c = 'A'; c <= 'Z'; ++c) builder.Add(CellGlyph(c, 0, 10, 20));
        for (unsigned char c = 'a'; c <= 'z'; ++c) builder.Add(CellGlyph(c, 0, 10, 20));
        builder.Add({CellGlyph(' ', 0, 5, 20), CellGlyph('-', 0, 6, 20), CellGlyph('.', 0, 4, 20)});
        if (ellipsis) builder.Add(CellGlyph(kEllipsis, 0, 12, 20));
        if (chunks) builder.Metrics(24, 18, codePage).Kerning({{'A', 'V', -3}, {'V', 'A', -2}, {'a', kEllipsis, -4}});
        blocks_.push_back(builder.Build());
        return LoadSpriteFont(AutoId, blocks_.back().data(), blocks_.back().size());
    }

    std::vector<Call> Trace(FontId id, std::int32_t x, std::int32_t y, const char* text, const TextBlock& block,
                            float size = 1.0f) {
        platform_.log.clear();
        EXPECT_EQ(DrawSpriteFontBlock(id, x, y, text, -1.0f, size, block), 0);
        return platform_.log;
    }
    std::vector<Placed> Glyphs(const char* text, const TextBlock& block, FontId id = 0, float size = 1.0f) {
        return Placements(Trace(id == 0 ? font_ : id, 0, 0, text, block, size));
    }
    std::vector<Call> Single(FontId id, std::int32_t x, std::int32_t y, const char* text, float size = 1.0f) {
        platform_.log.clear();
        DrawSpriteFontText(id, x, y, text, -1.0f, size);
        return platform_.log;
    }

    RecordingPlatform platform_;
    ScopedPlatform scope_{&platform_};
    std::vector<std::vector<unsigned char>> blocks_;
    FontId font_ = 0;
    FontId plain_ = 0;  // no ellipsis glyph, no chunks: line height 20, no kerning
};

}  // namespace

// A block of one line, left aligned, kerning off, is DrawSpriteFontText.
TEST_F(Blocks, OneLineMakesTheCallsOfASingleLine) {
    const char* texts[] = {"", "A", "Hello World", "  lead and trail  ", "no\x01glyph\x7F", "AVA-VA"};
    const float sizes[] = {1.0f, 2.0f, 0.75f, -1.0f, 1.3f};
    for (const FontId id : {font_, plain_})
        for (const char* text : texts)
            for (const float size : sizes)
                for (const std::int32_t wrap : {0, 100000}) {
                    SCOPED_TRACE(std::string(text) + " size " + std::to_string(size) + " wrap " + std::to_string(wrap));
                    EXPECT_EQ(Trace(id, 37, -11, text, Block(wrap, TextAlignLeft, 0, false), size),
                              Single(id, 37, -11, text, size));
                }
    // The font's transparency and size stand in for -1.0, as for a single line.
    SetSpriteFontStyle(font_, StyleTransparency, 99.0f);
    SetSpriteFontStyle(font_, StyleSize, 3.0f);
    EXPECT_EQ(Trace(font_, 5, 5, "Ab", Block(0, TextAlignLeft, 0, false), -1.0f), Single(font_, 5, 5, "Ab", -1.0f));
    EXPECT_EQ(Placements(platform_.log).size(), 2u);
}

TEST_F(Blocks, LinesBreakAtLineFeedsAndWrapAtSpacesHyphensOrWithinWords) {
    const struct {
        const char* text;
        std::int32_t wrap;
        std::vector<std::string> lines;
    } cases[] = {
        {"ab\ncd", 0, {"ab", "cd"}},
        {"ab\r\ncd", 0, {"ab", "cd"}},
        {"ab  \ncd", 0, {"ab  ", "cd"}},                   // spaces at a paragraph's end are drawn
        {"aaa bbb ccc", 0, {"aaa bbb ccc"}},
        {"aaa bbb ccc", 75, {"aaa bbb", "ccc"}},           // 65 fits, 100 does not
        {"aaa bbb ccc", 65, {"aaa bbb", "ccc"}},           // exactly the width fits
        {"aaa bbb ccc", 64, {"aaa", "bbb", "ccc"}},
        {"aaa   bbb", 50, {"aaa", "bbb"}},                 // the spaces at a break go
        {"   aaa bbb", 50, {"   aaa", "bbb"}},             // a paragraph's indent stays
        {"aa-bbb cc", 40, {"aa-", "bbb", "cc"}},           // after the hyphen
        {"aa-bb cc", 60, {"aa-bb", "cc"}},                 // the space comes later than the hyphen
        {"abcdefgh", 35, {"abc", "def", "gh"}},            // a word too long for any line
        {"ab abcdefgh", 35, {"ab", "abc", "def", "gh"}},
        {"abc", 5, {"a", "b", "c"}},                       // narrower than any glyph: one per line
        {"ab     ", 20, {"ab     "}},                      // spaces never wrap
        {"ab cd\nef gh", 30, {"ab", "cd", "ef", "gh"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " wrap " + std::to_string(c.wrap));
        const auto glyphs = Glyphs(c.text, Block(c.wrap));
        EXPECT_EQ(DrawnLines(glyphs), c.lines);
        // Line i stands at y = 24 i (offsetY -2), and each starts at x = 0.
        std::int32_t line = -1, y = 1;
        for (const Placed& g : glyphs) {
            if (g.y != y) {
                ++line;
                EXPECT_EQ(g.x, 0) << "line " << line;
            }
            y = g.y;
            EXPECT_EQ(g.y, 24 * line - 2);
        }
        EXPECT_EQ(SpriteFontMeasureBlock(font_, c.text, 1.0f, Block(c.wrap)).lines,
                  static_cast<std::int32_t>(c.lines.size()));
    }
}

TEST_F(Blocks, EmptyLinesCountAndSpacingSetsTheLineAdvance) {
    const struct {
        const char* text;
        float spacing, size;
        std::int32_t lines, height;
        std::vector<std::int32_t> ys;  // of the drawn glyphs
    } cases[] = {
        {"", 1.0f, 1.0f, 1, 24, {}},
        {"\n\n\n", 1.0f, 1.0f, 4, 96, {}},
        {"a\n\nb", 1.0f, 1.0f, 3, 72, {-2, 46}},
        {"a\r\n\r\nb\n", 1.0f, 1.0f, 4, 96, {-2, 46}},
        {"a\nb", 1.5f, 1.0f, 2, 60, {-2, 34}},          // 24 x 1.5 between lines
        {"a\nb", 1.5f, 2.0f, 2, 120, {-4, 68}},         // ... x size 2
        {"a\nb\nc", 0.6f, 1.0f, 3, 53, {-2, 12, 27}},   // 14.4 and 28.8 rounded
        {"a\nb", -1.0f, 1.0f, 2, 0, {-2, -26}},         // negative: upwards
        {"a\nb", std::nanf(""), 1.0f, 2, 48, {-2, 22}}, // not a number: 1.0
        {"a\nb", -INFINITY, 1.0f, 2, 48, {-2, 22}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " spacing " + std::to_string(c.spacing));
        const TextBlock block = Block(0, TextAlignLeft, 0, true, c.spacing);
        const TextBlockExtent extent = SpriteFontMeasureBlock(font_, c.text, c.size, block);
        EXPECT_EQ(extent.lines, c.lines);
        EXPECT_EQ(extent.height, c.height);
        std::vector<std::int32_t> ys;
        for (const Placed& g : Glyphs(c.text, block, font_, c.size)) ys.push_back(g.y);
        EXPECT_EQ(ys, c.ys);
    }
    // Without a metrics chunk the tallest glyph record gives the line height.
    EXPECT_EQ(SpriteFontMeasureBlock(plain_, "a\nb", 1.0f, TextBlock{}).height, 40);
    // Only line feeds: nothing but the call's one rotation reaches the platform.
    EXPECT_EQ(Trace(font_, 0, 0, "\n\n\n", TextBlock{}), (std::vector<Call>{Rotate(101, 0.0f)}));
}

TEST_F(Blocks, AlignmentShiftsEachLineByWholePixels) {
    // "aaa bb" is 55 wide, "cccc" 40, "d" 10.
    const char* text = "aaa bb\ncccc\nd";
    const struct {
        TextAlign align;
        std::int32_t wrap;
        std::vector<std::int32_t> starts;
        std::int32_t width;  // the extent
    } cases[] = {
        {TextAlignLeft, 0, {0, 0, 0}, 55},
        {TextAlignCenter, 0, {0, 8, 22}, 55},     // 7.5 and 22.5, halves to even
        {TextAlignRight, 0, {0, 15, 45}, 55},
        {TextAlignLeft, 100, {0, 0, 0}, 55},
        {TextAlignCenter, 100, {22, 30, 45}, 100},
        {TextAlignRight, 100, {45, 60, 90}, 100},
        {TextAlignJustify, 100, {0, 0, 0}, 100},  // every line ends its paragraph
        {static_cast<TextAlign>(9), 100, {0, 0, 0}, 55},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.align) + " wrap " + std::to_string(c.wrap));
        const auto glyphs = Placements(Trace(font_, 100, 0, text, Block(c.wrap, c.align)));
        ASSERT_EQ(glyphs.size(), 11u);
        EXPECT_EQ((std::vector<std::int32_t>{glyphs[0].x, glyphs[6].x, glyphs[10].x}),
                  (std::vector<std::int32_t>{100 + c.starts[0], 100 + c.starts[1], 100 + c.starts[2]}));
        EXPECT_EQ(SpriteFontMeasureBlock(font_, text, 1.0f, Block(c.wrap, c.align)).width, c.width);
    }
    // A line wider than its room starts at the left.
    EXPECT_EQ(Glyphs("abcdef", Block(25, TextAlignRight))[0].x, 5);
    EXPECT_EQ(Glyphs("W", Block(5, TextAlignRight))[0].x, 0);
    // An aligned line is the single line drawn at the shifted start.
    const std::vector<Call> block = Trace(font_, 10, 20, "ab\ncdef", Block(0, TextAlignRight));
    ASSERT_EQ(block.size(), 19u);
    const std::vector<Call> first = Single(font_, 30, 20, "ab");
    const std::vector<Call> second = Single(font_, 10, 44, "cdef");
    EXPECT_EQ(std::vector<Call>(block.begin() + 1, block.begin() + 7), std::vector<Call>(first.begin() + 1, first.end()));
    EXPECT_EQ(std::vector<Call>(block.begin() + 7, block.end()), std::vector<Call>(second.begin() + 1, second.end()));
}

TEST_F(Blocks, JustifyWidensTheSpacesOfWrappedLinesOnly) {
    const struct {
        const char* text;
        std::int32_t wrap;
        std::vector<Placed> glyphs;
    } cases[] = {
        // 45 wide in 60: one space takes all 15.
        {"aa bb cc", 60, {{'a', 0, -2}, {'a', 10, -2}, {' ', 20, -2}, {'b', 40, -2}, {'b', 50, -2},
                          {'c', 0, 22}, {'c', 10, 22}}},
        // 40 wide in 45: two spaces take 2.5 each, positions rounded halves to even.
        {"a b c dd", 45, {{'a', 0, -2}, {' ', 10, -2}, {'b', 18, -2}, {' ', 28, -2}, {'c', 35, -2},
                          {'d', 0, 22}, {'d', 10, 22}}},
        // A paragraph's indent is kept and not widened; a wrapped line without spaces stays.
        {" a b\ncdef g", 30, {{' ', 0, -2}, {'a', 5, -2}, {' ', 15, -2}, {'b', 20, -2},
                               {'c', 0, 22}, {'d', 10, 22}, {'e', 20, 22},
                               {'f', 0, 46}, {' ', 10, 46}, {'g', 15, 46}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Glyphs(c.text, Block(c.wrap, TextAlignJustify)), c.glyphs);
    }
}

TEST_F(Blocks, KerningMovesConsecutiveGlyphsByAmountTimesSize) {
    const struct {
        const char* text;
        float size;
        bool kerning;
        std::vector<std::int32_t> xs;
        std::int32_t width;
    } cases[] = {
        {"AVA", 1.0f, true, {0, 7, 15}, 25},
        {"AVA", 2.0f, true, {0, 14, 30}, 50},
        {"AVA", 0.5f, true, {0, 4, 8}, 12},  // 3.5, 7.5 and 12.5: halves to even
        {"AVA", 1.0f, false, {0, 10, 20}, 30},
        {"A V", 1.0f, true, {0, 10, 15}, 25},       // a space between: no pair
        {"A\x01V", 1.0f, true, {0, 7}, 17},         // a byte without a glyph does not part them
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " size " + std::to_string(c.size));
        const TextBlock block = Block(0, TextAlignLeft, 0, c.kerning);
        std::vector<std::int32_t> xs;
        for (const Placed& g : Glyphs(c.text, block, font_, c.size)) xs.push_back(g.x);
        EXPECT_EQ(xs, c.xs);
        EXPECT_EQ(SpriteFontMeasureBlock(font_, c.text, c.size, block).width, c.width);
    }
    // No pair across a line break; the kerned width decides where a line wraps.
    EXPECT_EQ(DrawnLines(Glyphs("A\nVA", TextBlock{})), (std::vector<std::string>{"A", "VA"}));
    EXPECT_EQ(Glyphs("A\nVA", TextBlock{})[2].x, 8);
    EXPECT_EQ(DrawnLines(Glyphs("AVAV", Block(34))), (std::vector<std::string>{"AVAV"}));  // 34 kerned
    EXPECT_EQ(DrawnLines(Glyphs("AVAV", Block(34, TextAlignLeft, 0, false))),
              (std::vector<std::string>{"AVA", "V"}));
}

TEST_F(Blocks, TheLastAllowedLineEndsInAnEllipsisThatFits) {
    const std::string e(1, static_cast<char>(kEllipsis));
    const struct {
        bool plainFont;
        const char* text;
        std::int32_t wrap, maxLines;
        std::vector<std::string> lines;
        std::int32_t width;
    } cases[] = {
        {false, "aaa\nbbb", 0, 1, {"aaa" + e}, 38},               // a-ellipsis kerns by -4
        {false, "aaa\nbbb", 0, 2, {"aaa", "bbb"}, 30},            // nothing left out
        {false, "a\nb\nc", 0, 2, {"a", "b" + e}, 22},
        {false, "aaa bbb ccc", 65, 1, {"aaa b" + e}, 57},         // "aaa bb" + ellipsis is 67
        {false, "aaa bbb ccc", 65, 2, {"aaa bbb", "ccc"}, 65},
        {false, "abc", 10, 1, {e}, 12},                           // no glyph leaves room: the ellipsis alone
        {false, "a\n\n  \n", 0, 1, {"a"}, 10},                    // only breaks and spaces left out
        {false, "ab   \ncd", 0, 1, {"ab" + e}, 32},               // spaces before the ellipsis go
        {true, "aaa\nbbb", 0, 1, {"aaa..."}, 42},                 // no ellipsis glyph: three full stops
        {true, "aaaa bbb", 45, 1, {"aaa..."}, 42},
        {false, "aaa\nbbb", 0, -3, {"aaa", "bbb"}, 30},           // negative: no limit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " wrap " + std::to_string(c.wrap) + " max " + std::to_string(c.maxLines));
        const FontId id = c.plainFont ? plain_ : font_;
        const TextBlock block = Block(c.wrap, TextAlignLeft, c.maxLines);
        EXPECT_EQ(DrawnLines(Glyphs(c.text, block, id)), c.lines);
        const TextBlockExtent extent = SpriteFontMeasureBlock(id, c.text, 1.0f, block);
        EXPECT_EQ(extent.width, c.width);
        EXPECT_EQ(extent.lines, static_cast<std::int32_t>(c.lines.size()));
    }
    // The ellipsis line is aligned by its own width and never justified.
    EXPECT_EQ(Glyphs("aaa bbb ccc", Block(65, TextAlignRight, 1))[0].x, 65 - 57);
    EXPECT_EQ(Glyphs("aa b cc dd", Block(60, TextAlignJustify, 1))[3].x, 25);
}

TEST_F(Blocks, StyleAnchorsTheBlockAgainstItsExtent) {
    // "aaaa\nbb": 40 wide, 48 high.
    SetSpriteFontStyle(font_, StyleAlignX, 0.5f);
    SetSpriteFontStyle(font_, StyleAlignY, 1.0f);
    EXPECT_EQ(Placements(Trace(font_, 100, 100, "aaaa\nbb", TextBlock{})),
              (std::vector<Placed>{{'a', 80, 50}, {'a', 90, 50}, {'a', 100, 50}, {'a', 110, 50},
                                   {'b', 80, 74}, {'b', 90, 74}}));
    // Centred lines in a centred box stand centred on x.
    const auto glyphs = Placements(Trace(font_, 100, 100, "aaaa\nbb", Block(60, TextAlignCenter)));
    EXPECT_EQ(glyphs[0].x, 80);
    EXPECT_EQ(glyphs[4].x, 90);
    // The arc and the length limit do not apply to blocks.
    SetSpriteFontStyle(font_, StyleAlignX, 0.0f);
    SetSpriteFontStyle(font_, StyleAlignY, 0.0f);
    const std::vector<Call> unstyled = Single(font_, 3, 4, "abc");
    SetSpriteFontStyle(font_, StyleArc, 15.0f);
    SetSpriteFontStyle(font_, StyleMaxLength, 5.0f);
    EXPECT_EQ(Trace(font_, 3, 4, "abc", Block(0, TextAlignLeft, 0, false)), unstyled);
}

TEST_F(Blocks, RotationTurnsTheWholeBlockAboutItsStart) {
    SetSpriteFontStyle(font_, StyleRotation, 90.0f);
    const std::vector<Call> single = Single(font_, 0, 0, "a");
    ASSERT_EQ(single.size(), 4u);
    const Call turn = single[2];  // the rotated single line's rotate call
    ASSERT_EQ(turn.op, Op::Rotate);

    // Turned 90 degrees clockwise: lines run down, the second line lies to
    // the left of the first; each offset (0, -2) turns to (2, 0).
    const auto trace = Trace(font_, 100, 100, "ab\ncd", TextBlock{});
    ASSERT_EQ(trace.size(), 13u);
    EXPECT_EQ(trace[0], turn) << "the rotation is set once, before the first glyph";
    EXPECT_EQ(Placements(trace), (std::vector<Placed>{{'a', 102, 100}, {'b', 102, 110},
                                                      {'c', 78, 100}, {'d', 78, 110}}));
    // Anchoring moves the block inside its turned frame: the centre of
    // "aaaa" (40 wide) sits on the start point.
    SetSpriteFontStyle(font_, StyleAlignX, 0.5f);
    EXPECT_EQ(Placements(Trace(font_, 100, 100, "aaaa", TextBlock{}))[0], (Placed{'a', 102, 80}));
    // Turned half a circle, right-aligned lines run leftwards from the start.
    SetSpriteFontStyle(font_, StyleAlignX, 0.0f);
    SetSpriteFontStyle(font_, StyleRotation, 180.0f);
    const auto half = Placements(Trace(font_, 100, 100, "aa\nb", Block(0, TextAlignRight)));
    EXPECT_EQ(half, (std::vector<Placed>{{'a', 100, 102}, {'a', 90, 102}, {'b', 90, 78}}));
    // -0.0 takes the turned path with the straight positions.
    SetSpriteFontStyle(font_, StyleRotation, -0.0f);
    const auto straight = Placements(Trace(font_, 7, 9, "ab cd\nef", Block(30, TextAlignCenter)));
    SetSpriteFontStyle(font_, StyleRotation, 0.0f);
    EXPECT_EQ(straight, Placements(Trace(font_, 7, 9, "ab cd\nef", Block(30, TextAlignCenter))));
}

// For left-aligned blocks the widest drawn line (its last glyph that is not
// a space, plus that glyph's advance) is the measured width, and the number
// of lines drawn the measured count.
TEST_F(Blocks, MeasuringAgreesWithDrawing) {
    const char* texts[] = {"The quick brown fox jumps over the lazy dog",
                           "AVAVAV VAVA AV\nshort\n  indented line that wraps-around hyphen-ated",
                           "x", "supercalifragilistic expialidocious", "a b c d e f g h i j k l m n o p"};
    const std::int32_t widths[] = {0, 1, 33, 64, 100, 180};
    const float sizes[] = {1.0f, 2.0f, 0.5f};
    for (const char* text : texts)
        for (const std::int32_t wrap : widths)
            for (const float size : sizes)
                for (const bool kerning : {false, true})
                    for (const std::int32_t maxLines : {0, 2}) {
                        SCOPED_TRACE(std::string(text) + " wrap " + std::to_string(wrap) + " size " +
                                     std::to_string(size) + (kerning ? " kerned" : "") + " max " +
                                     std::to_string(maxLines));
                        const TextBlock block = Block(wrap, TextAlignLeft, maxLines, kerning);
                        const auto glyphs = Glyphs(text, block, font_, size);
                        std::int32_t widest = 0, lines = 0, y = std::numeric_limits<std::int32_t>::min();
                        for (const Placed& g : glyphs) {
                            if (g.y != y) ++lines;
                            y = g.y;
                            if (g.code == ' ') continue;
                            const float advance = g.code == '-' ? 6 : g.code == '.' ? 4 : g.code == kEllipsis ? 12 : 10;
                            widest = std::max(widest, g.x + static_cast<std::int32_t>(std::lround(advance * size)));
                        }
                        const TextBlockExtent extent = SpriteFontMeasureBlock(font_, text, size, block);
                        EXPECT_EQ(extent.lines, lines);
                        EXPECT_NEAR(extent.width, widest, 1);  // the glyphs' positions are rounded one by one
                        if (maxLines > 0) { EXPECT_LE(extent.lines, maxLines); }
                        // Wide enough for an indent and a glyph: no line is wider than the width.
                        if (wrap >= 33 && size == 1.0f) { EXPECT_LE(extent.width, wrap); }
                    }
}

TEST_F(Blocks, Utf8FormsReadTheFontsOwnCodePage) {
    const std::string e(1, static_cast<char>(kEllipsis));
    EXPECT_EQ(DrawnLines(Placements((platform_.log.clear(),
                                     DrawSpriteFontBlockUtf8(font_, 0, 0, "a\xE2\x80\xA6\nb", -1.0f, 1.0f, TextBlock{}),
                                     platform_.log))),
              (std::vector<std::string>{"a" + e, "b"}));
    EXPECT_EQ(SpriteFontMeasureBlockUtf8(font_, "a\xE2\x80\xA6", 1.0f, TextBlock{}).width, 18);
    // A Latin-1 font has no ellipsis character: it is dropped from the text,
    // and the block's own ellipsis is three full stops.
    blocks_.push_back(PackedFontBuilder()
                          .Add({CellGlyph('a', 0, 10, 20), CellGlyph('.', 0, 4, 20), CellGlyph(kEllipsis, 0, 12, 20)})
                          .Metrics(24, 18, 28591)
                          .Build());
    const FontId latin1 = LoadSpriteFont(AutoId, blocks_.back().data(), blocks_.back().size());
    EXPECT_EQ(SpriteFontMeasureBlockUtf8(latin1, "a\xE2\x80\xA6", 1.0f, TextBlock{}).width, 10);
    EXPECT_EQ(SpriteFontMeasureBlock(latin1, "a\na", 1.0f, Block(0, TextAlignLeft, 1)).width, 22);
    // An explicit code page wins over the font's.
    EXPECT_EQ(SpriteFontMeasureBlockUtf8(latin1, "a\xE2\x80\xA6", 1.0f, TextBlock{}, CodePageWindows1252).width, 22);
    EXPECT_EQ(SpriteFontMeasureBlockUtf8(latin1, nullptr, 1.0f, TextBlock{}).lines, 0);
}

TEST_F(Blocks, NothingForNullTextsUnknownIdsOrNoScreen) {
    const TextBlock block = Block(30, TextAlignJustify, 2);
    const auto zero = [](const TextBlockExtent& e) { return e.width == 0 && e.height == 0 && e.lines == 0; };
    EXPECT_TRUE(zero(SpriteFontMeasureBlock(font_, nullptr, 1.0f, block)));
    EXPECT_TRUE(zero(SpriteFontMeasureBlock(65536, "ab", 1.0f, block)));
    EXPECT_TRUE(zero(SpriteFontMeasureBlock(4321, "ab", 1.0f, block)));
    EXPECT_TRUE(zero(SpriteFontMeasureBlockUtf8(65536, "ab", 1.0f, block)));
    EXPECT_TRUE(Trace(font_, 0, 0, nullptr, block).empty());
    EXPECT_TRUE(Trace(65536, 0, 0, "ab", block).empty());
    platform_.log.clear();
    EXPECT_EQ(DrawSpriteFontBlockUtf8(4321, 0, 0, "ab", -1.0f, -1.0f, block), 0);
    EXPECT_TRUE(platform_.log.empty());
    // Without a screen, measuring still measures.
    SetSpritePlatform(nullptr);
    EXPECT_EQ(DrawSpriteFontBlock(font_, 0, 0, "ab", -1.0f, -1.0f, block), 0);
    EXPECT_EQ(SpriteFontMeasureBlock(font_, "ab cd", 1.0f, block).lines, 2);
}
