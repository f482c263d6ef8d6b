// The font table, handles and style parameters.
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "packed_font_builder.h"

using namespace test_support;

namespace {

class Registry : public ::testing::Test {
protected:
    void SetUp() override { InitSpriteFonts(); }
    std::vector<unsigned char> block_ = PackedFontBuilder().Add(CellGlyph('A')).Build();
    FontId Load(FontId id) { return LoadSpriteFont(id, block_.data(), block_.size()); }
};

std::vector<SpriteFont*> TableSnapshot() {
    std::vector<SpriteFont*> slots(65536);
    for (FontId id = 0; id < 65536; ++id) slots[id] = GetSpriteFont(id);
    return slots;
}

}  // namespace

TEST_F(Registry, FreshFontHasTheDefaults) {
    const SpriteFont& font = *GetSpriteFont(Load(AutoId));
    EXPECT_EQ(font.StyleTransparency, 255);
    EXPECT_EQ(font.StyleSize, 1.0f);
    for (float v : {font.StyleRotation, font.StyleArc, font.StyleAlignX, font.StyleAlignY, font.StyleMaxLength})
        EXPECT_EQ(std::bit_cast<std::uint32_t>(v), 0u) << v;  // +0.0, not -0.0
}

TEST_F(Registry, SmallIdAndHandleNameTheSameFont) {
    const FontId handle = Load(1);
    EXPECT_GE(handle, 65536u);
    EXPECT_EQ(GetSpriteFont(1), GetSpriteFont(handle));
    EXPECT_EQ(reinterpret_cast<FontId>(GetSpriteFont(handle)), handle);
}

TEST_F(Registry, AutoIdLeavesTheTableAlone) {
    const auto before = TableSnapshot();
    const FontId handle = Load(AutoId);
    EXPECT_NE(GetSpriteFont(handle), nullptr);
    EXPECT_EQ(TableSnapshot(), before);
}

TEST_F(Registry, ReloadingAnIdKeepsTheEarlierFontUnderItsHandle) {
    const FontId first = Load(7);
    SetSpriteFontStyle(first, StyleSize, 3.0f);
    const FontId second = Load(7);
    EXPECT_NE(first, second);
    EXPECT_EQ(GetSpriteFont(7), GetSpriteFont(second));
    EXPECT_EQ(GetSpriteFont(first)->StyleSize, 3.0f);
    EXPECT_EQ(GetSpriteFont(second)->StyleSize, 1.0f);
}

TEST_F(Registry, IdsThatNameNoFont) {
    EXPECT_EQ(GetSpriteFont(65535), nullptr);  // never loaded in these tests
    EXPECT_EQ(GetSpriteFont(AutoId), nullptr);
    EXPECT_EQ(GetSpriteFont(65536), nullptr);
    std::mt19937_64 random(12345);
    for (int i = 0; i < 1000; ++i) EXPECT_EQ(GetSpriteFont(random() | 0x10000), nullptr);
    // A handle one byte off a real one is not a font either.
    EXPECT_EQ(GetSpriteFont(Load(AutoId) + 1), nullptr);
}

TEST_F(Registry, LoadWithAnIdOutsideTheTableMakesNoFont) {
    const auto before = TableSnapshot();
    for (FontId id : {FontId{65536}, FontId{0x12345678}, AutoId - 1}) EXPECT_EQ(Load(id), 0u) << id;
    EXPECT_EQ(TableSnapshot(), before);
}

TEST_F(Registry, TransparencyRoundsHalvesToEvenAndSaturates) {
    const FontId font = Load(AutoId);
    const struct {
        float value;
        std::int32_t stored;
    } cases[] = {{127.5f, 128}, {128.5f, 128}, {254.5f, 254}, {255.5f, 256}, {-0.5f, 0}, {255.4f, 255},
                 {300.0f, 300}, {-3.7f, -4}, {std::nanf(""), 0}, {3e38f, INT32_MAX}, {-3e38f, INT32_MIN}};
    for (const auto& c : cases) {
        EXPECT_EQ(SetSpriteFontStyle(font, StyleTransparency, c.value), 0);
        EXPECT_EQ(GetSpriteFont(font)->StyleTransparency, c.stored) << c.value;
    }
}

TEST_F(Registry, FloatKindsStoreTheValueUnchanged) {
    const FontId font = Load(AutoId);
    SpriteFont& f = *GetSpriteFont(font);
    float* fields[] = {&f.StyleSize, &f.StyleRotation, &f.StyleArc, &f.StyleAlignX, &f.StyleAlignY, &f.StyleMaxLength};
    for (std::int32_t kind = StyleSize; kind <= StyleMaxLength; ++kind) {
        for (float v : {-12.25f, 0.0f, -0.0f, 1e-45f, 7.5f}) {
            EXPECT_EQ(SetSpriteFontStyle(font, kind, v), 0);
            EXPECT_EQ(std::bit_cast<std::uint32_t>(*fields[kind - 1]), std::bit_cast<std::uint32_t>(v)) << kind;
        }
    }
}

TEST_F(Registry, UnknownKindsAndFontsChangeNothing) {
    const FontId font = Load(AutoId);
    const SpriteFont before = *GetSpriteFont(font);
    for (std::int32_t kind : {7, -1, 100, INT32_MIN}) EXPECT_EQ(SetSpriteFontStyle(font, kind, 42.0f), 0);
    EXPECT_EQ(std::memcmp(&before, GetSpriteFont(font), sizeof before), 0);
    for (FontId id : {FontId{65535}, AutoId, FontId{0xDEADBEEF0000}}) EXPECT_EQ(SetSpriteFontStyle(id, StyleSize, 2.0f), 0);
}

TEST_F(Registry, StylesBelongToOneFont) {
    const FontId a = Load(AutoId);
    const FontId b = Load(AutoId);
    SetSpriteFontStyle(a, StyleSize, 4.0f);
    EXPECT_EQ(GetSpriteFont(b)->StyleSize, 1.0f);
}

TEST_F(Registry, SecondInitKeepsLoadedFonts) {
    const FontId handle = Load(3);
    InitSpriteFonts();
    EXPECT_EQ(GetSpriteFont(3), GetSpriteFont(handle));
    EXPECT_NE(GetSpriteFont(handle), nullptr);
}
