// Assembles packed font blocks in memory for tests: magic, atlas length,
// atlas bytes, 17-byte records, terminator, with knobs to break each part.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "sprite_font.h"

namespace test_support {

// A valid 2 x 2 RGBA PNG: red, half-transparent green / transparent blue, white.
const std::vector<unsigned char>& TinyPng();
// The tiny PNG with one IDAT byte flipped: a wrong CRC.
std::vector<unsigned char> BrokenPng();

struct Record {
    unsigned char code;
    std::int16_t offsetX, offsetY, advance, lineHeight, srcX, srcY, srcWidth, srcHeight;
};

// A glyph of 64 x 64 texels in the grid cell of its code, as the demo font lays them out.
Record CellGlyph(unsigned char code, std::int16_t offsetX = -2, std::int16_t advance = 20,
                 std::int16_t lineHeight = 44);

struct KernPair {
    unsigned char first, second;
    std::int16_t amount;
};

class PackedFontBuilder {
public:
    PackedFontBuilder& Atlas(std::vector<unsigned char> bytes);
    PackedFontBuilder& AtlasLength(std::int32_t length);  // overrides the true length
    PackedFontBuilder& Magic(const char (&magic)[17]);
    PackedFontBuilder& Add(const Record& record);
    PackedFontBuilder& Add(std::initializer_list<Record> records);
    PackedFontBuilder& RawRecordBytes(std::vector<unsigned char> bytes);  // appended after the records
    PackedFontBuilder& NoTerminator();
    // Chunks after the terminator, in the order added.
    PackedFontBuilder& Chunk(const char (&tag)[5], const std::vector<unsigned char>& payload);
    PackedFontBuilder& ChunkWithLength(const char (&tag)[5], std::uint32_t length,
                                       const std::vector<unsigned char>& payload);
    PackedFontBuilder& Kerning(std::initializer_list<KernPair> pairs);
    PackedFontBuilder& Metrics(std::int16_t lineHeight, std::int16_t baseline, std::uint32_t codePage,
                               std::uint8_t fieldKind = 0, std::uint16_t fieldRange = 0);
    PackedFontBuilder& Trailing(const std::vector<unsigned char>& bytes);
    std::vector<unsigned char> Build() const;

private:
    std::vector<unsigned char> magic_ = StandardMagic();
    static std::vector<unsigned char> StandardMagic();
    std::vector<unsigned char> atlas_ = TinyPng();
    bool lengthOverride_ = false;
    std::int32_t length_ = 0;
    std::vector<Record> records_;
    std::vector<unsigned char> raw_;
    bool terminator_ = true;
    std::vector<unsigned char> chunks_;
};

}  // namespace test_support
