#include "png_io.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>

namespace sftools {
namespace {

// The whole stream is kept in memory: the encoder compares candidates by size.
void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

// A vector needs no flushing; libpng insists on a callback all the same.
void NoFlush(png_structp) {}

bool EncodeOnce(std::span<const std::uint8_t> pixels, int width, int height, int channels,
                int filters, int strategy, std::vector<std::uint8_t>* out) {
    // Everything with a destructor exists before setjmp: a longjmp skips them.
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = const_cast<png_bytep>(pixels.data() + y * stride);
    out->clear();

    // libpng reports errors by longjmp into the branch below.
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendToVector, NoFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Nothing but IHDR is set on info, so no ancillary chunk is written.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
    png_set_compression_level(png, 9);
    png_set_compression_mem_level(png, 9);
    png_set_compression_strategy(png, strategy);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}


}  // namespace

std::vector<std::uint8_t> EncodePng(std::span<const std::uint8_t> pixels, int width, int height,
                                    int channels, bool thorough) {
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                             static_cast<std::size_t>(channels))
        return {};
    constexpr int kFilters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB,   PNG_FILTER_UP,
                                PNG_FILTER_AVG,  PNG_FILTER_PAETH, PNG_ALL_FILTERS};
    constexpr int kStrategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED};
    std::vector<std::uint8_t> best;
    if (!thorough) {
        if (!EncodeOnce(pixels, width, height, channels, PNG_ALL_FILTERS, Z_DEFAULT_STRATEGY, &best)) best.clear();
        return best;
    }
    // A dozen full encodes cost a few seconds, paid once per font made.
    std::vector<std::uint8_t> candidate;
    for (int strategy : kStrategies)
        for (int filters : kFilters) {
            if (!EncodeOnce(pixels, width, height, channels, filters, strategy, &candidate)) continue;
            // Strictly smaller: a tie keeps the earlier, which keeps runs repeatable.
            if (best.empty() || candidate.size() < best.size()) best.swap(candidate);
        }
    return best;
}

std::optional<Image> DecodePng(std::span<const std::uint8_t> png, std::string* why) {
    const auto refuse = [why](std::string reason) -> std::optional<Image> {
        if (why != nullptr) *why = std::move(reason);
        return std::nullopt;
    };
    // The simplified API checks the signature and every chunk's CRC itself.
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size()))
        return refuse("it does not decode as a PNG");
    // The header is all that has been read: the size is judged before any
    // pixel memory is taken, in 64 bits so that nothing wraps.
    const std::uint64_t width = image.width, height = image.height;
    if (width == 0 || height == 0 || width > kMaxDecodeSide || height > kMaxDecodeSide) {
        png_image_free(&image);
        return refuse("it is " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels; at most " + std::to_string(kMaxDecodeSide) + " a side is read");
    }
    // Deflate expands one byte into at most about 1032; with one bit a pixel
    // at the least, data shorter than this cannot hold the declared image.
    const std::uint64_t leastFiltered = height * (1 + (width + 7) / 8);
    if (std::uint64_t{png.size()} * 1032 < leastFiltered) {
        png_image_free(&image);
        return refuse("it declares " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels, more than its " + std::to_string(png.size()) + " bytes can hold");
    }
    // 8-bit RGBA output keeps straight alpha; only linear formats premultiply.
    image.format = PNG_FORMAT_RGBA;
    Image out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgba.resize(static_cast<std::size_t>(width * height * 4));
    if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return refuse("its image data is damaged or cut short");
    }
    return out;
}

}  // namespace sftools
