#pragma once

#include "IRaster.h"

#include <cstddef>

// A bitmap on the heap: the first pixel 64-byte aligned, each row padded to a multiple
// of the row alignment (in pixels).
class MemoryRaster : public IRaster {
public:
    explicit MemoryRaster(int rowAlignment = 4, int width = 0, int height = 0);
    ~MemoryRaster() override;
    MemoryRaster(const MemoryRaster&) = delete;
    MemoryRaster& operator=(const MemoryRaster&) = delete;

    uint32_t* Pixels() override { return pixels; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    int RowPixels() const override { return rowPixels; }
    bool BottomUp() const override { return false; }
    // Reuses the storage when it is large enough; grows to 5/4 of the need; 0 frees it.
    bool SetSize(int newWidth, int newHeight) override;
    size_t AllocatedPixels() const { return allocated; }

private:
    void Release();

    int alignment;
    int width = 0;
    int height = 0;
    int rowPixels = 0;
    uint32_t* pixels = nullptr;
    void* block = nullptr;
    size_t allocated = 0;
};
