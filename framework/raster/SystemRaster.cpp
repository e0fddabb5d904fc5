#include "SystemRaster.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

SystemRaster::SystemRaster(int w, int h) {
#ifdef _WIN32
    context = CreateCompatibleDC(nullptr);
#endif
    SetSize(w, h);
}

SystemRaster::~SystemRaster() {
    Release();
#ifdef _WIN32
    if (context) DeleteDC(static_cast<HDC>(context));
#endif
}

bool SystemRaster::SetSize(int newWidth, int newHeight) {
    if (newWidth < 0 || newHeight < 0) return false;
    if (newWidth == width && newHeight == height) return false;
    const int span = (newWidth + 3) & ~3;
    if (span > allocatedSpan || newHeight > allocatedRows) {
        const int growSpan = span > allocatedSpan ? span : allocatedSpan;
        const int growRows = newHeight > allocatedRows ? newHeight : allocatedRows;
        if (!Allocate(growSpan, growRows)) return false;
    }
    width = newWidth;
    height = newHeight;
    rowPixels = allocatedSpan;
    return true;
}

#ifdef _WIN32
bool SystemRaster::Allocate(int span, int rows) {
    if (!context) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = span;
    info.bmiHeader.biHeight = -rows; // negative: top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP fresh = CreateDIBSection(static_cast<HDC>(context), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!fresh || !bits) return false;
    HGDIOBJ old = SelectObject(static_cast<HDC>(context), fresh);
    if (section) {
        DeleteObject(static_cast<HGDIOBJ>(section));
    } else {
        previousObject = old;
    }
    section = fresh;
    pixels = static_cast<uint32_t*>(bits);
    allocatedSpan = span;
    allocatedRows = rows;
    return true;
}

void SystemRaster::Release() {
    if (section) {
        SelectObject(static_cast<HDC>(context), static_cast<HGDIOBJ>(previousObject));
        DeleteObject(static_cast<HGDIOBJ>(section));
    }
    section = nullptr;
    pixels = nullptr;
    allocatedSpan = allocatedRows = 0;
}
#else
namespace {
size_t SurfaceBytes(int span, int rows) {
    return (static_cast<size_t>(span) * static_cast<size_t>(rows) + 1) * sizeof(uint32_t);
}
} // namespace

// Anonymous pages rather than the heap: they are zero and take memory only once drawn into,
// so an instance whose editor never opens does not pay for its surface.
bool SystemRaster::Allocate(int span, int rows) {
    void* fresh = mmap(nullptr, SurfaceBytes(span, rows), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (fresh == MAP_FAILED) return false;
    Release();
    pixels = static_cast<uint32_t*>(fresh);
    allocatedSpan = span;
    allocatedRows = rows;
    return true;
}

void SystemRaster::Release() {
    if (pixels) munmap(pixels, SurfaceBytes(allocatedSpan, allocatedRows));
    pixels = nullptr;
    allocatedSpan = allocatedRows = 0;
}
#endif
