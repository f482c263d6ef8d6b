#include "apng.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include <zlib.h>

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct Chunk {
    std::string_view type;
    std::span<const std::uint8_t> data;
};

std::uint32_t ReadBe32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutBe16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

// Splits a PNG into its chunks; false when it is not a well-formed PNG.
bool ReadChunks(const std::vector<std::uint8_t>& png, std::vector<Chunk>& chunks) {
    chunks.clear();
    if (png.size() < 8 || std::memcmp(png.data(), kSignature, 8) != 0) return false;
    std::size_t pos = 8;
    while (pos + 12 <= png.size()) {
        const std::uint32_t length = ReadBe32(png.data() + pos);
        if (length > png.size() - pos - 12) return false;
        chunks.push_back({std::string_view(reinterpret_cast<const char*>(png.data() + pos + 4), 4),
                          std::span(png.data() + pos + 8, length)});
        pos += 12 + length;
    }
    return pos == png.size() && !chunks.empty() && chunks.front().type == "IHDR";
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, std::span<const std::uint8_t> a,
              std::span<const std::uint8_t> b = {}) {
    PutBe32(out, static_cast<std::uint32_t>(a.size() + b.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), a.begin(), a.end());
    out.insert(out.end(), b.begin(), b.end());
    const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    PutBe32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::vector<std::uint8_t> AssembleApng(std::span<const std::vector<std::uint8_t>> stills, std::uint16_t delayNum,
                                       std::uint16_t delayDen, std::uint32_t plays) {
    if (stills.empty()) return {};
    std::vector<Chunk> chunks;
    if (!ReadChunks(stills[0], chunks)) return {};
    const std::vector<std::uint8_t> header(chunks[0].data.begin(), chunks[0].data.end());
    if (header.size() != 13) return {};

    std::vector<std::uint8_t> out(kSignature, kSignature + 8);
    PutChunk(out, "IHDR", header);
    std::vector<std::uint8_t> body;
    PutBe32(body, static_cast<std::uint32_t>(stills.size()));
    PutBe32(body, plays);
    PutChunk(out, "acTL", body);

    std::uint32_t sequence = 0;
    for (std::size_t frame = 0; frame < stills.size(); ++frame) {
        if (!ReadChunks(stills[frame], chunks)) return {};
        // Every frame covers the whole picture, so no disposal or blending is needed.
        if (!std::equal(header.begin(), header.end(), chunks[0].data.begin(), chunks[0].data.end())) return {};
        body.clear();
        PutBe32(body, sequence++);
        PutBe32(body, ReadBe32(header.data()));
        PutBe32(body, ReadBe32(header.data() + 4));
        PutBe32(body, 0);
        PutBe32(body, 0);
        PutBe16(body, delayNum);
        PutBe16(body, delayDen);
        body.push_back(0);  // dispose: none
        body.push_back(0);  // blend: source
        PutChunk(out, "fcTL", body);
        for (const Chunk& chunk : chunks) {
            if (chunk.type != "IDAT") continue;
            if (frame == 0) {
                PutChunk(out, "IDAT", chunk.data);
            } else {
                std::vector<std::uint8_t> number;
                PutBe32(number, sequence++);
                PutChunk(out, "fdAT", number, chunk.data);
            }
        }
    }
    PutChunk(out, "IEND", {});
    return out;
}
