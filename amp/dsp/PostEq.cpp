#include "PostEq.h"

#include "DspBank.h"

namespace {

// One section's coefficients and state held in locals while a block runs.
struct Section {
    double b0, b1, b2, a1, a2, x1, x2, y1, y2;
    bool flat;

    void Load(const DspBank::BiquadArrays& q, int slot, bool isFlat = false) {
        flat = isFlat;
        b0 = q.b0[slot];
        b1 = q.b1[slot];
        b2 = q.b2[slot];
        a1 = q.a1[slot];
        a2 = q.a2[slot];
        x1 = q.x1[slot];
        x2 = q.x2[slot];
        y1 = q.y1[slot];
        y2 = q.y2[slot];
    }
    void Store(DspBank::BiquadArrays& q, int slot) const {
        q.x1[slot] = x1;
        q.x2[slot] = x2;
        q.y1[slot] = y1;
        q.y2[slot] = y2;
    }
    // The same arithmetic, in the same order, as DspBank::ProcessBiquad (or PassFlat).
    double Run(double x) {
        const double y = flat ? x : b1 * x1 + b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
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

// A 0 dB shelf has b = a, an identity in exact arithmetic; rounding in the difference equation
// would still move the last bit, so such a section passes the sample on exactly (keeping its state
// as the identity would).
double PassFlat(DspBank& bank, double x, int slot) {
    DspBank::BiquadArrays& q = bank.biquad;
    q.x2[slot] = q.x1[slot];
    q.x1[slot] = x;
    q.y2[slot] = q.y1[slot];
    q.y1[slot] = x;
    return x;
}

double Shelf(DspBank& bank, double x, int slot, bool flat) {
    return flat ? PassFlat(bank, x, slot) : bank.ProcessBiquad(x, slot);
}

int Max(int a, int b) {
    return a > b ? a : b;
}
int Min(int a, int b) {
    return a < b ? a : b;
}

} // namespace

void PostEq::SetEqLow(DspBank& bank, double v, double sampleRate) {
    const double g = 24.0 * v - 12.0;
    bank.DesignBiquad(500.0, 1.0, g, sampleRate, kLowShelf, kLowShelfSlot);
    lowFlat = g == 0.0;
    bank.DesignBiquad(12.0 * g + 500.0, 1.9, 0.0, sampleRate, kBandPass, kLowBandSlot);
    eqLowMix = -0.08 / (v + 1.0) * g;
}

void PostEq::SetEqHigh(DspBank& bank, double v, double sampleRate) {
    const double g = 24.0 * v - 12.0;
    bank.DesignBiquad(3000.0, 1.0, g, sampleRate, kHighShelf, kHighShelfSlot);
    highFlat = g == 0.0;
}

void PostEq::SetLoudness(DspBank& bank, double v, double sampleRate) {
    const double g = -30.0 * v;
    bank.DesignBiquad(200.0, 1.0, g, sampleRate, kLowShelf, kLoudnessShelfSlot);
    loudFlat = g == 0.0;
    bank.DesignBiquad(3.83 * g + 200.0, 1.9, 0.0, sampleRate, kBandPass, kLoudnessBandSlot);
    loudnessMix = g * -0.145 * v;
}

double PostEq::Process(DspBank& bank, double x, double volumeNow) const {
    double a = Shelf(bank, x, kLowShelfSlot, lowFlat);
    double b = bank.ProcessBiquad(a, kLowBandSlot);
    a = eqLowMix * b + a;
    const double c = Shelf(bank, a, kHighShelfSlot, highFlat);
    a = Shelf(bank, c, kLoudnessShelfSlot, loudFlat);
    b = bank.ProcessBiquad(a, kLoudnessBandSlot);
    return (loudnessMix * b + a) * volumeNow;
}

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
