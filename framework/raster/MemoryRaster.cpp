#include "MemoryRaster.h"

#include <cstdlib>

MemoryRaster::MemoryRaster(int rowAlignment, int w, int h) : alignment(rowAlignment > 0 ? rowAlignment : 1) {
    SetSize(w, h);
}

MemoryRaster::~MemoryRaster() {
    Release();
}

void MemoryRaster::Release() {
    std::free(block);
    block = nullptr;
    pixels = nullptr;
    allocated = 0;
}

bool MemoryRaster::SetSize(int newWidth, int newHeight) {
    if (newWidth < 0 || newHeight < 0) return false;
    if (newWidth == width && newHeight == height) return false;
    if (newWidth == 0 || newHeight == 0) {
        Release();
        width = newWidth;
        height = newHeight;
        rowPixels = 0;
        return true;
    }
    const int span = (newWidth + alignment - 1) / alignment * alignment;
    const size_t need = static_cast<size_t>(span) * static_cast<size_t>(newHeight);
    if (need > allocated) {
        const size_t grown = need + need / 4;
        void* fresh = std::malloc(grown * sizeof(uint32_t) + 64);
        if (!fresh) return false;
        Release();
        block = fresh;
        pixels = reinterpret_cast<uint32_t*>((reinterpret_cast<uintptr_t>(fresh) + 63) & ~uintptr_t(63));
        allocated = grown;
    }
    width = newWidth;
    height = newHeight;
    rowPixels = span;
    return true;
}
