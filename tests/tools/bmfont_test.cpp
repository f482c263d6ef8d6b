// BMFont fonts in their three formats become the same packed font, with
// every glyph's pixels and metrics kept; what the format cannot express is
// refused with the right kind of error.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "bmfont.h"
#include "bmfont_fixture.h"
#include "font_block.h"
#include "png_forge.h"
#include "png_io.h"
#include "sprite_font.h"
#include "sprite_font_bmfont.h"

#include <filesystem>
#include <fstream>

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
Made Make(const std::vector<std::uint8_t>& file, const Pages& pages, font_maker::BmOptions options,
          int* reads = nullptr) {
    Made made;
    const font_maker::PageReader reader = [&](const std::string& name, std::vector<std::uint8_t>* bytes,
                                              std::string* error) {
        const auto found = pages.find(name);
        if (found == pages.end()) {
            *error = "no page " + name;
            return false;
        }
        *bytes = found->second;
        if (reads != nullptr) ++*reads;
        return true;
    };
    made.status = font_maker::MakeBmFontBlock(file, reader, options, font_maker::Packing::Tight, false, &made.block,
                                              &made.notes);
    return made;
}

font_maker::BmOptions InCodePage(std::int32_t codePage) {
    font_maker::BmOptions options;
    options.codePage = codePage;
    return options;
}

Made Make(const std::vector<std::uint8_t>& file, const Pages& pages, std::int32_t codePage = CodePageWindows1252) {
    return Make(file, pages, InCodePage(codePage));
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
        // One note, for the character outside the code page; kerning is kept.
        EXPECT_EQ(other.notes.size(), 1u) << other.notes.back();
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
                EXPECT_FALSE(status.ok() && font.chars.size() == f.chars.size() && font.kerning.size() == 2) << n;
            }
        }
    }
}

TEST(BmFont, FilesAreToldApartFromFaces) {
    const Fixture f = Fixture::Standard();
    for (auto format : kFormats) EXPECT_TRUE(font_maker::LooksLikeBmFont(Encode(f, format)));
    EXPECT_TRUE(font_maker::LooksLikeBmFont(Bytes("\xEF\xBB\xBFinfo face=\"x\"\n")));
    EXPECT_TRUE(font_maker::LooksLikeBmFont(Bytes("<!-- made by hand -->\n<font><common lineHeight=\"9\"/></font>")));
    EXPECT_FALSE(font_maker::LooksLikeBmFont(Bytes("\x00\x01\x00\x00\x00\x0F")));  // a TrueType header
    EXPECT_FALSE(font_maker::LooksLikeBmFont(Bytes("OTTO")));
    EXPECT_FALSE(font_maker::LooksLikeBmFont({}));
}

// Pairs between kept glyphs reach the chunk with their amounts; a pair
// naming a dropped character, an amount of 0 and a pair given twice (the
// last wins) do not; the metrics chunk has the line height, base and code
// page; the engine reads both back.
TEST(BmFont, KerningPairsAndMetricsAreKept) {
    Fixture f = Fixture::Standard();
    f.kerning = {{65, 66, -1}, {66, 65, 2}, {65, 0x0100, -3}, {0x20AC, 65, 0}, {65, 0x20AC, 4}, {65, 0x20AC, -5}};
    for (auto format : kFormats) {
        const Made made = Make(f, format, CodePageLatin9);
        ASSERT_TRUE(made.status.ok()) << made.status.message;
        const auto font = sftools::UnpackFont(made.block);
        ASSERT_TRUE(font);
        EXPECT_EQ(font->chunkFault, sprite_font_format::Fault::None);
        ASSERT_EQ(font->chunks.kerning.size(), 3u) << static_cast<int>(format);
        const std::vector<std::tuple<int, int, int>> expected = {{65, 66, -1}, {65, 0xA4, -5}, {66, 65, 2}};
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const auto& pair = font->chunks.kerning[i];
            EXPECT_EQ(std::make_tuple(int{pair.first}, int{pair.second}, int{pair.amount}), expected[i]) << i;
        }
        ASSERT_TRUE(font->chunks.metrics);
        EXPECT_EQ(font->chunks.metrics->lineHeight, 12);
        EXPECT_EQ(font->chunks.metrics->baseline, 10);
        EXPECT_EQ(font->chunks.metrics->codePage, std::uint32_t{CodePageLatin9});
        EXPECT_EQ(font->chunks.metrics->fieldKind, 0);
        // The note names the pair's left-out character and the dropped pair.
        ASSERT_EQ(made.notes.size(), 2u);
        EXPECT_NE(made.notes[0].find("\xC4\x80 U+0100"), std::string::npos) << made.notes[0];

        InitSpriteFonts();
        const FontId id = LoadSpriteFont(AutoId, made.block.data(), made.block.size());
        EXPECT_EQ(SpriteFontKerning(id, 'A', 0xA4), -5);
        EXPECT_EQ(SpriteFontKerning(id, 'B', 'A'), 2);
        EXPECT_EQ(SpriteFontKerning(id, 'A', 'A'), 0);
        SpriteFontMetrics metrics{};
        ASSERT_TRUE(GetSpriteFontMetrics(id, &metrics));
        EXPECT_EQ(metrics.codePage, CodePageLatin9);
        EXPECT_EQ(metrics.baseline, 10);
    }
    font_maker::BmOptions none = InCodePage(CodePageWindows1252);
    none.kerning = false;
    const Made plain = Make(Bytes(f.Text()), f.PageFiles(), none);
    ASSERT_TRUE(plain.status.ok());
    EXPECT_TRUE(sftools::UnpackFont(plain.block)->chunks.kerning.empty());
}

// Littera leaves unicode= empty; the XML form writes unicode="". Both mean
// "not given". A required value left empty is a line cut short.
TEST(BmFont, EmptyValuesCountAsMissing) {
    const Fixture f = Fixture::Standard();
    std::string text = f.Text(), xml = f.Xml();
    text.replace(text.find("unicode=1"), 9, "unicode=");
    xml.replace(xml.find("unicode=\"1\""), 11, "unicode=\"\"");
    for (const std::string& file : {text, xml}) {
        font_maker::BmFont font;
        const auto status = font_maker::ParseBmFont(Bytes(file), &font);
        EXPECT_TRUE(status.ok()) << status.message;
        EXPECT_EQ(font.chars.size(), f.chars.size());
    }
    font_maker::BmFont font;
    EXPECT_EQ(font_maker::ParseBmFont(Bytes("common lineHeight=\n"), &font).kind, MakeError::Malformed);
}

// A file cut anywhere inside its last char line is refused, not made into
// a font with that char's missing values taken as zeros.
TEST(BmFont, ACharLineCutShortIsRefused) {
    const std::string text = Fixture::Standard().Text();
    const std::size_t lastChar = text.rfind("char id=");
    const std::size_t lineEnd = text.find('\n', lastChar);
    for (std::size_t cut = lastChar + 9; cut < lineEnd - 1; ++cut) {
        // Cut between two values: the line ends in a whole value, the
        // treacherous case; cuts inside a value leave it empty or shorter.
        if (text[cut] != ' ') continue;
        font_maker::BmFont font;
        const auto status = font_maker::ParseBmFont(Bytes(text.substr(0, cut)), &font);
        EXPECT_EQ(status.kind, MakeError::Malformed) << text.substr(lastChar, cut - lastChar);
        EXPECT_NE(status.message.find("cut short"), std::string::npos) << status.message;
    }
}

// Line heights of 0 and below are refused as such, not as too large.
TEST(BmFont, ALineHeightMustBePositive) {
    for (std::int64_t lineHeight : {0, -9}) {
        Fixture f = Fixture::Standard();
        f.lineHeight = lineHeight;
        const Made made = Make(f, font_maker::BmFormat::Text);
        EXPECT_EQ(made.status.kind, MakeError::Malformed) << lineHeight;
        EXPECT_NE(made.status.message.find("not positive"), std::string::npos) << made.status.message;
    }
}

// Pages that declare more than they can hold, or more than may be decoded,
// are refused from their header; a page whose size disagrees with scaleW
// and scaleH is refused rather than cut at the wrong places.
TEST(BmFont, PagesAreJudgedBeforeTheirPixelsAreTaken) {
    using png_forge::Bytes;
    const Bytes huge = png_forge::Png({png_forge::Ihdr(60000, 60000, 8, png_forge::kRgba), png_forge::Idat({0, 0}),
                                       png_forge::Iend()});
    const Bytes wide = png_forge::Image(9000, 2, 8, png_forge::kRgba);
    // Within the side limit, but a few bytes cannot hold 8000 x 8000 pixels.
    const Bytes hollow = png_forge::Png({png_forge::Ihdr(8000, 8000, 8, png_forge::kRgba), png_forge::Idat({0, 0}),
                                         png_forge::Iend()});
    for (const Bytes& page : {huge, wide, hollow}) {
        const Fixture f = Fixture::Standard();
        Pages pages = f.PageFiles();
        pages["fixture_0.png"].assign(page.begin(), page.end());
        const std::string text = f.Text();
        const Made made = Make(std::vector<std::uint8_t>(text.begin(), text.end()), pages);
        EXPECT_EQ(made.status.kind, MakeError::PageTooLarge) << made.status.message;
        EXPECT_NE(made.status.message.find("fixture_0.png"), std::string::npos);
    }
    Fixture f = Fixture::Standard();
    f.scaleOverride = std::make_pair(24, 40);
    for (auto format : kFormats) {
        const Made made = Make(f, format);
        EXPECT_EQ(made.status.kind, MakeError::PageMismatch) << made.status.message;
    }
}

// Twenty page ids naming one file: the file is read and decoded once.
TEST(BmFont, EachPageFileIsReadOnce) {
    Fixture f = Fixture::Standard();
    f.pages.resize(1);
    for (int i = 1; i < 20; ++i) f.pages.push_back(f.pages[0]);
    for (std::size_t i = 0; i < f.chars.size(); ++i) f.chars[i].page = static_cast<std::int64_t>(i % 2 ? 19 : i);
    f.chars[3].x = 10, f.chars[3].y = 2;
    int reads = 0;
    const Made made = Make(Bytes(f.Text()), f.PageFiles(), InCodePage(CodePageWindows1252), &reads);
    ASSERT_TRUE(made.status.ok()) << made.status.message;
    EXPECT_EQ(reads, 1);
}

// A font of only transparent texels would load and draw nothing.
TEST(BmFont, AFontWithoutInkIsRefused) {
    Fixture f = Fixture::Standard();
    for (auto& page : f.pages) std::fill(page.rgba.begin(), page.rgba.end(), 0);
    EXPECT_EQ(Make(f, font_maker::BmFormat::Text).status.kind, MakeError::NoInk);
}

// Distance-field fonts convert with the field kept and marked: a single
// channel as it is, a multi-channel one with the median of its channels as
// alpha and the channels untouched. An opaque colour page without a field
// line is refused with a message that says what is missing.
TEST(BmFont, DistanceFieldsAreKeptAndMarked) {
    for (const char* type : {"sdf", "msdf"}) {
        for (auto format : {font_maker::BmFormat::Text, font_maker::BmFormat::Xml}) {
            Fixture f = Fixture::Standard();
            f.fieldType = type;
            f.distanceRange = 4;
            const bool multi = std::string(type) == "msdf";
            if (multi)
                for (auto& page : f.pages)
                    for (std::size_t i = 3; i < page.rgba.size(); i += 4) page.rgba[i] = 255;
            const Made made = Make(f, format);
            ASSERT_TRUE(made.status.ok()) << type << ": " << made.status.message;
            const auto font = sftools::UnpackFont(made.block);
            ASSERT_TRUE(font && font->chunks.metrics);
            EXPECT_EQ(font->chunks.metrics->fieldKind, multi ? sprite_font_format::FieldMsdf : sprite_font_format::FieldSdf);
            EXPECT_EQ(font->chunks.metrics->fieldRange, 4);
            ASSERT_EQ(made.notes.size(), 2u);
            EXPECT_NE(made.notes[1].find("blurred"), std::string::npos) << made.notes[1];
            // 'A': texel (x, y) of the glyph against page 0 at (1 + x, 2 + y).
            const auto atlas = sftools::DecodePng(font->png);
            const sftools::GlyphMetrics& a = font->glyphs[1];
            for (int y = 0; y < a.srcHeight; ++y)
                for (int x = 0; x < a.srcWidth; ++x) {
                    const std::uint8_t* want = f.Texel(0, 1 + x, 2 + y);
                    const std::uint8_t* got = &atlas->rgba[static_cast<std::size_t>(((a.srcY + y) * atlas->width + a.srcX + x) * 4)];
                    const std::uint8_t alpha = multi ? std::max(std::min(want[0], want[1]), std::min(std::max(want[0], want[1]), want[2]))
                                                     : want[3];
                    ASSERT_EQ(got[3], alpha) << type << " " << x << "," << y;
                    if (alpha != 0) {
                        for (int k = 0; k < 3; ++k) ASSERT_EQ(got[k], want[k]);
                    }
                }
        }
    }
    Fixture opaque = Fixture::Standard();
    for (auto& page : opaque.pages)
        for (std::size_t i = 3; i < page.rgba.size(); i += 4) page.rgba[i] = 255;
    const Made refused = Make(opaque, font_maker::BmFormat::Text);
    EXPECT_EQ(refused.status.kind, MakeError::PageWithoutAlpha);
    EXPECT_NE(refused.status.message.find("distanceField"), std::string::npos) << refused.status.message;
    EXPECT_EQ(refused.status.message.find("no alpha channel"), std::string::npos) << refused.status.message;
    // A fill would erase a multi-channel field: it is left out, with a note.
    Fixture msdf = Fixture::Standard();
    msdf.fieldType = "msdf";
    font_maker::BmOptions fill = InCodePage(CodePageWindows1252);
    fill.fill = 0xFF0000;
    const Made kept = Make(Bytes(msdf.Text()), msdf.PageFiles(), fill);
    ASSERT_TRUE(kept.status.ok()) << kept.status.message;
    EXPECT_EQ(kept.block, Make(msdf, font_maker::BmFormat::Text).block);
    EXPECT_EQ(std::count_if(kept.notes.begin(), kept.notes.end(),
                            [](const std::string& note) { return note.find("--fill is not applied") != std::string::npos; }),
              1);
    Fixture unknown = Fixture::Standard();
    unknown.fieldType = "vsdf";
    EXPECT_EQ(Make(unknown, font_maker::BmFormat::Xml).status.kind, MakeError::FieldUnsupported);
}

// Black ink (alpha holds the glyphs) gets a note pointing at --fill, and
// --fill recolours every texel, keeping alpha.
TEST(BmFont, DarkInkIsNotedAndFillRecolours) {
    Fixture f = Fixture::Standard();
    for (auto& page : f.pages)
        for (std::size_t i = 0; i < page.rgba.size(); i += 4) page.rgba[i] = page.rgba[i + 1] = page.rgba[i + 2] = 0;
    const Made dark = Make(f, font_maker::BmFormat::Text);
    ASSERT_TRUE(dark.status.ok()) << dark.status.message;
    ASSERT_EQ(dark.notes.size(), 2u);
    EXPECT_NE(dark.notes[1].find("--fill"), std::string::npos) << dark.notes[1];
    font_maker::BmOptions white = InCodePage(CodePageWindows1252);
    white.fill = 0xFFEEDD;
    const Made filled = Make(Bytes(f.Text()), f.PageFiles(), white);
    ASSERT_TRUE(filled.status.ok());
    EXPECT_EQ(filled.notes.size(), 1u);
    const auto font = sftools::UnpackFont(filled.block);
    const auto atlas = sftools::DecodePng(font->png);
    int inked = 0;
    for (std::size_t i = 0; i < atlas->rgba.size(); i += 4)
        if (atlas->rgba[i + 3] != 0) {
            ++inked;
            ASSERT_EQ(atlas->rgba[i], 0xFF);
            ASSERT_EQ(atlas->rgba[i + 1], 0xEE);
            ASSERT_EQ(atlas->rgba[i + 2], 0xDD);
        }
    EXPECT_GT(inked, 100);
}

// Pages are found beside the descriptor: by their relative name (with
// backslashes), and by the last component of an absolute Windows or Unix
// path or of a relative one that is not there.
TEST(BmFont, PageNamesFallBackToTheFileBesideTheDescriptor) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("bmfont_pages_" + std::to_string(::getpid()));
    fs::create_directories(dir / "sub");
    std::ofstream(dir / "page.png") << "beside";
    std::ofstream(dir / "sub" / "inner.png") << "inner";
    const font_maker::PageReader read = font_maker::PagesBeside((dir / "font.fnt").string());
    const struct {
        const char* name;
        const char* content;  // nullptr: not found
    } cases[] = {
        {"page.png", "beside"},
        {"E:\\Art Work\\fonts\\page.png", "beside"},
        {"/home/someone/page.png", "beside"},
        {"\\\\server\\share\\page.png", "beside"},
        {"sub\\inner.png", "inner"},
        {"sub/inner.png", "inner"},
        {"elsewhere/page.png", "beside"},
        {"missing.png", nullptr},
        {"C:\\", nullptr},
        {"..", nullptr},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        const bool found = read(c.name, &bytes, &error);
        EXPECT_EQ(found, c.content != nullptr) << c.name << ": " << error;
        if (found) {
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.content) << c.name;
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
    fs::remove_all(dir);
}

// LoadBMFont reads each form from disk into the same font the maker makes
// (no platform here: the glyph records and chunks alone).
TEST(BmFont, LoadBmFontReadsEachForm) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("bmfont_load_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const Fixture f = Fixture::Standard();
    for (const auto& [name, png] : f.PageFiles())
        std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    InitSpriteFonts();
    BMFontOptions options;
    options.codePage = CodePageLatin9;
    for (auto format : kFormats) {
        const auto bytes = Encode(f, format);
        const fs::path path = dir / ("font" + std::to_string(static_cast<int>(format)) + ".fnt");
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        std::string error;
        const FontId id = LoadBMFont(AutoId, path.string().c_str(), options, &error);
        ASSERT_NE(id, 0u) << error;
        const SpriteFont* font = GetSpriteFont(id);
        EXPECT_EQ(font->glyphs[0xA4].present, 1) << "the euro sign in Latin-9";
        EXPECT_EQ(font->glyphs['B'].offsetX, -1);
        EXPECT_EQ(SpriteFontKerning(id, 'B', 'A'), 2);
        SpriteFontMetrics metrics{};
        ASSERT_TRUE(GetSpriteFontMetrics(id, &metrics));
        EXPECT_EQ(metrics.lineHeight, 12);
        EXPECT_EQ(metrics.codePage, CodePageLatin9);
    }
    options.kerning = false;
    std::string error;
    const FontId plain = LoadBMFont(AutoId, (dir / "font0.fnt").string().c_str(), options, &error);
    ASSERT_NE(plain, 0u) << error;
    EXPECT_EQ(SpriteFontKerning(plain, 'B', 'A'), 0);
    fs::remove_all(dir);
}

}  // namespace
