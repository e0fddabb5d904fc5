#pragma once

#include <cstdint>

// Per-pixel arithmetic shared by the blits and the primitives (internal to the library).
namespace raster {

inline int Ch(uint32_t p, int shift) {
    return static_cast<int>((p >> shift) & 255u);
}

inline int WeightOf(float alpha) {
    if (!(alpha > 0.0f)) return 0;
    if (alpha >= 1.0f) return 256;
    return static_cast<int>(alpha * 256.0f);
}

// The colour channels combined by operation op (the low byte of the mode), before weighting.
inline int Combine(int op, int s, int d) {
    switch (op) {
    case 1:
        return s + d > 255 ? 255 : s + d;
    case 2:
        return s >= 255 ? 255 : (d * 255 / (255 - s) > 255 ? 255 : d * 255 / (255 - s));
    case 3:
        return s * d / 255;
    case 4:
        return s < d ? s : d;
    case 5:
        return s > d ? s : d;
    default:
        return s;
    }
}

// Channel c moves towards the target t with coverage k (0..256):
// t + trunc((c - t) * (256 - k) / 256). Used with source alpha and by the primitives.
inline int Toward(int t, int c, int k) {
    return t + (c - t) * (256 - k) / 256;
}

// Channel d moves towards s by weight w: d + (s - d) * w / 256. Used by weighted plain copies.
inline int Lerp(int d, int s, int w) {
    return d + (s - d) * w / 256;
}

inline uint32_t LerpPixel(uint32_t d, uint32_t s, int w) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= static_cast<uint32_t>(Lerp(Ch(d, shift), Ch(s, shift), w)) << shift;
    return out;
}

inline uint32_t AveragePixel(uint32_t d, uint32_t s) {
    return ((d >> 1) & 0x7f7f7f7fu) + ((s >> 1) & 0x7f7f7f7fu);
}

// Copy of source pixel s over d with its own alpha at weight w.
inline uint32_t SourceAlphaPixel(uint32_t d, uint32_t s, int w) {
    const int a = Ch(s, 24);
    if (a == 0) return d;
    if (a == 255 && w >= 256) return s; // s = 256: the source replaces the destination
    const int k = (a + 1) * w / 256;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= static_cast<uint32_t>(Toward(Ch(s, shift), Ch(d, shift), k)) << shift;
    const int da = Ch(d, 24);
    return out | (static_cast<uint32_t>(da + (255 - da) * k / 256) << 24);
}

// Applies colour s to pixel d with operation op at coverage k (0..256). The alpha byte
// accumulates the coverage.
inline uint32_t BlendPixel(uint32_t d, uint32_t s, int op, int k) {
    if (k <= 0) return d;
    if (op >= 240) {
        const int from = (op & 3) * 8;
        const int to = ((op >> 2) & 3) * 8;
        const int v = Toward(Ch(s, from), Ch(d, to), k);
        return (d & ~(255u << to)) | (static_cast<uint32_t>(v) << to);
    }
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int dc = Ch(d, shift);
        const int t = Combine(op, Ch(s, shift), dc);
        out |= static_cast<uint32_t>(Toward(t, dc, k)) << shift;
    }
    const int da = Ch(d, 24);
    const int a = da + (255 - da) * k / 256;
    return out | (static_cast<uint32_t>(a) << 24);
}

} // namespace raster
