#include "png_io.h"

#include "png_codec.h"

#include <algorithm>
#include <iterator>

namespace sftools {
namespace {

// The size and sample layout an IHDR declares; false when the data does not
// start with a PNG signature and an IHDR.
struct Declared {
    std::uint64_t width = 0, height = 0, bitsPerPixel = 0;
};
bool ReadIhdr(std::span<const std::uint8_t> png, Declared* d) {
    static constexpr std::uint8_t kStart[16] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    if (png.size() < 26 || !std::equal(std::begin(kStart), std::end(kStart), png.begin())) return false;
    const auto be32 = [&](std::size_t at) {
        return std::uint64_t{png[at]} << 24 | std::uint64_t{png[at + 1]} << 16 | std::uint64_t{png[at + 2]} << 8 | png[at + 3];
    };
    d->width = be32(16);
    d->height = be32(20);
    // Samples per pixel of grey, -, RGB, palette, grey+alpha, -, RGBA.
    static constexpr std::uint64_t kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    d->bitsPerPixel = png[25] < 7 ? png[24] * kChannels[png[25]] : 0;
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(std::span<const std::uint8_t> pixels, int width, int height,
                                    int channels, bool thorough) {
    std::vector<std::uint8_t> out;
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                             static_cast<std::size_t>(channels) ||
        !EncodePngBytes(pixels.data(), width, height, channels, thorough, out))
        out.clear();
    return out;
}

std::optional<Image> DecodePng(std::span<const std::uint8_t> png, std::string* why) {
    DecodedImage decoded;
    const PngStatus status = DecodePng(png.data(), png.size(), decoded, PixelOrder::Rgba);
    if (status != PngStatus::Ok) {
        if (why == nullptr) return std::nullopt;
        Declared d;
        const bool declared = ReadIhdr(png, &d);
        const std::string size = std::to_string(d.width) + " x " + std::to_string(d.height) + " pixels";
        // The codec refuses these two from the header alone; say what was declared.
        if (declared && status == PngStatus::TooLarge)
            *why = "it is " + size + "; at most " + std::to_string(kMaxDecodeSide) + " a side is read";
        else if (declared && status == PngStatus::Truncated &&
                 d.height * (1 + (d.width * d.bitsPerPixel + 7) / 8) > std::uint64_t{png.size()} * 1032)
            *why = "it declares " + size + ", more than its " + std::to_string(png.size()) + " bytes can hold";
        else
            *why = std::string("it does not decode: ") + PngStatusMessage(status);
        return std::nullopt;
    }
    Image out;
    out.width = decoded.width;
    out.height = decoded.height;
    out.words = std::move(decoded.pixels);
    // Rgba order: each word's bytes in memory are R, G, B, A.
    out.rgba = {reinterpret_cast<std::uint8_t*>(out.words.data()), out.words.size() * 4};
    return out;
}

}  // namespace sftools
