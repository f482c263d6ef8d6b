// PNG encoding and decoding through libpng, for atlases and specimens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sftools {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // straight alpha, row-major, top row first
};

// 8-bit RGBA (channels 4) or RGB (channels 3), not interlaced, with only the
// IHDR, IDAT and IEND chunks. Thorough: every row filter and both zlib
// strategies are tried at level 9 and the smallest stream is kept; ties keep
// the earlier, so the same pixels always give the same bytes. Otherwise one
// pass with adaptive filters, a dozen times faster. Empty on failure.
std::vector<std::uint8_t> EncodePng(std::span<const std::uint8_t> pixels, int width, int height,
                                    int channels, bool thorough = true);

// Images larger than this a side are refused unread: 8192 x 8192 RGBA is
// 256 MiB, the most one decoded image may take.
inline constexpr std::uint64_t kMaxDecodeSide = 8192;

// Decodes any PNG libpng reads into 8-bit RGBA; nothing when it does not,
// with the reason in *why when why is given. The declared size is checked
// against kMaxDecodeSide and against what the data can hold before any
// pixel memory is taken.
std::optional<Image> DecodePng(std::span<const std::uint8_t> png, std::string* why = nullptr);

}  // namespace sftools
