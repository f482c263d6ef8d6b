// A small BMFont font the tests describe once and write in each of the three
// formats, with its page images: two pages, a Unicode-only character, a
// character outside Windows-1252, kerning pairs.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tools_test {

struct FixtureChar {
    std::int64_t id, x, y, width, height, xoffset, yoffset, xadvance, page, chnl = 15;
};

struct FixturePage {
    std::string file;
    std::int32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgba;  // straight alpha
    int channels = 4;                // 3 writes the page as RGB, 1 as grey (no alpha)
};

struct Fixture {
    bool unicode = true;
    std::string charset;
    std::int64_t lineHeight = 12, base = 10;
    bool packed = false;
    std::vector<FixturePage> pages;
    std::vector<FixtureChar> chars;
    struct Kerning {
        std::int64_t first, second, amount = -1;
    };
    std::vector<Kerning> kerning;
    // A distanceField line (text and XML only; the binary form has none).
    std::string fieldType;
    std::int64_t distanceRange = 0;

    // 'A' and U+0100 on page 0; 'B' and the euro sign on page 1; a space;
    // two kerning pairs.
    static Fixture Standard();

    std::string Text() const;
    std::string Xml() const;
    std::vector<std::uint8_t> Binary() const;
    // The page files as PNG bytes, by name.
    std::map<std::string, std::vector<std::uint8_t>> PageFiles() const;
    // The page size the descriptor states: the first page's, or scaleOverride.
    std::int64_t ScaleW() const { return scaleOverride ? scaleOverride->first : pages.empty() ? 0 : pages[0].width; }
    std::int64_t ScaleH() const { return scaleOverride ? scaleOverride->second : pages.empty() ? 0 : pages[0].height; }
    std::optional<std::pair<std::int64_t, std::int64_t>> scaleOverride;
    // One texel of a page, RGBA.
    const std::uint8_t* Texel(std::int64_t page, std::int64_t x, std::int64_t y) const;
};

}  // namespace tools_test
