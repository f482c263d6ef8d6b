#include "png_codec.h"

#include <png.h>
#include <zlib.h>

#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr std::size_t kUnbounded = ~std::size_t{0};

// Bytes left to read; kUnbounded when only the stream itself knows its end.
struct ReadCursor {
    const png_byte* next;
    std::size_t left;
    bool ranOut;
};

// Errors longjmp back to the setjmp of the phase that is running; libpng's
// own handler would print to stderr first.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

// libpng pulls the stream through this; a read past the known end is a
// truncated image, reported as such rather than read out of bounds.
void ReadFromCursor(png_structp png, png_bytep dest, png_size_t length) {
    auto* cursor = static_cast<ReadCursor*>(png_get_io_ptr(png));
    if (cursor->left != kUnbounded) {
        if (length > cursor->left) {
            cursor->ranOut = true;
            png_error(png, "truncated");
        }
        cursor->left -= length;
    }
    std::memcpy(dest, cursor->next, length);
    cursor->next += length;
}

// Owns the read structs, so every exit path frees them.
struct PngReadGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngReadGuard() {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
        if (png) info = png_create_info_struct(png);
    }
    ~PngReadGuard() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
    PngReadGuard(const PngReadGuard&) = delete;
    PngReadGuard& operator=(const PngReadGuard&) = delete;
};

struct Header {
    png_uint_32 width;
    png_uint_32 height;
    bool hasAlpha;
    std::uint64_t filteredBytes;  // the image data the stream must inflate to
};

// Deflate cannot expand one byte into more than about 1032; data shorter
// than that allows for cannot hold the image its header declares.
constexpr std::uint64_t kMaxInflateRatio = 1032;

// The two phases that libpng may longjmp out of hold no C++ objects: the
// caller owns everything with a destructor.
bool ReadHeader(png_structp png, png_infop info, PixelOrder order, Header* header) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    header->width = png_get_image_width(png, info);
    header->height = png_get_image_height(png, info);
    const int colourType = png_get_color_type(png, info);
    header->hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 ||
                       png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const std::uint64_t bitsPerPixel = std::uint64_t{png_get_bit_depth(png, info)} * png_get_channels(png, info);
    header->filteredBytes = std::uint64_t{header->height} * (1 + (std::uint64_t{header->width} * bitsPerPixel + 7) / 8);
    if (header->width > static_cast<png_uint_32>(kMaxImageSide) ||
        header->height > static_cast<png_uint_32>(kMaxImageSide))
        return true;  // the caller refuses it before any transform work

    // Every colour type ends as 8-bit blue, green, red, alpha (or red first).
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        if (png_get_bit_depth(png, info) < 8) png_set_expand_gray_1_2_4_to_8(png);
        png_set_gray_to_rgb(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    png_set_strip_16(png);
    if (order == PixelOrder::Bgra) png_set_bgr(png);
    // A texture is always 32 bits per pixel; opaque images get alpha 255.
    if (!header->hasAlpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    // Anything but four bytes a pixel now would overrun the caller's rows.
    return png_get_rowbytes(png, info) == static_cast<png_size_t>(header->width) * 4;
}

// Reads all passes of an interlaced image too; the IEND chunk is never
// needed, so nothing past the last row is read.
bool ReadRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    return true;
}

struct WriteSink {
    std::vector<std::uint8_t>* out;
};

void WriteToSink(png_structp png, png_bytep data, png_size_t length) {
    auto* sink = static_cast<WriteSink*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        sink->out->insert(sink->out->end(), data, data + length);
    } catch (...) {
        failed = true;
    }
    // Leave the handler before jumping, so the exception is fully done with.
    if (failed) png_error(png, "out of memory");
}
void FlushSink(png_structp) {}

struct PngWriteGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngWriteGuard() {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
        if (png) info = png_create_info_struct(png);
    }
    ~PngWriteGuard() { png_destroy_write_struct(&png, info ? &info : nullptr); }
    PngWriteGuard(const PngWriteGuard&) = delete;
    PngWriteGuard& operator=(const PngWriteGuard&) = delete;
};

// Pixels arrive as 0xAARRGGBB words, bytes B, G, R, A: libpng swaps them to
// R, G, B (and drops A as a filler when it is not kept).
bool WriteImage(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height,
                bool keepAlpha, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, width, height, 8,
                 keepAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    if (!keepAlpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

// One encoding of 8-bit bytes with the given row filters and zlib strategy.
bool WriteBytes(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height, int channels,
                int filters, int strategy, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, width, height, 8, channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Nothing but IHDR is set on info, so no ancillary chunk is written.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
    png_set_compression_level(png, 9);
    png_set_compression_mem_level(png, 9);
    png_set_compression_strategy(png, strategy);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

bool EncodeBytesOnce(png_bytepp rows, png_uint_32 width, png_uint_32 height, int channels, int filters,
                     int strategy, std::vector<std::uint8_t>& out) {
    out.clear();
    PngWriteGuard guard;
    if (!guard.info) return false;
    WriteSink sink{&out};
    png_set_write_fn(guard.png, &sink, WriteToSink, FlushSink);
    return WriteBytes(guard.png, guard.info, width, height, channels, filters, strategy, rows);
}

}  // namespace

const char* PngStatusMessage(PngStatus status) noexcept {
    switch (status) {
    case PngStatus::Ok: return "ok";
    case PngStatus::NotPng: return "not a PNG image";
    case PngStatus::Truncated: return "the PNG data ends before the image";
    case PngStatus::Corrupt: return "the PNG data is damaged";
    case PngStatus::TooLarge: return "the PNG image is too large";
    case PngStatus::OutOfMemory: return "out of memory decoding the PNG image";
    }
    return "unknown PNG status";
}

PngStatus DecodePng(const void* data, std::size_t size, DecodedImage& out, PixelOrder order) noexcept {
    out = DecodedImage{};
    // Anything shorter than the signature cannot be a PNG at all.
    if (!data || size < 8) return PngStatus::NotPng;
    const auto* bytes = static_cast<const png_byte*>(data);
    if (png_sig_cmp(bytes, 0, 8) != 0) return PngStatus::NotPng;

    try {
        PngReadGuard guard;
        if (!guard.info) return PngStatus::OutOfMemory;
        ReadCursor cursor{bytes + 8, size == kUnbounded ? kUnbounded : size - 8, false};
        png_set_read_fn(guard.png, &cursor, ReadFromCursor);
        png_set_sig_bytes(guard.png, 8);

        Header header{};
        // A failed read that had run out of data is a cut stream, any other
        // failure a damaged one.
        if (!ReadHeader(guard.png, guard.info, order, &header))
            return cursor.ranOut ? PngStatus::Truncated : PngStatus::Corrupt;
        if (header.width > static_cast<png_uint_32>(kMaxImageSide) ||
            header.height > static_cast<png_uint_32>(kMaxImageSide))
            return PngStatus::TooLarge;
        // Refused before the pixel memory is taken: a few bytes declaring
        // 8192 x 8192 must not cost 256 MB.
        if (size != kUnbounded && header.filteredBytes > std::uint64_t{size} * kMaxInflateRatio + 4096)
            return PngStatus::Truncated;

        const std::size_t width = header.width;
        const std::size_t height = header.height;
        // Rows point straight into the result: no copy after decoding.
        std::vector<std::uint32_t> pixels(width * height);
        std::vector<png_bytep> rows(height);
        for (std::size_t y = 0; y < height; ++y)
            rows[y] = reinterpret_cast<png_bytep>(pixels.data() + y * width);
        if (!ReadRows(guard.png, rows.data()))
            return cursor.ranOut ? PngStatus::Truncated : PngStatus::Corrupt;

        out.width = static_cast<std::int32_t>(width);
        out.height = static_cast<std::int32_t>(height);
        out.hasAlpha = header.hasAlpha;
        out.order = order;
        out.pixels = std::move(pixels);
        return PngStatus::Ok;
    } catch (const std::bad_alloc&) {
        return PngStatus::OutOfMemory;
    }
}

bool EncodePng(const std::uint32_t* pixels, std::int32_t width, std::int32_t height,
               bool keepAlpha, std::vector<std::uint8_t>& out) noexcept {
    out.clear();
    if (!pixels || width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide)
        return false;
    try {
        PngWriteGuard guard;
        if (!guard.info) return false;
        // libpng wants mutable row pointers but only reads them when writing.
        std::vector<png_bytep> rows(static_cast<std::size_t>(height));
        for (std::size_t y = 0; y < rows.size(); ++y)
            rows[y] = reinterpret_cast<png_bytep>(
                const_cast<std::uint32_t*>(pixels + y * static_cast<std::size_t>(width)));
        WriteSink sink{&out};
        png_set_write_fn(guard.png, &sink, WriteToSink, FlushSink);
        if (!WriteImage(guard.png, guard.info, static_cast<png_uint_32>(width),
                        static_cast<png_uint_32>(height), keepAlpha, rows.data())) {
            out.clear();
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        out.clear();
        return false;
    }
}

bool EncodePngBytes(const std::uint8_t* pixels, std::int32_t width, std::int32_t height, std::int32_t channels,
                    bool smallest, std::vector<std::uint8_t>& out) noexcept {
    out.clear();
    if (!pixels || width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        (channels != 3 && channels != 4))
        return false;
    try {
        // libpng wants mutable row pointers but only reads them when writing.
        const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
        std::vector<png_bytep> rows(static_cast<std::size_t>(height));
        for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = const_cast<png_bytep>(pixels + y * stride);
        const auto w = static_cast<png_uint_32>(width), h = static_cast<png_uint_32>(height);
        if (!smallest) {
            if (EncodeBytesOnce(rows.data(), w, h, channels, PNG_ALL_FILTERS, Z_DEFAULT_STRATEGY, out)) return true;
            out.clear();
            return false;
        }
        constexpr int kFilters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB,   PNG_FILTER_UP,
                                    PNG_FILTER_AVG,  PNG_FILTER_PAETH, PNG_ALL_FILTERS};
        constexpr int kStrategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED};
        std::vector<std::uint8_t> candidate;
        bool any = false;
        for (int strategy : kStrategies)
            for (int filters : kFilters) {
                if (!EncodeBytesOnce(rows.data(), w, h, channels, filters, strategy, candidate)) continue;
                // Strictly smaller: a tie keeps the earlier, which keeps runs repeatable.
                if (!any || candidate.size() < out.size()) out.swap(candidate);
                any = true;
            }
        if (!any) out.clear();
        return any;
    } catch (const std::bad_alloc&) {
        out.clear();
        return false;
    }
}
