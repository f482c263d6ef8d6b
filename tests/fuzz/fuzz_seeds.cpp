// Writes the seed corpora of the fuzz targets into their folders:
//   fuzz_seeds <font> <png> [<bmfont_text> <bmfont_xml> <bmfont_binary> <face>]
// Seeds come from the test fixtures (the tiny atlas, the broken one, built
// packed fonts, the BMFont fixture in its three forms and variants of it),
// forged PNGs of every colour type, the demonstration font, and a tiny
// TrueType face made here.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "bmfont_fixture.h"
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

// Big-endian, as every TrueType field.
void Be(Bytes* out, std::uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out->push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// A TrueType face of three glyphs (an empty .notdef, a square for 'A' and
// Cyrillic A, a triangle for 'B'): the seven tables FreeType needs and no
// more, every offset and length right, so mutations start from a face that
// renders.
Bytes TinyFace() {
    Bytes head;
    for (std::uint32_t v : {0x00010000u, 0x00010000u, 0u, 0x5F0F3CF5u}) Be(&head, v, 4);
    Be(&head, 0x000B, 2);  // flags
    Be(&head, 1000, 2);    // units per em
    for (int i = 0; i < 16; ++i) head.push_back(0);  // created, modified
    for (std::uint32_t v : {0u, 0u, 1000u, 1000u, 0u, 8u, 2u, 0u, 0u}) Be(&head, v, 2);
    Bytes hhea;
    Be(&hhea, 0x00010000, 4);
    for (std::uint32_t v : {800u, 0xFF38u /* -200 */, 0u, 1000u, 0u, 0u, 1000u, 1u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 3u})
        Be(&hhea, v, 2);
    Bytes maxp;
    Be(&maxp, 0x00010000, 4);
    for (std::uint32_t v : {3u, 10u, 2u, 0u, 0u, 2u, 0u, 0u, 0u, 0u, 0u, 0u, 0u, 0u}) Be(&maxp, v, 2);
    Bytes hmtx;
    for (std::uint32_t v : {500u, 0u, 800u, 100u, 800u, 50u}) Be(&hmtx, v, 2);
    // Simple glyphs: contour ends, no instructions, on-curve flags, int16 deltas.
    const auto glyph = [](std::initializer_list<int> xs, std::initializer_list<int> ys, int xMax, int yMax) {
        Bytes g;
        Be(&g, 1, 2);
        for (int v : {0, 0, xMax, yMax}) Be(&g, static_cast<std::uint32_t>(v), 2);
        Be(&g, static_cast<std::uint32_t>(xs.size() - 1), 2);
        Be(&g, 0, 2);
        for (std::size_t i = 0; i < xs.size(); ++i) g.push_back(0x01);
        for (int v : xs) Be(&g, static_cast<std::uint32_t>(v) & 0xFFFF, 2);
        for (int v : ys) Be(&g, static_cast<std::uint32_t>(v) & 0xFFFF, 2);
        if (g.size() % 2) g.push_back(0);
        return g;
    };
    const Bytes square = glyph({100, 0, 600, 0}, {0, 700, 0, -700}, 700, 700);
    const Bytes triangle = glyph({50, 350, 350}, {0, 700, -700}, 750, 700);
    Bytes glyf = square;
    glyf.insert(glyf.end(), triangle.begin(), triangle.end());
    Bytes loca;
    for (std::size_t v : {std::size_t{0}, std::size_t{0}, square.size(), glyf.size()}) Be(&loca, static_cast<std::uint32_t>(v / 2), 2);
    // cmap: one Windows Unicode subtable, format 4, three one-code segments
    // and the closing 0xFFFF one.
    Bytes cmap;
    for (std::uint32_t v : {0u, 1u, 3u, 1u}) Be(&cmap, v, 2);
    Be(&cmap, 12, 4);
    const std::uint32_t codes[] = {0x41, 0x42, 0x410, 0xFFFF}, glyphs[] = {1, 2, 1, 0};
    for (std::uint32_t v : {4u, 48u, 0u, 8u, 8u, 2u, 0u}) Be(&cmap, v, 2);
    for (std::uint32_t c : codes) Be(&cmap, c, 2);
    Be(&cmap, 0, 2);
    for (std::uint32_t c : codes) Be(&cmap, c, 2);
    for (int i = 0; i < 4; ++i) Be(&cmap, (glyphs[i] - codes[i] + (i == 3 ? 1u : 0u)) & 0xFFFF, 2);
    for (int i = 0; i < 4; ++i) Be(&cmap, 0, 2);
    const std::pair<const char*, const Bytes*> tables[] = {{"cmap", &cmap}, {"glyf", &glyf}, {"head", &head},
                                                           {"hhea", &hhea}, {"hmtx", &hmtx}, {"loca", &loca},
                                                           {"maxp", &maxp}};
    Bytes face;
    Be(&face, 0x00010000, 4);
    for (std::uint32_t v : {7u, 64u, 2u, 48u}) Be(&face, v, 2);
    std::uint32_t offset = 12 + 16 * 7;
    for (const auto& [tag, table] : tables) {
        face.insert(face.end(), tag, tag + 4);
        Be(&face, 0, 4);  // FreeType does not check sums
        Be(&face, offset, 4);
        Be(&face, static_cast<std::uint32_t>(table->size()), 4);
        offset += static_cast<std::uint32_t>((table->size() + 3) / 4 * 4);
    }
    for (const auto& entry : tables) {
        face.insert(face.end(), entry.second->begin(), entry.second->end());
        while (face.size() % 4) face.push_back(0);
    }
    return face;
}

Bytes ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 7) {
        std::fprintf(stderr, "usage: fuzz_seeds <font> <png> [<bmfont_text> <bmfont_xml> <bmfont_binary> <face>]\n");
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
    if (argc == 7) {
        // The fixture and variants that reach the conversion's other paths.
        using tools_test::Fixture;
        std::vector<std::pair<std::string, Fixture>> fixtures = {{"standard", Fixture::Standard()}};
        Fixture field = Fixture::Standard();
        field.fieldType = "msdf";
        field.distanceRange = 4;
        fixtures.emplace_back("msdf", field);
        Fixture ansi = Fixture::Standard();
        ansi.unicode = false;
        ansi.charset = "ANSI";
        ansi.chars.resize(3);
        fixtures.emplace_back("ansi", ansi);
        Fixture packed = Fixture::Standard();
        packed.packed = true;
        fixtures.emplace_back("packed", packed);
        for (const auto& [name, f] : fixtures) {
            const std::string text = f.Text(), xml = f.Xml();
            ok &= Write(argv[3], name + ".fnt", Bytes(text.begin(), text.end()));
            ok &= Write(argv[4], name + ".fnt", Bytes(xml.begin(), xml.end()));
            ok &= Write(argv[5], name + ".fnt", f.Binary());
        }
        const Bytes face = TinyFace();
        // The first byte picks the size: 12, 31 and 40 with an outline.
        for (const int size : {11, 30, 0x80 | 39, 0x40 | 20}) {
            Bytes seed = {static_cast<unsigned char>(size)};
            seed.insert(seed.end(), face.begin(), face.end());
            ok &= Write(argv[6], "tiny_face_" + std::to_string(size) + ".ttf", seed);
        }
    }
    if (!ok) {
        std::fprintf(stderr, "fuzz_seeds: could not write the seeds\n");
        return 1;
    }
    return 0;
}
