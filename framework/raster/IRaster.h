#pragma once

#include <cstdint>

// A 32-bit bitmap: pixels are A*2^24 + R*2^16 + G*2^8 + B (bytes B, G, R, A in memory),
// straight alpha. Rows are RowPixels() apart.
class IRaster {
public:
    virtual ~IRaster() = default;
    virtual uint32_t* Pixels() = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int RowPixels() const = 0;
    virtual bool BottomUp() const = 0;
    // Returns whether the size changed.
    virtual bool SetSize(int width, int height) = 0;
    // A device context for system text drawing, or null.
    virtual void* DeviceContext() { return nullptr; }
    virtual int Reserved() { return 0; }

    // Start of row y, counted from the top whatever the storage order.
    uint32_t* Row(int y) {
        return Pixels() + static_cast<intptr_t>(BottomUp() ? Height() - 1 - y : y) * RowPixels();
    }
};
