#include "RasterFill.h"
#include "RasterOps.h"

#include <cmath>
#include <cstdlib>
#include <utility>

using namespace raster;

namespace {

enum : int { kLeft = 1, kRight = 2, kTop = 4, kBottom = 8 };

int OutCode(int x, int y, int maxX, int maxY) {
    int code = 0;
    if (x < 0)
        code |= kLeft;
    else if (x > maxX)
        code |= kRight;
    if (y < 0)
        code |= kTop;
    else if (y > maxY)
        code |= kBottom;
    return code;
}

// Outcode clipping of the segment to [0, maxX] x [0, maxY]; false when nothing is left.
bool ClipSegment(int& x1, int& y1, int& x2, int& y2, int maxX, int maxY) {
    int c1 = OutCode(x1, y1, maxX, maxY);
    int c2 = OutCode(x2, y2, maxX, maxY);
    for (int round = 0; round < 16; ++round) {
        if (!(c1 | c2)) return true;
        if (c1 & c2) return false;
        const int out = c1 ? c1 : c2;
        const long long dx = x2 - x1, dy = y2 - y1;
        long long x = 0, y = 0;
        if (out & kTop) {
            x = x1 + dx * (0 - y1) / dy;
            y = 0;
        } else if (out & kBottom) {
            x = x1 + dx * (maxY - y1) / dy;
            y = maxY;
        } else if (out & kLeft) {
            y = y1 + dy * (0 - x1) / dx;
            x = 0;
        } else {
            y = y1 + dy * (maxX - x1) / dx;
            x = maxX;
        }
        if (out == c1) {
            x1 = static_cast<int>(x);
            y1 = static_cast<int>(y);
            c1 = OutCode(x1, y1, maxX, maxY);
        } else {
            x2 = static_cast<int>(x);
            y2 = static_cast<int>(y);
            c2 = OutCode(x2, y2, maxX, maxY);
        }
    }
    return false;
}

// Scales a coverage 0..255 by the weight when the weight is below full.
inline int Scaled(int coverage, int w) {
    return w >= 256 ? coverage : coverage * w / 256;
}

void Plot(IRaster* d, bool xMajor, int major, int minor, uint32_t colour, int op, int k) {
    if (xMajor)
        PlotCoverage(d, major, minor, colour, op, k);
    else
        PlotCoverage(d, minor, major, colour, op, k);
}

// Coverage of a pixel whose centre lies at distance dist from the ideal ring.
int RingCoverage(float dist, bool antialias) {
    if (!antialias) return dist < 0.5f ? 256 : 0;
    if (dist >= 1.0f) return 0;
    return static_cast<int>((1.0f - dist) * 256.0f);
}

bool AngleInRange(float a, float lo, float hi) {
    const float turn = 6.28318530718f;
    for (int k = -2; k <= 2; ++k) {
        const float v = a + static_cast<float>(k) * turn;
        if (v >= lo && v <= hi) return true;
    }
    return false;
}

void StrokeRing(IRaster* dest, float cx, float cy, float r, bool arc, float lo, float hi, uint32_t colour,
                float alpha, int mode, bool antialias) {
    const int w = PrimitiveWeight(alpha, colour, mode);
    if (!dest || !dest->Pixels() || w == 0 || !(r > 0.0f)) return;
    const int op = mode & 255;
    int x0 = static_cast<int>(std::floor(cx - r - 1.0f)), x1 = static_cast<int>(std::ceil(cx + r + 1.0f));
    int y0 = static_cast<int>(std::floor(cy - r - 1.0f)), y1 = static_cast<int>(std::ceil(cy + r + 1.0f));
    x0 = x0 < 0 ? 0 : x0;
    y0 = y0 < 0 ? 0 : y0;
    x1 = x1 > dest->Width() ? dest->Width() : x1;
    y1 = y1 > dest->Height() ? dest->Height() : y1;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const float dx = static_cast<float>(x) + 0.5f - cx;
            const float dy = static_cast<float>(y) + 0.5f - cy;
            const int coverage = RingCoverage(std::fabs(std::sqrt(dx * dx + dy * dy) - r), antialias);
            if (coverage == 0) continue;
            if (arc && !AngleInRange(std::atan2(dx, -dy), lo, hi)) continue;
            PlotCoverage(dest, x, y, colour, op, coverage * w / 256);
        }
    }
}

} // namespace

void StrokeLine(IRaster* dest, int x1, int y1, int x2, int y2, uint32_t colour, float alpha, int mode,
                bool antialias) {
    const int w = PrimitiveWeight(alpha, colour, mode);
    if (!dest || !dest->Pixels() || w == 0) return;
    if (!ClipSegment(x1, y1, x2, y2, dest->Width() - 1, dest->Height() - 1)) return;
    const int op = mode & 255;
    if (y1 == y2) {
        FillSpan(dest, x1 < x2 ? x1 : x2, y1, std::abs(x2 - x1) + 1, 1, colour, w, mode);
        return;
    }
    if (x1 == x2) {
        FillSpan(dest, x1, y1 < y2 ? y1 : y2, 1, std::abs(y2 - y1) + 1, colour, w, mode);
        return;
    }
    const bool xMajor = std::abs(x2 - x1) > std::abs(y2 - y1);
    // Always step in increasing major direction, so both directions draw the same pixels.
    if ((xMajor && x1 > x2) || (!xMajor && y1 > y2)) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const int major1 = xMajor ? x1 : y1, minor1 = xMajor ? y1 : x1;
    const int major2 = xMajor ? x2 : y2, minor2 = xMajor ? y2 : x2;
    const int length = major2 - major1;
    const int minorDelta = minor2 - minor1;
    const int dir = minorDelta < 0 ? -1 : 1;
    if (std::abs(minorDelta) == length) {
        for (int i = 0; i <= length; ++i)
            Plot(dest, xMajor, major1 + i, minor1 + dir * i, colour, op, w);
        return;
    }
    const long long inc = static_cast<long long>(std::abs(minorDelta)) * 65536 / length;
    if (!antialias) {
        for (int i = 0; i <= length; ++i) {
            const long long pos = i * inc + 32768;
            Plot(dest, xMajor, major1 + i, minor1 + dir * static_cast<int>(pos >> 16), colour, op, w);
        }
        return;
    }
    Plot(dest, xMajor, major1, minor1, colour, op, w);
    Plot(dest, xMajor, major2, minor2, colour, op, w);
    // From both ends towards the middle; with an even length the middle pixel comes from the
    // first end only, so no pixel is blended twice.
    const int fromStart = length / 2;
    const int fromEnd = (length - 1) / 2;
    for (int i = 1; i <= fromStart || i <= fromEnd; ++i) {
        const long long pos = i * inc;
        const int whole = static_cast<int>(pos >> 16);
        const int u = static_cast<int>(pos & 0xffff);
        const int near = Scaled(255 - u / 256, w);
        const int far = Scaled(u / 256, w);
        if (i <= fromStart) {
            Plot(dest, xMajor, major1 + i, minor1 + dir * whole, colour, op, near);
            Plot(dest, xMajor, major1 + i, minor1 + dir * (whole + 1), colour, op, far);
        }
        if (i <= fromEnd) {
            Plot(dest, xMajor, major2 - i, minor2 - dir * whole, colour, op, near);
            Plot(dest, xMajor, major2 - i, minor2 - dir * (whole + 1), colour, op, far);
        }
    }
}

void StrokeArc(IRaster* dest, float cx, float cy, float r, float minAngle, float maxAngle, uint32_t colour,
               float alpha, int mode, bool antialias) {
    StrokeRing(dest, cx, cy, r, true, minAngle, maxAngle, colour, alpha, mode, antialias);
}

void StrokeCircle(IRaster* dest, float cx, float cy, float r, uint32_t colour, float alpha, int mode,
                  bool antialias) {
    StrokeRing(dest, cx, cy, r, false, 0.0f, 0.0f, colour, alpha, mode, antialias);
}
