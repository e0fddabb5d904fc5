#pragma once

#include "MemoryRaster.h"

#include <atomic>
#include <cstddef>
#include <mutex>

// A PNG image that knows its size from the header and decodes its pixels on first use, so an
// editor can lay out its controls without paying for images it has not drawn yet. The data
// must outlive the raster (embedded images do). A decode that fails leaves transparent pixels.
class LazyPngRaster : public IRaster {
public:
    // Null when the data does not start with a PNG signature and a sane header.
    static LazyPngRaster* FromData(const unsigned char* data, size_t size);

    uint32_t* Pixels() override;
    int Width() const override { return width; }
    int Height() const override { return height; }
    int RowPixels() const override;
    bool BottomUp() const override { return false; }
    // An image keeps its size.
    bool SetSize(int, int) override { return false; }
    // Whether the pixels have been decoded yet.
    bool Decoded() const { return decoded.load(std::memory_order_acquire); }

private:
    LazyPngRaster(const unsigned char* data, size_t size, int width, int height);
    void Decode() const;

    const unsigned char* data;
    size_t size;
    int width;
    int height;
    mutable std::once_flag decodeOnce;
    mutable MemoryRaster pixels;
    mutable std::atomic<bool> decoded{false};
};
