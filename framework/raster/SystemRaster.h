#pragma once

#include "IRaster.h"

// The editor's draw surface: a top-down 32-bit bitmap with rows padded to 4 pixels. On
// Windows it is a device-independent section selected into its own memory device context,
// so system text can be drawn into it; elsewhere it is plain memory with no context.
class SystemRaster : public IRaster {
public:
    SystemRaster(int width = 0, int height = 0);
    ~SystemRaster() override;
    SystemRaster(const SystemRaster&) = delete;
    SystemRaster& operator=(const SystemRaster&) = delete;

    uint32_t* Pixels() override { return pixels; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    int RowPixels() const override { return rowPixels; }
    bool BottomUp() const override { return false; }
    // The storage is re-created only when the new size exceeds the allocated one.
    bool SetSize(int newWidth, int newHeight) override;
    void* DeviceContext() override { return context; }

private:
    bool Allocate(int span, int rows);
    void Release();

    int width = 0;
    int height = 0;
    int rowPixels = 0;
    int allocatedSpan = 0;
    int allocatedRows = 0;
    uint32_t* pixels = nullptr;
    void* context = nullptr;
    void* section = nullptr;
    void* previousObject = nullptr;
};
