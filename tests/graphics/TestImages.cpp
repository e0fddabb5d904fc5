#include "TestImages.h"
#include "ImageEncode.h"
#include "ImageResources.h"
#include "MemoryRaster.h"

#include <vector>

namespace {

std::vector<unsigned char> Encode(MemoryRaster& image) {
    std::vector<unsigned char> bytes;
    EncodePng(&image, bytes);
    return bytes;
}

} // namespace

void PaintBackground(IRaster& image) {
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            image.Row(y)[x] = 0xff000000u | uint32_t(x * 4 & 255) << 16 | uint32_t(y * 5 & 255) << 8 | 0x40u;
}

void PaintKnobStrip(IRaster& image, int frames) {
    const int h = image.Height() / frames;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const int frame = y / h, fy = y % h;
            const int dx = 2 * x - image.Width() + 1, dy = 2 * fy - h + 1;
            const bool inside = dx * dx + dy * dy <= image.Width() * image.Width();
            image.Row(y)[x] = inside ? 0xff000000u | uint32_t(40 + 50 * frame) << 16 | 0x2020u : 0x00000000u;
        }
}

// The test executable's embedded images: 100 a 64 x 48 background, 101 a 4-frame knob.
bool FindImageResource(int id, const unsigned char** data, size_t* size) {
    static const std::vector<unsigned char> background = [] {
        MemoryRaster image(4, 64, 48);
        PaintBackground(image);
        return Encode(image);
    }();
    static const std::vector<unsigned char> knob = [] {
        MemoryRaster image(4, 12, 48);
        PaintKnobStrip(image, 4);
        return Encode(image);
    }();
    const std::vector<unsigned char>* found = id == 100 ? &background : id == 101 ? &knob : nullptr;
    if (!found) return false;
    *data = found->data();
    *size = found->size();
    return true;
}
