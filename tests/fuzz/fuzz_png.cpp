// Fuzzes the PNG decoder on its own, bounded by the input's size as the
// sized font load bounds it.
#include <cstddef>
#include <cstdint>

#include "png_codec.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DecodedImage image;
    const PngStatus status = DecodePng(data, size, image);
    if (status != PngStatus::Ok) {
        // A refusal leaves nothing behind.
        Check(image.width == 0 && image.height == 0 && image.pixels.empty());
        return 0;
    }
    Check(image.width > 0 && image.width <= kMaxImageSide);
    Check(image.height > 0 && image.height <= kMaxImageSide);
    Check(image.pixels.size() == static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
    // Reading every pixel lets AddressSanitizer see that they were all written.
    std::uint32_t all = 0;
    for (std::uint32_t pixel : image.pixels) all |= pixel;
    if (!image.hasAlpha) Check((all >> 24) == 0xFF);
    return 0;
}
