#pragma once

// Two biquad sections side by side in the lanes of SSE2 registers (lo in the low lane), for the
// block loops that run neighbouring sections together. Include only where SSE2 is available.

#include "DspBank.h"

#include <emmintrin.h>

// Two doubles in one SSE2 register, with the arithmetic BiquadSection::Output needs; it converts
// to and from __m128d for the shuffles around it.
struct SsePair {
    __m128d v;
    SsePair() = default;
    SsePair(__m128d value) : v(value) {}
    operator __m128d() const { return v; }
};
inline SsePair operator*(SsePair a, SsePair b) { return _mm_mul_pd(a.v, b.v); }
inline SsePair operator+(SsePair a, SsePair b) { return _mm_add_pd(a.v, b.v); }
inline SsePair operator-(SsePair a, SsePair b) { return _mm_sub_pd(a.v, b.v); }

inline BiquadSection<SsePair> JoinSections(const BiquadSection<double>& lo, const BiquadSection<double>& hi) {
    return {_mm_set_pd(hi.b0, lo.b0), _mm_set_pd(hi.b1, lo.b1), _mm_set_pd(hi.b2, lo.b2),
            _mm_set_pd(hi.a1, lo.a1), _mm_set_pd(hi.a2, lo.a2), _mm_set_pd(hi.x1, lo.x1),
            _mm_set_pd(hi.x2, lo.x2), _mm_set_pd(hi.y1, lo.y1), _mm_set_pd(hi.y2, lo.y2)};
}

// Writes the state of both lanes back (coefficients do not change while a block runs).
inline void SplitState(const BiquadSection<SsePair>& pair, BiquadSection<double>& lo, BiquadSection<double>& hi) {
    _mm_storel_pd(&lo.x1, pair.x1);
    _mm_storeh_pd(&hi.x1, pair.x1);
    _mm_storel_pd(&lo.x2, pair.x2);
    _mm_storeh_pd(&hi.x2, pair.x2);
    _mm_storel_pd(&lo.y1, pair.y1);
    _mm_storeh_pd(&hi.y1, pair.y1);
    _mm_storel_pd(&lo.y2, pair.y2);
    _mm_storeh_pd(&hi.y2, pair.y2);
}
