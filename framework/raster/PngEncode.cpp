#include "ImageEncode.h"

#include <png.h>

#include <cstdio>

namespace {

void WriteToVector(png_structp png, png_bytep data, png_size_t count) {
    auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}
void Flush(png_structp) {}
void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

// No objects with destructors here: libpng leaves through longjmp on errors.
bool Encode(png_structp png, png_infop info, IRaster* bitmap, unsigned char* line, bool opaque) {
    if (setjmp(png_jmpbuf(png))) return false;
    const int width = bitmap->Width(), height = bitmap->Height();
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = bitmap->Row(y);
        for (int x = 0; x < width; ++x) {
            const uint32_t p = row[x];
            line[4 * x] = static_cast<unsigned char>(p >> 16);
            line[4 * x + 1] = static_cast<unsigned char>(p >> 8);
            line[4 * x + 2] = static_cast<unsigned char>(p);
            line[4 * x + 3] = opaque ? 255 : static_cast<unsigned char>(p >> 24);
        }
        png_write_row(png, line);
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

bool EncodePng(IRaster* bitmap, std::vector<unsigned char>& out, bool opaque) {
    out.clear();
    if (!bitmap || !bitmap->Pixels() || bitmap->Width() <= 0 || bitmap->Height() <= 0) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    std::vector<unsigned char> line(static_cast<size_t>(bitmap->Width()) * 4);
    bool ok = false;
    if (info) {
        png_set_write_fn(png, &out, WriteToVector, Flush);
        ok = Encode(png, info, bitmap, line.data(), opaque);
    }
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return ok;
}

bool EncodePng(IRaster* bitmap, const char* fileName, bool opaque) {
    std::vector<unsigned char> bytes;
    if (!fileName || !EncodePng(bitmap, bytes, opaque)) return false;
    FILE* file = std::fopen(fileName, "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
