#include "AmpSectionChain.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define VULPANE_CHAIN_SSE2 1
#endif

// The chain runs as a wavefront: at step t, section j processes sample t - j, taking as input
// the output section j - 1 produced one step earlier (its y1). Within a step the sections are
// independent, so their recursions overlap instead of queueing behind each other; pairs of
// sections share the two lanes of an SSE2 register. Each section still sees its samples in
// order with the arithmetic of ProcessBiquad: y = b1 x1 + b0 x + b2 x2 - a1 y1 - a2 y2.

namespace {

// The chain's sections gathered into lanes; an odd chain gets a pass-through lane at the end.
struct alignas(16) Lanes {
    double b0[kMaxChain], b1[kMaxChain], b2[kMaxChain], a1[kMaxChain], a2[kMaxChain];
    double x1[kMaxChain], x2[kMaxChain], y1[kMaxChain], y2[kMaxChain];
};

void Gather(const DspBank::BiquadArrays& q, const int* slots, int count, int lanes, Lanes& l) {
    for (int j = 0; j < lanes; ++j) {
        if (j < count) {
            const int k = slots[j];
            l.b0[j] = q.b0[k], l.b1[j] = q.b1[k], l.b2[j] = q.b2[k], l.a1[j] = q.a1[k], l.a2[j] = q.a2[k];
            l.x1[j] = q.x1[k], l.x2[j] = q.x2[k], l.y1[j] = q.y1[k], l.y2[j] = q.y2[k];
        } else {
            l.b0[j] = 1.0, l.b1[j] = l.b2[j] = l.a1[j] = l.a2[j] = 0.0;
            l.x1[j] = l.x2[j] = l.y1[j] = l.y2[j] = 0.0;
        }
    }
}

void Scatter(DspBank::BiquadArrays& q, const int* slots, int count, const Lanes& l) {
    for (int j = 0; j < count; ++j) {
        const int k = slots[j];
        q.x1[k] = l.x1[j], q.x2[k] = l.x2[j], q.y1[k] = l.y1[j], q.y2[k] = l.y2[j];
    }
}

// Steps t in [t0, t1) with only the sections that have a sample, in descending order so that
// each reads its predecessor's output before it moves.
void ScalarSteps(Lanes& l, int count, double* s, double* tap, int n, int t0, int t1) {
    for (int t = t0; t < t1; ++t) {
        const int hi = t < count - 1 ? t : count - 1;
        const int lo = t - n + 1 > 0 ? t - n + 1 : 0;
        for (int j = hi; j >= lo; --j) {
            const double u = j == 0 ? s[t] : l.y1[j - 1];
            const double y =
                l.b1[j] * l.x1[j] + l.b0[j] * u + l.b2[j] * l.x2[j] - l.a1[j] * l.y1[j] - l.a2[j] * l.y2[j];
            l.x2[j] = l.x1[j];
            l.x1[j] = u;
            l.y2[j] = l.y1[j];
            l.y1[j] = y;
            if (j == count - 1) s[t - j] = y;
            if (tap && j == count - 2) tap[t - j] = y;
        }
    }
}

#if VULPANE_CHAIN_SSE2

// Steps t in [t0, t1) with every section busy (count - 1 <= t < n).
template <int P> void PairSteps(Lanes& l, int count, double* s, double* tap, int t0, int t1) {
    __m128d b0[P], b1[P], b2[P], a1[P], a2[P], x1[P], x2[P], y1[P], y2[P];
    for (int p = 0; p < P; ++p) {
        b0[p] = _mm_load_pd(l.b0 + 2 * p), b1[p] = _mm_load_pd(l.b1 + 2 * p);
        b2[p] = _mm_load_pd(l.b2 + 2 * p), a1[p] = _mm_load_pd(l.a1 + 2 * p);
        a2[p] = _mm_load_pd(l.a2 + 2 * p);
        x1[p] = _mm_load_pd(l.x1 + 2 * p), x2[p] = _mm_load_pd(l.x2 + 2 * p);
        y1[p] = _mm_load_pd(l.y1 + 2 * p), y2[p] = _mm_load_pd(l.y2 + 2 * p);
    }
    const int last = count - 1;
    for (int t = t0; t < t1; ++t) {
        __m128d u[P];
        u[0] = _mm_unpacklo_pd(_mm_load_sd(s + t), y1[0]);
        for (int p = 1; p < P; ++p)
            u[p] = _mm_shuffle_pd(y1[p - 1], y1[p], 1);
        for (int p = 0; p < P; ++p) {
            __m128d y = _mm_add_pd(_mm_mul_pd(b1[p], x1[p]), _mm_mul_pd(b0[p], u[p]));
            y = _mm_add_pd(y, _mm_mul_pd(b2[p], x2[p]));
            y = _mm_sub_pd(y, _mm_mul_pd(a1[p], y1[p]));
            y = _mm_sub_pd(y, _mm_mul_pd(a2[p], y2[p]));
            x2[p] = x1[p];
            x1[p] = u[p];
            y2[p] = y1[p];
            y1[p] = y;
        }
        const __m128d out = y1[last / 2];
        if (last % 2)
            _mm_storeh_pd(s + t - last, out);
        else
            _mm_storel_pd(s + t - last, out);
        if (tap) {
            const __m128d pre = y1[(last - 1) / 2];
            if ((last - 1) % 2)
                _mm_storeh_pd(tap + t - last + 1, pre);
            else
                _mm_storel_pd(tap + t - last + 1, pre);
        }
    }
    for (int p = 0; p < P; ++p) {
        _mm_store_pd(l.x1 + 2 * p, x1[p]), _mm_store_pd(l.x2 + 2 * p, x2[p]);
        _mm_store_pd(l.y1 + 2 * p, y1[p]), _mm_store_pd(l.y2 + 2 * p, y2[p]);
    }
}

void SteadySteps(Lanes& l, int count, double* s, double* tap, int t0, int t1) {
    switch ((count + 1) / 2) {
    case 1:
        PairSteps<1>(l, count, s, tap, t0, t1);
        break;
    case 2:
        PairSteps<2>(l, count, s, tap, t0, t1);
        break;
    default:
        PairSteps<3>(l, count, s, tap, t0, t1);
        break;
    }
}

#else

void SteadySteps(Lanes& l, int count, double* s, double* tap, int t0, int t1) {
    ScalarSteps(l, count, s, tap, 1 << 30, t0, t1);
}

#endif

} // namespace

void RunSectionChain(DspBank& bank, const int* slots, int count, double* s, int n, double* tap) {
    if (n <= 0 || count <= 0) return;
    if (count > kMaxChain) count = kMaxChain;
    if (count < 2) tap = nullptr;
    Lanes l;
    const int lanes = (count + 1) / 2 * 2;
    Gather(bank.biquad, slots, count, lanes, l);
    const int steps = n + count - 1;
    if (n >= count) {
        ScalarSteps(l, count, s, tap, n, 0, count - 1);
        SteadySteps(l, count, s, tap, count - 1, n);
        ScalarSteps(l, count, s, tap, n, n, steps);
    } else {
        ScalarSteps(l, count, s, tap, n, 0, steps);
    }
    Scatter(bank.biquad, slots, count, l);
}
