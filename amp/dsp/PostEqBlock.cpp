#include "DspBank.h"
#include "PostEq.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include "BiquadPair.h"
#define VULPANE_POSTEQ_SSE2 1
#endif

// Block processing of the post EQ: its five sections run as a wavefront (section k at step t on
// sample t - 2k), so that their recursions overlap, with exactly the arithmetic and order of
// PostEq::Process for every sample.

namespace {

// Short blocks cost more to fill and drain than they win.
constexpr int kMinWavefrontBlock = 8;

} // namespace

#if VULPANE_POSTEQ_SSE2

namespace {

// Two neighbouring sections in the lanes of SSE2 registers: lo runs first in the chain.
struct Pair : BiquadSection<SsePair> {
    void Load(const DspBank::BiquadArrays& q, int lo, int hi) {
        static_cast<BiquadSection<SsePair>&>(*this) = JoinSections(q.Section(lo), q.Section(hi));
    }
    void Store(DspBank::BiquadArrays& q, int lo, int hi) const {
        BiquadSection<double> l = q.Section(lo), h = q.Section(hi);
        SplitState(*this, l, h);
        q.StoreState(lo, l);
        q.StoreState(hi, h);
    }
    // Both lanes' outputs; a flat lane passes u.
    __m128d Compute(__m128d u, bool flatLo, bool flatHi) const {
        __m128d y = Output(u);
        if (flatLo) y = _mm_move_sd(y, u);
        if (flatHi) y = _mm_move_sd(u, y);
        return y;
    }
    // Advances only the lanes whose section had a sample at this step.
    void AdvanceLanes(__m128d u, __m128d y, bool lo, bool hi) {
        if (lo && hi) return Advance(u, y);
        if (lo) {
            x2 = _mm_move_sd(x2, x1);
            x1 = _mm_move_sd(x1, u);
            y2 = _mm_move_sd(y2, y1);
            y1 = _mm_move_sd(y1, y);
        } else if (hi) {
            x2 = _mm_move_sd(x1, x2);
            x1 = _mm_move_sd(u, x1);
            y2 = _mm_move_sd(y1, y2);
            y1 = _mm_move_sd(y, y1);
        }
    }
};

inline double Hi(__m128d v) {
    return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v));
}

} // namespace

void PostEq::ProcessBlock(DspBank& bank, double* s, int n, double volumeNow) const {
    if (n < kMinWavefrontBlock) {
        for (int i = 0; i < n; ++i)
            s[i] = Process(bank, s[i], volumeNow);
        return;
    }
    DspBank::BiquadArrays& q = bank.biquad;
    // Chain order: 68 -> 73 (mixed) -> 69 -> 70 -> 74 (mixed). Pair a = 68, 73; pair b = 69, 70;
    // 74 in scalar registers.
    Pair a, b;
    a.Load(q, kLowShelfSlot, kLowBandSlot);
    b.Load(q, kHighShelfSlot, kLoudnessShelfSlot);
    BiquadSection<double> c = q.Section(kLoudnessBandSlot);
    const double lowMix = eqLowMix, loudMix = loudnessMix;
    const bool flatA = lowFlat, flatBLo = highFlat, flatBHi = loudFlat;

    // Each section's output two steps back (its successor's input), and the mixed low band.
    __m128d ha1 = a.y1, ha2 = a.y2, hb1 = b.y1, hb2 = b.y2;
    double hm1 = 0.0, hm2 = 0.0;
    constexpr int kLag = 8; // section 74 runs 8 samples behind section 68
    const int steps = n + kLag;

    const auto step = [&](int t, bool full) {
        const __m128d ua = _mm_unpacklo_pd(_mm_set_sd(t < n ? s[t] : 0.0), ha2);
        const __m128d ub = _mm_unpacklo_pd(_mm_set_sd(hm2), hb2);
        const double uc = Hi(hb2);
        const __m128d ya = a.Compute(ua, flatA, false);
        const __m128d yb = b.Compute(ub, flatBLo, flatBHi);
        const double yc = c.Output(uc);
        hm2 = hm1;
        hm1 = lowMix * Hi(ya) + Hi(ua);
        ha2 = ha1;
        ha1 = ya;
        hb2 = hb1;
        hb1 = yb;
        if (full) {
            a.Advance(ua, ya);
            b.Advance(ub, yb);
        } else {
            const auto active = [&](int k) {
                return static_cast<unsigned>(t - 2 * k) < static_cast<unsigned>(n);
            };
            a.AdvanceLanes(ua, ya, active(0), active(1));
            b.AdvanceLanes(ub, yb, active(2), active(3));
            if (!active(4)) return;
        }
        c.Advance(uc, yc);
        s[t - kLag] = (loudMix * yc + uc) * volumeNow;
    };
    int t = 0;
    for (; t < kLag; ++t)
        step(t, false);
    for (; t < n; ++t)
        step(t, true);
    for (; t < steps; ++t)
        step(t, false);

    a.Store(q, kLowShelfSlot, kLowBandSlot);
    b.Store(q, kHighShelfSlot, kLoudnessShelfSlot);
    q.StoreState(kLoudnessBandSlot, c);
}

#else

namespace {

// One section held in locals while a block runs; a flat one passes its input (as PassFlat does).
struct Section : BiquadSection<double> {
    bool flat;

    void Load(const DspBank::BiquadArrays& q, int slot, bool isFlat = false) {
        static_cast<BiquadSection<double>&>(*this) = q.Section(slot);
        flat = isFlat;
    }
    void Store(DspBank::BiquadArrays& q, int slot) const { q.StoreState(slot, *this); }
    double Run(double x) {
        const double y = flat ? x : Output(x);
        Advance(x, y);
        return y;
    }
};

struct PostEqSections {
    Section low, lowBand, high, loud, loudBand;
    double lowMix, loudMix, volume;
    double mixed; // the low band's mixed output, one step old when the high shelf takes it

    // One wavefront step: stage j works on sample t - j, for the stages lo..hi. Every stage's
    // input is what the stage before it produced one step earlier, read from its state before
    // anything moves, so the stages are independent within the step.
    inline void Step(double* s, int t, int lo, int hi) {
        const double u1 = low.y1;
        const double u2 = mixed;
        const double u3 = high.y1;
        const double u4 = loud.y1;
        if (lo <= 0 && hi >= 0) low.Run(s[t]);
        if (lo <= 1 && hi >= 1) mixed = lowMix * lowBand.Run(u1) + u1;
        if (lo <= 2 && hi >= 2) high.Run(u2);
        if (lo <= 3 && hi >= 3) loud.Run(u3);
        if (lo <= 4 && hi >= 4) {
            const double b = loudBand.Run(u4);
            s[t - 4] = (loudMix * b + u4) * volume;
        }
    }
};

int Max(int a, int b) {
    return a > b ? a : b;
}
int Min(int a, int b) {
    return a < b ? a : b;
}

} // namespace

void PostEq::ProcessBlock(DspBank& bank, double* samples, int n, double volumeNow) const {
    if (n <= 0) return;
    PostEqSections p;
    p.low.Load(bank.biquad, kLowShelfSlot, lowFlat);
    p.lowBand.Load(bank.biquad, kLowBandSlot);
    p.high.Load(bank.biquad, kHighShelfSlot, highFlat);
    p.loud.Load(bank.biquad, kLoudnessShelfSlot, loudFlat);
    p.loudBand.Load(bank.biquad, kLoudnessBandSlot);
    p.lowMix = eqLowMix;
    p.loudMix = loudnessMix;
    p.volume = volumeNow;
    p.mixed = 0.0;

    // Fill the pipeline, run it full, then drain it; stage j lags the input by j samples.
    const int steps = n + 4;
    int t = 0;
    for (; t < Min(4, steps); ++t)
        p.Step(samples, t, Max(0, t - n + 1), Min(4, t));
    for (; t < n; ++t)
        p.Step(samples, t, 0, 4);
    for (; t < steps; ++t)
        p.Step(samples, t, Max(0, t - n + 1), 4);

    p.low.Store(bank.biquad, kLowShelfSlot);
    p.lowBand.Store(bank.biquad, kLowBandSlot);
    p.high.Store(bank.biquad, kHighShelfSlot);
    p.loud.Store(bank.biquad, kLoudnessShelfSlot);
    p.loudBand.Store(bank.biquad, kLoudnessBandSlot);
}

#endif
