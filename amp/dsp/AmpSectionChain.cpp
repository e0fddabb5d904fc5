#include "AmpSectionChain.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include "BiquadPair.h"
#define VULPANE_LANES_SSE2 1
#endif

// The network runs as a wavefront: at step t, lane j processes sample t - delay_j. Within a step
// the lanes are independent, so their recursions overlap instead of queueing behind each other;
// values pass between lanes through the buffers, one step later.

namespace {

// The lanes gathered; an odd count repeats its last lane to fill the last pair: the copy runs in
// the paired steps only, from the last lane's state, so it computes and stores exactly what the
// original does, and is dropped afterwards.
struct Lanes {
    BiquadSection<double> section[kMaxLanes];
    const double* in[kMaxLanes];
    double* out[kMaxLanes];
    int delay[kMaxLanes];
};

void Gather(const DspBank::BiquadArrays& q, const SectionLane* lanes, int count, Lanes& l) {
    for (int j = 0; j < kMaxLanes; ++j) {
        const SectionLane& lane = lanes[j < count ? j : count - 1];
        l.section[j] = q.Section(lane.slot);
        l.in[j] = lane.in, l.out[j] = lane.out, l.delay[j] = lane.delay;
    }
}

void Scatter(DspBank::BiquadArrays& q, const SectionLane* lanes, int count, const Lanes& l) {
    for (int j = 0; j < count; ++j)
        q.StoreState(lanes[j].slot, l.section[j]);
}

// Steps t0..t1-1, each lane only while it has a sample.
void ScalarSteps(Lanes& l, int count, int n, int t0, int t1) {
    for (int t = t0; t < t1; ++t) {
        for (int j = 0; j < count; ++j) {
            const int m = t - l.delay[j];
            if (m < 0 || m >= n) continue;
            l.out[j][m] = l.section[j].Run(l.in[j][m]);
        }
    }
}

#if VULPANE_LANES_SSE2

// Steps t0..t1-1 with every lane busy.
template <int P> void PairSteps(Lanes& l, int t0, int t1) {
    BiquadSection<SsePair> sec[P];
    const double* in[2 * P];
    double* out[2 * P];
    int d[2 * P];
    for (int j = 0; j < 2 * P; ++j)
        in[j] = l.in[j], out[j] = l.out[j], d[j] = l.delay[j];
    for (int p = 0; p < P; ++p)
        sec[p] = JoinSections(l.section[2 * p], l.section[2 * p + 1]);
    for (int t = t0; t < t1; ++t) {
        for (int p = 0; p < P; ++p) {
            const int m0 = t - d[2 * p], m1 = t - d[2 * p + 1];
            const __m128d u = _mm_loadh_pd(_mm_load_sd(in[2 * p] + m0), in[2 * p + 1] + m1);
            const __m128d y = sec[p].Run(u);
            _mm_storel_pd(out[2 * p] + m0, y);
            _mm_storeh_pd(out[2 * p + 1] + m1, y);
        }
    }
    for (int p = 0; p < P; ++p)
        SplitState(sec[p], l.section[2 * p], l.section[2 * p + 1]);
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
        // The repeat of the last lane has stood still through those steps while the last lane
        // took its first samples: it starts the paired steps from the last lane's state, or its
        // stale output would overwrite the last lane's.
        if (count % 2 != 0) l.section[count] = l.section[count - 1];
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
