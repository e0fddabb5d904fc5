#include "DspBank.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define VULPANE_CASCADE_SSE2 1
#endif

// Block processing of the cabinet cascade. A single section is bound by the latency of its own
// recursion; independent sections are not, so a block runs several sections at once as a
// wavefront: at step t, section j of a group processes sample t - j, taking as input the
// output section j - 1 produced one step earlier (its y1). Each section still sees every
// sample in order with exactly the arithmetic of DspBank::ProcessCascade.

namespace {

using Arrays = DspBank::BiquadArrays;

inline double RunSection(Arrays& q, int i, double v) {
    const double y =
        v * q.b0[i] + q.b1[i] * q.x1[i] + q.b2[i] * q.x2[i] - q.a1[i] * q.y1[i] - q.a2[i] * q.y2[i];
    q.x2[i] = q.x1[i];
    q.x1[i] = v;
    q.y2[i] = q.y1[i];
    q.y1[i] = y;
    return y;
}

// One wavefront step over the sections first + lo .. first + hi of a group of `size`, in
// descending order so that each reads its predecessor's output before it moves.
inline void ScalarStep(Arrays& q, double* s, int t, int first, int size, int lo, int hi) {
    for (int k = hi; k >= lo; --k) {
        const int i = first + k;
        const double u = k == 0 ? s[t] : q.y1[i - 1];
        const double y = RunSection(q, i, u);
        if (k == size - 1) s[t - k] = y;
    }
}

int Max(int a, int b) {
    return a > b ? a : b;
}
int Min(int a, int b) {
    return a < b ? a : b;
}

#if VULPANE_CASCADE_SSE2

// Steady state of a group of P pairs (2P sections) with every section busy: the pairs hold two
// neighbouring sections in the two lanes of an SSE2 register; all state stays in registers.
template <int P> void PairSteady(Arrays& q, double* s, int first, int tBegin, int tEnd) {
    __m128d b0[P], b1[P], b2[P], a1[P], a2[P], x1[P], x2[P], y1[P], y2[P];
    for (int p = 0; p < P; ++p) {
        const int i = first + 2 * p;
        b0[p] = _mm_loadu_pd(q.b0 + i);
        b1[p] = _mm_loadu_pd(q.b1 + i);
        b2[p] = _mm_loadu_pd(q.b2 + i);
        a1[p] = _mm_loadu_pd(q.a1 + i);
        a2[p] = _mm_loadu_pd(q.a2 + i);
        x1[p] = _mm_loadu_pd(q.x1 + i);
        x2[p] = _mm_loadu_pd(q.x2 + i);
        y1[p] = _mm_loadu_pd(q.y1 + i);
        y2[p] = _mm_loadu_pd(q.y2 + i);
    }
    const int last = 2 * P - 1;
    for (int t = tBegin; t < tEnd; ++t) {
        __m128d u[P];
        u[0] = _mm_unpacklo_pd(_mm_load_sd(s + t), y1[0]);
        for (int p = 1; p < P; ++p)
            u[p] = _mm_shuffle_pd(y1[p - 1], y1[p], 1);
        for (int p = 0; p < P; ++p) {
            __m128d y = _mm_mul_pd(u[p], b0[p]);
            y = _mm_add_pd(y, _mm_mul_pd(b1[p], x1[p]));
            y = _mm_add_pd(y, _mm_mul_pd(b2[p], x2[p]));
            y = _mm_sub_pd(y, _mm_mul_pd(a1[p], y1[p]));
            y = _mm_sub_pd(y, _mm_mul_pd(a2[p], y2[p]));
            x2[p] = x1[p];
            x1[p] = u[p];
            y2[p] = y1[p];
            y1[p] = y;
        }
        _mm_storeh_pd(s + t - last, y1[P - 1]);
    }
    for (int p = 0; p < P; ++p) {
        const int i = first + 2 * p;
        _mm_storeu_pd(q.x1 + i, x1[p]);
        _mm_storeu_pd(q.x2 + i, x2[p]);
        _mm_storeu_pd(q.y1 + i, y1[p]);
        _mm_storeu_pd(q.y2 + i, y2[p]);
    }
}

#else

template <int P> void PairSteady(Arrays& q, double* s, int first, int tBegin, int tEnd) {
    for (int t = tBegin; t < tEnd; ++t)
        ScalarStep(q, s, t, first, 2 * P, 0, 2 * P - 1);
}

#endif

// Sections first .. first + 2 pairs - 1 over the block, in place.
void RunCascadeGroup(Arrays& q, double* s, int n, int first, int pairs) {
    const int size = 2 * pairs;
    const int steps = n + size - 1;
    int t = 0;
    // Filling: sections start one step after their predecessor.
    for (; t < Min(size - 1, steps); ++t)
        ScalarStep(q, s, t, first, size, Max(0, t - n + 1), Min(size - 1, t));
    // Full: every section busy.
    if (t < n) {
        switch (pairs) {
        case 1:
            PairSteady<1>(q, s, first, t, n);
            break;
        case 2:
            PairSteady<2>(q, s, first, t, n);
            break;
        default:
            PairSteady<3>(q, s, first, t, n);
            break;
        }
        t = n;
    }
    // Draining: sections stop one step after their predecessor.
    for (; t < steps; ++t)
        ScalarStep(q, s, t, first, size, Max(0, t - n + 1), size - 1);
}

// One section over the block, in place.
void ProcessCascadeSectionBlock(Arrays& q, double* s, int n, int i) {
    for (int t = 0; t < n; ++t)
        s[t] = RunSection(q, i, s[t]);
}

} // namespace

void DspBank::ProcessCascadeBlock(double* samples, int n) {
    if (n <= 0) return;
    // Sections run in groups of up to six; within a group the sections form a wavefront (section
    // j works on sample t - j) so that their recursions overlap. Every section still sees its
    // samples in order with the same arithmetic as ProcessCascade.
    int first = 0;
    int pairsLeft = cascadeCount / 2;
    while (pairsLeft > 0) {
        const int groups = (pairsLeft + 2) / 3;
        const int pairs = (pairsLeft + groups - 1) / groups;
        RunCascadeGroup(biquad, samples, n, first, pairs);
        first += 2 * pairs;
        pairsLeft -= pairs;
    }
    if (first < cascadeCount) ProcessCascadeSectionBlock(biquad, samples, n, first);
    const double gain = cascadeGain;
    for (int i = 0; i < n; ++i)
        samples[i] *= gain;
}
