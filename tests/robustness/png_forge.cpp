#include "png_forge.h"

#include <zlib.h>

namespace png_forge {

namespace {

void Put32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(v >> shift));
}

// A scrambled but reproducible value per pixel.
std::uint64_t PixelBits(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint64_t h = (std::uint64_t{x} << 32 | y) ^ (std::uint64_t{seed} * 0x9E3779B97F4A7C15ull);
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return h;
}

// One filter-0 row of the pixels at x = x0, x0 + dx, ... on row y.
void AppendRow(Bytes& out, std::uint32_t width, std::uint32_t y, std::uint32_t x0, std::uint32_t dx,
               unsigned bpp, std::uint32_t seed) {
    out.push_back(0);
    unsigned char acc = 0;
    unsigned filled = 0;
    for (std::uint32_t x = x0; x < width; x += dx) {
        const std::uint64_t bits = PixelBits(x, y, seed);
        if (bpp >= 8) {
            for (unsigned b = 0; b < bpp / 8; ++b) out.push_back(static_cast<unsigned char>(bits >> (8 * b)));
            continue;
        }
        // Sub-byte pixels pack from the most significant bit.
        acc = static_cast<unsigned char>(acc | (bits & ((1u << bpp) - 1)) << (8 - bpp - filled));
        filled += bpp;
        if (filled == 8) {
            out.push_back(acc);
            acc = 0;
            filled = 0;
        }
    }
    if (filled != 0) out.push_back(acc);
}

}  // namespace

Bytes Chunk(std::string_view type, const Bytes& data) {
    Bytes out;
    Put32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out.data() + 4, static_cast<uInt>(out.size() - 4));
    Put32(out, static_cast<std::uint32_t>(crc));
    return out;
}

Bytes Ihdr(std::uint32_t width, std::uint32_t height, unsigned char depth, unsigned char colourType,
           unsigned char interlace) {
    Bytes data;
    Put32(data, width);
    Put32(data, height);
    data.insert(data.end(), {depth, colourType, 0, 0, interlace});
    return Chunk("IHDR", data);
}

Bytes Iend() { return Chunk("IEND", {}); }

Bytes Idat(const Bytes& scanlines) {
    uLongf length = compressBound(static_cast<uLong>(scanlines.size()));
    Bytes packed(length);
    compress2(packed.data(), &length, scanlines.data(), static_cast<uLong>(scanlines.size()), 6);
    packed.resize(length);
    return Chunk("IDAT", packed);
}

Bytes Png(std::initializer_list<Bytes> chunks) {
    Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (const Bytes& chunk : chunks) out.insert(out.end(), chunk.begin(), chunk.end());
    return out;
}

unsigned BitsPerPixel(unsigned char depth, unsigned char colourType) {
    const unsigned channels = colourType == kRgb ? 3 : colourType == kGreyAlpha ? 2 : colourType == kRgba ? 4 : 1;
    return channels * depth;
}

Bytes Scanlines(std::uint32_t width, std::uint32_t height, unsigned bitsPerPixel, bool interlace,
                std::uint32_t seed) {
    Bytes out;
    if (!interlace) {
        for (std::uint32_t y = 0; y < height; ++y) AppendRow(out, width, y, 0, 1, bitsPerPixel, seed);
        return out;
    }
    struct Pass {
        std::uint32_t x0, y0, dx, dy;
    };
    static constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                       {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (const Pass& pass : kAdam7) {
        if (width <= pass.x0 || height <= pass.y0) continue;  // an empty pass has no rows
        for (std::uint32_t y = pass.y0; y < height; y += pass.dy)
            AppendRow(out, width, y, pass.x0, pass.dx, bitsPerPixel, seed);
    }
    return out;
}

Bytes Image(std::uint32_t width, std::uint32_t height, unsigned char depth, unsigned char colourType,
            bool interlace, std::uint32_t seed) {
    const Bytes header = Ihdr(width, height, depth, colourType, interlace ? 1 : 0);
    const Bytes data = Idat(Scanlines(width, height, BitsPerPixel(depth, colourType), interlace, seed));
    if (colourType != kPalette) return Png({header, data, Iend()});
    Bytes palette;
    for (unsigned i = 0; i < (1u << depth); ++i)
        palette.insert(palette.end(), {static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i),
                                       static_cast<unsigned char>(i * 7)});
    return Png({header, Chunk("PLTE", palette), data, Iend()});
}

}  // namespace png_forge
