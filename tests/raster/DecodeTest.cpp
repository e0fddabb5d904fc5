#include "ImageDecode.h"
#include "ImageEncode.h"
#include "ImageResources.h"
#include "LazyPngRaster.h"
#include "MemoryRaster.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

void Append(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void NoFlush(png_structp) {}

// An 8-bit RGB PNG (no alpha channel) with pixel (x, y) = (10x, 20y, 7).
std::vector<unsigned char> MakeRgbPng(int width, int height) {
    std::vector<unsigned char> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, Append, NoFlush);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<unsigned char>(10 * x);
            row[3 * x + 1] = static_cast<unsigned char>(20 * y);
            row[3 * x + 2] = 7;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<unsigned char> MakeGrayJpeg(int width, int height, int level) {
    jpeg_compress_struct jpeg;
    jpeg_error_mgr error;
    jpeg.err = jpeg_std_error(&error);
    jpeg_create_compress(&jpeg);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&jpeg, &buffer, &size);
    jpeg.image_width = width;
    jpeg.image_height = height;
    jpeg.input_components = 3;
    jpeg.in_color_space = JCS_RGB;
    jpeg_set_defaults(&jpeg);
    jpeg_set_quality(&jpeg, 95, TRUE);
    jpeg_start_compress(&jpeg, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3, static_cast<unsigned char>(level));
    while (jpeg.next_scanline < jpeg.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&jpeg, rows, 1);
    }
    jpeg_finish_compress(&jpeg);
    std::vector<unsigned char> out(buffer, buffer + size);
    jpeg_destroy_compress(&jpeg);
    free(buffer);
    return out;
}

std::vector<unsigned char>& ResourceBytes() {
    static std::vector<unsigned char> bytes = MakeRgbPng(3, 2);
    return bytes;
}

} // namespace

// The test executable's own image table: id 100 is a small RGB PNG.
bool FindImageResource(int id, const unsigned char** data, size_t* size) {
    if (id != 100) return false;
    *data = ResourceBytes().data();
    *size = ResourceBytes().size();
    return true;
}

namespace {

TEST(DecodePng, RgbImageGetsOpaqueAlphaAndPixelOrder) {
    const std::vector<unsigned char> bytes = MakeRgbPng(5, 4);
    std::unique_ptr<IRaster> image(DecodePng(bytes.data(), bytes.size()));
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->Width(), 5);
    ASSERT_EQ(image->Height(), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(image->Row(y)[x], 0xff000000u | uint32_t(10 * x) << 16 | uint32_t(20 * y) << 8 | 7u);
}

TEST(DecodePng, RgbaRoundTripKeepsAlpha) {
    MemoryRaster source(4, 3, 2);
    const uint32_t values[] = {0x00000000, 0x80ff0000, 0xff00ff00, 0x4000007f, 0xfffefdfc, 0x01020304};
    for (int i = 0; i < 6; ++i)
        source.Row(i / 3)[i % 3] = values[i];
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(EncodePng(&source, bytes));
    std::unique_ptr<IRaster> image(DecodePng(bytes.data(), bytes.size()));
    ASSERT_NE(image, nullptr);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(image->Row(i / 3)[i % 3], values[i]) << i;
}

TEST(DecodePng, RejectsShortWrongAndTruncatedData) {
    const unsigned char tiny[4] = {0x89, 'P', 'N', 'G'};
    EXPECT_EQ(DecodePng(tiny, sizeof tiny), nullptr);
    std::vector<unsigned char> bytes = MakeRgbPng(8, 8);
    std::vector<unsigned char> wrong = bytes;
    wrong[1] = 'X';
    EXPECT_EQ(DecodePng(wrong.data(), wrong.size()), nullptr);
    bytes.resize(bytes.size() / 2);
    EXPECT_EQ(DecodePng(bytes.data(), bytes.size()), nullptr);
    EXPECT_EQ(DecodePng(static_cast<const unsigned char*>(nullptr), 100), nullptr);
    EXPECT_EQ(DecodePng("/nonexistent/image.png"), nullptr);
}

// A lazy image has its size from the header at once and its pixels only when asked; they are
// the eager decoder's, or transparent when the data behind a good header is broken.
TEST(DecodePng, LazyImageDecodesOnFirstUseToTheSamePixels) {
    const std::vector<unsigned char> bytes = MakeRgbPng(7, 5);
    std::unique_ptr<IRaster> eager(DecodePng(bytes.data(), bytes.size()));
    std::unique_ptr<LazyPngRaster> lazy(LazyPngRaster::FromData(bytes.data(), bytes.size()));
    ASSERT_NE(eager, nullptr);
    ASSERT_NE(lazy, nullptr);
    EXPECT_EQ(lazy->Width(), 7);
    EXPECT_EQ(lazy->Height(), 5);
    EXPECT_FALSE(lazy->Decoded());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(lazy->Row(y)[x], eager->Row(y)[x]) << x << "," << y;
    EXPECT_TRUE(lazy->Decoded());

    std::vector<unsigned char> broken = bytes;
    broken.resize(40);
    std::unique_ptr<LazyPngRaster> damaged(LazyPngRaster::FromData(broken.data(), broken.size()));
    ASSERT_NE(damaged, nullptr);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(damaged->Row(y)[x], 0u);

    std::vector<unsigned char> wrong = bytes;
    wrong[13] = 'X'; // not an IHDR chunk
    EXPECT_EQ(LazyPngRaster::FromData(wrong.data(), wrong.size()), nullptr);
    EXPECT_EQ(LazyPngRaster::FromData(bytes.data(), 20), nullptr);
}

TEST(DecodePng, ReusesTheGivenBitmap) {
    const std::vector<unsigned char> bytes = MakeRgbPng(6, 3);
    MemoryRaster reuse(4, 1, 1);
    EXPECT_EQ(DecodePng(bytes.data(), bytes.size(), &reuse), &reuse);
    EXPECT_EQ(reuse.Width(), 6);
    EXPECT_EQ(reuse.Row(2)[5], 0xff000000u | 50u << 16 | 40u << 8 | 7u);
}

TEST(DecodePng, FromFileAndFromResourceTable) {
    const std::vector<unsigned char> bytes = MakeRgbPng(2, 2);
    const std::string path = testing::TempDir() + "vulpane_decode_test.png";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    std::unique_ptr<IRaster> fromFile(DecodePng(path.c_str()));
    ASSERT_NE(fromFile, nullptr);
    EXPECT_EQ(fromFile->Row(1)[1], 0xff000000u | 10u << 16 | 20u << 8 | 7u);
    std::remove(path.c_str());

    std::unique_ptr<IRaster> resource(DecodePngResource(nullptr, 100));
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(resource->Width(), 3);
    EXPECT_EQ(DecodePngResource(nullptr, 101), nullptr);
}

TEST(DecodeJpeg, UniformImageDecodesOpaqueAndClose) {
    const std::vector<unsigned char> bytes = MakeGrayJpeg(16, 8, 128);
    std::unique_ptr<IRaster> image(DecodeJpeg(bytes.data(), bytes.size()));
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->Width(), 16);
    ASSERT_EQ(image->Height(), 8);
    const uint32_t p = image->Row(4)[7];
    EXPECT_EQ(p >> 24, 255u);
    EXPECT_NEAR(static_cast<int>((p >> 16) & 255), 128, 3);
    EXPECT_NEAR(static_cast<int>(p & 255), 128, 3);
    std::vector<unsigned char> broken(bytes.begin(), bytes.begin() + 20);
    EXPECT_EQ(DecodeJpeg(broken.data(), broken.size()), nullptr);
    const std::vector<unsigned char> png = MakeRgbPng(2, 2);
    EXPECT_EQ(DecodeJpeg(png.data(), png.size()), nullptr);
}

} // namespace
