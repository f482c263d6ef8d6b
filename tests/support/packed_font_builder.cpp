#include "packed_font_builder.h"

namespace test_support {

const std::vector<unsigned char>& TinyPng() {
    static const std::vector<unsigned char> png = {
        0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
        0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x72, 0xB6, 0x0D,
        0x24, 0x00, 0x00, 0x00, 0x14, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0xF8, 0xCF, 0xC0, 0xF0,
        0x1F, 0x08, 0x1B, 0x18, 0xC0, 0x34, 0x10, 0x00, 0x00, 0x3F, 0xD7, 0x08, 0x79, 0x5F, 0xC7, 0x6D,
        0xB1, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
    return png;
}

std::vector<unsigned char> BrokenPng() {
    std::vector<unsigned char> png = TinyPng();
    png[45] ^= 0xFF;  // inside the IDAT data: the chunk's CRC no longer matches
    return png;
}

Record CellGlyph(unsigned char code, std::int16_t offsetX, std::int16_t advance, std::int16_t lineHeight) {
    return Record{code,
                  offsetX,
                  -2,
                  advance,
                  lineHeight,
                  static_cast<std::int16_t>(64 * (code % 16)),
                  static_cast<std::int16_t>(64 * (code / 16)),
                  64,
                  64};
}

std::vector<unsigned char> PackedFontBuilder::StandardMagic() {
    static const char magic[] = "*Sprite3DFont*\r\n";
    return std::vector<unsigned char>(magic, magic + 16);
}

PackedFontBuilder& PackedFontBuilder::Atlas(std::vector<unsigned char> bytes) {
    atlas_ = std::move(bytes);
    return *this;
}

PackedFontBuilder& PackedFontBuilder::AtlasLength(std::int32_t length) {
    lengthOverride_ = true;
    length_ = length;
    return *this;
}

PackedFontBuilder& PackedFontBuilder::Magic(const char (&magic)[17]) {
    magic_.assign(magic, magic + 16);
    return *this;
}

PackedFontBuilder& PackedFontBuilder::Add(const Record& record) {
    records_.push_back(record);
    return *this;
}

PackedFontBuilder& PackedFontBuilder::Add(std::initializer_list<Record> records) {
    records_.insert(records_.end(), records);
    return *this;
}

PackedFontBuilder& PackedFontBuilder::RawRecordBytes(std::vector<unsigned char> bytes) {
    raw_ = std::move(bytes);
    return *this;
}

PackedFontBuilder& PackedFontBuilder::NoTerminator() {
    terminator_ = false;
    return *this;
}

std::vector<unsigned char> PackedFontBuilder::Build() const {
    std::vector<unsigned char> out = magic_;
    auto put16 = [&out](std::int16_t v) {
        const auto u = static_cast<std::uint16_t>(v);
        out.push_back(static_cast<unsigned char>(u & 0xFF));
        out.push_back(static_cast<unsigned char>(u >> 8));
    };
    const auto length = static_cast<std::uint32_t>(lengthOverride_ ? length_ : static_cast<std::int32_t>(atlas_.size()));
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<unsigned char>((length >> shift) & 0xFF));
    out.insert(out.end(), atlas_.begin(), atlas_.end());
    for (const Record& r : records_) {
        out.push_back(r.code);
        for (std::int16_t v : {r.offsetX, r.offsetY, r.advance, r.lineHeight, r.srcX, r.srcY, r.srcWidth, r.srcHeight})
            put16(v);
    }
    out.insert(out.end(), raw_.begin(), raw_.end());
    if (terminator_) out.push_back(0);
    out.insert(out.end(), chunks_.begin(), chunks_.end());
    return out;
}

namespace {
void Put(std::vector<unsigned char>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFF));
}
}  // namespace

PackedFontBuilder& PackedFontBuilder::Chunk(const char (&tag)[5], const std::vector<unsigned char>& payload) {
    return ChunkWithLength(tag, static_cast<std::uint32_t>(payload.size()), payload);
}

PackedFontBuilder& PackedFontBuilder::ChunkWithLength(const char (&tag)[5], std::uint32_t length,
                                                      const std::vector<unsigned char>& payload) {
    chunks_.insert(chunks_.end(), tag, tag + 4);
    Put(chunks_, length, 4);
    chunks_.insert(chunks_.end(), payload.begin(), payload.end());
    return *this;
}

PackedFontBuilder& PackedFontBuilder::Kerning(std::initializer_list<KernPair> pairs) {
    std::vector<unsigned char> payload;
    Put(payload, static_cast<std::uint32_t>(pairs.size()), 4);
    for (const KernPair& p : pairs) {
        payload.push_back(p.first);
        payload.push_back(p.second);
        Put(payload, static_cast<std::uint16_t>(p.amount), 2);
    }
    return Chunk("KERN", payload);
}

PackedFontBuilder& PackedFontBuilder::Metrics(std::int16_t lineHeight, std::int16_t baseline, std::uint32_t codePage,
                                              std::uint8_t fieldKind, std::uint16_t fieldRange) {
    std::vector<unsigned char> payload;
    Put(payload, static_cast<std::uint16_t>(lineHeight), 2);
    Put(payload, static_cast<std::uint16_t>(baseline), 2);
    Put(payload, codePage, 4);
    payload.push_back(fieldKind);
    payload.push_back(0);
    Put(payload, fieldRange, 2);
    return Chunk("METR", payload);
}

PackedFontBuilder& PackedFontBuilder::Trailing(const std::vector<unsigned char>& bytes) {
    chunks_.insert(chunks_.end(), bytes.begin(), bytes.end());
    return *this;
}

}  // namespace test_support
