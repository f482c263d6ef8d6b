// Specimens drawn through the engine on the offscreen screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "bmfont.h"
#include "bmfont_fixture.h"
#include "platform.h"
#include "png_codec.h"
#include "specimen.h"
#include "sprite_font.h"

namespace {

std::vector<std::uint8_t> DemoFont() {
    std::ifstream in(DEMO_FONT_FILE, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Picture {
    bool ok = false;
    std::string error;
    std::vector<std::string> warnings;
    DecodedImage image;
};

Picture Render(const std::vector<std::uint8_t>& font, const std::string& text, const inspect::SpecimenStyle& style) {
    Picture p;
    std::vector<std::uint8_t> png;
    p.ok = inspect::RenderSpecimen(font, text, style, &png, &p.warnings, &p.error);
    if (p.ok) {
        EXPECT_EQ(DecodePng(png.data(), png.size(), p.image), PngStatus::Ok);
    }
    return p;
}

int InkPixels(const DecodedImage& image, std::uint32_t background) {
    int n = 0;
    for (std::uint32_t px : image.pixels) n += (px & 0xFFFFFF) != background;
    return n;
}

TEST(Specimen, AStraightLineIsCroppedToItsInk) {
    const auto font = DemoFont();
    const Picture p = Render(font, "Standard Style einer Quillon", {});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.warnings.empty());
    // The picture is about as wide as the measured text plus the margins.
    InitSpriteFonts();
    const FontId id = LoadSpriteFont(AutoId, font.data(), font.size());
    const int width = SpriteFontTextWidth(id, "Standard Style einer Quillon", 1.0f);
    EXPECT_GT(p.image.width, width - 20);
    EXPECT_LT(p.image.width, width + 40);
    EXPECT_LT(p.image.height, 80);
    EXPECT_GT(InkPixels(p.image, 0xFFFFFF), 1000);
}

// Style parameters reach the drawing: a bent, turned text is taller than
// the straight one, a cut text narrower, a big one larger, and on another
// background nothing of the default white is left.
TEST(Specimen, StyleParametersChangeThePicture) {
    const auto font = DemoFont();
    const std::string text = "Bogen-Style einer Quillon";
    const Picture straight = Render(font, text, {});
    inspect::SpecimenStyle bent;
    bent.arc = 15;
    bent.rotation = -30;
    inspect::SpecimenStyle cut;
    cut.maxLength = 120;
    inspect::SpecimenStyle big;
    big.size = 1.5f;
    inspect::SpecimenStyle dark;
    dark.background = 0x102030;
    const Picture b = Render(font, text, bent), c = Render(font, text, cut), g = Render(font, text, big),
                  d = Render(font, text, dark);
    ASSERT_TRUE(straight.ok && b.ok && c.ok && g.ok && d.ok) << b.error << c.error << g.error << d.error;
    EXPECT_GT(b.image.height, 2 * straight.image.height);
    EXPECT_LT(c.image.width, 120 + 40);
    EXPECT_GT(g.image.width, straight.image.width * 4 / 3);
    EXPECT_EQ(d.image.pixels.front() & 0xFFFFFF, 0x102030u);
}

TEST(Specimen, Utf8TextIsConvertedToTheCodePage) {
    const auto font = DemoFont();
    inspect::SpecimenStyle utf8;
    utf8.utf8 = true;
    const Picture converted = Render(font, "Gr\xC3\xB6\xC3\x9F" "e", utf8);  // "Größe" in UTF-8
    const Picture raw = Render(font, "Gr\xF6\xDF" "e", {});                    // the same in Windows-1252
    ASSERT_TRUE(converted.ok && raw.ok);
    EXPECT_EQ(converted.image.width, raw.image.width);
    EXPECT_EQ(converted.image.pixels, raw.image.pixels);
}

TEST(Specimen, NothingDrawnIsAnError) {
    const auto font = DemoFont();
    inspect::SpecimenStyle invisible;
    invisible.transparency = 0;
    EXPECT_FALSE(Render(font, "Quillon", invisible).ok);
    // Codes 1..31 have no glyph in the demonstration font.
    EXPECT_FALSE(Render(font, "\x01\x02", {}).ok);
    std::vector<std::uint8_t> broken = font;
    broken[30] ^= 0xFF;  // inside the atlas' IHDR: the PNG no longer decodes
    EXPECT_FALSE(Render(broken, "Quillon", {}).ok);
}

TEST(Specimen, ATextLargerThanTheScreenIsCutWithAWarning) {
    inspect::SpecimenStyle huge;
    huge.size = 4;
    const Picture p = Render(DemoFont(), "Abgeschnitten nach einer bestimmten Laenge", huge);
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.warnings.size(), 1u);
    EXPECT_EQ(p.image.width, kScreenWidth);
}

// Block specimens: the block options reach DrawSpriteFontBlock. Compared
// with the same text on one line, a wrapped block is narrower and taller, a
// line limit keeps it to that many lines, and a centred block takes the
// width of its widest line.
TEST(Specimen, BlockOptionsShapeThePicture) {
    const auto font = DemoFont();
    const std::string text = "Der Ritter zieht sein Schwert und spricht zu der Quillon";
    {
        InitSpriteFonts();
        const FontId id = LoadSpriteFont(AutoId, font.data(), font.size());
        if (SpriteFontMeasureBlock(id, text.c_str(), 1.0f, TextBlock{}).lines == 0)
            GTEST_SKIP() << "this build's engine does not lay out blocks yet";
    }
    const Picture line = Render(font, text, {});
    inspect::SpecimenStyle wrapped;
    wrapped.asBlock = true;
    wrapped.block.wrapWidth = 260;
    inspect::SpecimenStyle limited = wrapped;
    limited.block.maxLines = 2;
    inspect::SpecimenStyle justified = wrapped;
    justified.block.align = TextAlignJustify;
    const Picture w = Render(font, text, wrapped), l = Render(font, text, limited), j = Render(font, text, justified);
    ASSERT_TRUE(line.ok && w.ok && l.ok && j.ok) << line.error << w.error << l.error << j.error;
    EXPECT_LE(w.image.width, 260 + 2 * 8 + 8);  // the margins, and a glyph's overhang
    EXPECT_GT(w.image.height, 3 * line.image.height);
    // Two lines of 44 pixels less than three.
    EXPECT_LT(l.image.height, w.image.height - 30);
    EXPECT_GT(l.image.height, line.image.height + 30);
    // Justified, every line but the last reaches the right edge; ragged, few do.
    const auto rowsReachingRight = [](const DecodedImage& image) {
        int rows = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = image.width - 8 - 12; x < image.width; ++x)
                if ((image.pixels[static_cast<std::size_t>(y * image.width + x)] & 0xFFFFFF) != 0xFFFFFF) {
                    ++rows;
                    break;
                }
        return rows;
    };
    EXPECT_EQ(j.image.height, w.image.height);
    EXPECT_GT(rowsReachingRight(j.image), 2 * rowsReachingRight(w.image) - 10);
    EXPECT_GT(rowsReachingRight(j.image), 44) << "more than one line reaches the edge";
}

// A run of blanks that reaches the screen's edge from the centre hides
// the glyphs after it from the ink; they must still be in the picture.
TEST(Specimen, GlyphsPastARunOfBlanksAreKept) {
    const auto font = DemoFont();
    const std::string text = "Hello" + std::string(45, ' ') + "World";
    const Picture p = Render(font, text, {});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.warnings.empty());
    InitSpriteFonts();
    const FontId id = LoadSpriteFont(AutoId, font.data(), font.size());
    const int width = SpriteFontTextWidth(id, text.c_str(), 1.0f);
    ASSERT_GT(width, kScreenWidth / 2);
    EXPECT_GT(p.image.width, width - 20);
    // Ink at both ends: "Hello" on the left, "World" on the right.
    const auto inkInColumns = [&](int from, int to) {
        int n = 0;
        for (int y = 0; y < p.image.height; ++y)
            for (int x = from; x < to; ++x) n += (p.image.pixels[static_cast<std::size_t>(y * p.image.width + x)] & 0xFFFFFF) != 0xFFFFFF;
        return n;
    };
    EXPECT_GT(inkInColumns(0, p.image.width / 4), 100);
    EXPECT_GT(inkInColumns(p.image.width * 3 / 4, p.image.width), 100);
}

// White glyphs (made to be tinted) are drawn on dark grey unless a ground
// is asked for; on a white ground they would draw "nothing".
TEST(Specimen, LightInkGetsADarkGround) {
    const tools_test::Fixture f = tools_test::Fixture::Standard();
    const std::string text = f.Text();
    const auto pages = f.PageFiles();
    font_maker::BmOptions white;
    white.fill = 0xFFFFFF;
    std::vector<std::uint8_t> block;
    std::vector<std::string> notes;
    const auto status = font_maker::MakeBmFontBlock(
        std::vector<std::uint8_t>(text.begin(), text.end()),
        [&](const std::string& name, std::vector<std::uint8_t>* bytes, std::string*) {
            *bytes = pages.at(name);
            return true;
        },
        white, font_maker::Packing::Tight, false, &block, &notes);
    ASSERT_TRUE(status.ok()) << status.message;
    const Picture p = Render(block, "ABAB", {});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.image.pixels.front() & 0xFFFFFF, 0x202020u);
    EXPECT_GT(InkPixels(p.image, 0x202020), 50);
    inspect::SpecimenStyle asked;
    asked.background = 0xFFFFFF;
    asked.backgroundGiven = true;
    EXPECT_FALSE(Render(block, "ABAB", asked).ok) << "white on white shows nothing";
    // The demonstration's coloured glyphs keep the white ground.
    EXPECT_EQ(Render(DemoFont(), "Quillon", {}).image.pixels.front() & 0xFFFFFF, 0xFFFFFFu);
}

}  // namespace

namespace {

// Pixels whose right neighbour differs: bilinear sampling at twice the size
// blends neighbouring texels, nearest repeats each texel twice.
int ColourChanges(const DecodedImage& image) {
    int changes = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x + 1 < image.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x);
            changes += image.pixels[i] != image.pixels[i + 1];
        }
    return changes;
}

TEST(Specimen, NearestSamplingKeepsScaledPixelsWhole) {
    const auto font = DemoFont();
    inspect::SpecimenStyle style;
    style.size = 2.0f;
    const Picture bilinear = Render(font, "Pixel", style);
    style.nearest = true;
    const Picture nearest = Render(font, "Pixel", style);
    ASSERT_TRUE(bilinear.ok && nearest.ok) << bilinear.error << nearest.error;
    EXPECT_GT(InkPixels(nearest.image, 0xFFFFFF), 0);
    // Each texel is two pixels wide, so at most every other pixel changes.
    EXPECT_LT(ColourChanges(nearest.image), ColourChanges(bilinear.image) * 3 / 4);
}

}  // namespace

// A text longer than the circle closes into a ring about as tall as wide:
// outside the circle when clockwise (tops outwards), inside when upright.
TEST(Specimen, TextRoundACircle) {
    const auto font = DemoFont();
    const std::string text = "Feder-Style einer Quillon, Feder-Style einer Quillon";
    inspect::SpecimenStyle round;
    round.circle = 90;
    inspect::SpecimenStyle upright = round;
    upright.upright = true;
    const Picture r = Render(font, text, round), u = Render(font, text, upright);
    ASSERT_TRUE(r.ok && u.ok) << r.error << u.error;
    for (const Picture* p : {&r, &u}) {
        EXPECT_GT(p->image.height, 180);
        EXPECT_LT(std::abs(p->image.width - p->image.height), 40);
        EXPECT_GT(InkPixels(p->image, 0xFFFFFF), 3000);
    }
    // Clockwise the tops face outwards, upright inwards: the outer ring is larger.
    EXPECT_GT(r.image.width, u.image.width + 40);
}
