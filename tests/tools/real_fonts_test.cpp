// Real fonts from other producers (../shared/realfonts, skipped when it is
// absent): Cyrillic and Greek fonts made from DejaVu, BMFont kerning and
// distance fields kept, and LoadBMFont drawing a real file.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <tuple>

#include "bmfont.h"
#include "file_io.h"
#include "font_block.h"
#include "offscreen_screen.h"
#include "png_codec.h"
#include "sprite_font.h"
#include "sprite_font_bmfont.h"
#if SPRITEFONT_MAKE_FREETYPE
#include "truetype.h"
#endif

namespace {

namespace fs = std::filesystem;

const fs::path kReal = fs::path(REALFONTS_DIR);
const fs::path kDejaVuBm = kReal / "bmfont/raylib/dejavu.fnt";

// The codes of an alphabet, capitals and small letters, in a code page.
struct Alphabet {
    const char* name;
    std::int32_t codePage;
    std::vector<std::int32_t> characters;
};

std::vector<std::int32_t> Range(std::int32_t first, std::int32_t last, std::set<std::int32_t> skip = {}) {
    std::vector<std::int32_t> out;
    for (std::int32_t c = first; c <= last; ++c)
        if (skip.count(c) == 0) out.push_back(c);
    return out;
}

std::vector<Alphabet> Alphabets() {
    // Russian А..я with Ё ё; Greek Α..Ω (no capital final sigma) and α..ω.
    std::vector<std::int32_t> cyrillic = Range(0x0410, 0x044F);
    cyrillic.push_back(0x0401);
    cyrillic.push_back(0x0451);
    std::vector<std::int32_t> greek = Range(0x0391, 0x03A9, {0x03A2});
    const auto small = Range(0x03B1, 0x03C9);
    greek.insert(greek.end(), small.begin(), small.end());
    return {{"Cyrillic", CodePageWindows1251, cyrillic}, {"Greek", CodePageWindows1253, greek}};
}

// Every letter of the alphabet has a record with ink in the font.
void ExpectAlphabet(const std::vector<std::uint8_t>& block, const Alphabet& alphabet, const std::string& source) {
    const auto font = sftools::UnpackFont(block);
    ASSERT_TRUE(font) << source;
    std::set<std::int32_t> codes;
    for (const sftools::GlyphMetrics& g : font->glyphs)
        if (g.srcWidth > 0 && g.srcHeight > 0) codes.insert(g.code);
    for (std::int32_t character : alphabet.characters) {
        const std::int32_t code = UnicodeToCodePage(alphabet.codePage, character);
        ASSERT_GT(code, 0) << std::hex << character;
        EXPECT_EQ(codes.count(code), 1u) << source << " " << alphabet.name << ": U+" << std::hex << character;
    }
    ASSERT_TRUE(font->chunks.metrics);
    EXPECT_EQ(font->chunks.metrics->codePage, static_cast<std::uint32_t>(alphabet.codePage));
}

std::vector<std::uint8_t> MakeBm(const fs::path& path, const font_maker::BmOptions& options,
                                 std::vector<std::string>* notes = nullptr) {
    std::vector<std::uint8_t> descriptor, block;
    std::string error;
    EXPECT_TRUE(sftools::ReadFile(path.string(), &descriptor, &error)) << error;
    std::vector<std::string> ignored;
    const auto status = font_maker::MakeBmFontBlock(descriptor, font_maker::PagesBeside(path.string()), options,
                                                    font_maker::Packing::Tight, false, &block,
                                                    notes != nullptr ? notes : &ignored);
    EXPECT_TRUE(status.ok()) << path << ": " << status.message;
    return block;
}

TEST(RealFonts, CyrillicAndGreekFromTheDejaVuBmFont) {
    if (!fs::exists(kDejaVuBm)) GTEST_SKIP() << kDejaVuBm << " is absent";
    for (const Alphabet& alphabet : Alphabets()) {
        font_maker::BmOptions options;
        options.codePage = alphabet.codePage;
        ExpectAlphabet(MakeBm(kDejaVuBm, options), alphabet, "dejavu.fnt");
    }
}

TEST(RealFonts, CyrillicAndGreekFromDejaVuSans) {
#if SPRITEFONT_MAKE_FREETYPE
    if (!fs::exists(DEJAVU_SANS_FILE)) GTEST_SKIP() << "DejaVu Sans is not installed";
    std::vector<std::uint8_t> face;
    std::string error;
    ASSERT_TRUE(sftools::ReadFile(DEJAVU_SANS_FILE, &face, &error)) << error;
    for (const Alphabet& alphabet : Alphabets()) {
        font_maker::Style style;
        style.pixelSize = 20;
        std::vector<font_maker::GlyphImage> glyphs;
        std::vector<std::string> notes;
        ASSERT_TRUE(font_maker::RenderFace(face, style, alphabet.codePage, &glyphs, &notes).ok());
        sftools::FontChunks chunks;
        chunks.metrics = sprite_font_format::Metrics{24, 19, static_cast<std::uint32_t>(alphabet.codePage), 0, 0};
        std::vector<std::uint8_t> block;
        ASSERT_TRUE(font_maker::BuildPackedFont(std::move(glyphs), font_maker::Packing::Tight, &block, false, chunks).ok());
        ExpectAlphabet(block, alphabet, "DejaVuSans.ttf");
    }
#else
    GTEST_SKIP() << "this build has no FreeType";
#endif
}

// Kerning pairs of real files reach the engine; the multi-channel field
// font converts marked as one.
TEST(RealFonts, KerningAndDistanceFieldsOfRealFiles) {
    const fs::path kerned = kReal / "bmfont/bmfont-rust/font.fnt";
    const fs::path msdf = kReal / "bmfont/pixijs/msdf-roboto/Roboto-Regular.fnt";
    if (!fs::exists(kerned) || !fs::exists(msdf)) GTEST_SKIP() << kReal << " is absent";
    const auto block = MakeBm(kerned, {});
    const auto font = sftools::UnpackFont(block);
    ASSERT_TRUE(font);
    EXPECT_GT(font->chunks.kerning.size(), 50u);
    InitSpriteFonts();
    const FontId id = LoadSpriteFont(AutoId, block.data(), block.size());
    const auto& pair = font->chunks.kerning.front();
    EXPECT_EQ(SpriteFontKerning(id, pair.first, pair.second), pair.amount);

    std::vector<std::string> notes;
    const auto fieldBlock = MakeBm(msdf, {}, &notes);
    const auto field = sftools::UnpackFont(fieldBlock);
    ASSERT_TRUE(field && field->chunks.metrics);
    EXPECT_EQ(field->chunks.metrics->fieldKind, sprite_font_format::FieldMsdf);
    EXPECT_EQ(field->chunks.metrics->fieldRange, 4);
    EXPECT_GT(field->chunks.kerning.size(), 100u);
    bool noted = false;
    for (const std::string& note : notes) noted = noted || note.find("blurred") != std::string::npos;
    EXPECT_TRUE(noted);
}

// LoadBMFont reads a real descriptor and its page and the font draws
// Cyrillic on the offscreen screen; the picture is kept for a look.
TEST(RealFonts, LoadBmFontDrawsARealFile) {
    if (!fs::exists(kDejaVuBm)) GTEST_SKIP() << kDejaVuBm << " is absent";
    std::unique_ptr<Platform> platform;
    std::unique_ptr<Screen> screen;
    const std::string why = OpenOffscreen(platform, screen);
    ASSERT_TRUE(screen) << why;
    InitSpriteFonts();
    screen->SetSprite3DQuality(1);
    screen->EnablePngDecoder();
    SetSpritePlatform(screen.get());
    BMFontOptions options;
    options.codePage = CodePageWindows1251;
    std::string error;
    const FontId font = LoadBMFont(AutoId, kDejaVuBm.string().c_str(), options, &error);
    ASSERT_NE(font, 0u) << error;
    SpriteFontMetrics metrics{};
    ASSERT_TRUE(GetSpriteFontMetrics(font, &metrics));
    EXPECT_EQ(metrics.codePage, CodePageWindows1251);

    // The same font through the maker's block: the same glyph records.
    font_maker::BmOptions makerOptions;
    makerOptions.codePage = CodePageWindows1251;
    const auto madeBlock = MakeBm(kDejaVuBm, makerOptions);
    const auto made = sftools::UnpackFont(madeBlock);
    ASSERT_TRUE(made);
    const SpriteFont* loaded = GetSpriteFont(font);
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(loaded->sprite3D, 0);
    int present = 0;
    for (const GlyphSlot& slot : loaded->glyphs) present += slot.present;
    EXPECT_EQ(present, static_cast<int>(made->glyphs.size()));
    for (const sftools::GlyphMetrics& g : made->glyphs) {
        const GlyphSlot& slot = loaded->glyphs[g.code];
        EXPECT_EQ(std::make_tuple(slot.offsetX, slot.offsetY, slot.advance, slot.lineHeight, slot.srcWidth, slot.srcHeight),
                  std::make_tuple(int{g.offsetX}, int{g.offsetY}, int{g.advance}, int{g.lineHeight}, int{g.srcWidth},
                                  int{g.srcHeight}))
            << int{g.code};
    }

    const char* text = "\xD0\xA1\xD1\x8A\xD0\xB5\xD1\x88\xD1\x8C \xD0\xB6\xD0\xB5 \xD0\xB5\xD1\x89\xD1\x91";  // Съешь же ещё
    screen->Clear(0x202020);
    screen->BeginSprite3D();
    DrawSpriteFontTextUtf8(font, 20, 20, text, 255.0f, 2.0f, CodePageWindows1251);
    screen->EndSprite3D();
    screen->Flip();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    ASSERT_TRUE(screen->ReadPixels(pixels));
    int ink = 0;
    for (std::uint32_t p : pixels) ink += (p & 0xFFFFFF) != 0x202020;
    EXPECT_GT(ink, 1000);
    // Only what was drawn, for a look at the result.
    std::vector<std::uint32_t> crop;
    for (int y = 0; y < 100; ++y)
        crop.insert(crop.end(), pixels.begin() + y * kScreenWidth, pixels.begin() + y * kScreenWidth + 400);
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(EncodePng(crop.data(), 400, 100, false, png));
    std::string ignored;
    sftools::WriteFileAtomically((fs::temp_directory_path() / "load_bmfont_cyrillic.png").string(), png, &ignored);

    // What cannot be loaded says why and gives 0.
    const struct {
        std::string path;
        std::int32_t codePage;
    } bad[] = {
        {(kReal / "nothing-here.fnt").string(), CodePageWindows1252},
        {(kReal / "bmfont/monobit/6x13-32bit-packed.fnt").string(), CodePageWindows1252},
        {(kReal / "truetype/PixelOperator.ttf").string(), CodePageWindows1252},
        {kDejaVuBm.string(), 437},
    };
    for (const auto& b : bad) {
        std::string message;
        BMFontOptions o;
        o.codePage = b.codePage;
        EXPECT_EQ(LoadBMFont(AutoId, b.path.c_str(), o, &message), 0u) << b.path;
        EXPECT_FALSE(message.empty()) << b.path;
    }
    EXPECT_EQ(LoadBMFont(AutoId, nullptr, {}, nullptr), 0u);
    SetSpritePlatform(nullptr);
}

// A face without ink (a variable font whose default instance is empty) and
// a 30-byte file that is no font are refused: either would make a font
// that draws nothing.
TEST(RealFonts, FacesWithoutInkAreRefused) {
#if SPRITEFONT_MAKE_FREETYPE
    const fs::path empty = kReal / "truetype/TINY5x3GX.ttf";
    const fs::path broken = kReal / "truetype/malformed/oom-4da0210eb7081b0bf15bf16cc4c52ce02c1e1bbc.ttf";
    if (!fs::exists(empty) || !fs::exists(broken)) GTEST_SKIP() << kReal << " is absent";
    for (const fs::path& path : {empty, broken}) {
        std::vector<std::uint8_t> face;
        std::string error;
        ASSERT_TRUE(sftools::ReadFile(path.string(), &face, &error)) << error;
        std::vector<font_maker::GlyphImage> glyphs;
        std::vector<std::string> notes;
        auto status = font_maker::RenderFace(face, {}, CodePageWindows1252, &glyphs, &notes);
        std::vector<std::uint8_t> block;
        if (status.ok()) status = font_maker::BuildPackedFont(std::move(glyphs), font_maker::Packing::Tight, &block, false);
        EXPECT_EQ(status.kind, font_maker::MakeError::NoInk) << path << ": " << status.message;
        EXPECT_TRUE(block.empty());
    }
#else
    GTEST_SKIP() << "this build has no FreeType";
#endif
}

}  // namespace
