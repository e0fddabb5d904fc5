#include "AmpSectionChain.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define VULPANE_LANES_SSE2 1
#endif

// The network runs as a wavefront: at step t, lane j processes sample t - delay_j. Within a step
// the lanes are independent, so their recursions overlap instead of queueing behind each other;
// values pass between lanes through the buffers, one step later.

namespace {

// The lanes gathered; an odd count repeats its last lane to fill the last pair: the copy computes
// and stores exactly what the original does, and is dropped afterwards.
struct alignas(16) Lanes {
    double b0[kMaxLanes], b1[kMaxLanes], b2[kMaxLanes], a1[kMaxLanes], a2[kMaxLanes];
    double x1[kMaxLanes], x2[kMaxLanes], y1[kMaxLanes], y2[kMaxLanes];
    const double* in[kMaxLanes];
    double* out[kMaxLanes];
    int delay[kMaxLanes];
};

void Gather(const DspBank::BiquadArrays& q, const SectionLane* lanes, int count, Lanes& l) {
    for (int j = 0; j < kMaxLanes; ++j) {
        const SectionLane& lane = lanes[j < count ? j : count - 1];
        const int k = lane.slot;
        l.b0[j] = q.b0[k], l.b1[j] = q.b1[k], l.b2[j] = q.b2[k], l.a1[j] = q.a1[k], l.a2[j] = q.a2[k];
        l.x1[j] = q.x1[k], l.x2[j] = q.x2[k], l.y1[j] = q.y1[k], l.y2[j] = q.y2[k];
        l.in[j] = lane.in, l.out[j] = lane.out, l.delay[j] = lane.delay;
    }
}

void Scatter(DspBank::BiquadArrays& q, const SectionLane* lanes, int count, const Lanes& l) {
    for (int j = 0; j < count; ++j) {
        const int k = lanes[j].slot;
        q.x1[k] = l.x1[j], q.x2[k] = l.x2[j], q.y1[k] = l.y1[j], q.y2[k] = l.y2[j];
    }
}

// Steps t0..t1-1, each lane only while it has a sample.
void ScalarSteps(Lanes& l, int count, int n, int t0, int t1) {
    for (int t = t0; t < t1; ++t) {
        for (int j = 0; j < count; ++j) {
            const int m = t - l.delay[j];
            if (m < 0 || m >= n) continue;
            const double u = l.in[j][m];
            const double y =
                l.b1[j] * l.x1[j] + l.b0[j] * u + l.b2[j] * l.x2[j] - l.a1[j] * l.y1[j] - l.a2[j] * l.y2[j];
            l.x2[j] = l.x1[j];
            l.x1[j] = u;
            l.y2[j] = l.y1[j];
            l.y1[j] = y;
            l.out[j][m] = y;
        }
    }
}

#if VULPANE_LANES_SSE2

// Steps t0..t1-1 with every lane busy.
template <int P> void PairSteps(Lanes& l, int t0, int t1) {
    __m128d b0[P], b1[P], b2[P], a1[P], a2[P], x1[P], x2[P], y1[P], y2[P];
    const double* in[2 * P];
    double* out[2 * P];
    int d[2 * P];
    for (int j = 0; j < 2 * P; ++j)
        in[j] = l.in[j], out[j] = l.out[j], d[j] = l.delay[j];
    for (int p = 0; p < P; ++p) {
        b0[p] = _mm_loadu_pd(l.b0 + 2 * p), b1[p] = _mm_loadu_pd(l.b1 + 2 * p);
        b2[p] = _mm_loadu_pd(l.b2 + 2 * p), a1[p] = _mm_loadu_pd(l.a1 + 2 * p);
        a2[p] = _mm_loadu_pd(l.a2 + 2 * p);
        x1[p] = _mm_loadu_pd(l.x1 + 2 * p), x2[p] = _mm_loadu_pd(l.x2 + 2 * p);
        y1[p] = _mm_loadu_pd(l.y1 + 2 * p), y2[p] = _mm_loadu_pd(l.y2 + 2 * p);
    }
    for (int t = t0; t < t1; ++t) {
        for (int p = 0; p < P; ++p) {
            const int m0 = t - d[2 * p], m1 = t - d[2 * p + 1];
            const __m128d u = _mm_loadh_pd(_mm_load_sd(in[2 * p] + m0), in[2 * p + 1] + m1);
            __m128d y = _mm_add_pd(_mm_mul_pd(b1[p], x1[p]), _mm_mul_pd(b0[p], u));
            y = _mm_add_pd(y, _mm_mul_pd(b2[p], x2[p]));
            y = _mm_sub_pd(y, _mm_mul_pd(a1[p], y1[p]));
            y = _mm_sub_pd(y, _mm_mul_pd(a2[p], y2[p]));
            x2[p] = x1[p];
            x1[p] = u;
            y2[p] = y1[p];
            y1[p] = y;
            _mm_storel_pd(out[2 * p] + m0, y);
            _mm_storeh_pd(out[2 * p + 1] + m1, y);
        }
    }
    for (int p = 0; p < P; ++p) {
        _mm_storeu_pd(l.x1 + 2 * p, x1[p]), _mm_storeu_pd(l.x2 + 2 * p, x2[p]);
        _mm_storeu_pd(l.y1 + 2 * p, y1[p]), _mm_storeu_pd(l.y2 + 2 * p, y2[p]);
    }
}

void SteadySteps(Lanes& l, int count, int n, int t0, int t1) {
    (void)n;
    switch ((count + 1) / 2) {
    case 1:
        PairSteps<1>(l, t0, t1);
        break;
    case 2:
        PairSteps<2>(l, t0, t1);
        break;
    case 3:
        PairSteps<3>(l, t0, t1);
        break;
    default:
        PairSteps<4>(l, t0, t1);
        break;
    }
}

#else

void SteadySteps(Lanes& l, int count, int n, int t0, int t1) {
    ScalarSteps(l, count, n, t0, t1);
}

#endif

} // namespace

void RunSectionLanes(DspBank& bank, const SectionLane* lanes, int count, int n) {
    if (n <= 0 || count <= 0) return;
    if (count > kMaxLanes) count = kMaxLanes;
    int maxDelay = 0;
    for (int j = 0; j < count; ++j) {
        if (lanes[j].delay < 0 || lanes[j].delay > kMaxDelay) return;
        if (lanes[j].delay > maxDelay) maxDelay = lanes[j].delay;
    }
    Lanes l;
    Gather(bank.biquad, lanes, count, l);
    const int steps = n + maxDelay;
    if (n > maxDelay) {
        ScalarSteps(l, count, n, 0, maxDelay);
        SteadySteps(l, count, n, maxDelay, n);
        ScalarSteps(l, count, n, n, steps);
    } else {
        ScalarSteps(l, count, n, 0, steps);
    }
    Scatter(bank.biquad, lanes, count, l);
}

void RunSectionChain(DspBank& bank, const int* slots, int count, double* s, int n, double* tap) {
    if (count <= 0) return;
    if (count > kMaxChain) count = kMaxChain;
    if (count < 2) tap = nullptr;
    SectionLane lanes[kMaxChain];
    for (int j = 0; j < count; ++j) {
        const bool fromTap = tap && j == count - 1;
        const bool toTap = tap && j == count - 2;
        lanes[j] = SectionLane{slots[j], fromTap ? tap : s, toTap ? tap : s, 2 * j};
    }
    RunSectionLanes(bank, lanes, count, n);
}
