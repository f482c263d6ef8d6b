// The tools' view of the platform's PNG codec (png_codec.h): images as RGBA
// bytes, and a refusal as a sentence that names the reason. No PNG code of
// its own, so a tool decodes an atlas exactly as the screen does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sftools {

// Straight-alpha R, G, B, A bytes, row-major, top row first. The bytes live
// in the decoder's pixel words, so an image moves but is not copied.
struct Image {
    int width = 0;
    int height = 0;
    std::span<std::uint8_t> rgba;

    Image() = default;
    Image(Image&&) noexcept = default;
    Image& operator=(Image&&) noexcept = default;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    std::vector<std::uint32_t> words;  // what rgba views
};

// EncodePngBytes: 8-bit RGBA (channels 4) or RGB (channels 3); thorough keeps
// the smallest of a dozen encodings. Empty on failure.
std::vector<std::uint8_t> EncodePng(std::span<const std::uint8_t> pixels, int width, int height,
                                    int channels, bool thorough = true);

// Images larger than this a side are refused unread: 8192 x 8192 RGBA is
// 256 MiB, the most one decoded image may take.
inline constexpr std::uint64_t kMaxDecodeSide = 8192;

// DecodePng in R, G, B, A order; nothing when it does not decode, with the
// reason in *why when why is given. A size above kMaxDecodeSide, or more
// than the data can hold, is refused before any pixel memory is taken, and
// the reason then speaks of the declared pixels.
std::optional<Image> DecodePng(std::span<const std::uint8_t> png, std::string* why = nullptr);

}  // namespace sftools
