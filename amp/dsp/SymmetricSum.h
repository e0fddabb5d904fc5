#pragma once

// The inner product of a symmetric FIR's half with its input pairs, shared by the resampler's
// steps: sum over k < count of c[k] (up[k] + down[-k]), where up runs forward and down backward
// through the input. With SSE2 two k at a time in the lanes (the backward side swapped into
// place) in two partial sums, so that the additions do not wait on one another.
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

inline double SymmetricSum(const double* c, int count, const double* up, const double* down) {
    int k = 0;
    double acc = 0.0;
#if defined(__SSE2__)
    __m128d a0 = _mm_setzero_pd(), a1 = _mm_setzero_pd();
    for (; k + 4 <= count; k += 4) {
        const __m128d d0 = _mm_loadu_pd(down - k - 1), d1 = _mm_loadu_pd(down - k - 3);
        const __m128d s0 = _mm_add_pd(_mm_loadu_pd(up + k), _mm_shuffle_pd(d0, d0, 1));
        const __m128d s1 = _mm_add_pd(_mm_loadu_pd(up + k + 2), _mm_shuffle_pd(d1, d1, 1));
        a0 = _mm_add_pd(a0, _mm_mul_pd(_mm_loadu_pd(c + k), s0));
        a1 = _mm_add_pd(a1, _mm_mul_pd(_mm_loadu_pd(c + k + 2), s1));
    }
    for (; k + 2 <= count; k += 2) {
        const __m128d d0 = _mm_loadu_pd(down - k - 1);
        const __m128d s0 = _mm_add_pd(_mm_loadu_pd(up + k), _mm_shuffle_pd(d0, d0, 1));
        a0 = _mm_add_pd(a0, _mm_mul_pd(_mm_loadu_pd(c + k), s0));
    }
    const __m128d sum = _mm_add_pd(a0, a1);
    acc = _mm_cvtsd_f64(sum) + _mm_cvtsd_f64(_mm_unpackhi_pd(sum, sum));
#endif
    for (; k < count; ++k)
        acc += c[k] * (up[k] + down[-k]);
    return acc;
}
