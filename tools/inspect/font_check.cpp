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

// Printable tag bytes as they are, others as '?', so a report line stays one line.
std::string TagText(const char (&tag)[4]) {
    std::string text;
    for (char c : tag) text += c >= 0x20 && c < 0x7F ? c : '?';
    return text;
}

// The character of a code for tables and messages, or "-" when it has none to show.
std::string Shown(std::int32_t codePage, std::uint8_t code) {
    const std::int32_t c = CodePageToUnicode(codePage, code);
    std::string shown;
    if (c >= 0x20 && c != 0x7F && !(c >= 0x80 && c <= 0x9F)) sftools::AppendUtf8(c, &shown);
    else shown = "-";
    return shown;
}

// The engine knows a code page when it maps a letter through it.
bool KnownCodePage(std::int32_t codePage) { return CodePageToUnicode(codePage, 'A') >= 0; }

// The chunk list after the terminator, read as the sized load reads it, then
// what the chunks say checked against the records.
void CheckChunks(std::span<const std::uint8_t> block, const sprite_font_format::Layout& layout, FontReport* report) {
    namespace format = sprite_font_format;
    format::ChunkReader reader(block.data(), block.size(), layout);
    format::Chunk chunk;
    int metricsChunks = 0;
    std::size_t damageAt = layout.chunksOffset;
    while (reader.Next(&chunk)) {
        damageAt = chunk.offset;
        report->chunks.push_back({TagText(chunk.tag), chunk.offset, chunk.length});
        if (format::IsTag(chunk, format::kKerningTag)) {
            std::uint32_t count = 0;
            const format::Fault fault = format::CheckKerning(chunk, &count);
            if (fault != format::Fault::None) {
                reader.Stop(fault);
                break;
            }
            for (std::uint32_t i = 0; i < count; ++i) report->kerning.push_back(format::ReadKerningPair(chunk, i));
        } else if (format::IsTag(chunk, format::kMetricsTag)) {
            format::Metrics metrics;
            const format::Fault fault = format::ReadMetrics(chunk, &metrics);
            if (fault != format::Fault::None) {
                reader.Stop(fault);
                break;
            }
            report->metrics = metrics;
            ++metricsChunks;
        } else {
            report->notes.push_back("a chunk tagged \"" + TagText(chunk.tag) + "\" of " + std::to_string(chunk.length) +
                                    " bytes at byte " + std::to_string(chunk.offset) + " is not known here; the engine skips it");
        }
        damageAt = chunk.offset + format::kChunkHeaderSize + chunk.length;
    }
    report->chunkFault = reader.fault();
    if (report->chunkFault != format::Fault::None) {
        // A chunk found damaged inside is dropped whole: it starts where the last whole one ended.
        if (!report->chunks.empty() && report->chunks.back().offset == damageAt) report->chunks.pop_back();
        const std::string text = std::string("the chunk list is damaged at byte ") + std::to_string(damageAt) + ": " +
                                 format::FaultText(report->chunkFault) + "; the engine ignores it from there on";
        // Read from the wrong place when the atlas length is off: that fault is the one to mend.
        if (report->Has(Problem::AtlasLengthMismatch)) report->notes.push_back(text);
        else Add(report, Problem::ChunkDamaged, text);
    }
    if (metricsChunks > 1)
        report->notes.push_back(std::to_string(metricsChunks) + " metrics chunks; the engine keeps the last");

    if (report->metrics) {
        const format::Metrics& m = *report->metrics;
        if (m.lineHeight <= 0)
            Add(report, Problem::MetricsLineHeightNotPositive,
                "the metrics chunk has the line height " + std::to_string(m.lineHeight));
        if (m.codePage == 0)
            report->notes.push_back("the metrics chunk names no code page; UTF-8 text is taken as Windows-1252");
        else if (!KnownCodePage(static_cast<std::int32_t>(m.codePage)))
            Add(report, Problem::UnknownCodePage,
                "the metrics chunk names the code page " + std::to_string(m.codePage) + ", which the engine does not know");
        if (m.fieldKind > format::FieldMsdf)
            Add(report, Problem::UnknownFieldKind,
                "the metrics chunk names the distance-field kind " + std::to_string(m.fieldKind) + ", none of 0, 1, 2");
    }

    std::array<bool, 256> present{};
    for (const sftools::GlyphMetrics& g : report->records) present[g.code] = true;
    std::size_t orphans = 0, repeated = 0;
    std::string examples;
    std::vector<bool> seen(256 * 256, false);
    for (const format::KerningPair& pair : report->kerning) {
        if (seen[pair.first << 8 | pair.second]) ++repeated;
        seen[pair.first << 8 | pair.second] = true;
        if (present[pair.first] && present[pair.second]) continue;
        if (++orphans <= 4) examples += " " + std::to_string(pair.first) + "," + std::to_string(pair.second);
    }
    if (orphans > 0)
        Add(report, Problem::KerningWithoutGlyph,
            std::to_string(orphans) + " kerning pair" + (orphans == 1 ? " names" : "s name") +
                " a code without a glyph record (first, second:" + examples + (orphans > 4 ? " ...)" : ")"));
    if (repeated > 0)
        report->notes.push_back(std::to_string(repeated) + " kerning pair" + (repeated == 1 ? " is" : "s are") +
                                " given more than once; the engine keeps the last amount");
}

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

    // The records, walked by the engine's own reader, every fault reported.
    namespace format = sprite_font_format;
    const format::Layout layout = format::ReadLayout(block.data(), block.size());
    for (std::size_t i = 0; i < layout.recordCount; ++i) {
        const format::Record r = format::ReadRecord(block.data(), layout, i);
        report.records.push_back(
            {r.code, r.offsetX, r.offsetY, r.advance, r.lineHeight, r.srcX, r.srcY, r.srcWidth, r.srcHeight});
    }
    const std::size_t listEnd = layout.recordsOffset + layout.recordCount * sftools::kRecordSize;
    if (layout.fault == format::Fault::RecordCutShort)
        Add(&report, Problem::RecordCutShort, "the record at byte " + std::to_string(listEnd) + " (code " +
                                                  std::to_string(block[listEnd]) + ") is cut short by the end of the file");
    else if (layout.fault == format::Fault::NoTerminator)
        Add(&report, Problem::NotTerminated, "the glyph records are not ended by a 0 byte");
    else if (report.records.empty())
        Add(&report, Problem::NoGlyphs, "the font has no glyph records");
    if (layout.fault == format::Fault::None) CheckChunks(block, layout, &report);

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
        const std::string shown = Shown(codePage, g.code);
        std::snprintf(line, sizeof line, "%4d  %s%s %7d %7d %7d %10d %6d %6d %8d %9d\n", g.code, shown.c_str(),
                      std::string(6, ' ').c_str(), g.offsetX, g.offsetY, g.advance, g.lineHeight, g.srcX, g.srcY,
                      g.srcWidth, g.srcHeight);
        out += line;
    }
    return out;
}

std::string ChunkList(const FontReport& report) {
    std::string out;
    for (const ChunkEntry& chunk : report.chunks)
        out += "chunk " + chunk.tag + " at byte " + std::to_string(chunk.offset) + ", " + std::to_string(chunk.length) +
               " bytes\n";
    return out;
}

std::string MetricsLine(const FontReport& report) {
    if (!report.metrics) return "no metrics chunk: line height from the glyph records, code page not stated";
    const sprite_font_format::Metrics& m = *report.metrics;
    std::string line = "metrics: line height " + std::to_string(m.lineHeight) + ", baseline " +
                       std::to_string(m.baseline) + ", code page ";
    line += m.codePage == 0 ? std::string("not stated")
            : KnownCodePage(static_cast<std::int32_t>(m.codePage))
                ? std::string(sftools::CodePageName(static_cast<std::int32_t>(m.codePage))) + " (" + std::to_string(m.codePage) + ")"
                : std::to_string(m.codePage) + " (unknown)";
    static const char* const kFields[] = {"", ", single-channel distance field", ", multi-channel distance field"};
    if (m.fieldKind <= sprite_font_format::FieldMsdf) line += kFields[m.fieldKind];
    else line += ", distance-field kind " + std::to_string(m.fieldKind);
    if (m.fieldKind != 0 || m.fieldRange != 0) line += ", range " + std::to_string(m.fieldRange);
    return line;
}

// In block order, repeats included, like the glyph table.
std::string KerningTable(const FontReport& report, std::int32_t codePage) {
    std::string out = "first second  chars  amount\n";
    char line[96];
    for (const sprite_font_format::KerningPair& pair : report.kerning) {
        const std::string chars = Shown(codePage, pair.first) + Shown(codePage, pair.second);
        std::snprintf(line, sizeof line, "%5d %6d  %s%s %7d\n", pair.first, pair.second, chars.c_str(), "    ",
                      pair.amount);
        out += line;
    }
    return out;
}

std::int32_t FontCodePage(const FontReport& report, std::int32_t fallback) {
    if (!report.metrics || !KnownCodePage(static_cast<std::int32_t>(report.metrics->codePage))) return fallback;
    return static_cast<std::int32_t>(report.metrics->codePage);
}

}  // namespace inspect
