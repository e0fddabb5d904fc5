#include "ImageDecode.h"
#include "ImageResources.h"

#include <png.h>

#include <cstdlib>
#include <cstring>

namespace {

struct MemorySource {
    const unsigned char* data;
    size_t size;
    size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    MemorySource* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (count > source->size - source->position) png_error(png, "truncated image");
    std::memcpy(out, source->data + source->position, count);
    source->position += count;
}

// Errors end the decode quietly; the caller sees no image.
void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

// Asks libpng for rows of 8-bit A, R, G, B whatever the stored format.
void RequestArgb(png_structp png, png_infop info) {
    const int colourType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (transparency) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_strip_16(png);
    if (depth < 8) png_set_packing(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (!(colourType & PNG_COLOR_MASK_ALPHA) && !transparency) {
        png_set_filler(png, 0xff, PNG_FILLER_BEFORE);
    } else {
        png_set_swap_alpha(png);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// The rows arrive as bytes A, R, G, B; pixels are stored as bytes B, G, R, A.
void ArgbBytesToPixels(IRaster* bitmap) {
    for (int y = 0; y < bitmap->Height(); ++y) {
        uint32_t* row = bitmap->Row(y);
        for (int x = 0; x < bitmap->Width(); ++x) {
            const unsigned char* b = reinterpret_cast<const unsigned char*>(row + x);
            row[x] = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]);
        }
    }
}

// Kept free of objects with destructors: libpng leaves through longjmp on errors.
IRaster* Decode(png_structp png, png_infop info, MemorySource* source, IRaster* reuse) {
    IRaster* volatile target = nullptr;
    volatile bool created = false;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        std::free(rows);
        if (created) delete target;
        return nullptr;
    }
    png_set_read_fn(png, source, ReadFromMemory);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > 32768 || height > 32768) return nullptr;
    RequestArgb(png, info);
    if (png_get_rowbytes(png, info) != width * 4) return nullptr;
    bool isNew = false;
    target = raster::TargetBitmap(reuse, static_cast<int>(width), static_cast<int>(height), isNew);
    created = isNew;
    if (!target) return nullptr;
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!rows) png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = reinterpret_cast<png_bytep>(target->Row(static_cast<int>(y)));
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    std::free(rows);
    rows = nullptr;
    ArgbBytesToPixels(target);
    return target;
}

} // namespace

IRaster* DecodePng(const unsigned char* data, size_t size, IRaster* reuse) {
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return nullptr;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!png) return nullptr;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    MemorySource source{data, size, 0};
    IRaster* result = Decode(png, info, &source, reuse);
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
}

IRaster* DecodePngResource(void*, int resourceId, IRaster* reuse) {
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!FindImageResource(resourceId, &data, &size)) return nullptr;
    return DecodePng(data, size, reuse);
}
