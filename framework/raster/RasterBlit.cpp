#include "RasterOps.h"
#include "RasterPixel.h"

#include <cmath>
#include <cstring>

using namespace raster;

namespace {

// One pixel of source s onto d under mode at weight w (the general path).
inline uint32_t ApplyMode(uint32_t d, uint32_t s, int mode, int w) {
    const int op = mode & 255;
    if (mode & kModeSourceAlpha) {
        if (op == kModeCopy) return SourceAlphaPixel(d, s, w);
        const int a = Ch(s, 24);
        if (a == 0) return d;
        return BlendPixel(d, s, op, (a + 1) * w / 256);
    }
    if (op == kModeCopy) return w >= 256 ? s : LerpPixel(d, s, w);
    return BlendPixel(d, s, op, w);
}

void CopyRow(uint32_t* d, const uint32_t* s, int n, int mode, int w, bool half) {
    const int op = mode & 255;
    if (op == kModeCopy && !(mode & kModeSourceAlpha)) {
        if (w >= 256) {
            std::memcpy(d, s, static_cast<size_t>(n) * sizeof(uint32_t));
        } else if (half) {
            for (int i = 0; i < n; ++i)
                d[i] = AveragePixel(d[i], s[i]);
        } else {
            for (int i = 0; i < n; ++i)
                d[i] = LerpPixel(d[i], s[i], w);
        }
        return;
    }
    if (op == kModeCopy) {
        for (int i = 0; i < n; ++i)
            d[i] = SourceAlphaPixel(d[i], s[i], w);
        return;
    }
    for (int i = 0; i < n; ++i)
        d[i] = ApplyMode(d[i], s[i], mode, w);
}

inline uint32_t Sample(IRaster* src, int x, int y) {
    return src->Row(y)[x];
}

// Bilinear sample at (fx, fy) in source pixel coordinates (pixel centres at +0.5), limited
// to the box [x0, x1) x [y0, y1).
uint32_t SampleBilinear(IRaster* src, float fx, float fy, int x0, int y0, int x1, int y1) {
    fx -= 0.5f;
    fy -= 0.5f;
    int ix = static_cast<int>(std::floor(fx));
    int iy = static_cast<int>(std::floor(fy));
    const int ux = static_cast<int>((fx - static_cast<float>(ix)) * 256.0f);
    const int uy = static_cast<int>((fy - static_cast<float>(iy)) * 256.0f);
    auto clampX = [&](int x) { return x < x0 ? x0 : (x >= x1 ? x1 - 1 : x); };
    auto clampY = [&](int y) { return y < y0 ? y0 : (y >= y1 ? y1 - 1 : y); };
    const uint32_t p00 = Sample(src, clampX(ix), clampY(iy));
    const uint32_t p10 = Sample(src, clampX(ix + 1), clampY(iy));
    const uint32_t p01 = Sample(src, clampX(ix), clampY(iy + 1));
    const uint32_t p11 = Sample(src, clampX(ix + 1), clampY(iy + 1));
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int top = Ch(p00, shift) * (256 - ux) + Ch(p10, shift) * ux;
        const int bottom = Ch(p01, shift) * (256 - ux) + Ch(p11, shift) * ux;
        out |= static_cast<uint32_t>((top * (256 - uy) + bottom * uy) >> 16) << shift;
    }
    return out;
}

} // namespace

void CopyRect(IRaster* dest, IRaster* src, int destX, int destY, int srcX, int srcY, int width, int height,
              float alpha, int mode) {
    const int w = WeightOf(alpha);
    if (!dest || !src || w == 0 || !dest->Pixels() || !src->Pixels()) return;
    if (destX < 0) {
        srcX -= destX;
        width += destX;
        destX = 0;
    }
    if (destY < 0) {
        srcY -= destY;
        height += destY;
        destY = 0;
    }
    if (srcX < 0) {
        destX -= srcX;
        width += srcX;
        srcX = 0;
    }
    if (srcY < 0) {
        destY -= srcY;
        height += srcY;
        srcY = 0;
    }
    if (width > dest->Width() - destX) width = dest->Width() - destX;
    if (width > src->Width() - srcX) width = src->Width() - srcX;
    if (height > dest->Height() - destY) height = dest->Height() - destY;
    if (height > src->Height() - srcY) height = src->Height() - srcY;
    if (width <= 0 || height <= 0) return;
    const bool half = alpha == 0.5f;
    for (int row = 0; row < height; ++row)
        CopyRow(dest->Row(destY + row) + destX, src->Row(srcY + row) + srcX, width, mode, w, half);
}

void ResampleRect(IRaster* dest, IRaster* src, int destX, int destY, int destW, int destH, int srcX, int srcY,
                  int srcW, int srcH, float alpha, int mode) {
    const int w = WeightOf(alpha);
    if (!dest || !src || w == 0 || destW <= 0 || destH <= 0 || srcW <= 0 || srcH <= 0) return;
    if (!dest->Pixels() || !src->Pixels()) return;
    // The sampled box must lie inside the source.
    const int sx0 = srcX < 0 ? 0 : srcX;
    const int sy0 = srcY < 0 ? 0 : srcY;
    const int sx1 = srcX + srcW > src->Width() ? src->Width() : srcX + srcW;
    const int sy1 = srcY + srcH > src->Height() ? src->Height() : srcY + srcH;
    if (sx1 <= sx0 || sy1 <= sy0) return;
    const int x0 = destX < 0 ? 0 : destX;
    const int y0 = destY < 0 ? 0 : destY;
    const int x1 = destX + destW > dest->Width() ? dest->Width() : destX + destW;
    const int y1 = destY + destH > dest->Height() ? dest->Height() : destY + destH;
    const float scaleX = static_cast<float>(srcW) / static_cast<float>(destW);
    const float scaleY = static_cast<float>(srcH) / static_cast<float>(destH);
    const bool bilinear = (mode & kModeBilinear) != 0;
    for (int y = y0; y < y1; ++y) {
        uint32_t* row = dest->Row(y);
        const float fy = static_cast<float>(srcY) + (static_cast<float>(y - destY) + 0.5f) * scaleY;
        for (int x = x0; x < x1; ++x) {
            const float fx = static_cast<float>(srcX) + (static_cast<float>(x - destX) + 0.5f) * scaleX;
            uint32_t s;
            if (bilinear) {
                s = SampleBilinear(src, fx, fy, sx0, sy0, sx1, sy1);
            } else {
                int ix = static_cast<int>(fx);
                int iy = static_cast<int>(fy);
                if (ix < sx0 || ix >= sx1 || iy < sy0 || iy >= sy1) continue;
                s = Sample(src, ix, iy);
            }
            row[x] = ApplyMode(row[x], s, mode, w);
        }
    }
}

void RotateRect(IRaster* dest, IRaster* src, int destX, int destY, int destW, int destH, int srcX, int srcY,
                int srcW, int srcH, float angle, bool clipToSource, float alpha, int mode,
                float rotationCentreX, float rotationCentreY) {
    const int w = WeightOf(alpha);
    if (!dest || !src || w == 0 || destW <= 0 || destH <= 0 || srcW <= 0 || srcH <= 0) return;
    if (!dest->Pixels() || !src->Pixels()) return;
    const int bx0 = clipToSource ? (srcX < 0 ? 0 : srcX) : 0;
    const int by0 = clipToSource ? (srcY < 0 ? 0 : srcY) : 0;
    const int bx1 = clipToSource && srcX + srcW < src->Width() ? srcX + srcW : src->Width();
    const int by1 = clipToSource && srcY + srcH < src->Height() ? srcY + srcH : src->Height();
    if (bx1 <= bx0 || by1 <= by0) return;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    // Bounding box of the rotated destination rectangle.
    float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
    const float cornersX[4] = {0.0f, static_cast<float>(destW), 0.0f, static_cast<float>(destW)};
    const float cornersY[4] = {0.0f, 0.0f, static_cast<float>(destH), static_cast<float>(destH)};
    for (int i = 0; i < 4; ++i) {
        const float px = static_cast<float>(destX) + cornersX[i] - rotationCentreX;
        const float py = static_cast<float>(destY) + cornersY[i] - rotationCentreY;
        const float rx = rotationCentreX + px * c - py * s;
        const float ry = rotationCentreY + px * s + py * c;
        minX = rx < minX ? rx : minX;
        maxX = rx > maxX ? rx : maxX;
        minY = ry < minY ? ry : minY;
        maxY = ry > maxY ? ry : maxY;
    }
    int x0 = static_cast<int>(std::floor(minX)), x1 = static_cast<int>(std::ceil(maxX));
    int y0 = static_cast<int>(std::floor(minY)), y1 = static_cast<int>(std::ceil(maxY));
    x0 = x0 < 0 ? 0 : x0;
    y0 = y0 < 0 ? 0 : y0;
    x1 = x1 > dest->Width() ? dest->Width() : x1;
    y1 = y1 > dest->Height() ? dest->Height() : y1;
    const float scaleX = static_cast<float>(srcW) / static_cast<float>(destW);
    const float scaleY = static_cast<float>(srcH) / static_cast<float>(destH);
    const bool bilinear = (mode & kModeBilinear) != 0;
    for (int y = y0; y < y1; ++y) {
        uint32_t* row = dest->Row(y);
        for (int x = x0; x < x1; ++x) {
            // Rotate the pixel centre back by -angle, then map into the source rectangle.
            const float px = static_cast<float>(x) + 0.5f - rotationCentreX;
            const float py = static_cast<float>(y) + 0.5f - rotationCentreY;
            const float ux = rotationCentreX + px * c + py * s - static_cast<float>(destX);
            const float uy = rotationCentreY - px * s + py * c - static_cast<float>(destY);
            const float fx = static_cast<float>(srcX) + ux * scaleX;
            const float fy = static_cast<float>(srcY) + uy * scaleY;
            if (fx < static_cast<float>(bx0) || fy < static_cast<float>(by0) ||
                fx >= static_cast<float>(bx1) || fy >= static_cast<float>(by1))
                continue;
            const uint32_t p = bilinear ? SampleBilinear(src, fx, fy, bx0, by0, bx1, by1)
                                        : Sample(src, static_cast<int>(fx), static_cast<int>(fy));
            row[x] = ApplyMode(row[x], p, mode, w);
        }
    }
}

void CloneRaster(IRaster* dest, IRaster* src) {
    if (!dest || !src) return;
    dest->SetSize(src->Width(), src->Height());
    if (dest->Width() != src->Width() || dest->Height() != src->Height()) return;
    CopyRect(dest, src, 0, 0, 0, 0, src->Width(), src->Height(), 1.0f, kModeCopy);
}
