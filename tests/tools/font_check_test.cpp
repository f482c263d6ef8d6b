// The inspector's checks: each broken font is flagged with exactly the
// problems it has, and a sound one with none.
#include <gtest/gtest.h>

#include <set>

#include "font_check.h"
#include "packed_font_builder.h"
#include "png_io.h"

namespace {

using inspect::Problem;
using test_support::PackedFontBuilder;
using test_support::Record;

// The tiny atlas is 2 x 2; this glyph covers all of it.
constexpr Record kWhole{65, 0, 0, 3, 10, 0, 0, 2, 2};

std::vector<unsigned char> RgbPng() {
    const std::vector<std::uint8_t> pixels(2 * 2 * 3, 128);
    return sftools::EncodePng(pixels, 2, 2, 3);
}

std::vector<unsigned char> WithTail(std::vector<unsigned char> bytes, std::size_t n) {
    bytes.insert(bytes.end(), n, 0xAB);
    return bytes;
}

TEST(FontCheck, EachFaultIsReportedOnItsOwn) {
    Record wide = kWhole;
    wide.srcX = 1;  // 1 + 2 > 2
    Record negative = kWhole;
    negative.srcHeight = -1;
    Record flat = kWhole;
    flat.lineHeight = 0;
    Record other = kWhole;
    other.code = 66;
    const char badMagic[17] = "*Sprite3DFont*\n\r";
    const std::size_t tinyLength = test_support::TinyPng().size();
    const struct {
        const char* name;
        std::vector<unsigned char> block;
        std::set<Problem> expected;
    } cases[] = {
        {"a sound font", PackedFontBuilder().Add({kWhole, other}).Build(), {}},
        {"a wrong magic", PackedFontBuilder().Magic(badMagic).Add(kWhole).Build(), {Problem::BadMagic}},
        {"too short for the header", {'*', 'S', 'p'}, {Problem::TooShort}},
        {"a negative atlas length", PackedFontBuilder().AtlasLength(-5).Add(kWhole).Build(), {Problem::BadAtlasLength}},
        {"an atlas length past the end", PackedFontBuilder().AtlasLength(100000).Add(kWhole).Build(),
         {Problem::BadAtlasLength}},
        // Without its IEND chunk; the records are then read from that chunk's
        // first byte, 0, so the font seems to have none.
        {"an atlas length that cuts the PNG",
         PackedFontBuilder().AtlasLength(static_cast<std::int32_t>(tinyLength) - 12).Add(kWhole).Build(),
         {Problem::AtlasLengthMismatch, Problem::NoGlyphs}},
        {"bytes between the PNG and the records", PackedFontBuilder().Atlas(WithTail(test_support::TinyPng(), 3)).Add(kWhole).Build(),
         {Problem::AtlasLengthMismatch}},
        {"an atlas that does not decode", PackedFontBuilder().Atlas(test_support::BrokenPng()).Add(kWhole).Build(),
         {Problem::AtlasUndecodable}},
        {"an atlas that is no PNG", PackedFontBuilder().Atlas({'n', 'o', 'p', 'e'}).Add(kWhole).Build(),
         {Problem::AtlasUndecodable}},
        {"an atlas without alpha", PackedFontBuilder().Atlas(RgbPng()).Add(kWhole).Build(), {Problem::AtlasWithoutAlpha}},
        // What an empty face or a file that only looked like one converts to.
        {"an atlas without ink", PackedFontBuilder().Atlas(sftools::EncodePng(std::vector<std::uint8_t>(16, 0), 2, 2, 4)).Add(kWhole).Build(),
         {Problem::NoInk}},
        {"no terminator", PackedFontBuilder().Add(kWhole).NoTerminator().Build(), {Problem::NotTerminated}},
        {"a record cut short", PackedFontBuilder().Add(kWhole).RawRecordBytes({66, 1, 0, 2}).NoTerminator().Build(),
         {Problem::RecordCutShort}},
        {"no glyphs", PackedFontBuilder().Build(), {Problem::NoGlyphs}},
        {"a rectangle past the atlas", PackedFontBuilder().Add(wide).Build(), {Problem::RectangleOutsideAtlas}},
        {"a negative rectangle", PackedFontBuilder().Add(negative).Build(), {Problem::RectangleOutsideAtlas}},
        {"a duplicate code", PackedFontBuilder().Add({kWhole, other, kWhole}).Build(), {Problem::DuplicateCode}},
        {"a zero line height", PackedFontBuilder().Add({other, flat}).Build(), {Problem::LineHeightNotPositive}},
        {"two faults at once", PackedFontBuilder().Add({flat, wide}).Build(),
         {Problem::LineHeightNotPositive, Problem::DuplicateCode, Problem::RectangleOutsideAtlas}},
    };
    for (const auto& c : cases) {
        const inspect::FontReport report = inspect::CheckFont(c.block);
        std::set<Problem> found;
        std::string texts;
        for (const inspect::Issue& issue : report.problems) {
            found.insert(issue.kind);
            texts += "\n  " + issue.text;
            EXPECT_EQ(issue.text.find('\n'), std::string::npos) << "one line per problem";
        }
        EXPECT_EQ(found, c.expected) << c.name << texts;
    }
}

TEST(FontCheck, ASoundFontReportsItsAtlasAndRecords) {
    const auto report = inspect::CheckFont(PackedFontBuilder().Add(kWhole).Build());
    EXPECT_TRUE(report.atlasDecoded);
    EXPECT_EQ(report.atlasWidth, 2);
    EXPECT_EQ(report.atlasHeight, 2);
    ASSERT_EQ(report.records.size(), 1u);
    EXPECT_EQ(report.records[0].lineHeight, 10);
    // Code 65 shown as its character, with all eight metrics.
    const std::string table = inspect::GlyphTable(report, 1252);
    EXPECT_NE(table.find("  65  A "), std::string::npos) << table;
}

// Every prefix of a sound font is checked without reading past its end.
TEST(FontCheck, EveryTruncationIsReportedNotOverrun) {
    const auto whole = PackedFontBuilder().Add({kWhole, kWhole}).Build();
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const std::vector<unsigned char> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(inspect::CheckFont(cut).problems.empty()) << n;
    }
}

}  // namespace
