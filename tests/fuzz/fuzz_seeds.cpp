// Writes the seed corpora of the two fuzz targets into two folders:
//   fuzz_seeds <font-seed-dir> <png-seed-dir>
// Seeds come from the test fixtures (the tiny atlas, the broken one, built
// packed fonts), forged PNGs of every colour type, and the demonstration font.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "packed_font_builder.h"
#include "png_forge.h"

namespace {

using Bytes = std::vector<unsigned char>;
using test_support::CellGlyph;
using test_support::PackedFontBuilder;

bool Write(const std::string& dir, const std::string& name, const Bytes& bytes) {
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

Bytes ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds <font-seed-dir> <png-seed-dir>\n");
        return 2;
    }
    const std::string fonts = argv[1];
    const std::string pngs = argv[2];
    bool ok = true;

    const Bytes demo = ReadFile(DEMO_FONT_FILE);
    if (demo.size() < 21) {
        std::fprintf(stderr, "fuzz_seeds: cannot read %s\n", DEMO_FONT_FILE);
        return 1;
    }
    const std::size_t atlasLength = demo[16] | demo[17] << 8 | demo[18] << 16 | std::size_t{demo[19]} << 24;
    if (20 + atlasLength > demo.size()) return 1;
    const Bytes demoAtlas(demo.begin() + 20, demo.begin() + 20 + static_cast<std::ptrdiff_t>(atlasLength));
    // The demonstration's records behind the tiny atlas: small, yet every real glyph.
    Bytes demoRecords = PackedFontBuilder().NoTerminator().Build();
    demoRecords.insert(demoRecords.end(), demo.begin() + 20 + static_cast<std::ptrdiff_t>(atlasLength), demo.end());

    ok &= Write(fonts, "demo_font.sf3d", demo);
    ok &= Write(fonts, "demo_records.sf3d", demoRecords);
    ok &= Write(fonts, "empty.sf3d", PackedFontBuilder().Build());
    ok &= Write(fonts, "three_glyphs.sf3d",
                PackedFontBuilder().Add({CellGlyph('A'), CellGlyph('B', 5, 18), CellGlyph(255, -7, 9, 0)}).Build());
    ok &= Write(fonts, "broken_atlas.sf3d", PackedFontBuilder().Atlas(test_support::BrokenPng()).Add(CellGlyph('A')).Build());
    ok &= Write(fonts, "hostile_metrics.sf3d",
                PackedFontBuilder()
                    .Add({{'x', -32768, 32767, -32768, 0, 32767, -32768, 32767, -32768},
                          {'y', 32767, -32768, 32767, -1, -32768, 32767, -32768, 32767}})
                    .Build());
    ok &= Write(fonts, "cut_record.sf3d", PackedFontBuilder().Add(CellGlyph('A')).RawRecordBytes({'B', 1, 2, 3}).NoTerminator().Build());
    // The chunk list: kerning and metrics, an unknown tag, and damage of each kind.
    const auto kerned = [] {
        return std::move(PackedFontBuilder().Add({CellGlyph('A'), CellGlyph('V', -1, 18), CellGlyph(' ', 0, 8),
                                                  CellGlyph('-', 0, 9), CellGlyph(0x85, 0, 30)}));
    };
    ok &= Write(fonts, "chunks.sf3d",
                kerned().Metrics(50, 38, 1252).Kerning({{'A', 'V', -7}, {'V', 'A', -5}, {'A', 0x85, 3}}).Build());
    ok &= Write(fonts, "chunks_unknown_tag.sf3d",
                kerned().Chunk("ZZZZ", {1, 2, 3}).Metrics(0, 0, 28591, 2, 4).Kerning({{'V', 'V', 1}}).Build());
    ok &= Write(fonts, "chunks_past_end.sf3d",
                kerned().Kerning({{'A', 'V', -7}}).ChunkWithLength("KERN", 0xFFFFFFF0, {1, 0, 0, 0}).Build());
    ok &= Write(fonts, "chunks_code_zero.sf3d", kerned().Kerning({{'A', 0, -7}}).Metrics(40, 30, 1252).Build());
    ok &= Write(fonts, "chunks_cut.sf3d", kerned().Metrics(40, 30, 1252).Trailing({'K', 'E', 'R'}).Build());
    ok &= Write(fonts, "overlong_length.sf3d", PackedFontBuilder().AtlasLength(0x7FFFFFF0).Add(CellGlyph('A')).Build());

    using namespace png_forge;
    ok &= Write(pngs, "demo_atlas.png", demoAtlas);
    ok &= Write(pngs, "tiny.png", test_support::TinyPng());
    ok &= Write(pngs, "broken.png", test_support::BrokenPng());
    struct Kind {
        const char* name;
        unsigned char depth, colourType;
    };
    const Kind kinds[] = {{"grey1", 1, kGrey},       {"grey4", 4, kGrey},      {"grey16", 16, kGrey},
                          {"rgb8", 8, kRgb},         {"rgb16", 16, kRgb},      {"palette2", 2, kPalette},
                          {"palette8", 8, kPalette}, {"grey_alpha8", 8, kGreyAlpha}, {"rgba16", 16, kRgba}};
    for (const Kind& kind : kinds) {
        ok &= Write(pngs, std::string(kind.name) + ".png", Image(5, 7, kind.depth, kind.colourType));
        ok &= Write(pngs, std::string(kind.name) + "_adam7.png", Image(9, 3, kind.depth, kind.colourType, true));
    }
    // A palette image with transparency: tRNS becomes alpha.
    ok &= Write(pngs, "palette_trns.png",
                Png({Ihdr(3, 3, 8, kPalette), Chunk("PLTE", {0, 0, 0, 255, 0, 0, 0, 255, 0}), Chunk("tRNS", {0, 128}),
                     Idat(Scanlines(3, 3, 8, false)), Iend()}));
    if (!ok) {
        std::fprintf(stderr, "fuzz_seeds: could not write the seeds\n");
        return 1;
    }
    return 0;
}
