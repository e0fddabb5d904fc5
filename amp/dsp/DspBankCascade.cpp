#include "DspBank.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include "BiquadPair.h"
#define VULPANE_CASCADE_SSE2 1
#endif

// Block processing of the cabinet cascade.
//
// A section run sample by sample is bound by the latency of its recursion and of the chain into
// the next section. Sections of a block are therefore run in groups as a wavefront: at step t,
// section k of a group processes sample t - 2k. Its input, the output of section k - 1 for the
// same sample, was produced two steps earlier and sits in that section's y2 (or in its y1 once
// the predecessor has run out of samples). The two-step lag halves the latency each step must
// wait for, and the sections of a step are independent, so neighbouring pairs share one SSE2
// register. Every section still sees its samples in order and computes them with
// BiquadSection::Output, as DspBank::ProcessCascade does, so the result is bit-identical to it.

namespace {

using Arrays = DspBank::BiquadArrays;

constexpr int kMinWavefrontBlock = 8;
constexpr int kSkew = 2;     // steps between a section and the next one in its group
constexpr int kMaxPairs = 2; // pairs of sections per group; more gain nothing once throughput-bound


#if VULPANE_CASCADE_SSE2

// Takes the new value in the lanes whose section ran this step and keeps the old one elsewhere.
inline __m128d Commit(__m128d old, __m128d next, bool lo, bool hi) {
    if (lo && hi) return next;
    if (lo) return _mm_move_sd(old, next);
    if (hi) return _mm_move_sd(next, old);
    return old;
}

// The whole block for a group of P pairs in SSE2 registers and, when Odd, one more section in
// scalar registers at its end. While the group fills and drains, some sections have no sample
// at a step: they are computed anyway and their state is left as it was.
template <int P, bool Odd> void RunGroupPairs(Arrays& q, double* s, int n, int first) {
    BiquadSection<SsePair> sec[P];
    for (int p = 0; p < P; ++p) {
        const int i = first + 2 * p;
        sec[p] = {_mm_loadu_pd(q.b0 + i), _mm_loadu_pd(q.b1 + i), _mm_loadu_pd(q.b2 + i),
                  _mm_loadu_pd(q.a1 + i), _mm_loadu_pd(q.a2 + i), _mm_loadu_pd(q.x1 + i),
                  _mm_loadu_pd(q.x2 + i), _mm_loadu_pd(q.y1 + i), _mm_loadu_pd(q.y2 + i)};
    }
    const int e = first + 2 * P; // the odd section, when there is one
    BiquadSection<double> odd{};
    if (Odd) odd = q.Section(e);
    const int lag = kSkew * (2 * P - (Odd ? 0 : 1));
    const int steps = n + lag;

    // While filling or draining, a section's input is its predecessor's output of two steps
    // before, kept here whether or not that step changed the predecessor's state.
    __m128d h1[P], h2[P];
    for (int p = 0; p < P; ++p)
        h1[p] = sec[p].y1, h2[p] = sec[p].y2;

    auto partialStep = [&](int t) {
        __m128d u[P];
        u[0] = _mm_unpacklo_pd(_mm_set_sd(t < n ? s[t] : 0.0), h2[0]);
        for (int p = 1; p < P; ++p)
            u[p] = _mm_shuffle_pd(h2[p - 1], h2[p], 1);
        const double eu = _mm_cvtsd_f64(_mm_unpackhi_pd(h2[P - 1], h2[P - 1]));
        for (int p = 0; p < P; ++p) {
            const unsigned mLo = static_cast<unsigned>(t - kSkew * 2 * p);
            const unsigned mHi = static_cast<unsigned>(t - kSkew * (2 * p + 1));
            const bool lo = mLo < static_cast<unsigned>(n);
            const bool hi = mHi < static_cast<unsigned>(n);
            h2[p] = h1[p];
            if (!lo && !hi) continue;
            BiquadSection<SsePair>& c = sec[p];
            const __m128d y = c.Output(u[p]);
            h1[p] = y;
            c.x2 = Commit(c.x2, c.x1, lo, hi);
            c.x1 = Commit(c.x1, u[p], lo, hi);
            c.y2 = Commit(c.y2, c.y1, lo, hi);
            c.y1 = Commit(c.y1, y, lo, hi);
            if (!Odd && p == P - 1 && hi) _mm_storeh_pd(s + t - lag, y);
        }
        if (Odd && static_cast<unsigned>(t - lag) < static_cast<unsigned>(n)) s[t - lag] = odd.Run(eu);
    };

    int t = 0;
    for (; t < lag && t < steps; ++t)
        partialStep(t);
    // Every section busy: the predecessor's output of two steps before is its y2.
    for (; t < n; ++t) {
        __m128d u[P];
        u[0] = _mm_unpacklo_pd(_mm_load_sd(s + t), sec[0].y2);
        for (int p = 1; p < P; ++p)
            u[p] = _mm_shuffle_pd(sec[p - 1].y2, sec[p].y2, 1);
        double eu = 0.0;
        if (Odd) eu = _mm_cvtsd_f64(_mm_unpackhi_pd(sec[P - 1].y2, sec[P - 1].y2));
        for (int p = 0; p < P; ++p)
            sec[p].Run(u[p]);
        if (Odd)
            s[t - lag] = odd.Run(eu);
        else
            _mm_storeh_pd(s + t - lag, sec[P - 1].y1);
        if (t + 1 == n)
            for (int p = 0; p < P; ++p)
                h1[p] = sec[p].y1, h2[p] = sec[p].y2;
    }
    for (; t < steps; ++t)
        partialStep(t);

    for (int p = 0; p < P; ++p) {
        const int i = first + 2 * p;
        _mm_storeu_pd(q.x1 + i, sec[p].x1);
        _mm_storeu_pd(q.x2 + i, sec[p].x2);
        _mm_storeu_pd(q.y1 + i, sec[p].y1);
        _mm_storeu_pd(q.y2 + i, sec[p].y2);
    }
    if (Odd) q.StoreState(e, odd);
}

template <int P> void RunPairs(Arrays& q, double* s, int n, int first, bool odd) {
    if (odd)
        RunGroupPairs<P, true>(q, s, n, first);
    else
        RunGroupPairs<P, false>(q, s, n, first);
}

// Sections first .. first + size - 1 over the block, in place.
void RunGroup(Arrays& q, double* s, int n, int first, int size) {
    const bool odd = size % 2 != 0;
    switch (size / 2) {
    case 0:
        for (int t = 0; t < n; ++t)
            s[t] = q.Run(first, s[t]);
        break;
    case 1:
        RunPairs<1>(q, s, n, first, odd);
        break;
    default:
        RunPairs<kMaxPairs>(q, s, n, first, odd);
        break;
    }
}

#else

// One wavefront step for the group sections first .. first + size - 1 that have a sample at step
// t, in descending order so that each reads its predecessor's state before that moves.
void ScalarStep(Arrays& q, double* s, int n, int t, int first, int size) {
    for (int k = size - 1; k >= 0; --k) {
        const int m = t - kSkew * k;
        if (m < 0 || m >= n) continue;
        const int i = first + k;
        // The predecessor's output for sample m: in y2 while it went on to sample m + 1.
        const double u = k == 0 ? s[t] : (m + 1 < n ? q.y2[i - 1] : q.y1[i - 1]);
        const double y = q.Run(i, u);
        if (k == size - 1) s[m] = y;
    }
}

// Sections first .. first + size - 1 over the block, in place.
void RunGroup(Arrays& q, double* s, int n, int first, int size) {
    const int steps = n + kSkew * (size - 1);
    for (int t = 0; t < steps; ++t)
        ScalarStep(q, s, n, t, first, size);
}

#endif

} // namespace

void DspBank::ProcessCascadeBlock(double* samples, int n) {
    // Short blocks cost more to fill and drain than the overlap wins.
    if (n < kMinWavefrontBlock) {
        for (int i = 0; i < n; ++i)
            samples[i] = ProcessCascade(samples[i]);
        return;
    }
    // Balanced groups of up to kMaxPairs pairs; an odd section joins the last group.
    const int pairsTotal = cascadeCount / 2;
    const bool odd = cascadeCount % 2 != 0;
    int groups = (pairsTotal + kMaxPairs - 1) / kMaxPairs;
    if (groups == 0 && odd) groups = 1;
    int first = 0;
    int pairsLeft = pairsTotal;
    for (int g = 0; g < groups; ++g) {
        const int pairs = (pairsLeft + (groups - g) - 1) / (groups - g);
        const int size = 2 * pairs + (g == groups - 1 && odd ? 1 : 0);
        RunGroup(biquad, samples, n, first, size);
        first += size;
        pairsLeft -= pairs;
    }
    const double gain = cascadeGain;
    if (gain == 1.0) return; // x * 1 is x
    for (int i = 0; i < n; ++i)
        samples[i] *= gain;
}
