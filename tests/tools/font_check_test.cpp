// The inspector's checks: each broken font is flagged with exactly the
// problems it has, and a sound one with none.
#include <gtest/gtest.h>

#include <set>

#include "font_check.h"
#include "packed_font_builder.h"
#include "png_io.h"
#include "sprite_font.h"

namespace {

using inspect::Problem;
using sprite_font_format::Fault;
using test_support::KernPair;
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

// The chunks after the terminator: damage as the engine's reader names it,
// and what the chunks say checked against the glyphs. After each check the
// engine loads the same block and must keep what the inspector listed.
TEST(FontCheck, ChunksAreCheckedAsTheEngineReadsThem) {
    Record b = kWhole;
    b.code = 66;
    const auto font = [&] { return PackedFontBuilder().Add({kWhole, b}); };
    const std::vector<unsigned char> zeroPair = {1, 0, 0, 0, 65, 0, 0xFF, 0xFF};  // count 1, (65, 0)
    const std::vector<unsigned char> wrongCount = {2, 0, 0, 0, 65, 66, 0xFF, 0xFF};  // count 2, one pair
    const struct {
        const char* name;
        std::vector<unsigned char> block;
        std::set<Problem> expected;
        Fault fault;
        std::size_t kerning;  // pairs listed
        bool metrics;         // a metrics chunk listed
    } cases[] = {
        {"metrics and kerning", font().Metrics(12, 9, 1252).Kerning({{65, 66, -2}, {66, 65, 1}}).Build(), {}, Fault::None, 2,
         true},
        {"an unknown tag is skipped", font().Chunk("ZZZZ", {1, 2, 3}).Kerning({{65, 66, -2}}).Build(), {}, Fault::None, 1,
         false},
        {"no code page stated", font().Metrics(12, 9, 0).Build(), {}, Fault::None, 0, true},
        {"a chunk header cut short", font().Kerning({{65, 66, -2}}).Trailing({'M', 'E', 'T'}).Build(),
         {Problem::ChunkDamaged}, Fault::ChunkCutShort, 1, false},
        {"a length past the end", font().Metrics(12, 9, 1252).ChunkWithLength("KERN", 400, {1, 0, 0, 0}).Build(),
         {Problem::ChunkDamaged}, Fault::ChunkPastEnd, 0, true},
        {"a count that disagrees with the length", font().Chunk("KERN", wrongCount).Metrics(12, 9, 1252).Build(),
         {Problem::ChunkDamaged}, Fault::KerningCountAbsurd, 0, false},
        {"a pair naming code 0", font().Kerning({{65, 66, -2}}).Chunk("KERN", zeroPair).Build(), {Problem::ChunkDamaged},
         Fault::KerningCodeZero, 1, false},
        {"a metrics chunk too short", font().Chunk("METR", {12, 0, 9, 0}).Build(), {Problem::ChunkDamaged},
         Fault::MetricsTooShort, 0, false},
        {"a pair naming a code without a glyph", font().Kerning({{65, 66, -2}, {65, 90, 3}, {91, 65, 1}}).Build(),
         {Problem::KerningWithoutGlyph}, Fault::None, 3, false},
        {"a metrics line height of 0", font().Metrics(0, 9, 1252).Build(), {Problem::MetricsLineHeightNotPositive},
         Fault::None, 0, true},
        {"a negative metrics line height", font().Metrics(-4, 9, 1252).Build(), {Problem::MetricsLineHeightNotPositive},
         Fault::None, 0, true},
        {"an unknown code page", font().Metrics(12, 9, 4242).Build(), {Problem::UnknownCodePage}, Fault::None, 0, true},
        {"an unknown field kind", font().Metrics(12, 9, 1252, 7, 4).Build(), {Problem::UnknownFieldKind}, Fault::None, 0,
         true},
    };
    InitSpriteFonts();
    SetSpritePlatform(nullptr);  // records and chunks only
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
        EXPECT_EQ(report.chunkFault, c.fault) << c.name;
        EXPECT_EQ(report.kerning.size(), c.kerning) << c.name;
        EXPECT_EQ(report.metrics.has_value(), c.metrics) << c.name;
        // The glyphs are never lost to damage after them.
        EXPECT_EQ(report.records.size(), 2u) << c.name;

        const FontId id = LoadSpriteFont(AutoId, c.block.data(), c.block.size());
        SpriteFontMetrics m{};
        ASSERT_TRUE(GetSpriteFontMetrics(id, &m));
        EXPECT_EQ(m.hasMetrics, c.metrics) << c.name;
        for (const auto& pair : report.kerning)
            EXPECT_EQ(SpriteFontKerning(id, pair.first, pair.second), pair.amount) << c.name;
        EXPECT_EQ(m.kerningPairs, static_cast<std::int32_t>(c.kerning)) << c.name;
    }
}

// A font cut anywhere in its chunk list keeps its glyphs and whole chunks,
// and the cut is damage unless it falls between chunks.
TEST(FontCheck, EveryCutOfTheChunkListIsDamageOrABoundary) {
    Record b = kWhole;
    b.code = 66;
    const auto glyphsOnly = PackedFontBuilder().Add({kWhole, b}).Build();
    const auto whole = PackedFontBuilder().Add({kWhole, b}).Metrics(12, 9, 1252).Kerning({{65, 66, -2}}).Build();
    const std::size_t metricsEnd = glyphsOnly.size() + 8 + 12;
    for (std::size_t n = glyphsOnly.size(); n <= whole.size(); ++n) {
        const std::vector<unsigned char> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        const auto report = inspect::CheckFont(cut);
        const bool boundary = n == glyphsOnly.size() || n == metricsEnd || n == whole.size();
        EXPECT_EQ(report.Has(Problem::ChunkDamaged), !boundary) << n;
        EXPECT_EQ(report.problems.size(), boundary ? 0u : 1u) << n;
        EXPECT_EQ(report.records.size(), 2u) << n;
        EXPECT_EQ(report.metrics.has_value(), n >= metricsEnd) << n;
        EXPECT_EQ(report.kerning.size(), n == whole.size() ? 1u : 0u) << n;
    }
}

TEST(FontCheck, TheMetricsLineAndTheKerningTable) {
    Record euro = kWhole;
    euro.code = 0xA4;
    const auto report = inspect::CheckFont(
        PackedFontBuilder().Add({kWhole, euro}).Metrics(12, 9, CodePageLatin9).Kerning({{65, 0xA4, -3}}).Build());
    ASSERT_TRUE(report.problems.empty()) << report.problems.front().text;
    EXPECT_EQ(inspect::MetricsLine(report), "metrics: line height 12, baseline 9, code page Latin-9 (28605)");
    EXPECT_EQ(inspect::FontCodePage(report, CodePageWindows1252), CodePageLatin9);
    // 0xA4 is the euro sign in Latin-9 and the currency sign in Windows-1252.
    const std::string table = inspect::KerningTable(report, inspect::FontCodePage(report, CodePageWindows1252));
    EXPECT_NE(table.find("   65    164  A\xE2\x82\xAC"), std::string::npos) << table;
    EXPECT_NE(table.find("-3\n"), std::string::npos) << table;
    EXPECT_EQ(inspect::ChunkList(report), "chunk METR at byte " + std::to_string(report.chunks[0].offset) +
                                              ", 12 bytes\nchunk KERN at byte " +
                                              std::to_string(report.chunks[0].offset + 20) + ", 8 bytes\n");
    const auto field = inspect::CheckFont(PackedFontBuilder().Add(kWhole).Metrics(12, 9, 1252, 2, 4).Build());
    EXPECT_NE(inspect::MetricsLine(field).find("multi-channel distance field, range 4"), std::string::npos);
}

}  // namespace
