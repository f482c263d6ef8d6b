// Reading packed font blocks: where the records are found, how metrics are
// widened, and what a damaged block keeps.
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "packed_font_builder.h"
#include "recording_platform.h"

using namespace test_support;

namespace {

class Reader : public ::testing::Test {
protected:
    void SetUp() override { InitSpriteFonts(); }

    const SpriteFont& LoadSized(const std::vector<unsigned char>& block) {
        const FontId handle = LoadSpriteFont(AutoId, block.data(), block.size());
        const SpriteFont* font = GetSpriteFont(handle);
        EXPECT_NE(font, nullptr);
        return *font;
    }

    static int GlyphCount(const SpriteFont& font) {
        int n = 0;
        for (const GlyphSlot& g : font.glyphs) n += g.present;
        return n;
    }
};

bool SlotIsZero(const GlyphSlot& g) {
    static const GlyphSlot zero{};
    return std::memcmp(&g, &zero, sizeof g) == 0;
}

}  // namespace

TEST_F(Reader, TerminatorRightAfterThePngGivesNoGlyphs) {
    const SpriteFont& font = LoadSized(PackedFontBuilder().Build());
    for (const GlyphSlot& g : font.glyphs) EXPECT_TRUE(SlotIsZero(g));
}

TEST_F(Reader, MetricsAreSignedSixteenBitInTableOrder) {
    const auto block = PackedFontBuilder()
                           .Add(Record{65, -1, -32768, 32767, 44, 1, 2, 3, 4})
                           .Add(Record{255, 5, 6, 7, 8, 9, 10, 11, 12})
                           .Build();
    const SpriteFont& font = LoadSized(block);
    const GlyphSlot& a = font.glyphs[65];
    EXPECT_EQ((std::array{a.present, a.offsetX, a.offsetY, a.advance, a.lineHeight, a.srcX, a.srcY, a.srcWidth,
                          a.srcHeight}),
              (std::array{1, -1, -32768, 32767, 44, 1, 2, 3, 4}));
    EXPECT_EQ(font.glyphs[255].srcHeight, 12);
    EXPECT_EQ(font.glyphs[255].present, 1);
    EXPECT_EQ(GlyphCount(font), 2);
    EXPECT_TRUE(SlotIsZero(font.glyphs[0]));
    EXPECT_TRUE(SlotIsZero(font.glyphs[66]));
}

TEST_F(Reader, LaterRecordOfACodeReplacesTheEarlierInFull) {
    const auto block =
        PackedFontBuilder().Add(Record{70, 1, 2, 3, 4, 5, 6, 7, 8}).Add(Record{70, 0, 0, 9, 0, 0, 0, 0, 0}).Build();
    const GlyphSlot& g = LoadSized(block).glyphs[70];
    EXPECT_EQ((std::array{g.offsetX, g.offsetY, g.advance, g.lineHeight, g.srcX, g.srcY, g.srcWidth, g.srcHeight}),
              (std::array{0, 0, 9, 0, 0, 0, 0, 0}));
}

TEST_F(Reader, MagicIsNotCompared) {
    const auto normal = PackedFontBuilder().Add(CellGlyph('A')).Build();
    const auto other = PackedFontBuilder().Magic("0123456789abcdef").Add(CellGlyph('A')).Build();
    EXPECT_EQ(std::memcmp(LoadSized(normal).glyphs, LoadSized(other).glyphs, sizeof(SpriteFont::glyphs)), 0);
    EXPECT_EQ(GlyphCount(LoadSized(other)), 1);
}

TEST_F(Reader, RecordsAreFoundThroughTheAtlasLengthAlone) {
    // Three stray bytes after the PNG's IEND, counted in the atlas length.
    auto atlas = TinyPng();
    atlas.insert(atlas.end(), {1, 2, 3});
    const auto block = PackedFontBuilder().Atlas(atlas).Add(CellGlyph('Q')).Build();
    EXPECT_EQ(LoadSized(block).glyphs['Q'].present, 1);
    EXPECT_EQ(GlyphCount(LoadSized(block)), 1);
}

TEST_F(Reader, DamagedBlocksKeepTheCompleteRecordsBeforeTheDamage) {
    const std::vector<unsigned char> partial = {'B', 1, 0, 2, 0};  // a record cut short
    const struct {
        const char* name;
        std::vector<unsigned char> block;
        int glyphs;
    } cases[] = {
        {"record cut short", PackedFontBuilder().Add(CellGlyph('A')).RawRecordBytes(partial).NoTerminator().Build(), 1},
        {"no terminator", PackedFontBuilder().Add({CellGlyph('A'), CellGlyph('B')}).NoTerminator().Build(), 2},
        {"negative atlas length", PackedFontBuilder().AtlasLength(-20).Add(CellGlyph('A')).Build(), 0},
        {"atlas length past the end", PackedFontBuilder().AtlasLength(1 << 30).Add(CellGlyph('A')).Build(), 0},
        {"atlas length INT32_MAX", PackedFontBuilder().AtlasLength(INT32_MAX).Add(CellGlyph('A')).Build(), 0},
        {"header only", std::vector<unsigned char>(20, 0), 0},
        {"shorter than the header", std::vector<unsigned char>(7, 0), 0},
        {"empty", {}, 0},
    };
    for (const auto& c : cases) {
        // A copy of exactly the block's size lets the sanitizers see any read past it.
        const auto exact = std::make_unique<unsigned char[]>(c.block.size() + (c.block.empty() ? 1 : 0));
        std::copy(c.block.begin(), c.block.end(), exact.get());
        const FontId handle = LoadSpriteFont(AutoId, exact.get(), c.block.size());
        ASSERT_NE(handle, 0u) << c.name;
        EXPECT_EQ(GlyphCount(*GetSpriteFont(handle)), c.glyphs) << c.name;
    }
}

TEST_F(Reader, NullDataLoadsAnEmptyFont) {
    for (FontId handle : {LoadSpriteFont(AutoId, nullptr), LoadSpriteFont(AutoId, nullptr, 100)}) {
        ASSERT_NE(GetSpriteFont(handle), nullptr);
        EXPECT_EQ(GlyphCount(*GetSpriteFont(handle)), 0);
        EXPECT_EQ(GetSpriteFont(handle)->StyleTransparency, 255);
    }
}

TEST_F(Reader, UnsizedLoadReadsUpToTheTerminator) {
    const auto block = PackedFontBuilder().Add({CellGlyph('x'), CellGlyph('y')}).Build();
    EXPECT_EQ(GlyphCount(*GetSpriteFont(LoadSpriteFont(AutoId, block.data()))), 2);
}

TEST_F(Reader, AtlasGoesToThePlatformWithTheBlocksBytesOnly) {
    RecordingPlatform platform;
    ScopedPlatform scope(&platform);
    const auto block = PackedFontBuilder().Add(CellGlyph('A')).Build();
    const FontId sized = LoadSpriteFont(AutoId, block.data(), block.size());
    const FontId unsized = LoadSpriteFont(AutoId, block.data());

    Call sprite{Op::CreateSprite, AutoHandle, {SpriteFlag3D | SpriteFlagAlpha, 0, 0}};
    sprite.data = block.data() + 20;
    Call sized3D{Op::CreateSprite3D, AutoHandle, {100, 0, 0}};
    Call unsized3D{Op::CreateSprite3D, AutoHandle, {102, 0, 0}};
    Call sizedSprite = sprite, unsizedSprite = sprite;
    sizedSprite.size = block.size() - 20;
    unsizedSprite.size = UnknownSize;
    EXPECT_EQ(platform.log, (std::vector<Call>{sizedSprite, sized3D, unsizedSprite, unsized3D}));
    EXPECT_EQ(GetSpriteFont(sized)->sprite, 100);
    EXPECT_EQ(GetSpriteFont(sized)->sprite3D, 101);
    EXPECT_EQ(GetSpriteFont(unsized)->sprite3D, 103);
}

TEST_F(Reader, AtlasThatDoesNotBecomeASpriteStillGivesTheGlyphs) {
    RecordingPlatform refusing;
    refusing.failSprite = true;
    const auto block = PackedFontBuilder().Atlas(BrokenPng()).Add({CellGlyph('A'), CellGlyph('B')}).Build();
    for (SpritePlatform* platform : {static_cast<SpritePlatform*>(&refusing), static_cast<SpritePlatform*>(nullptr)}) {
        ScopedPlatform scope(platform);
        const SpriteFont& font = LoadSized(block);
        EXPECT_EQ(font.sprite, 0);
        EXPECT_EQ(font.sprite3D, 0);
        EXPECT_EQ(GlyphCount(font), 2);
        EXPECT_EQ(font.StyleSize, 1.0f);
    }
    // The 3D sprite is still asked for, over sprite 0, and refused.
    EXPECT_EQ(refusing.log.back(), (Call{Op::CreateSprite3D, AutoHandle, {0, 0, 0}}));
}
