#include "font_check.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <optional>

#include "code_page_names.h"
#include "png_codec.h"
#include "sprite_font.h"

namespace inspect {
namespace {

// PNG lengths are big-endian, unlike the packed font's own fields.
std::uint32_t GetBe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

// Where the PNG's IEND chunk ends, walking the chunks without decoding;
// nothing when the signature is wrong or a chunk runs past the bytes.
std::optional<std::size_t> PngEnd(std::span<const std::uint8_t> png) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (png.size() < 8 || std::memcmp(png.data(), kSignature, 8) != 0) return std::nullopt;
    std::size_t at = 8;
    while (png.size() - at >= 12) {
        const std::uint32_t length = GetBe32(&png[at]);
        // Length, type, data and CRC must all lie inside the bytes.
        if (length > png.size() - at - 12) return std::nullopt;
        const bool end = std::memcmp(&png[at + 4], "IEND", 4) == 0;
        at += 12 + std::size_t{length};
        if (end) return at;
    }
    return std::nullopt;
}

// One problem, one line: messages never hold a line break.
void Add(FontReport* report, Problem kind, std::string text) { report->problems.push_back({kind, std::move(text)}); }

}  // namespace

FontReport CheckFont(std::span<const std::uint8_t> block) {
    FontReport report;
    if (block.size() < sftools::kHeaderSize) {
        Add(&report, Problem::TooShort, "the file has " + std::to_string(block.size()) +
                                            " bytes, fewer than the 20 of the magic and the atlas length");
        return report;
    }
    // The engine skips the magic unread, so this does not stop the check.
    if (std::memcmp(block.data(), sftools::kMagic, sizeof sftools::kMagic) != 0)
        Add(&report, Problem::BadMagic, "the first 16 bytes are not the magic \"*Sprite3DFont*\" CR LF");
    // Signed on disk: a length with the top bit set is negative.
    const auto length = static_cast<std::int32_t>(sftools::GetLe32(block.data() + 16));
    const std::size_t room = block.size() - sftools::kHeaderSize;
    if (length < 0 || static_cast<std::size_t>(length) > room) {
        Add(&report, Problem::BadAtlasLength, "the atlas length " + std::to_string(length) + " does not fit the " +
                                                  std::to_string(room) + " bytes after the header");
        return report;  // without it there is no telling where the records are
    }
    const auto png = block.subspan(sftools::kHeaderSize, static_cast<std::size_t>(length));

    // The atlas: as the platform decodes it, bounded by the atlas length.
    // Only a PNG has an IEND to compare with; other bytes are simply undecodable.
    const bool signature = png.size() >= 8 && png[0] == 0x89 && std::memcmp(&png[1], "PNG", 3) == 0;
    const auto end = PngEnd(png);
    if (signature && !end)
        Add(&report, Problem::AtlasLengthMismatch,
            "the PNG runs past the atlas length " + std::to_string(length) + " (or has no IEND chunk)");
    else if (end && *end != png.size())
        Add(&report, Problem::AtlasLengthMismatch,
            "the atlas length is " + std::to_string(length) + " but the PNG ends after " + std::to_string(*end) +
                " bytes");
    // The platform's own decoder, so a pass here is a pass when the font loads.
    DecodedImage image;
    const PngStatus status = DecodePng(png.data(), png.size(), image);
    if (status != PngStatus::Ok) {
        Add(&report, Problem::AtlasUndecodable, std::string("the atlas does not decode: ") + PngStatusMessage(status));
    } else {
        report.atlasDecoded = true;
        report.atlasWidth = image.width;
        report.atlasHeight = image.height;
        // A font whose atlas holds nothing visible loads and draws nothing.
        bool ink = false;
        for (std::uint32_t texel : image.pixels) ink = ink || (texel >> 24) != 0;
        if (!ink) Add(&report, Problem::NoInk, "every texel of the atlas is transparent: the font draws nothing");
        // Without alpha every glyph would cover its whole rectangle.
        else if (!image.hasAlpha)
            Add(&report, Problem::AtlasWithoutAlpha, "the atlas has no alpha channel: glyphs would draw as opaque boxes");
        else if (png.size() > 25 && png[25] != 6)
            report.notes.push_back("the atlas is PNG colour type " + std::to_string(png[25]) +
                                   ", not 8-bit RGBA (type 6); it decodes with alpha all the same");
    }

    // The records, read as the engine reads them, but every fault reported.
    // From where the atlas length says, as the engine reads them.
    std::size_t at = sftools::kHeaderSize + static_cast<std::size_t>(length);
    bool terminated = false;
    while (at < block.size()) {
        if (block[at] == 0) {
            terminated = true;
            break;
        }
        if (block.size() - at < sftools::kRecordSize) {
            Add(&report, Problem::RecordCutShort, "the record at byte " + std::to_string(at) + " (code " +
                                                      std::to_string(block[at]) + ") is cut short by the end of the file");
            break;
        }
        const std::uint8_t* p = block.data() + at;
        sftools::GlyphMetrics g;
        g.code = p[0];
        std::int16_t* fields[] = {&g.offsetX, &g.offsetY, &g.advance, &g.lineHeight,
                                  &g.srcX,    &g.srcY,    &g.srcWidth, &g.srcHeight};
        for (int i = 0; i < 8; ++i) *fields[i] = sftools::GetLe16(p + 1 + 2 * i);
        report.records.push_back(g);
        at += sftools::kRecordSize;
    }
    if (!terminated && !report.Has(Problem::RecordCutShort))
        Add(&report, Problem::NotTerminated, "the glyph records are not ended by a 0 byte");
    if (terminated && at + 1 < block.size())
        report.notes.push_back(std::to_string(block.size() - at - 1) + " bytes follow the terminator, unread");
    if (report.records.empty() && terminated) Add(&report, Problem::NoGlyphs, "the font has no glyph records");

    // Counting per code: the second record of a code is the one to report.
    std::array<int, 256> seen{};
    for (const sftools::GlyphMetrics& g : report.records) {
        const std::string code = "code " + std::to_string(g.code);
        if (++seen[g.code] == 2)
            Add(&report, Problem::DuplicateCode, code + " has more than one record; the last one wins");
        if (g.lineHeight <= 0)
            Add(&report, Problem::LineHeightNotPositive, code + " has the line height " + std::to_string(g.lineHeight));
        // Without a decoded atlas only negative rectangles can be told wrong.
        const bool negative = g.srcX < 0 || g.srcY < 0 || g.srcWidth < 0 || g.srcHeight < 0;
        if (negative || (report.atlasDecoded && (g.srcX + g.srcWidth > report.atlasWidth ||
                                                 g.srcY + g.srcHeight > report.atlasHeight))) {
            Add(&report, Problem::RectangleOutsideAtlas,
                code + ": the rectangle " + std::to_string(g.srcX) + "," + std::to_string(g.srcY) + " " +
                    std::to_string(g.srcWidth) + " x " + std::to_string(g.srcHeight) +
                    (negative ? " has a negative corner or size"
                              : " reaches past the atlas of " + std::to_string(report.atlasWidth) + " x " +
                                    std::to_string(report.atlasHeight)));
        }
    }
    return report;
}

// In block order, duplicates included: the table shows what is there.
std::string GlyphTable(const FontReport& report, std::int32_t codePage) {
    std::string out = "code  char    offsetX offsetY advance lineHeight   srcX   srcY srcWidth srcHeight\n";
    char line[160];
    for (const sftools::GlyphMetrics& g : report.records) {
        // The character as UTF-8, padded by hand: printf counts bytes, not columns.
        const std::int32_t c = CodePageToUnicode(codePage, g.code);
        std::string shown;
        if (c >= 0x20 && c != 0x7F && !(c >= 0x80 && c <= 0x9F)) sftools::AppendUtf8(c, &shown);
        else shown = "-";
        std::snprintf(line, sizeof line, "%4d  %s%s %7d %7d %7d %10d %6d %6d %8d %9d\n", g.code, shown.c_str(),
                      std::string(6, ' ').c_str(), g.offsetX, g.offsetY, g.advance, g.lineHeight, g.srcX, g.srcY,
                      g.srcWidth, g.srcHeight);
        out += line;
    }
    return out;
}

}  // namespace inspect
