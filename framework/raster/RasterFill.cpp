#include "RasterFill.h"
#include "RasterOps.h"
#include "RasterPixel.h"

using namespace raster;

namespace raster {

int PrimitiveWeight(float alpha, uint32_t colour, int mode) {
    if (mode & kModeSourceAlpha) alpha *= static_cast<float>(colour >> 24) / 255.0f;
    return WeightOf(alpha);
}

void FillSpan(IRaster* dest, int x, int y, int width, int height, uint32_t colour, int w, int mode) {
    if (!dest || !dest->Pixels() || w <= 0) return;
    if (x < 0) {
        width += x;
        x = 0;
    }
    if (y < 0) {
        height += y;
        y = 0;
    }
    if (width > dest->Width() - x) width = dest->Width() - x;
    if (height > dest->Height() - y) height = dest->Height() - y;
    if (width <= 0 || height <= 0) return;
    const int op = mode & 255;
    const uint32_t quarter = (colour >> 2) & 0x3f3f3f3fu;
    const uint32_t half = (colour >> 1) & 0x7f7f7f7fu;
    for (int row = 0; row < height; ++row) {
        uint32_t* p = dest->Row(y + row) + x;
        if (op != kModeCopy) {
            for (int i = 0; i < width; ++i)
                p[i] = BlendPixel(p[i], colour, op, w);
        } else if (w >= 256) {
            for (int i = 0; i < width; ++i)
                p[i] = colour;
        } else if (w == 128) {
            for (int i = 0; i < width; ++i)
                p[i] = half + ((p[i] >> 1) & 0x7f7f7f7fu);
        } else if (w == 64) {
            for (int i = 0; i < width; ++i)
                p[i] = quarter + ((p[i] >> 2) & 0x3f3f3f3fu) * 3;
        } else if (w == 192) {
            for (int i = 0; i < width; ++i)
                p[i] = quarter * 3 + ((p[i] >> 2) & 0x3f3f3f3fu);
        } else {
            for (int i = 0; i < width; ++i)
                p[i] = LerpPixel(p[i], colour, w);
        }
    }
}

void PlotCoverage(IRaster* dest, int x, int y, uint32_t colour, int op, int k) {
    if (x < 0 || y < 0 || x >= dest->Width() || y >= dest->Height() || k <= 0) return;
    uint32_t* p = dest->Row(y) + x;
    *p = BlendPixel(*p, colour, op, k > 256 ? 256 : k);
}

} // namespace raster

void FillArea(IRaster* dest, int x, int y, int width, int height, uint32_t colour, float alpha, int mode) {
    FillSpan(dest, x, y, width, height, colour, PrimitiveWeight(alpha, colour, mode), mode);
}

void MaskArea(IRaster* dest, int x, int y, int width, int height, uint32_t mask, uint32_t orBits) {
    if (!dest || !dest->Pixels()) return;
    const int x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
    const int x1 = x + width > dest->Width() ? dest->Width() : x + width;
    const int y1 = y + height > dest->Height() ? dest->Height() : y + height;
    for (int row = y0; row < y1; ++row) {
        uint32_t* p = dest->Row(row);
        for (int i = x0; i < x1; ++i)
            p[i] = (p[i] & mask) | orBits;
    }
}

void SetPixelAt(IRaster* dest, int x, int y, uint32_t colour, float alpha, int mode) {
    if (!dest || !dest->Pixels()) return;
    PlotCoverage(dest, x, y, colour, mode & 255, PrimitiveWeight(alpha, colour, mode));
}

uint32_t PixelAt(IRaster* src, int x, int y) {
    if (!src || !src->Pixels() || x < 0 || y < 0 || x >= src->Width() || y >= src->Height()) return 0;
    return src->Row(y)[x];
}
