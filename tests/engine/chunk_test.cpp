// The chunks after the terminator: kerning pairs and font metrics, what the
// sized load keeps of a damaged list, and that the unsized load ignores them.
#include <gtest/gtest.h>

#include "packed_font_builder.h"
#include "packed_format.h"
#include "recording_platform.h"

using namespace test_support;

namespace {

class Chunks : public ::testing::Test {
protected:
    void SetUp() override { InitSpriteFonts(); }
    static FontId Load(const std::vector<unsigned char>& block) {
        return LoadSpriteFont(AutoId, block.data(), block.size());
    }
    static PackedFontBuilder Base() { return std::move(PackedFontBuilder().Add({CellGlyph('A'), CellGlyph('V')})); }
    static SpriteFontMetrics MetricsOf(FontId id) {
        SpriteFontMetrics m{};
        EXPECT_TRUE(GetSpriteFontMetrics(id, &m));
        return m;
    }
};

TEST_F(Chunks, KerningAndMetricsReachTheFont) {
    const FontId id = Load(Base().Metrics(50, 38, 1251, 2, 4).Kerning({{'A', 'V', -7}, {'V', 'A', 3}}).Build());
    EXPECT_EQ(SpriteFontKerning(id, 'A', 'V'), -7);
    EXPECT_EQ(SpriteFontKerning(id, 'V', 'A'), 3);
    EXPECT_EQ(SpriteFontKerning(id, 'A', 'A'), 0);
    const SpriteFontMetrics m = MetricsOf(id);
    EXPECT_TRUE(m.hasMetrics);
    EXPECT_EQ((std::array{m.lineHeight, m.baseline, m.codePage, m.fieldKind, m.fieldRange, m.kerningPairs}),
              (std::array{50, 38, 1251, 2, 4, 2}));
    EXPECT_EQ(m.color, 0xFFFFFFu);
}

TEST_F(Chunks, WithoutMetricsTheTallestRecordGivesTheLineHeight) {
    const FontId id = Load(PackedFontBuilder().Add({CellGlyph('A', -2, 20, 44), CellGlyph('B', -2, 20, 61)}).Build());
    const SpriteFontMetrics m = MetricsOf(id);
    EXPECT_FALSE(m.hasMetrics);
    EXPECT_EQ(m.lineHeight, 61);
    EXPECT_EQ(m.codePage, 0);
    EXPECT_EQ(SpriteFontKerning(id, 'A', 'B'), 0);
}

TEST_F(Chunks, UnknownTagsAreSkippedAndAnEightByteMetricsChunkIsEnough) {
    const FontId id = Load(Base()
                               .Chunk("ZZZZ", {1, 2, 3})
                               .Chunk("METR", {40, 0, 30, 0, 0xE4, 0x04, 0, 0})  // 40, 30, 1252
                               .Kerning({{'A', 'V', -2}})
                               .Build());
    const SpriteFontMetrics m = MetricsOf(id);
    EXPECT_EQ((std::array{m.lineHeight, m.baseline, m.codePage, m.fieldKind}), (std::array{40, 30, 1252, 0}));
    EXPECT_EQ(SpriteFontKerning(id, 'A', 'V'), -2);
}

// Damage ends the list: every glyph and every whole chunk before it stays.
TEST_F(Chunks, DamageIsIgnoredFromWhereItStarts) {
    const std::vector<unsigned char> absurdCount = {0xFF, 0xFF, 0xFF, 0x7F, 'A', 'V', 1, 0};
    struct Case {
        const char* name;
        std::vector<unsigned char> block;
        sprite_font_format::Fault fault;
    };
    const Case cases[] = {
        {"length past the end", Base().Kerning({{'A', 'V', -7}}).ChunkWithLength("METR", 1000, {1, 2}).Build(),
         sprite_font_format::Fault::ChunkPastEnd},
        {"absurd count", Base().Kerning({{'A', 'V', -7}}).Chunk("KERN", absurdCount).Build(),
         sprite_font_format::Fault::KerningCountAbsurd},
        {"pair naming code 0", Base().Kerning({{'A', 'V', -7}}).Kerning({{'V', 'A', 5}, {0, 'A', 1}}).Build(),
         sprite_font_format::Fault::KerningCodeZero},
        {"header cut short", Base().Kerning({{'A', 'V', -7}}).Trailing({'M', 'E', 'T'}).Build(),
         sprite_font_format::Fault::ChunkCutShort},
        {"metrics too short", Base().Kerning({{'A', 'V', -7}}).Chunk("METR", {1, 2, 3}).Build(),
         sprite_font_format::Fault::MetricsTooShort},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FontId id = Load(c.block);
        EXPECT_EQ(GetSpriteFont(id)->glyphs['A'].present, 1);
        EXPECT_EQ(GetSpriteFont(id)->glyphs['V'].present, 1);
        EXPECT_EQ(SpriteFontKerning(id, 'A', 'V'), -7);  // the whole chunk before the damage
        EXPECT_EQ(SpriteFontKerning(id, 'V', 'A'), 0);   // nothing of the damaged one
        EXPECT_FALSE(MetricsOf(id).hasMetrics);

        // The shared reader names the same damage for the tools.
        const auto layout = sprite_font_format::ReadLayout(c.block.data(), c.block.size());
        sprite_font_format::ChunkReader reader(c.block.data(), c.block.size(), layout);
        sprite_font_format::Chunk chunk;
        sprite_font_format::Fault fault = sprite_font_format::Fault::None;
        while (reader.Next(&chunk)) {
            sprite_font_format::Metrics metrics;
            std::uint32_t count = 0;
            if (sprite_font_format::IsTag(chunk, sprite_font_format::kKerningTag))
                fault = sprite_font_format::CheckKerning(chunk, &count);
            else if (sprite_font_format::IsTag(chunk, sprite_font_format::kMetricsTag))
                fault = sprite_font_format::ReadMetrics(chunk, &metrics);
            if (fault != sprite_font_format::Fault::None) break;
        }
        if (fault == sprite_font_format::Fault::None) fault = reader.fault();
        EXPECT_EQ(fault, c.fault);
    }
}

TEST_F(Chunks, TheUnsizedLoadStopsAtTheTerminator) {
    const auto block = Base().Metrics(50, 38, 1252).Kerning({{'A', 'V', -7}}).Build();
    const FontId id = LoadSpriteFont(AutoId, block.data());
    EXPECT_EQ(GetSpriteFont(id)->glyphs['V'].present, 1);
    EXPECT_EQ(SpriteFontKerning(id, 'A', 'V'), 0);
    EXPECT_FALSE(MetricsOf(id).hasMetrics);
}

TEST_F(Chunks, UnknownIdsAnswerZero) {
    EXPECT_EQ(SpriteFontKerning(0xFFFF0000u, 'A', 'V'), 0);
    EXPECT_EQ(SetSpriteFontColor(0xFFFF0000u, 0xFF), 0);
    SpriteFontMetrics m{};
    EXPECT_FALSE(GetSpriteFontMetrics(0xFFFF0000u, &m));
    const FontId id = Load(Base().Build());
    EXPECT_FALSE(GetSpriteFontMetrics(id, nullptr));
}

// The tint is the 3D sprite's state: passed on at once, and drawing itself
// makes the same calls as untinted.
TEST_F(Chunks, TheTintGoesToTheFontsSpriteOnce) {
    RecordingPlatform platform;
    ScopedPlatform scoped(&platform);
    const FontId id = Load(Base().Build());
    const SpriteHandle sprite3D = GetSpriteFont(id)->sprite3D;
    platform.log.clear();
    SetSpriteFontColor(id, 0xFF3366CCu);
    DrawSpriteFontText(id, 10, 10, "A", -1.0f, -1.0f);
    const auto calls = platform.DrawCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), Color(sprite3D, 0x3366CC));
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.op == Op::Color; }), 1);
    SpriteFontMetrics m{};
    GetSpriteFontMetrics(id, &m);
    EXPECT_EQ(m.color, 0x3366CCu);
}

}  // namespace
