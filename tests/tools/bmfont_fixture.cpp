#include "bmfont_fixture.h"

#include "png_io.h"

namespace tools_test {
namespace {

// A page whose texels all differ, with alpha running through every value,
// so that a glyph cut from the wrong place cannot match by chance.
FixturePage Page(const std::string& file, std::int32_t width, std::int32_t height, std::uint8_t seed) {
    FixturePage page{file, width, height, {}, 4};
    page.rgba.resize(static_cast<std::size_t>(width * height * 4));
    for (std::int32_t i = 0; i < width * height; ++i) {
        page.rgba[static_cast<std::size_t>(i * 4 + 0)] = static_cast<std::uint8_t>(seed + i);
        page.rgba[static_cast<std::size_t>(i * 4 + 1)] = static_cast<std::uint8_t>(seed * 3 + i * 7);
        page.rgba[static_cast<std::size_t>(i * 4 + 2)] = static_cast<std::uint8_t>(255 - i);
        page.rgba[static_cast<std::size_t>(i * 4 + 3)] = static_cast<std::uint8_t>(i * 13 + seed);
    }
    return page;
}

// Little-endian, as every field of the binary form.
void Put(std::vector<std::uint8_t>* out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out->push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

Fixture Fixture::Standard() {
    Fixture f;
    // Two pages of one size (scaleW x scaleH), with different texels, so a
    // glyph cut from the wrong page shows.
    f.pages = {Page("fixture_0.png", 24, 20, 11), Page("fixture_1.png", 24, 20, 97)};
    f.chars = {
        // id, x, y, width, height, xoffset, yoffset, xadvance, page: a space, 'A', 'B'
        // (a negative xoffset), the euro sign (Unicode only) and U+0100 (in no code page).
        {32, 0, 0, 0, 0, 0, 9, 4, 0},
        {65, 1, 2, 6, 8, 1, 2, 8, 0},
        {66, 2, 3, 5, 7, -1, 3, 7, 1},
        {0x20AC, 10, 2, 7, 9, 0, 1, 9, 1},
        {0x0100, 12, 4, 6, 10, 0, 0, 8, 0},
    };
    f.kerning = {{65, 66, -1}, {66, 65, 2}};
    return f;
}

// Written the way the tools write it: keys the maker ignores included, and
// uneven spacing between pairs.
std::string Fixture::Text() const {
    std::string s = "info face=\"Fixture Sans\" size=16 bold=0 italic=0 charset=\"" + charset + "\" unicode=" +
                    (unicode ? "1" : "0") + " stretchH=100 smooth=1 aa=1 padding=0,0,0,0 spacing=1,1 outline=0\n";
    s += "common lineHeight=" + std::to_string(lineHeight) + " base=" + std::to_string(base) +
         " scaleW=" + std::to_string(ScaleW()) + " scaleH=" + std::to_string(ScaleH()) + " pages=" + std::to_string(pages.size()) + " packed=" + (packed ? "1" : "0") +
         " alphaChnl=0 redChnl=4 greenChnl=4 blueChnl=4\n";
    for (std::size_t i = 0; i < pages.size(); ++i)
        s += "page id=" + std::to_string(i) + " file=\"" + pages[i].file + "\"\n";
    if (!fieldType.empty())
        s += "distanceField fieldType=" + fieldType + " distanceRange=" + std::to_string(distanceRange) + "\n";
    s += "chars count=" + std::to_string(chars.size()) + "\n";
    for (const FixtureChar& c : chars)
        s += "char id=" + std::to_string(c.id) + "   x=" + std::to_string(c.x) + " y=" + std::to_string(c.y) +
             " width=" + std::to_string(c.width) + " height=" + std::to_string(c.height) +
             " xoffset=" + std::to_string(c.xoffset) + " yoffset=" + std::to_string(c.yoffset) +
             " xadvance=" + std::to_string(c.xadvance) + " page=" + std::to_string(c.page) +
             "  chnl=" + std::to_string(c.chnl) + "\n";
    s += "kernings count=" + std::to_string(kerning.size()) + "\n";
    for (const Kerning& k : kerning)
        s += "kerning first=" + std::to_string(k.first) + " second=" + std::to_string(k.second) +
             " amount=" + std::to_string(k.amount) + "\n";
    return s;
}

// With an entity, a comment, single-quoted values and space before '/>'.
std::string Fixture::Xml() const {
    std::string s = "<?xml version=\"1.0\"?>\n<font>\n";
    s += "  <info face=\"Fixture &amp; Sans\" size=\"16\" charset=\"" + charset + "\" unicode=\"" +
         (unicode ? "1" : "0") + "\" padding=\"0,0,0,0\"/>\n";
    s += "  <common lineHeight=\"" + std::to_string(lineHeight) + "\" base=\"" + std::to_string(base) +
         "\" scaleW=\"" + std::to_string(ScaleW()) + "\" scaleH=\"" + std::to_string(ScaleH()) + "\" pages=\"" + std::to_string(pages.size()) + "\" packed=\"" +
         (packed ? "1" : "0") + "\"/>\n  <!-- pages follow -->\n  <pages>\n";
    for (std::size_t i = 0; i < pages.size(); ++i)
        s += "    <page id=\"" + std::to_string(i) + "\" file='" + pages[i].file + "' />\n";
    s += "  </pages>\n";
    if (!fieldType.empty())
        s += "  <distanceField fieldType=\"" + fieldType + "\" distanceRange=\"" + std::to_string(distanceRange) + "\"/>\n";
    s += "  <chars count=\"" + std::to_string(chars.size()) + "\">\n";
    for (const FixtureChar& c : chars)
        s += "    <char id=\"" + std::to_string(c.id) + "\" x=\"" + std::to_string(c.x) + "\" y=\"" +
             std::to_string(c.y) + "\" width=\"" + std::to_string(c.width) + "\" height=\"" +
             std::to_string(c.height) + "\" xoffset=\"" + std::to_string(c.xoffset) + "\" yoffset=\"" +
             std::to_string(c.yoffset) + "\" xadvance=\"" + std::to_string(c.xadvance) + "\" page=\"" +
             std::to_string(c.page) + "\" chnl=\"" + std::to_string(c.chnl) + "\"/>\n";
    s += "  </chars>\n  <kernings count=\"" + std::to_string(kerning.size()) + "\">\n";
    for (const Kerning& k : kerning)
        s += "    <kerning first=\"" + std::to_string(k.first) + "\" second=\"" + std::to_string(k.second) +
             "\" amount=\"" + std::to_string(k.amount) + "\"/>\n";
    s += "  </kernings>\n</font>\n";
    return s;
}

std::vector<std::uint8_t> Fixture::Binary() const {
    std::vector<std::uint8_t> out = {'B', 'M', 'F', 3};
    const auto block = [&out](int type, const std::vector<std::uint8_t>& body) {
        out.push_back(static_cast<std::uint8_t>(type));
        Put(&out, body.size(), 4);
        out.insert(out.end(), body.begin(), body.end());
    };
    // Info: size, bits (smooth 0x80, unicode 0x40), charset, stretchH, aa,
    // padding, spacing, outline, then the face's name.
    std::vector<std::uint8_t> info;
    Put(&info, 16, 2);
    info.push_back(static_cast<std::uint8_t>(0x80 | (unicode ? 0x40 : 0)));  // smooth, unicode
    info.push_back(0);                                                       // ANSI
    Put(&info, 100, 2);
    for (int v : {1, 0, 0, 0, 0, 1, 1, 0}) info.push_back(static_cast<std::uint8_t>(v));
    for (char ch : std::string("Fixture Sans")) info.push_back(static_cast<std::uint8_t>(ch));
    info.push_back(0);
    block(1, info);
    // Common: lineHeight, base, scaleW, scaleH, pages, packed bit, channels.
    std::vector<std::uint8_t> common;
    for (std::int64_t v : {lineHeight, base, ScaleW(), ScaleH(), static_cast<std::int64_t>(pages.size())})
        Put(&common, static_cast<std::uint64_t>(v), 2);
    for (int v : {packed ? 1 : 0, 0, 4, 4, 4}) common.push_back(static_cast<std::uint8_t>(v));
    block(2, common);
    std::vector<std::uint8_t> names;
    for (const FixturePage& p : pages) {
        names.insert(names.end(), p.file.begin(), p.file.end());
        names.push_back(0);
    }
    block(3, names);
    std::vector<std::uint8_t> glyphs;
    for (const FixtureChar& c : chars) {
        Put(&glyphs, static_cast<std::uint64_t>(c.id), 4);
        for (std::int64_t v : {c.x, c.y, c.width, c.height, c.xoffset, c.yoffset, c.xadvance})
            Put(&glyphs, static_cast<std::uint64_t>(v), 2);
        glyphs.push_back(static_cast<std::uint8_t>(c.page));
        glyphs.push_back(static_cast<std::uint8_t>(c.chnl));
    }
    block(4, glyphs);
    std::vector<std::uint8_t> pairs;
    for (const Kerning& k : kerning) {
        Put(&pairs, static_cast<std::uint64_t>(k.first), 4);
        Put(&pairs, static_cast<std::uint64_t>(k.second), 4);
        Put(&pairs, static_cast<std::uint64_t>(k.amount), 2);
    }
    // Writers leave the kerning block out when there are no pairs.
    if (!pairs.empty()) block(5, pairs);
    return out;
}

std::map<std::string, std::vector<std::uint8_t>> Fixture::PageFiles() const {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const FixturePage& p : pages) {
        std::vector<std::uint8_t> pixels;
        for (std::size_t i = 0; i < p.rgba.size(); i += 4) {
            if (p.channels == 1) pixels.push_back(p.rgba[i + 3]);
            else pixels.insert(pixels.end(), p.rgba.begin() + static_cast<std::ptrdiff_t>(i),
                               p.rgba.begin() + static_cast<std::ptrdiff_t>(i) + p.channels);
        }
        // The tools' encoder writes RGB and RGBA; a grey page is written as
        // RGB with equal channels, which decodes the same.
        if (p.channels == 1) {
            std::vector<std::uint8_t> rgb;
            for (std::uint8_t v : pixels) rgb.insert(rgb.end(), {v, v, v});
            files[p.file] = sftools::EncodePng(rgb, p.width, p.height, 3);
        } else {
            files[p.file] = sftools::EncodePng(pixels, p.width, p.height, p.channels);
        }
    }
    return files;
}

const std::uint8_t* Fixture::Texel(std::int64_t page, std::int64_t x, std::int64_t y) const {
    const FixturePage& p = pages[static_cast<std::size_t>(page)];
    return &p.rgba[static_cast<std::size_t>((y * p.width + x) * 4)];
}

}  // namespace tools_test
