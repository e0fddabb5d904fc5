#include "ImageDecode.h"
#include "ImageResources.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

struct QuietError {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void OnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<QuietError*>(info->err)->jump, 1);
}
void OnMessage(j_common_ptr) {}

// Kept free of objects with destructors: libjpeg errors leave through longjmp.
IRaster* Decode(jpeg_decompress_struct* jpeg, QuietError* error, const unsigned char* data, size_t size,
                IRaster* reuse) {
    IRaster* volatile target = nullptr;
    volatile bool created = false;
    unsigned char* volatile line = nullptr;
    if (setjmp(error->jump)) {
        std::free(line);
        if (created) delete target;
        return nullptr;
    }
    jpeg_mem_src(jpeg, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_read_header(jpeg, TRUE);
    jpeg->out_color_space = JCS_RGB;
    jpeg_start_decompress(jpeg);
    const int width = static_cast<int>(jpeg->output_width);
    const int height = static_cast<int>(jpeg->output_height);
    if (jpeg->output_components != 3 || width <= 0 || height <= 0 || width > 32768 || height > 32768)
        return nullptr;
    bool isNew = false;
    target = raster::TargetBitmap(reuse, width, height, isNew);
    created = isNew;
    if (!target) return nullptr;
    line = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(width) * 3));
    if (!line) std::longjmp(error->jump, 1);
    while (jpeg->output_scanline < jpeg->output_height) {
        const int y = static_cast<int>(jpeg->output_scanline);
        JSAMPROW rows[1] = {line};
        jpeg_read_scanlines(jpeg, rows, 1);
        uint32_t* out = target->Row(y);
        for (int x = 0; x < width; ++x)
            out[x] = 0xff000000u | (uint32_t(line[3 * x]) << 16) | (uint32_t(line[3 * x + 1]) << 8) |
                     line[3 * x + 2];
    }
    jpeg_finish_decompress(jpeg);
    std::free(line);
    line = nullptr;
    return target;
}

} // namespace

IRaster* DecodeJpeg(const unsigned char* data, size_t size, IRaster* reuse) {
    if (!data || size < 4 || data[0] != 0xff || data[1] != 0xd8) return nullptr;
    jpeg_decompress_struct jpeg;
    QuietError error;
    jpeg.err = jpeg_std_error(&error.base);
    error.base.error_exit = OnError;
    error.base.output_message = OnMessage;
    jpeg_create_decompress(&jpeg);
    IRaster* result = Decode(&jpeg, &error, data, size, reuse);
    jpeg_destroy_decompress(&jpeg);
    return result;
}

IRaster* DecodeJpegResource(void*, int resourceId, IRaster* reuse) {
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!FindImageResource(resourceId, &data, &size)) return nullptr;
    return DecodeJpeg(data, size, reuse);
}
