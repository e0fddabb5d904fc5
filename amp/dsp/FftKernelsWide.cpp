// Compiled for AVX2 + FMA and only called after WideVectorsAvailable() said yes. This file
// includes no standard header with inline functions, so no AVX code can stand in for a plain
// copy of a shared inline function elsewhere.
#include "FftKernels.h"

#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__) && !defined(__clang__)
#define VULPANE_WIDE_KERNELS 1
#endif

#if VULPANE_WIDE_KERNELS

#pragma GCC target("avx2,fma")
#include <immintrin.h>

namespace {

inline __m256d SwapPairs(__m256d a) {
    return _mm256_permute_pd(a, 0x5);
}

// a * w and a * conj(w) for two complex numbers, w given as (wr, wr, ..) and (wi, wi, ..).
inline __m256d Mul(__m256d a, const double* w) {
    return _mm256_fmaddsub_pd(a, _mm256_loadu_pd(w), _mm256_mul_pd(SwapPairs(a), _mm256_loadu_pd(w + 4)));
}
inline __m256d MulConj(__m256d a, const double* w) {
    return _mm256_fmsubadd_pd(a, _mm256_loadu_pd(w), _mm256_mul_pd(SwapPairs(a), _mm256_loadu_pd(w + 4)));
}
inline __m256d MulMinusI(__m256d a) {
    return _mm256_xor_pd(SwapPairs(a), _mm256_set_pd(-0.0, 0.0, -0.0, 0.0));
}
inline __m256d MulPlusI(__m256d a) {
    return _mm256_xor_pd(SwapPairs(a), _mm256_set_pd(0.0, -0.0, 0.0, -0.0));
}

template <int kCount, bool kWrite>
void Multiply(double* yr, double* yi, const double* const* xs, const float* const* hs, int bins, int begin,
              int end) {
    for (int p = begin; p < end; p += 4) {
        __m256d re = kWrite ? _mm256_setzero_pd() : _mm256_loadu_pd(yr + p);
        __m256d im = kWrite ? _mm256_setzero_pd() : _mm256_loadu_pd(yi + p);
        for (int t = 0; t < kCount; ++t) {
            const __m256d ar = _mm256_loadu_pd(xs[t] + p);
            const __m256d ai = _mm256_loadu_pd(xs[t] + bins + p);
            const __m256d br = _mm256_cvtps_pd(_mm_loadu_ps(hs[t] + p));
            const __m256d bi = _mm256_cvtps_pd(_mm_loadu_ps(hs[t] + bins + p));
            re = _mm256_fnmadd_pd(ai, bi, _mm256_fmadd_pd(ar, br, re));
            im = _mm256_fmadd_pd(ai, br, _mm256_fmadd_pd(ar, bi, im));
        }
        _mm256_storeu_pd(yr + p, re);
        _mm256_storeu_pd(yi + p, im);
    }
}

template <bool kWrite>
void MultiplyCount(double* yr, double* yi, const double* const* xs, const float* const* hs, int count,
                   int bins, int begin, int end) {
    switch (count) {
    case 1:
        Multiply<1, kWrite>(yr, yi, xs, hs, bins, begin, end);
        break;
    case 2:
        Multiply<2, kWrite>(yr, yi, xs, hs, bins, begin, end);
        break;
    case 3:
        Multiply<3, kWrite>(yr, yi, xs, hs, bins, begin, end);
        break;
    default:
        Multiply<4, kWrite>(yr, yi, xs, hs, bins, begin, end);
        break;
    }
}

} // namespace

bool WideVectorsAvailable() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

void ForwardRadix4Wide(double* data, int size, int span, const double* tw, bool upperHalfZero, int kBegin,
                       int kEnd) {
    const int q = span / 4;
    tw += static_cast<size_t>(kBegin / 2) * 24;
    for (int base = 0; base < size; base += span) {
        double* x0 = data + 2 * base;
        double* x1 = x0 + 2 * q;
        double* x2 = x1 + 2 * q;
        double* x3 = x2 + 2 * q;
        const double* w = tw;
        if (upperHalfZero) {
            for (int k = kBegin; k < kEnd; k += 2, w += 24) {
                const __m256d a0 = _mm256_loadu_pd(x0 + 2 * k);
                const __m256d a1 = _mm256_loadu_pd(x1 + 2 * k);
                const __m256d ja1 = MulMinusI(a1);
                _mm256_storeu_pd(x0 + 2 * k, _mm256_add_pd(a0, a1));
                _mm256_storeu_pd(x1 + 2 * k, Mul(_mm256_sub_pd(a0, a1), w + 8));
                _mm256_storeu_pd(x2 + 2 * k, Mul(_mm256_add_pd(a0, ja1), w));
                _mm256_storeu_pd(x3 + 2 * k, Mul(_mm256_sub_pd(a0, ja1), w + 16));
            }
            continue;
        }
        for (int k = kBegin; k < kEnd; k += 2, w += 24) {
            const __m256d a0 = _mm256_loadu_pd(x0 + 2 * k);
            const __m256d a1 = _mm256_loadu_pd(x1 + 2 * k);
            const __m256d a2 = _mm256_loadu_pd(x2 + 2 * k);
            const __m256d a3 = _mm256_loadu_pd(x3 + 2 * k);
            const __m256d s = _mm256_add_pd(a0, a2);
            const __m256d p = _mm256_sub_pd(a0, a2);
            const __m256d u = _mm256_add_pd(a1, a3);
            const __m256d jd = MulMinusI(_mm256_sub_pd(a1, a3));
            _mm256_storeu_pd(x0 + 2 * k, _mm256_add_pd(s, u));
            _mm256_storeu_pd(x1 + 2 * k, Mul(_mm256_sub_pd(s, u), w + 8));
            _mm256_storeu_pd(x2 + 2 * k, Mul(_mm256_add_pd(p, jd), w));
            _mm256_storeu_pd(x3 + 2 * k, Mul(_mm256_sub_pd(p, jd), w + 16));
        }
    }
}

void InverseRadix4Wide(double* data, int size, int span, const double* tw, int kBegin, int kEnd) {
    const int q = span / 4;
    tw += static_cast<size_t>(kBegin / 2) * 24;
    for (int base = 0; base < size; base += span) {
        double* x0 = data + 2 * base;
        double* x1 = x0 + 2 * q;
        double* x2 = x1 + 2 * q;
        double* x3 = x2 + 2 * q;
        const double* w = tw;
        for (int k = kBegin; k < kEnd; k += 2, w += 24) {
            const __m256d c0 = _mm256_loadu_pd(x0 + 2 * k);
            const __m256d t1 = MulConj(_mm256_loadu_pd(x1 + 2 * k), w + 8);
            const __m256d t2 = MulConj(_mm256_loadu_pd(x2 + 2 * k), w);
            const __m256d t3 = MulConj(_mm256_loadu_pd(x3 + 2 * k), w + 16);
            const __m256d s = _mm256_add_pd(c0, t1);
            const __m256d d = _mm256_sub_pd(c0, t1);
            const __m256d e = _mm256_add_pd(t2, t3);
            const __m256d jf = MulPlusI(_mm256_sub_pd(t2, t3));
            _mm256_storeu_pd(x0 + 2 * k, _mm256_add_pd(s, e));
            _mm256_storeu_pd(x2 + 2 * k, _mm256_sub_pd(s, e));
            _mm256_storeu_pd(x1 + 2 * k, _mm256_add_pd(d, jf));
            _mm256_storeu_pd(x3 + 2 * k, _mm256_sub_pd(d, jf));
        }
    }
}

void MultiplySpectraWide(double* yr, double* yi, const double* const* xs, const float* const* hs, int count,
                         int bins, int begin, int end, bool write) {
    if (write)
        MultiplyCount<true>(yr, yi, xs, hs, count, bins, begin, end);
    else
        MultiplyCount<false>(yr, yi, xs, hs, count, bins, begin, end);
}

void DirectConvolveWide(const double* h, int taps, const double* x, double* y, int n) {
    // Every output is four partial sums over the taps k = 0, 1, 2, 3 (mod 4), added as
    // (s0 + s1) + (s2 + s3). Eight outputs per pass keep eight independent chains in flight;
    // single outputs use the same order, so the result does not depend on how the input was
    // split into calls.
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256d lo[4], hi[4];
        for (int c = 0; c < 4; ++c)
            lo[c] = hi[c] = _mm256_setzero_pd();
        const double* xi = x + i;
        for (int k = 0; k < taps; k += 4) {
            for (int c = 0; c < 4; ++c) {
                const __m256d hk = _mm256_broadcast_sd(h + k + c);
                lo[c] = _mm256_fmadd_pd(hk, _mm256_loadu_pd(xi + k + c), lo[c]);
                hi[c] = _mm256_fmadd_pd(hk, _mm256_loadu_pd(xi + k + c + 4), hi[c]);
            }
        }
        _mm256_storeu_pd(y + i, _mm256_add_pd(_mm256_add_pd(lo[0], lo[1]), _mm256_add_pd(lo[2], lo[3])));
        _mm256_storeu_pd(y + i + 4, _mm256_add_pd(_mm256_add_pd(hi[0], hi[1]), _mm256_add_pd(hi[2], hi[3])));
    }
    for (; i < n; ++i) {
        __m128d c[4];
        for (int j = 0; j < 4; ++j)
            c[j] = _mm_setzero_pd();
        for (int k = 0; k < taps; k += 4)
            for (int j = 0; j < 4; ++j)
                c[j] = _mm_fmadd_sd(_mm_load_sd(h + k + j), _mm_load_sd(x + i + k + j), c[j]);
        y[i] = _mm_cvtsd_f64(_mm_add_sd(_mm_add_sd(c[0], c[1]), _mm_add_sd(c[2], c[3])));
    }
}

#else

bool WideVectorsAvailable() {
    return false;
}
void ForwardRadix4Wide(double*, int, int, const double*, bool, int, int) {}
void InverseRadix4Wide(double*, int, int, const double*, int, int) {}
void MultiplySpectraWide(double*, double*, const double* const*, const float* const*, int, int, int, int,
                         bool) {}
void DirectConvolveWide(const double*, int, const double*, double*, int) {}

#endif
