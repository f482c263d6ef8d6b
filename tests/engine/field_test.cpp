// Distance-field fonts in the engine: the platform learns of a field at
// load, corrupt field metadata leaves plain drawing, effects reach the
// platform only for field fonts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "packed_font_builder.h"
#include "recording_platform.h"

using namespace test_support;

namespace {

class Fields : public ::testing::Test {
protected:
    void SetUp() override { InitSpriteFonts(); }
    RecordingPlatform platform;
    ScopedPlatform scope{&platform};
    FontId Load(std::uint8_t kind, std::uint16_t range) {
        const auto block = PackedFontBuilder().Add({CellGlyph('A')}).Metrics(50, 38, 1252, kind, range).Build();
        return LoadSpriteFont(AutoId, block.data(), block.size());
    }
    std::vector<Call> FieldCalls() const {
        std::vector<Call> out;
        for (const Call& c : platform.log)
            if (c.op == Op::Field || c.op == Op::FieldEffects) out.push_back(c);
        return out;
    }
};

TEST_F(Fields, KnownKindsReachThePlatformOnceAtLoad) {
    for (std::uint8_t kind : std::initializer_list<std::uint8_t>{1, 2}) {
        platform.log.clear();
        const FontId id = Load(kind, 6);
        const SpriteHandle quad = GetSpriteFont(id)->sprite3D;
        ASSERT_NE(quad, 0);
        EXPECT_EQ(FieldCalls(), (std::vector<Call>{Field(quad, kind, 6.0f)}));
        SpriteFontMetrics m{};
        ASSERT_TRUE(GetSpriteFontMetrics(id, &m));
        EXPECT_EQ(m.fieldKind, kind);
        EXPECT_EQ(m.fieldRange, 6);
        // Drawing is the same three calls a glyph as for any font: no field call per draw.
        platform.log.clear();
        DrawSpriteFontText(id, 10, 10, "AA", -1.0f, 2.0f);
        EXPECT_TRUE(FieldCalls().empty());
    }
}

// A kind this version does not know, or a range of 0, would draw nothing
// sensible as a field: the font draws as plain coverage and says it is one.
TEST_F(Fields, CorruptMetadataIsPlainCoverage) {
    struct Case {
        std::uint8_t kind;
        std::uint16_t range;
    };
    for (const Case c : {Case{0, 4}, Case{3, 4}, Case{255, 4}, Case{1, 0}, Case{2, 0}}) {
        SCOPED_TRACE(testing::Message() << "kind " << int{c.kind} << " range " << c.range);
        platform.log.clear();
        const FontId id = Load(c.kind, c.range);
        EXPECT_TRUE(FieldCalls().empty());
        SpriteFontMetrics m{};
        ASSERT_TRUE(GetSpriteFontMetrics(id, &m));
        EXPECT_EQ(m.fieldKind, 0);
        EXPECT_EQ(m.fieldRange, 0);
        // Effects have nothing to work on either.
        SpriteFontFieldEffects e;
        e.outlineWidth = 2.0f;
        SetSpriteFontFieldEffects(id, e);
        EXPECT_TRUE(FieldCalls().empty());
        SpriteFontFieldEffects got;
        ASSERT_TRUE(GetSpriteFontFieldEffects(id, &got));
        EXPECT_EQ(got.outlineWidth, 0.0f);
    }
}

TEST_F(Fields, NoAtlasNoCall) {
    platform.failSprite = true;
    Load(2, 4);
    EXPECT_TRUE(FieldCalls().empty());
}

TEST_F(Fields, EffectsAreCleanedAndPassedOn) {
    const FontId id = Load(2, 8);
    const SpriteHandle quad = GetSpriteFont(id)->sprite3D;
    platform.log.clear();
    SpriteFontFieldEffects e;
    e.outlineWidth = -3.0f;                                   // negative: none
    e.outlineColor = 0xFF112233;                              // top byte dropped
    e.shadowOffsetX = -2.0f;                                  // offsets keep their sign
    e.shadowOffsetY = std::numeric_limits<float>::quiet_NaN();  // NaN: 0
    e.shadowSoftness = std::numeric_limits<float>::quiet_NaN();
    e.shadowColor = 0x0000FF;
    e.shadowOpacity = 300;                                    // clamped
    SetSpriteFontFieldEffects(id, e);
    SpriteFontFieldEffects want;
    want.outlineWidth = 0.0f;
    want.outlineColor = 0x112233;
    want.shadowOffsetX = -2.0f;
    want.shadowOffsetY = 0.0f;
    want.shadowSoftness = 0.0f;
    want.shadowColor = 0x0000FF;
    want.shadowOpacity = 255;
    EXPECT_EQ(FieldCalls(), (std::vector<Call>{FieldEffects(quad, want)}));
    SpriteFontFieldEffects got;
    ASSERT_TRUE(GetSpriteFontFieldEffects(id, &got));
    EXPECT_EQ(FieldEffects(quad, got), FieldEffects(quad, want));
    EXPECT_FALSE(GetSpriteFontFieldEffects(id, nullptr));
    EXPECT_FALSE(GetSpriteFontFieldEffects(12345, &got));
    SetSpriteFontFieldEffects(12345, e);  // unknown id: nothing
    EXPECT_EQ(FieldCalls().size(), 1u);
}

// The unsized load reads no chunks: a field font loaded that way is plain.
TEST_F(Fields, UnsizedLoadIsPlain) {
    const auto block = PackedFontBuilder().Add({CellGlyph('A')}).Metrics(50, 38, 1252, 2, 4).Build();
    const FontId id = LoadSpriteFont(AutoId, block.data());
    EXPECT_TRUE(FieldCalls().empty());
    SpriteFontMetrics m{};
    ASSERT_TRUE(GetSpriteFontMetrics(id, &m));
    EXPECT_EQ(m.fieldKind, 0);
}

}  // namespace
