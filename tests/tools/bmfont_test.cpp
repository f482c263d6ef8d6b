// BMFont fonts in their three formats become the same packed font, with
// every glyph's pixels and metrics kept; what the format cannot express is
// refused with the right kind of error.
#include <gtest/gtest.h>

#include <functional>

#include "bmfont.h"
#include "bmfont_fixture.h"
#include "font_block.h"
#include "png_io.h"
#include "sprite_font.h"

namespace {

using font_maker::MakeError;
using tools_test::Fixture;

struct Made {
    font_maker::MakeStatus status;
    std::vector<std::uint8_t> block;
    std::vector<std::string> notes;
};

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<std::uint8_t> Encode(const Fixture& f, font_maker::BmFormat format) {
    switch (format) {
        case font_maker::BmFormat::Text: return Bytes(f.Text());
        case font_maker::BmFormat::Xml: return Bytes(f.Xml());
        case font_maker::BmFormat::Binary: return f.Binary();
    }
    return {};
}

using Pages = std::map<std::string, std::vector<std::uint8_t>>;

// Parse, convert and pack, with the pages served from memory.
Made Make(const std::vector<std::uint8_t>& file, const Pages& pages,
          std::int32_t codePage = CodePageWindows1252) {
    Made made;
    font_maker::BmFont font;
    made.status = font_maker::ParseBmFont(file, &font);
    if (!made.status.ok()) return made;
    const font_maker::PageReader reader = [&](const std::string& name, std::vector<std::uint8_t>* bytes,
                                              std::string* error) {
        const auto found = pages.find(name);
        if (found == pages.end()) {
            *error = "no page " + name;
            return false;
        }
        *bytes = found->second;
        return true;
    };
    std::vector<font_maker::GlyphImage> glyphs;
    made.status = font_maker::ConvertBmFont(font, reader, codePage, &glyphs, &made.notes);
    if (made.status.ok()) made.status = font_maker::BuildPackedFont(std::move(glyphs), font_maker::Packing::Tight, &made.block);
    return made;
}

Made Make(const Fixture& f, font_maker::BmFormat format, std::int32_t codePage = CodePageWindows1252) {
    return Make(Encode(f, format), f.PageFiles(), codePage);
}

constexpr font_maker::BmFormat kFormats[] = {font_maker::BmFormat::Text, font_maker::BmFormat::Xml,
                                             font_maker::BmFormat::Binary};

TEST(BmFont, TheThreeFormatsGiveTheSamePackedFont) {
    const Fixture f = Fixture::Standard();
    const Made text = Make(f, font_maker::BmFormat::Text);
    ASSERT_TRUE(text.status.ok()) << text.status.message;
    for (auto format : {font_maker::BmFormat::Xml, font_maker::BmFormat::Binary}) {
        const Made other = Make(f, format);
        ASSERT_TRUE(other.status.ok()) << other.status.message;
        EXPECT_TRUE(other.block == text.block) << "format " << static_cast<int>(format);
        // One note for the character outside the code page, one for kerning.
        EXPECT_EQ(other.notes.size(), 2u);
    }
}

// Every char lands on its code with its metrics, and its rectangle of the
// merged atlas holds exactly the texels of its rectangle of its page.
TEST(BmFont, GlyphsKeepTheirMetricsAndPixelsAcrossPages) {
    const Fixture f = Fixture::Standard();
    for (std::int32_t codePage : {CodePageWindows1252, CodePageLatin9}) {
        const Made made = Make(f, font_maker::BmFormat::Text, codePage);
        ASSERT_TRUE(made.status.ok()) << made.status.message;
        const auto font = sftools::UnpackFont(made.block);
        ASSERT_TRUE(font);
        const auto atlas = sftools::DecodePng(font->png);
        ASSERT_TRUE(atlas);
        EXPECT_EQ(font->png[25], 6) << "RGBA atlas";
        // The euro sign is 0x80 in Windows-1252 and 0xA4 in Latin-9; U+0100 is in neither.
        const std::uint8_t euro = codePage == CodePageWindows1252 ? 0x80 : 0xA4;
        const std::map<std::uint8_t, std::size_t> expected = {{32, 0}, {65, 1}, {66, 2}, {euro, 3}};
        ASSERT_EQ(font->glyphs.size(), expected.size());
        std::uint8_t previous = 0;
        for (const sftools::GlyphMetrics& g : font->glyphs) {
            EXPECT_GT(g.code, previous) << "ascending codes";
            previous = g.code;
            ASSERT_EQ(expected.count(g.code), 1u) << int{g.code};
            const tools_test::FixtureChar& c = f.chars[expected.at(g.code)];
            EXPECT_EQ(g.offsetX, c.xoffset);
            EXPECT_EQ(g.offsetY, c.yoffset);
            EXPECT_EQ(g.advance, c.xadvance);
            EXPECT_EQ(g.lineHeight, f.lineHeight);
            ASSERT_EQ(g.srcWidth, c.width);
            ASSERT_EQ(g.srcHeight, c.height);
            ASSERT_LE(g.srcX + g.srcWidth, atlas->width);
            ASSERT_LE(g.srcY + g.srcHeight, atlas->height);
            for (int y = 0; y < c.height; ++y)
                for (int x = 0; x < c.width; ++x) {
                    const std::uint8_t* want = f.Texel(c.page, c.x + x, c.y + y);
                    const std::uint8_t* got = &atlas->rgba[static_cast<std::size_t>(((g.srcY + y) * atlas->width + g.srcX + x) * 4)];
                    ASSERT_EQ(got[3], want[3]) << "code " << int{g.code} << " at " << x << "," << y;
                    // Colour only counts where there is ink.
                    if (want[3] != 0) {
                        for (int k = 0; k < 3; ++k) ASSERT_EQ(got[k], want[k]) << "code " << int{g.code};
                    }
                }
        }
    }
}

// A grey page whose alpha says nothing holds coverage: it becomes white ink.
// Without an alpha channel, and with one that is all 0 (as BMFont writes
// for an alpha channel set to "zero").
TEST(BmFont, AGreyPageWithoutAlphaBecomesWhiteInk) {
    for (bool zeroAlpha : {false, true}) {
        Fixture f = Fixture::Standard();
        for (auto& page : f.pages) page.channels = 1;
        Fixture sent = f;
        if (zeroAlpha)
            for (auto& page : sent.pages) {
                page.channels = 4;
                for (std::size_t i = 0; i < page.rgba.size(); i += 4) {
                    page.rgba[i] = page.rgba[i + 1] = page.rgba[i + 2] = page.rgba[i + 3];
                    page.rgba[i + 3] = 0;
                }
            }
        const Made made = Make(Bytes(f.Text()), sent.PageFiles());
        ASSERT_TRUE(made.status.ok()) << made.status.message;
        const auto font = sftools::UnpackFont(made.block);
        const auto atlas = sftools::DecodePng(font->png);
        ASSERT_TRUE(atlas);
        const sftools::GlyphMetrics& a = font->glyphs[1];
        ASSERT_EQ(a.code, 65);
        for (int y = 0; y < a.srcHeight; ++y)
            for (int x = 0; x < a.srcWidth; ++x) {
                const std::uint8_t* got = &atlas->rgba[static_cast<std::size_t>(((a.srcY + y) * atlas->width + a.srcX + x) * 4)];
                ASSERT_EQ(got[3], f.Texel(0, 1 + x, 2 + y)[3]) << zeroAlpha;
                if (got[3] != 0) {
                    ASSERT_EQ(got[0], 255);
                }
            }
    }
}

// Non-Unicode ids are Windows-1252 bytes, whatever code page is asked for.
TEST(BmFont, AnAnsiFontIsReadAsWindows1252) {
    Fixture f = Fixture::Standard();
    f.unicode = false;
    f.charset = "ANSI";
    f.chars.resize(3);
    f.chars.push_back({0x80, 10, 2, 7, 9, 0, 1, 9, 1});  // the euro sign's byte
    for (auto format : kFormats) {
        const Made made = Make(f, format, CodePageLatin9);
        ASSERT_TRUE(made.status.ok()) << made.status.message;
        const auto font = sftools::UnpackFont(made.block);
        EXPECT_EQ(font->glyphs.back().code, 0xA4) << static_cast<int>(format);
    }
}

// The fixture is changed first, then its page files are made and changed.
struct Refusal {
    const char* name;
    std::function<void(Fixture*)> change;
    std::function<void(Pages*)> changePages;
    MakeError kind;
    bool binaryCanSayIt = true;
};

TEST(BmFont, WhatThePackedFormatCannotHoldIsRefused) {
    const auto same = [](Fixture*) {};
    const auto keep = [](Pages*) {};
    const Refusal cases[] = {
        {"packed channels", [](Fixture* f) { f->packed = true; }, keep, MakeError::ChannelPacked},
        {"a char in one channel", [](Fixture* f) { f->chars[1].chnl = 4; }, keep, MakeError::ChannelPacked},
        {"a page file missing", same, [](Pages* p) { p->erase("fixture_1.png"); }, MakeError::PageMissing},
        {"a page id with no file", [](Fixture* f) { f->chars[1].page = 5; }, keep, MakeError::PageMissing},
        {"a page that is no PNG", same, [](Pages* p) { (*p)["fixture_0.png"] = {'G', 'I', 'F', '8'}; },
         MakeError::PageUndecodable},
        {"a colour page without alpha", [](Fixture* f) { f->pages[0].channels = 3; }, keep, MakeError::PageWithoutAlpha},
        {"a rectangle past its page", [](Fixture* f) { f->chars[1].x = 20; }, keep, MakeError::GlyphOutsidePage},
        {"a rectangle past the page's foot", [](Fixture* f) { f->chars[2].height = 18; }, keep, MakeError::GlyphOutsidePage},
        {"an advance beyond 16 bits", [](Fixture* f) { f->chars[1].xadvance = 40000; }, keep, MakeError::MetricTooLarge, false},
        {"a yoffset below 16 bits", [](Fixture* f) { f->chars[1].yoffset = -40000; }, keep, MakeError::MetricTooLarge, false},
        {"a line height beyond 16 bits", [](Fixture* f) { f->lineHeight = 40000; }, keep, MakeError::MetricTooLarge},
        {"a width beyond 16 bits", [](Fixture* f) { f->chars[1].width = 40000; }, keep, MakeError::MetricTooLarge},
        {"the same char twice", [](Fixture* f) { f->chars.push_back(f->chars[1]); }, keep, MakeError::DuplicateCharacter},
        {"a charset other than ANSI", [](Fixture* f) { f->unicode = false, f->charset = "GREEK", f->chars.resize(3); }, keep,
         MakeError::UnsupportedCharset, false},
        {"nothing in the code page", [](Fixture* f) { f->chars = {f->chars[4]}; }, keep, MakeError::NoGlyphs},
    };
    for (const Refusal& r : cases) {
        for (auto format : kFormats) {
            if (format == font_maker::BmFormat::Binary && !r.binaryCanSayIt) continue;
            Fixture f = Fixture::Standard();
            r.change(&f);
            Pages pages = f.PageFiles();
            r.changePages(&pages);
            const Made made = Make(Encode(f, format), pages);
            EXPECT_EQ(made.status.kind, r.kind) << r.name << " (format " << static_cast<int>(format) << "): "
                                                << made.status.message;
            EXPECT_FALSE(made.status.message.empty()) << r.name;
            EXPECT_TRUE(made.block.empty()) << r.name;
        }
    }
}

TEST(BmFont, BrokenFilesAreRefusedAsMalformed) {
    const Fixture f = Fixture::Standard();
    std::vector<std::uint8_t> version2 = f.Binary();
    version2[3] = 2;
    std::vector<std::uint8_t> overlongBlock = f.Binary();
    overlongBlock[5] = 0xFF;  // the info block's size now reaches far past the end
    const struct {
        const char* name;
        std::vector<std::uint8_t> file;
        MakeError kind;
    } cases[] = {
        {"binary version 2", version2, MakeError::UnsupportedVersion},
        {"a block past the end", overlongBlock, MakeError::Malformed},
        {"an unclosed quote", Bytes("info face=\"Broken\ncommon lineHeight=10\n"), MakeError::Malformed},
        {"a number that is not one", Bytes("common lineHeight=ten\n"), MakeError::Malformed},
        {"a number too long for 64 bits", Bytes("common lineHeight=99999999999999999999\n"), MakeError::Malformed},
        {"no common line", Bytes("info face=\"x\"\nchar id=65\n"), MakeError::Malformed},
        {"a char without an id", Bytes("common lineHeight=10\nchar x=1\n"), MakeError::Malformed},
        {"a page without a file", Bytes("common lineHeight=10\npage id=0\n"), MakeError::Malformed},
        {"an unclosed XML tag", Bytes("<?xml version=\"1.0\"?>\n<font><common lineHeight=\"10\""), MakeError::Malformed},
        {"an unquoted XML value", Bytes("<font><common lineHeight=10/></font>"), MakeError::Malformed},
        {"an unclosed XML comment", Bytes("<font><!-- <common lineHeight=\"10\"/>"), MakeError::Malformed},
    };
    for (const auto& c : cases) {
        font_maker::BmFont font;
        const auto status = font_maker::ParseBmFont(c.file, &font);
        EXPECT_EQ(status.kind, c.kind) << c.name << ": " << status.message;
    }
}

// Every prefix of each format either parses or is refused; none reads past its end.
TEST(BmFont, EveryTruncationIsHandled) {
    const Fixture f = Fixture::Standard();
    for (auto format : kFormats) {
        const auto whole = Encode(f, format);
        for (std::size_t n = 0; n < whole.size(); ++n) {
            // A copy of exactly n bytes, so that a sanitizer sees any overrun.
            const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            font_maker::BmFont font;
            const auto status = font_maker::ParseBmFont(cut, &font);
            if (format == font_maker::BmFormat::Binary) {
                EXPECT_FALSE(status.ok() && font.chars.size() == f.chars.size() && font.kerningPairs == 2) << n;
            }
        }
    }
}

TEST(BmFont, FilesAreToldApartFromFaces) {
    const Fixture f = Fixture::Standard();
    for (auto format : kFormats) EXPECT_TRUE(font_maker::LooksLikeBmFont(Encode(f, format)));
    EXPECT_TRUE(font_maker::LooksLikeBmFont(Bytes("\xEF\xBB\xBFinfo face=\"x\"\n")));
    EXPECT_FALSE(font_maker::LooksLikeBmFont(Bytes("\x00\x01\x00\x00\x00\x0F")));  // a TrueType header
    EXPECT_FALSE(font_maker::LooksLikeBmFont(Bytes("OTTO")));
    EXPECT_FALSE(font_maker::LooksLikeBmFont({}));
}

}  // namespace
