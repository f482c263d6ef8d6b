// PNG atlases under attack, through the font load on the offscreen screen:
// a damaged atlas gives sprite 0 and no 3D sprite while the glyph records
// are still read, and a good font loaded before is never disturbed.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "demo_font.h"
#include "packed_font_builder.h"
#include "platform.h"
#include "png_codec.h"
#include "png_forge.h"
#include "sprite_font.h"
#include "startup.h"

// The largest single allocation while tracking is on: shows that a refused
// image never had its pixel memory taken. Under AddressSanitizer its hook
// sees every malloc and operator new; otherwise operator new is replaced
// (the decoder's pixel buffer is a std::vector).
namespace {
std::atomic<bool> g_tracking{false};
std::atomic<std::size_t> g_largest{0};

void NoteAllocation(std::size_t size) {
    if (!g_tracking.load(std::memory_order_relaxed)) return;
    std::size_t seen = g_largest.load(std::memory_order_relaxed);
    while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {
    }
}
}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's hook; g++ ships no header declaring it.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                                          void (*)(const volatile void*));
namespace {
void OnMalloc(const volatile void*, std::size_t size) { NoteAllocation(size); }
void OnFree(const volatile void*) {}
const int g_hooked = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
}  // namespace
#else
// Pairs malloc with free on purpose; the compiler sees only the halves.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    NoteAllocation(size);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop
#endif

namespace {

using namespace png_forge;
using test_support::CellGlyph;
using test_support::PackedFontBuilder;

struct Attack {
    const char* name;
    Bytes png;
    PngStatus status;  // what the decoder says about these bytes alone
};

Bytes FlipLast(Bytes chunk) {
    chunk.back() ^= 0x01;
    return chunk;
}

// A valid image whose IDAT holds only part of its scanlines.
Bytes ShortData(std::uint32_t width, std::uint32_t height, bool interlace, std::size_t keep) {
    Bytes rows = Scanlines(width, height, 32, interlace);
    rows.resize(std::min(keep, rows.size()));
    return Png({Ihdr(width, height, 8, kRgba, interlace ? 1 : 0), Idat(rows), Iend()});
}

std::vector<Attack> Attacks() {
    const Bytes rows = Scanlines(4, 4, 32, false);
    const Bytes palette = Chunk("PLTE", {255, 0, 0, 0, 255, 0});
    Bytes hugeChunk = Png({Ihdr(4, 4, 8, kRgba)});
    hugeChunk.insert(hugeChunk.end(), {0x80, 0, 0, 0, 'I', 'D', 'A', 'T', 1, 2, 3, 4});
    Bytes notZlib = Png({Ihdr(4, 4, 8, kRgba), Chunk("IDAT", Bytes(40, 0xA5)), Iend()});
    return {
        {"IHDR with a wrong CRC", Png({FlipLast(Ihdr(4, 4, 8, kRgba)), Idat(rows), Iend()}), PngStatus::Corrupt},
        {"IDAT with a wrong CRC", Png({Ihdr(4, 4, 8, kRgba), FlipLast(Idat(rows)), Iend()}), PngStatus::Corrupt},
        {"PLTE with a wrong CRC", Png({Ihdr(2, 1, 8, kPalette), FlipLast(palette), Idat({0, 0, 1}), Iend()}),
         PngStatus::Corrupt},
        {"width 0", Png({Ihdr(0, 4, 8, kRgba), Idat(rows), Iend()}), PngStatus::Corrupt},
        {"height 0", Png({Ihdr(4, 0, 8, kRgba), Idat(rows), Iend()}), PngStatus::Corrupt},
        {"2^31 - 1 square", Png({Ihdr(0x7FFFFFFF, 0x7FFFFFFF, 8, kRgba), Idat(rows), Iend()}), PngStatus::Corrupt},
        {"2^32 - 1 wide", Png({Ihdr(0xFFFFFFFF, 1, 8, kRgba), Idat(rows), Iend()}), PngStatus::Corrupt},
        {"a million wide", Png({Ihdr(1'000'000, 1, 8, kRgba), Idat(rows), Iend()}), PngStatus::TooLarge},
        {"one over the side limit, square", Png({Ihdr(8193, 8193, 8, kRgba), Idat(rows), Iend()}),
         PngStatus::TooLarge},
        {"palette image without PLTE", Png({Ihdr(2, 1, 8, kPalette), Idat({0, 0, 1}), Iend()}), PngStatus::Corrupt},
        {"PLTE without entries", Png({Ihdr(2, 1, 8, kPalette), Chunk("PLTE", {}), Idat({0, 0, 1}), Iend()}),
         PngStatus::Corrupt},
        {"PLTE of a broken entry", Png({Ihdr(2, 1, 8, kPalette), Chunk("PLTE", {1, 2, 3, 4}), Idat({0, 0, 1}), Iend()}),
         PngStatus::Corrupt},
        {"PLTE of 257 entries", Png({Ihdr(2, 1, 8, kPalette), Chunk("PLTE", Bytes(771, 7)), Idat({0, 0, 1}), Iend()}),
         PngStatus::Corrupt},
        {"bit depth 3", Png({Ihdr(4, 4, 3, kGrey), Idat(rows), Iend()}), PngStatus::Corrupt},
        {"16-bit palette", Png({Ihdr(4, 4, 16, kPalette), palette, Idat(rows), Iend()}), PngStatus::Corrupt},
        {"colour type 5", Png({Ihdr(4, 4, 8, 5), Idat(rows), Iend()}), PngStatus::Corrupt},
        {"interlace method 2", Png({Ihdr(4, 4, 8, kRgba, 2), Idat(rows), Iend()}), PngStatus::Corrupt},
        {"Adam7 with only its first passes", ShortData(16, 16, true, 40), PngStatus::Corrupt},
        {"Adam7 one byte short", ShortData(9, 9, true, Scanlines(9, 9, 32, true).size() - 1), PngStatus::Corrupt},
        {"Adam7 data laid out as if not interlaced",
         Png({Ihdr(9, 9, 8, kRgba, 1), Idat(Scanlines(9, 7, 32, false)), Iend()}), PngStatus::Corrupt},
        {"rows cut short", ShortData(4, 4, false, 30), PngStatus::Corrupt},
        {"no IDAT", Png({Ihdr(4, 4, 8, kRgba), Iend()}), PngStatus::Corrupt},
        {"two IHDR", Png({Ihdr(4, 4, 8, kRgba), Ihdr(4, 4, 8, kRgba), Idat(rows), Iend()}), PngStatus::Corrupt},
        {"IDAT not zlib", notZlib, PngStatus::Corrupt},
        {"chunk length over 2^31", hugeChunk, PngStatus::Corrupt},
        {"signature only", Png({}), PngStatus::Truncated},
        {"signature and half an IHDR", [] {
             Bytes b = Png({Ihdr(4, 4, 8, kRgba)});
             b.resize(20);
             return b;
         }(),
         PngStatus::Truncated},
        {"damaged signature", [] {
             Bytes b = Image(4, 4, 8, kRgba);
             b[3] = 'M';
             return b;
         }(),
         PngStatus::NotPng},
        {"the tests' broken atlas", test_support::BrokenPng(), PngStatus::Corrupt},
    };
}

// Three glyphs behind whatever atlas; the same records for every attack.
PackedFontBuilder FontWith(const Bytes& atlas) {
    PackedFontBuilder builder;
    builder.Atlas(atlas).Add({CellGlyph('A'), CellGlyph('B', 5, 18), CellGlyph(255, -7, 9, 30)});
    return builder;
}

void ExpectGlyphsOf(const SpriteFont& font) {
    for (unsigned char code : {static_cast<unsigned char>('A'), static_cast<unsigned char>('B'), static_cast<unsigned char>(255)}) EXPECT_EQ(font.glyphs[code].present, 1) << "code " << int{code};
    EXPECT_EQ(font.glyphs['B'].offsetX, 5);
    EXPECT_EQ(font.glyphs['B'].advance, 18);
    EXPECT_EQ(font.glyphs[255].lineHeight, 30);
    EXPECT_EQ(font.glyphs['C'].present, 0);
    EXPECT_EQ(font.StyleTransparency, 255);
    EXPECT_EQ(font.StyleSize, 1.0f);
}

class PngAttackTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        demo_ = StartDemonstration(StartupOptions{VideoMode::Offscreen}, &error_);
        if (!demo_) return;
        screen_ = demo_->screen.get();
        good_ = GetSpriteFont(1) ? reinterpret_cast<FontId>(GetSpriteFont(1)) : 0;
    }
    static void TearDownTestSuite() {
        screen_ = nullptr;
        demo_.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(screen_) << "no offscreen screen: " << error_;
        ASSERT_NE(GetSpriteFont(1), nullptr);
        ASSERT_NE(GetSpriteFont(1)->sprite3D, 0) << "the demonstration font did not load";
    }

    // The good font, straight and bent, as the frame would show it.
    static std::vector<std::uint32_t> GoodFrame() {
        screen_->Clear(0xFFFFFF);
        screen_->BeginSprite3D();
        SetSpriteFontStyle(1, StyleArc, 0.0f);
        DrawSpriteFontText(1, 50, 50, "Standard Style einer Quillon", -1.0f, -1.0f);
        SetSpriteFontStyle(1, StyleArc, 15.0f);
        DrawSpriteFontText(1, 400, 300, "Bogen-Style einer Quillon", -1.0f, -1.0f);
        SetSpriteFontStyle(1, StyleArc, 0.0f);
        screen_->EndSprite3D();
        screen_->Flip();
        return screen_->ReadPixels();
    }

    static inline std::unique_ptr<Demonstration> demo_;
    static inline Screen* screen_ = nullptr;
    static inline std::string error_;
    static inline FontId good_ = 0;
};

TEST_F(PngAttackTest, EveryDamagedAtlasGivesSpriteZeroKeepsTheGlyphsAndSparesTheGoodFont) {
    const SpriteFont goodBefore = *GetSpriteFont(1);
    const std::vector<std::uint32_t> frameBefore = GoodFrame();
    ASSERT_FALSE(frameBefore.empty());

    for (const Attack& attack : Attacks()) {
        SCOPED_TRACE(attack.name);
        DecodedImage image;
        EXPECT_EQ(DecodePng(attack.png.data(), attack.png.size(), image), attack.status);

        const Bytes block = FontWith(attack.png).Build();
        for (FontId id : {FontId{2}, AutoId}) {
            const FontId handle = LoadSpriteFont(id, block.data(), block.size());
            ASSERT_NE(handle, 0u);
            const SpriteFont& font = *GetSpriteFont(handle);
            EXPECT_EQ(font.sprite, 0);
            EXPECT_EQ(font.sprite3D, 0);
            ExpectGlyphsOf(font);
            EXPECT_EQ(SpriteFontTextWidth(handle, "AB", 1.0f), 38) << "measuring needs only the glyphs";
            const std::uint64_t quads = screen_->Stats().quads;
            DrawSpriteFontText(handle, 10, 10, "AB", -1.0f, -1.0f);
            EXPECT_EQ(screen_->Stats().quads, quads) << "drawn without a 3D sprite";
        }
        EXPECT_EQ(GetSpriteFont(1), reinterpret_cast<SpriteFont*>(good_));
    }
    EXPECT_EQ(std::memcmp(GetSpriteFont(1), &goodBefore, sizeof goodBefore), 0);
    EXPECT_TRUE(GoodFrame() == frameBefore) << "the good font draws differently after the bad loads";
}

TEST_F(PngAttackTest, AnAtlasCutAnywhereBeforeItsEndIsRefusedAndTheRecordsStillRead) {
    // The records follow right where the cut atlas stops, so the decoder runs
    // into them; with no records behind it, it runs into the end of the data.
    const Bytes png = Image(6, 5, 8, kRgba, true);
    const std::size_t iend = png.size() - 12;
    for (std::size_t cut = 0; cut < iend; ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const Bytes atlas(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(cut));
        const Bytes block = FontWith(atlas).Build();
        const FontId handle = LoadSpriteFont(AutoId, block.data(), block.size());
        ASSERT_NE(handle, 0u);
        EXPECT_EQ(GetSpriteFont(handle)->sprite, 0);
        ExpectGlyphsOf(*GetSpriteFont(handle));

        const Bytes bare = PackedFontBuilder().Atlas(atlas).NoTerminator().Build();
        const FontId alone = LoadSpriteFont(AutoId, bare.data(), bare.size());
        EXPECT_EQ(GetSpriteFont(alone)->sprite, 0);
    }
    // Without its IEND the image is whole: the decoder stops after the last row.
    const Bytes block = FontWith(Bytes(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(iend))).Build();
    EXPECT_NE(GetSpriteFont(LoadSpriteFont(AutoId, block.data(), block.size()))->sprite, 0);
}

TEST_F(PngAttackTest, AHugeDeclaredSizeIsRefusedBeforeItsPixelMemoryIsTaken) {
    const Bytes rows = Scanlines(4, 4, 32, false);
    // 8192 is within the side limit; only the data being far too short refuses it.
    for (std::uint32_t side : {1'000'000u, 8193u, 65536u, 8192u}) {
        SCOPED_TRACE(side);
        const Bytes png = Png({Ihdr(side, side, 8, kRgba), Idat(rows), Iend()});
        DecodedImage image;
        g_largest = 0;
        g_tracking = true;
        const PngStatus status = DecodePng(png.data(), png.size(), image);
        g_tracking = false;
        EXPECT_NE(status, PngStatus::Ok);
        EXPECT_LT(g_largest.load(), std::size_t{1} << 20) << "bytes asked for at once";
    }
    // The watch itself works: an accepted image's pixels are one allocation.
    const Bytes accepted = Image(600, 600, 8, kRgba);
    DecodedImage image;
    g_largest = 0;
    g_tracking = true;
    EXPECT_EQ(DecodePng(accepted.data(), accepted.size(), image), PngStatus::Ok);
    g_tracking = false;
    EXPECT_GE(g_largest.load(), std::size_t{600} * 600 * 4);
}

TEST_F(PngAttackTest, OddButValidImagesLoadAndDrawLikeTheirPlainTwins) {
    // Interlaced or not, with a short palette or a long tRNS, missing IEND or
    // with bytes after it: the decoder accepts them, and an interlaced image
    // decodes to exactly the pixels of its non-interlaced twin.
    struct Twin {
        const char* name;
        std::uint32_t width, height;
        unsigned char depth, colourType;
    };
    const Twin twins[] = {{"1 x 1 RGBA", 1, 1, 8, kRgba},      {"1 x 9 grey", 1, 9, 8, kGrey},
                          {"9 x 1 RGB 16-bit", 9, 1, 16, kRgb}, {"3 x 3 palette 2-bit", 3, 3, 2, kPalette},
                          {"13 x 11 grey 1-bit", 13, 11, 1, kGrey}, {"8 x 8 grey alpha", 8, 8, 8, kGreyAlpha}};
    for (const Twin& twin : twins) {
        SCOPED_TRACE(twin.name);
        DecodedImage plain, interlaced;
        ASSERT_EQ(DecodePng(Image(twin.width, twin.height, twin.depth, twin.colourType).data(),
                            Image(twin.width, twin.height, twin.depth, twin.colourType).size(), plain),
                  PngStatus::Ok);
        const Bytes adam7 = Image(twin.width, twin.height, twin.depth, twin.colourType, true);
        ASSERT_EQ(DecodePng(adam7.data(), adam7.size(), interlaced), PngStatus::Ok);
        EXPECT_TRUE(plain.pixels == interlaced.pixels);
        EXPECT_EQ(interlaced.width, static_cast<std::int32_t>(twin.width));
    }

    const Bytes rows = Scanlines(4, 4, 8, false, 3);  // palette indices 0..255
    Bytes trailing = Image(4, 4, 8, kRgba);
    trailing.insert(trailing.end(), 100, 0xEE);
    Bytes noIend = Image(4, 4, 8, kRgba);
    noIend.resize(noIend.size() - 12);
    const std::vector<std::pair<const char*, Bytes>> odd = {
        {"indices past a two-entry palette", Png({Ihdr(4, 4, 8, kPalette), Chunk("PLTE", {255, 0, 0, 0, 0, 255}),
                                                  Idat(rows), Iend()})},
        {"tRNS longer than the palette", Png({Ihdr(4, 4, 8, kPalette), Chunk("PLTE", Bytes(6, 9)),
                                              Chunk("tRNS", Bytes(200, 128)), Idat(rows), Iend()})},
        {"bytes after IEND", trailing},
        {"no IEND", noIend},
        {"interlaced 1 x 1", Image(1, 1, 8, kRgba, true)},
    };
    const SpriteFont goodBefore = *GetSpriteFont(1);
    for (const auto& [name, png] : odd) {
        SCOPED_TRACE(name);
        const Bytes block = FontWith(png).Build();
        const FontId handle = LoadSpriteFont(AutoId, block.data(), block.size());
        ASSERT_NE(handle, 0u);
        EXPECT_NE(GetSpriteFont(handle)->sprite3D, 0);
        ExpectGlyphsOf(*GetSpriteFont(handle));
        // The cells reach past these tiny atlases, and a rectangle outside
        // its texture draws nothing: point both glyphs at the whole image.
        SpriteFont* font = GetSpriteFont(handle);
        std::int32_t width = 0, height = 0;
        ASSERT_TRUE(screen_->Sprite3DTextureSize(font->sprite3D, &width, &height));
        for (unsigned char code : {static_cast<unsigned char>('A'), static_cast<unsigned char>('B')}) {
            GlyphSlot& glyph = font->glyphs[code];
            glyph.srcX = 0, glyph.srcY = 0, glyph.srcWidth = width, glyph.srcHeight = height;
        }
        screen_->Clear(0xFFFFFF);
        screen_->BeginSprite3D();
        const std::uint64_t quads = screen_->Stats().quads;
        DrawSpriteFontText(handle, 10, 10, "AB", -1.0f, -1.0f);
        screen_->EndSprite3D();
        EXPECT_EQ(screen_->Stats().quads, quads + 2);
    }
    EXPECT_EQ(std::memcmp(GetSpriteFont(1), &goodBefore, sizeof goodBefore), 0);
}

}  // namespace
