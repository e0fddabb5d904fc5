#include "LazyPngRaster.h"

#include "ImageDecode.h"

#include <cstring>

namespace {
uint32_t BigEndian32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr uint32_t kLargestSide = 32768; // as the decoder accepts
} // namespace

LazyPngRaster* LazyPngRaster::FromData(const unsigned char* data, size_t size) {
    // Signature, then the IHDR chunk: length 13, type, width, height.
    if (!data || size < 24 || std::memcmp(data, kSignature, 8) != 0) return nullptr;
    if (BigEndian32(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0) return nullptr;
    const uint32_t w = BigEndian32(data + 16), h = BigEndian32(data + 20);
    if (w == 0 || h == 0 || w > kLargestSide || h > kLargestSide) return nullptr;
    return new LazyPngRaster(data, size, static_cast<int>(w), static_cast<int>(h));
}

LazyPngRaster::LazyPngRaster(const unsigned char* bytes, size_t count, int w, int h)
    : data(bytes), size(count), width(w), height(h), pixels(4) {}

void LazyPngRaster::Decode() const {
    std::call_once(decodeOnce, [this] {
        pixels.SetSize(width, height);
        if (pixels.Pixels() && !DecodePng(data, size, &pixels))
            std::memset(pixels.Pixels(), 0, sizeof(uint32_t) * static_cast<size_t>(pixels.RowPixels()) * height);
        decoded.store(true, std::memory_order_release);
    });
}

uint32_t* LazyPngRaster::Pixels() {
    Decode();
    return pixels.Pixels();
}

int LazyPngRaster::RowPixels() const {
    Decode();
    return pixels.RowPixels();
}

