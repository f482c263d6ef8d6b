// Hand-made PNG streams for attacking the decoder: every chunk is written
// byte by byte with a correct CRC unless a test breaks it on purpose.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace png_forge {

using Bytes = std::vector<unsigned char>;

inline constexpr unsigned char kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6;

// Length, type, data and the CRC over type and data.
Bytes Chunk(std::string_view type, const Bytes& data);
Bytes Ihdr(std::uint32_t width, std::uint32_t height, unsigned char depth, unsigned char colourType,
           unsigned char interlace = 0);
Bytes Iend();
// The zlib stream of raw (filtered) scanlines, as one IDAT chunk.
Bytes Idat(const Bytes& scanlines);
// The 8-byte signature followed by the chunks.
Bytes Png(std::initializer_list<Bytes> chunks);

// Bits per pixel of a valid depth and colour type pair.
unsigned BitsPerPixel(unsigned char depth, unsigned char colourType);

// Filter-type-0 scanlines of a width x height image whose pixels are a
// fixed function of (x, y, seed); with interlace, laid out in the seven
// passes of Adam7 (empty passes have no rows at all). The same seed gives
// the same pixels either way.
Bytes Scanlines(std::uint32_t width, std::uint32_t height, unsigned bitsPerPixel, bool interlace,
                std::uint32_t seed = 1);

// A complete, valid image: IHDR, a full PLTE (2^depth entries) for palette images,
// one IDAT, IEND.
Bytes Image(std::uint32_t width, std::uint32_t height, unsigned char depth, unsigned char colourType,
            bool interlace = false, std::uint32_t seed = 1);

}  // namespace png_forge
