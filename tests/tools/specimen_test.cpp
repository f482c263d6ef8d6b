// Specimens drawn through the engine on the offscreen screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

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
