// The atlas of the embedded demonstration font, decoded with libpng on its
// own: its format, and that every glyph's artwork sits where the metrics
// expect it.
#include <gtest/gtest.h>
#include <png.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "demo_font.h"
#include "sprite_font.h"

namespace {

constexpr int kAtlasSize = 1024;
constexpr int kCell = 64;
// Every glyph's artwork, shadow included, lies within these cell columns and rows.
constexpr int kBoxLeft = 1, kBoxRight = 52, kBoxTop = 2, kBoxBottom = 54;
constexpr std::array<int, 5> kBlanks = {32, 176, 177, 181, 247};

std::span<const std::uint8_t> Block() { return {kDemoFont, kDemoFontSize}; }

std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint32_t Be32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

std::span<const std::uint8_t> AtlasPng() {
    const auto block = Block();
    if (block.size() < 20) return {};
    const std::uint32_t length = Le32(block.data() + 16);
    if (length > block.size() - 20) return {};
    return block.subspan(20, length);
}

struct Atlas {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    int Alpha(int x, int y) const { return rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3]; }
    const std::uint8_t* Texel(int x, int y) const {
        return &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
    }
};

const std::optional<Atlas>& DecodedAtlas() {
    static const std::optional<Atlas> atlas = []() -> std::optional<Atlas> {
        const auto png = AtlasPng();
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return std::nullopt;
        if ((image.format & PNG_FORMAT_FLAG_ALPHA) == 0) {
            png_image_free(&image);
            return std::nullopt;
        }
        image.format = PNG_FORMAT_RGBA;
        Atlas a;
        a.width = static_cast<int>(image.width);
        a.height = static_cast<int>(image.height);
        a.rgba.resize(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, a.rgba.data(), 0, nullptr)) return std::nullopt;
        return a;
    }();
    return atlas;
}

const SpriteFont* LoadedFont() {
    static const SpriteFont* font = [] {
        InitSpriteFonts();
        // No platform: the load reads the glyph records and makes no sprites.
        return GetSpriteFont(LoadSpriteFont(AutoId, kDemoFont, kDemoFontSize));
    }();
    return font;
}

bool IsBlank(int code) {
    for (int b : kBlanks)
        if (b == code) return true;
    return false;
}

// A cell that carries artwork: a glyph that moves the pen and is not a blank.
bool IsDrawn(int code) {
    const GlyphSlot& g = LoadedFont()->glyphs[code];
    return g.present != 0 && g.advance > 0 && !IsBlank(code);
}

struct CellInk {
    int texels = 0, maxAlpha = 0;
    int left = -1, right = -1, top = -1, bottom = -1;
};

CellInk InkOf(const Atlas& atlas, int code) {
    CellInk ink;
    const int cx = kCell * (code % 16), cy = kCell * (code / 16);
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) {
            const int a = atlas.Alpha(cx + x, cy + y);
            if (a == 0) continue;
            ++ink.texels;
            ink.maxAlpha = std::max(ink.maxAlpha, a);
            if (ink.left < 0 || x < ink.left) ink.left = x;
            ink.right = std::max(ink.right, x);
            if (ink.top < 0) ink.top = y;
            ink.bottom = y;
        }
    return ink;
}

class DemoAtlas : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(LoadedFont(), nullptr);
        ASSERT_TRUE(DecodedAtlas().has_value()) << "the atlas does not decode with alpha";
    }
    const Atlas& atlas() const { return *DecodedAtlas(); }
};

TEST(DemoFontBlock, IsAnRgbaPngWithOnlyCoreChunksFollowedBy210Records) {
    const auto block = Block();
    ASSERT_GE(block.size(), 20u);
    EXPECT_EQ(0, std::memcmp(block.data(), "*Sprite3DFont*\r\n", 16));
    const auto png = AtlasPng();
    ASSERT_GE(png.size(), 8u + 25u);
    EXPECT_EQ(0, std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8));

    // Walk the chunks: the atlas length must end exactly after IEND.
    std::vector<std::string> chunks;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = Be32(png.data() + at);
        if (length > png.size() - at - 12) break;
        chunks.emplace_back(reinterpret_cast<const char*>(png.data() + at + 4), 4);
        if (chunks.size() == 1) {
            ASSERT_EQ(length, 13u);
            const std::uint8_t* ihdr = png.data() + at + 8;
            EXPECT_EQ(Be32(ihdr), 1024u);
            EXPECT_EQ(Be32(ihdr + 4), 1024u);
            EXPECT_EQ(ihdr[8], 8) << "bit depth";
            EXPECT_EQ(ihdr[9], 6) << "colour type RGBA";
            EXPECT_EQ(ihdr[12], 0) << "interlace";
        }
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size()) << "the atlas length does not end on a chunk boundary";
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_EQ(chunks.front(), "IHDR");
    EXPECT_EQ(chunks.back(), "IEND");
    for (std::size_t i = 1; i + 1 < chunks.size(); ++i) EXPECT_EQ(chunks[i], "IDAT") << "chunk " << i;

    // 210 records of 17 bytes, then the terminator, then nothing.
    const std::size_t records = 20 + png.size();
    ASSERT_EQ(block.size(), records + 210 * 17 + 1);
    for (std::size_t r = 0; r < 210; ++r) EXPECT_NE(block[records + r * 17], 0) << "record " << r;
    EXPECT_EQ(block.back(), 0);
}

TEST_F(DemoAtlas, Is1024SquareWithStraightAlpha) {
    EXPECT_EQ(atlas().width, kAtlasSize);
    EXPECT_EQ(atlas().height, kAtlasSize);
    // Premultiplied colour could never exceed its alpha; the faint edges of
    // straight-alpha artwork keep their full colour.
    bool colourAboveAlpha = false;
    for (int y = 0; y < kAtlasSize && !colourAboveAlpha; ++y)
        for (int x = 0; x < kAtlasSize && !colourAboveAlpha; ++x) {
            const std::uint8_t* t = atlas().Texel(x, y);
            colourAboveAlpha = t[3] > 0 && std::max({t[0], t[1], t[2]}) > t[3];
        }
    EXPECT_TRUE(colourAboveAlpha);
}

TEST_F(DemoAtlas, ArtworkStaysInsideEachCellsBox) {
    for (int code = 0; code < 256; ++code) {
        const CellInk ink = InkOf(atlas(), code);
        if (ink.texels == 0) continue;
        EXPECT_GE(ink.left, kBoxLeft) << "code " << code;
        EXPECT_LE(ink.right, kBoxRight) << "code " << code;
        EXPECT_GE(ink.top, kBoxTop) << "code " << code;
        EXPECT_LE(ink.bottom, kBoxBottom) << "code " << code;
    }
}

TEST_F(DemoAtlas, CellsWithoutArtworkAreFullyTransparent) {
    int empty = 0;
    for (int code = 0; code < 256; ++code) {
        if (IsDrawn(code)) continue;
        ++empty;
        EXPECT_EQ(InkOf(atlas(), code).texels, 0) << "code " << code;
    }
    // 46 codes without a record (0 included), 17 of advance 0, 5 blanks.
    EXPECT_EQ(empty, 46 + 17 + 5);
}

TEST_F(DemoAtlas, EveryDrawnGlyphHasVisibleInk) {
    for (int code = 0; code < 256; ++code) {
        if (!IsDrawn(code)) continue;
        const CellInk ink = InkOf(atlas(), code);
        EXPECT_EQ(ink.maxAlpha, 255) << "code " << code;
        EXPECT_GE(ink.texels, 8) << "code " << code;
        // The quad is placed by offsetX from the pen: the artwork must start
        // where the metrics assume, at the cell's first usable column.
        EXPECT_LE(ink.left, kBoxLeft + 1) << "code " << code;
    }
}

TEST_F(DemoAtlas, LettersWithoutDescendersEndOnTheBaseline) {
    // offsetY and lineHeight put the baseline there; shadow included, such a
    // letter ends at row 44 or 45.
    for (char c : std::string("aceimnorsuvwzABDEHILMOPTUVWZ!.?")) {
        const int code = static_cast<unsigned char>(c);
        const CellInk ink = InkOf(atlas(), code);
        EXPECT_GE(ink.bottom, 44) << "'" << c << "'";
        EXPECT_LE(ink.bottom, 45) << "'" << c << "'";
    }
}

TEST_F(DemoAtlas, TransparentTexelsBesideInkCarryTheInksColour) {
    // Bilinear filtering mixes a glyph's edge with its transparent neighbours;
    // black there would draw a dark fringe.
    int fringe = 0, black = 0;
    for (int y = 1; y + 1 < kAtlasSize; ++y)
        for (int x = 1; x + 1 < kAtlasSize; ++x) {
            if (atlas().Alpha(x, y) != 0) continue;
            if (atlas().Alpha(x - 1, y) == 0 && atlas().Alpha(x + 1, y) == 0 &&
                atlas().Alpha(x, y - 1) == 0 && atlas().Alpha(x, y + 1) == 0)
                continue;
            ++fringe;
            const std::uint8_t* t = atlas().Texel(x, y);
            if (t[0] == 0 && t[1] == 0 && t[2] == 0) ++black;
        }
    EXPECT_GT(fringe, 0);
    EXPECT_EQ(black, 0) << "of " << fringe << " texels next to ink";
}

}  // namespace
