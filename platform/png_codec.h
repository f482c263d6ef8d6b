// png_codec.h - PNG decoding for sprites and PNG encoding for captures and
// font atlases, on libpng. No libpng type appears here. The font tools use
// this codec too, so a tool sees an atlas exactly as the screen does.
//
// Decoding takes any PNG: palette and grey images are expanded to RGB, a
// tRNS chunk becomes alpha, 16-bit samples are cut to 8, interlaced images
// are assembled. The result is 32 bits per pixel, straight (not
// premultiplied) alpha, rows top first. Every libpng error comes back as a
// status; nothing is printed and nothing aborts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Largest width or height accepted; larger images are refused before any
// pixel memory is taken.
inline constexpr std::int32_t kMaxImageSide = 8192;

enum class PngStatus : std::int32_t {
    Ok = 0,
    NotPng,       // no data, or no PNG signature
    Truncated,    // the data ended before the image did
    Corrupt,      // libpng refused the stream (bad chunk, CRC, zlib, header)
    TooLarge,     // width or height above kMaxImageSide
    OutOfMemory,
};

const char* PngStatusMessage(PngStatus status) noexcept;

// Byte order of decoded pixels in memory.
enum class PixelOrder : std::int32_t {
    Bgra,  // 0xAARRGGBB words
    Rgba,  // 0xAABBGGRR words: what OpenGL takes as GL_RGBA bytes
};

struct DecodedImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool hasAlpha = false;  // the image carried alpha (an alpha channel or tRNS)
    PixelOrder order = PixelOrder::Bgra;
    // One word per pixel in the order asked for (0xAARRGGBB by default);
    // alpha 255 when hasAlpha is false.
    std::vector<std::uint32_t> pixels;
};

// Decodes the PNG at data. size bounds every read; UnknownSize (~0) means
// the end is found from the stream alone (for trusted constant data).
PngStatus DecodePng(const void* data, std::size_t size, DecodedImage& out,
                    PixelOrder order = PixelOrder::Bgra) noexcept;

// Encodes width x height pixels of 0xAARRGGBB as an 8-bit PNG, RGBA or, with
// keepAlpha false, RGB. Returns false on bad sizes or a libpng error.
bool EncodePng(const std::uint32_t* pixels, std::int32_t width, std::int32_t height,
               bool keepAlpha, std::vector<std::uint8_t>& out) noexcept;

// Encodes width x height pixels of 8-bit bytes, R, G, B (channels 3) or R,
// G, B, A (channels 4), rows top first, as an 8-bit PNG with only IHDR,
// IDAT and IEND, at zlib level 9. smallest: every row filter with the
// default and the filtered zlib strategy, keeping the smallest stream (a tie
// keeps the earlier, so the same pixels always give the same bytes), about a
// dozen times slower; otherwise adaptive filters once. Returns false on bad
// sizes or a libpng error.
bool EncodePngBytes(const std::uint8_t* pixels, std::int32_t width, std::int32_t height, std::int32_t channels,
                    bool smallest, std::vector<std::uint8_t>& out) noexcept;
