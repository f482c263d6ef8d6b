// The PNG decoder against small images written by libpng itself, one table
// row per colour type, and against damaged and hostile inputs.
#include <png.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "png_codec.h"

namespace {

struct PngFixture {
    std::uint32_t width = 2;
    std::uint32_t height = 2;
    int colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;  // tRNS for palette images
    bool greyTrns = false;               // tRNS naming one grey value
    png_uint_16 greyTrnsValue = 0;
    std::vector<png_byte> rows;  // packed rows, as libpng writes them
};

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

std::vector<unsigned char> WritePng(const PngFixture& fixture) {
    std::vector<unsigned char> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng could not write the fixture";
        return {};
    }
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_IHDR(png, info, fixture.width, fixture.height, fixture.bitDepth, fixture.colourType,
                 fixture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!fixture.palette.empty())
        png_set_PLTE(png, info, fixture.palette.data(), static_cast<int>(fixture.palette.size()));
    if (!fixture.paletteAlpha.empty())
        png_set_tRNS(png, info, fixture.paletteAlpha.data(),
                     static_cast<int>(fixture.paletteAlpha.size()), nullptr);
    if (fixture.greyTrns) {
        png_color_16 grey{};
        grey.gray = fixture.greyTrnsValue;
        png_set_tRNS(png, info, nullptr, 0, &grey);
    }
    png_write_info(png, info);
    const std::size_t stride = fixture.rows.size() / fixture.height;
    std::vector<png_bytep> rows(fixture.height);
    for (std::uint32_t y = 0; y < fixture.height; ++y)
        rows[y] = const_cast<png_bytep>(fixture.rows.data() + y * stride);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

struct DecodeCase {
    std::string name;
    PngFixture fixture;
    bool hasAlpha;
    std::vector<std::uint32_t> expected;  // 0xAARRGGBB
};

std::vector<DecodeCase> DecodeCases() {
    std::vector<DecodeCase> cases;
    {
        PngFixture s;
        s.rows = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 10, 20, 30, 40};
        cases.push_back({"rgba", s, true, {0xFFFF0000, 0x8000FF00, 0x000000FF, 0x280A141E}});
    }
    {
        PngFixture s;
        s.colourType = PNG_COLOR_TYPE_RGB;
        s.rows = {255, 0, 0, 0, 255, 0, 0, 0, 255, 1, 2, 3};
        cases.push_back({"rgb", s, false, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF010203}});
    }
    {
        PngFixture s;
        s.colourType = PNG_COLOR_TYPE_PALETTE;
        s.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
        s.paletteAlpha = {255, 64};  // entry 2 has no tRNS value: opaque
        s.rows = {0, 1, 2, 1};
        cases.push_back({"palette with tRNS", s, true,
                         {0xFFFF0000, 0x4000FF00, 0xFF0000FF, 0x4000FF00}});
    }
    {
        PngFixture s;
        s.colourType = PNG_COLOR_TYPE_PALETTE;
        s.bitDepth = 4;
        s.palette = {{9, 8, 7}, {1, 2, 3}};
        s.rows = {0x01, 0x10};  // 4-bit indices, two per byte
        cases.push_back({"palette 4-bit", s, false,
                         {0xFF090807, 0xFF010203, 0xFF010203, 0xFF090807}});
    }
    {
        PngFixture s;
        s.colourType = PNG_COLOR_TYPE_GRAY;
        s.rows = {0, 100, 200, 255};
        cases.push_back({"grey", s, false, {0xFF000000, 0xFF646464, 0xFFC8C8C8, 0xFFFFFFFF}});
    }
    {
        PngFixture s;
        s.colourType = PNG_COLOR_TYPE_GRAY;
        s.bitDepth = 2;
        s.rows = {0x40, 0xB0};  // values 1, 0 / 2, 3 in the top bits
        cases.push_back({"grey 2-bit", s, false, {0xFF555555, 0xFF000000, 0xFFAAAAAA, 0xFFFFFFFF}});
    }
    {
        PngFixture s;
        s.colourType = PNG_COLOR_TYPE_GRAY;
        s.greyTrns = true;
        s.greyTrnsValue = 100;
        s.rows = {0, 100, 200, 100};
        cases.push_back({"grey with tRNS", s, true,
                         {0xFF000000, 0x00646464, 0xFFC8C8C8, 0x00646464}});
    }
    {
        PngFixture s;
        s.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
        s.rows = {0, 255, 100, 0, 200, 50, 255, 128};
        cases.push_back({"grey with alpha", s, true,
                         {0xFF000000, 0x00646464, 0x32C8C8C8, 0x80FFFFFF}});
    }
    {
        PngFixture s;
        s.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
        s.bitDepth = 16;
        s.width = 2;
        s.height = 1;
        // 16-bit big-endian samples keep their high byte.
        s.rows = {0x12, 0xFF, 0x34, 0x00, 0x56, 0x80, 0xFF, 0xFF,
                  0x00, 0x01, 0xFF, 0xFE, 0x80, 0x7F, 0x7F, 0xFF};
        cases.push_back({"rgba 16-bit", s, true, {0xFF123456, 0x7F00FF80}});
    }
    {
        PngFixture s;
        s.colourType = PNG_COLOR_TYPE_GRAY;
        s.bitDepth = 16;
        s.width = 2;
        s.height = 1;
        s.rows = {0xAB, 0xCD, 0x01, 0xFF};
        cases.push_back({"grey 16-bit", s, false, {0xFFABABAB, 0xFF010101}});
    }
    {
        // Adam7 spreads a 9 x 9 image over all seven passes.
        PngFixture s;
        s.width = 9;
        s.height = 9;
        s.colourType = PNG_COLOR_TYPE_RGB;
        s.interlaced = true;
        std::vector<std::uint32_t> expected;
        for (std::uint32_t y = 0; y < 9; ++y)
            for (std::uint32_t x = 0; x < 9; ++x) {
                const auto r = static_cast<png_byte>(x * 20), g = static_cast<png_byte>(y * 25),
                           b = static_cast<png_byte>(x * y);
                s.rows.insert(s.rows.end(), {r, g, b});
                expected.push_back(0xFF000000u | (std::uint32_t{r} << 16) |
                                   (std::uint32_t{g} << 8) | b);
            }
        cases.push_back({"interlaced", s, false, expected});
    }
    return cases;
}

TEST(PngDecode, DecodesEveryColourTypeToStraightBgra) {
    for (const DecodeCase& c : DecodeCases()) {
        SCOPED_TRACE(c.name);
        const std::vector<unsigned char> file = WritePng(c.fixture);
        DecodedImage image;
        ASSERT_EQ(DecodePng(file.data(), file.size(), image), PngStatus::Ok);
        EXPECT_EQ(image.width, static_cast<std::int32_t>(c.fixture.width));
        EXPECT_EQ(image.height, static_cast<std::int32_t>(c.fixture.height));
        EXPECT_EQ(image.hasAlpha, c.hasAlpha);
        ASSERT_EQ(image.pixels.size(), c.expected.size());
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(image.pixels[i], c.expected[i]) << "pixel " << i << std::hex << " got 0x"
                                                      << image.pixels[i];
        // Bytes in memory are blue, green, red, alpha.
        const auto* bytes = reinterpret_cast<const unsigned char*>(image.pixels.data());
        EXPECT_EQ(bytes[0], c.expected[0] & 0xFF);
        EXPECT_EQ(bytes[3], c.expected[0] >> 24);
    }
}

std::vector<unsigned char> SmallRgba() {
    PngFixture s;
    s.width = 16;
    s.height = 16;
    s.rows.assign(16 * 16 * 4, 0x5A);
    return WritePng(s);
}

TEST(PngDecode, FindsTheEndFromTheStreamWhenNoSizeIsGiven) {
    std::vector<unsigned char> file = SmallRgba();
    file.insert(file.end(), {1, 2, 3, 4, 5});  // whatever follows the image is not read
    DecodedImage image;
    ASSERT_EQ(DecodePng(file.data(), ~std::size_t{0}, image), PngStatus::Ok);
    EXPECT_EQ(image.width, 16);
    EXPECT_EQ(image.pixels[255], 0x5A5A5A5Au);
}

struct BadCase {
    std::string name;
    std::vector<unsigned char> bytes;
    std::size_t size;  // bytes passed; the vector may hold more
    PngStatus expected;
};

std::vector<unsigned char> WithSide(std::uint32_t width) {
    PngFixture s;
    s.width = width;
    s.height = 1;
    s.colourType = PNG_COLOR_TYPE_GRAY;
    s.rows.assign(width, 7);
    return WritePng(s);
}

TEST(PngDecode, RefusesDamagedTruncatedOversizedAndEmptyInput) {
    const std::vector<unsigned char> good = SmallRgba();
    std::vector<unsigned char> badCrc = good;
    badCrc[good.size() - 20] ^= 0x40;  // inside IDAT
    std::vector<unsigned char> badHeader = good;
    badHeader[16] = 0;  // IHDR width 0 (CRC now wrong too)
    badHeader[17] = badHeader[18] = badHeader[19] = 0;
    std::vector<unsigned char> notPng = good;
    notPng[1] = 'Q';
    const std::vector<unsigned char> wide = WithSide(static_cast<std::uint32_t>(kMaxImageSide) + 1);
    // A few hundred bytes whose header declares 8192 x 8192: the data cannot
    // hold that image, so it is refused before 256 MB of pixels are taken.
    std::vector<unsigned char> tall = WithSide(static_cast<std::uint32_t>(kMaxImageSide));
    tall[20] = 0, tall[21] = 0, tall[22] = 0x20, tall[23] = 0;  // IHDR height 8192
    const uLong crc = crc32(0L, tall.data() + 12, 17);
    for (int i = 0; i < 4; ++i) tall[29 + static_cast<std::size_t>(i)] = static_cast<unsigned char>(crc >> (24 - 8 * i));

    const std::vector<BadCase> cases = {
        {"empty", {}, 0, PngStatus::NotPng},
        {"signature only", {good.begin(), good.begin() + 8}, 8, PngStatus::Truncated},
        {"short of a signature", good, 7, PngStatus::NotPng},
        {"not a PNG", notPng, notPng.size(), PngStatus::NotPng},
        {"cut in the header", good, 20, PngStatus::Truncated},
        {"cut in the image data", good, good.size() - 30, PngStatus::Truncated},
        {"damaged image data", badCrc, badCrc.size(), PngStatus::Corrupt},
        {"damaged header", badHeader, badHeader.size(), PngStatus::Corrupt},
        {"wider than the limit", wide, wide.size(), PngStatus::TooLarge},
        {"more pixels than its data can hold", tall, tall.size(), PngStatus::Truncated},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedImage image;
        image.width = 99;
        EXPECT_EQ(DecodePng(c.bytes.data(), c.size, image), c.expected);
        EXPECT_EQ(image.width, 0);
        EXPECT_TRUE(image.pixels.empty());
    }
    DecodedImage image;
    EXPECT_EQ(DecodePng(nullptr, 100, image), PngStatus::NotPng);
}

TEST(PngDecode, AcceptsTheLargestAllowedSide) {
    const std::vector<unsigned char> file = WithSide(static_cast<std::uint32_t>(kMaxImageSide));
    DecodedImage image;
    ASSERT_EQ(DecodePng(file.data(), file.size(), image), PngStatus::Ok);
    EXPECT_EQ(image.width, kMaxImageSide);
    EXPECT_EQ(image.pixels.back(), 0xFF070707u);
}

TEST(PngEncode, RoundTripsWithAndWithoutAlpha) {
    const std::vector<std::uint32_t> pixels = {0x80FF0000, 0x0000FF00, 0xFF0000FF,
                                               0xFF123456, 0x01020304, 0xFFFFFFFF};
    for (bool keepAlpha : {true, false}) {
        SCOPED_TRACE(keepAlpha ? "rgba" : "rgb");
        std::vector<std::uint8_t> file;
        ASSERT_TRUE(EncodePng(pixels.data(), 3, 2, keepAlpha, file));
        DecodedImage image;
        ASSERT_EQ(DecodePng(file.data(), file.size(), image), PngStatus::Ok);
        EXPECT_EQ(image.hasAlpha, keepAlpha);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            EXPECT_EQ(image.pixels[i], keepAlpha ? pixels[i] : (pixels[i] | 0xFF000000u)) << i;
    }
    std::vector<std::uint8_t> file;
    EXPECT_FALSE(EncodePng(pixels.data(), 0, 2, true, file));
    EXPECT_FALSE(EncodePng(nullptr, 3, 2, true, file));
}

// The atlas encoder: bytes in, the same bytes out of the decoder, and the
// smallest of its encodings never larger than the quick one, and repeatable.
TEST(PngEncode, BytesRoundTripInBothChannelCounts) {
    // A gradient with a hard edge: the row filters and strategies then differ in size.
    std::vector<std::uint8_t> rgba;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x)
            for (int c = 0; c < 4; ++c) rgba.push_back(static_cast<std::uint8_t>(x < 12 ? x * 10 + c * y : 255 - c));
    for (const std::int32_t channels : {3, 4}) {
        std::vector<std::uint8_t> pixels;
        for (std::size_t i = 0; i < rgba.size(); i += 4) pixels.insert(pixels.end(), &rgba[i], &rgba[i] + channels);
        std::vector<std::uint8_t> quick, smallest, again;
        ASSERT_TRUE(EncodePngBytes(pixels.data(), 24, 16, channels, false, quick));
        ASSERT_TRUE(EncodePngBytes(pixels.data(), 24, 16, channels, true, smallest));
        ASSERT_TRUE(EncodePngBytes(pixels.data(), 24, 16, channels, true, again));
        EXPECT_EQ(smallest, again);
        EXPECT_LE(smallest.size(), quick.size());
        for (const auto* file : {&quick, &smallest}) {
            DecodedImage image;
            ASSERT_EQ(DecodePng(file->data(), file->size(), image, PixelOrder::Rgba), PngStatus::Ok);
            EXPECT_EQ(image.hasAlpha, channels == 4);
            std::vector<std::uint8_t> back(image.pixels.size() * 4);
            std::memcpy(back.data(), image.pixels.data(), back.size());
            for (std::size_t i = 0; i < back.size(); ++i)
                ASSERT_EQ(back[i], channels == 4 || i % 4 != 3 ? rgba[i] : 255) << channels << " channels, byte " << i;
        }
    }
    std::vector<std::uint8_t> file;
    EXPECT_FALSE(EncodePngBytes(rgba.data(), 24, 16, 2, true, file));
    EXPECT_FALSE(EncodePngBytes(rgba.data(), kMaxImageSide + 1, 1, 4, false, file));
    EXPECT_FALSE(EncodePngBytes(nullptr, 24, 16, 4, false, file));
    EXPECT_TRUE(file.empty());
}

}  // namespace
