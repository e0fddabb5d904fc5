#include "HalfBandResampler.h"

#include "DspMath.h"

#include "SymmetricSum.h"

#include <cstring>

namespace {

constexpr double kPi = 3.141592653589793;

// Taps and Kaiser beta of the steps, from the host rate outwards. The first step is flat to
// 0.4167 sr and stops from 0.5833 sr (about 100 dB); the later ones only have to stop the images
// of that band, so they are short.
constexpr int kStepTaps[3] = {79, 23, 19};
constexpr double kStepBeta[3] = {10.0, 10.0, 10.0};

// The last step of Down at 4x and 8x, at twice the host rate: flat to 20 kHz and down from 24 kHz
// at 48 kHz, the cut-off halfway. Kaiser's estimate for 80 dB over that transition (a twelfth of
// the host rate) is 121 taps, beta 0.1102 (80 - 8.7); the pass-band ripple is then about 1e-4.
// (Measured with vulpane-alias, 90 dB and 139 taps change no model's figures.) At 2x the
// allpass half-band stays (below): what it folds from 24 to 28 kHz is inside the aim there, while
// at 8x it would be the floor (-53 dB).
constexpr int kFinalTaps = 121;
constexpr double kFinalBeta = 7.857;
constexpr double kFinalCutoff = 0.5 * (0.4167 + 0.5) / 2.0; // cycles per sample at twice the host rate

// At 2x both steps are one polyphase allpass half-band (AllpassHalfBand), in under half the FIR's
// time: its pass-band edge, 0.21565 of the fast rate (20.7 kHz at 96 kHz), puts the stop band
// from 27.3 kHz (about 119 dB down) and makes each pass delay low frequencies by 4.000 fast
// samples, so the round trip is whole host samples. What its phase departs from that delay is
// -0.15 degrees at 2 kHz and -2.4 at 5 kHz (-21 at 10 kHz).
constexpr double kAllpassEdge = 0.21565;
constexpr int kAllpassDelay = 4; // fast samples per pass at low frequencies

void CopyBlock(double* to, const double* from, int n) {
    if (n > 0) std::memcpy(to, from, sizeof(double) * static_cast<size_t>(n));
}

} // namespace

void HalfBandStep::Design(int taps, double beta, int maxInput, int maxExtraDelay) {
    half = taps < 3 ? 0 : (taps - 3) / 4;
    maxExtra = maxExtraDelay < 0 ? 0 : maxExtraDelay;
    extra = maxExtra;
    const int centre = 2 * half + 1;
    const double norm = BesselI0(beta);
    g.assign(static_cast<size_t>(half + 1), 0.0);
    for (int k = 0; k <= half; ++k) {
        const int offset = 2 * k + 1;
        const double r = static_cast<double>(offset) / centre; // window position 0..1 from the centre
        const double w = BesselI0(beta * DspSqrt(1.0 - r * r)) / norm;
        const double sinc = DspSin(0.5 * kPi * offset) / (kPi * offset); // cut-off at a quarter of the rate
        g[static_cast<size_t>(k)] = sinc * w;
    }
    upBuf.assign(static_cast<size_t>(2 * half + 1 + maxInput), 0.0);
    downBuf.assign(static_cast<size_t>(4 * half + 2 + maxExtra + 2 * maxInput), 0.0);
    evenBuf.assign(static_cast<size_t>(2 * half + 1 + maxInput), 0.0);
}

void HalfBandStep::SetExtraDelay(int samples) {
    extra = samples < 0 ? 0 : (samples > maxExtra ? maxExtra : samples);
}

std::vector<double> HalfBandStep::Impulse() const {
    const int centre = 2 * half + 1;
    std::vector<double> h(static_cast<size_t>(4 * half + 3), 0.0);
    h[static_cast<size_t>(centre)] = 0.5;
    for (int k = 0; k <= half; ++k) {
        h[static_cast<size_t>(centre - 2 * k - 1)] = g[static_cast<size_t>(k)];
        h[static_cast<size_t>(centre + 2 * k + 1)] = g[static_cast<size_t>(k)];
    }
    return h;
}

void HalfBandStep::Clear() {
    std::fill(upBuf.begin(), upBuf.end(), 0.0);
    std::fill(downBuf.begin(), downBuf.end(), 0.0);
}

// y[2n] = 2 sum_k g_k (x[n - m + k] + x[n - m - 1 - k]); y[2n + 1] = x[n - m].
void HalfBandStep::Interpolate(const double* in, int n, double* out) {
    const int m = half;
    const int history = 2 * m + 1;
    double* buf = upBuf.data();
    CopyBlock(buf + history, in, n);
    const double* gk = g.data();
    for (int i = 0; i < n; ++i) {
        const double* x = buf + history + i; // x[0] is the newest sample
        const double acc = SymmetricSum(gk, m + 1, x - m, x - m - 1);
        out[2 * i] = 2.0 * acc;
        out[2 * i + 1] = x[-m];
    }
    std::memmove(buf, buf + n, sizeof(double) * static_cast<size_t>(history));
}

// y[n] = 0.5 u[2n - 2m - 1] + sum_k g_k (u[2n - 2m + 2k] + u[2n - 2m - 2 - 2k]), u delayed by
// `extra` samples.
void HalfBandStep::Decimate(const double* in, int n, double* out) {
    const int m = half;
    const int history = 4 * m + 2 + maxExtra;
    double* buf = downBuf.data();
    CopyBlock(buf + history, in, 2 * n);
    const double* gk = g.data();
    // The taps beside the centre meet only the even samples: gathered into one array, they are
    // the symmetric sum of consecutive values. even[j] is u[2j - 4m - 2] of the first output.
    const double* base = buf + history - extra;
    double* even = evenBuf.data();
    for (int j = 0; j <= n + 2 * m; ++j)
        even[j] = base[2 * j - 4 * m - 2];
    for (int i = 0; i < n; ++i) {
        const double acc = SymmetricSum(gk, m + 1, even + i + m + 1, even + i + m);
        out[i] = acc + 0.5 * base[2 * i - 2 * m - 1];
    }
    std::memmove(buf, buf + 2 * n, sizeof(double) * static_cast<size_t>(history));
}

namespace {

// Round trip in samples at the highest rate: each step delays by its centre tap on the way up and
// on the way down, at its own rate; at 2x the allpass half-band twice.
int RoundTrip(int k) {
    if (k == 2) return 2 * kAllpassDelay;
    int total = 0;
    for (int i = 0; (k >> (i + 1)) > 0; ++i) {
        const int halfBand = 2 * ((kStepTaps[i] - 3) / 4) + 1;
        const int down = i == 0 ? kFinalTaps / 2 : halfBand;
        total += (halfBand + down) * (k >> (i + 1));
    }
    return total;
}

// Plain delay at the highest rate, with no inner delay, that makes the round trip plus up to
// kMaxInnerDelay whole host samples.
int PadOf(int k) {
    if (k == 1) return 0;
    const int least = RoundTrip(k) + Oversampler::kMaxInnerDelay;
    return (least + k - 1) / k * k - RoundTrip(k);
}

} // namespace

int Oversampler::LatencyOf(int k) {
    if (k != 2 && k != 4 && k != 8) return 0;
    return (RoundTrip(k) + PadOf(k)) / k;
}

int Oversampler::FinalTaps() {
    return kFinalTaps;
}

void Oversampler::SetInnerDelay(int samples) {
    if (steps == 0) return;
    const int d = samples < 0 ? 0 : (samples > kMaxInnerDelay ? kMaxInnerDelay : samples);
    if (factor == 2)
        allpass.SetExtraDelay(pad - d);
    else
        down[steps - 1].SetExtraDelay(pad - d);
}

int Oversampler::StepTaps(int step) {
    return kStepTaps[step < 0 ? 0 : (step > 2 ? 2 : step)];
}

double Oversampler::StepBeta(int step) {
    return kStepBeta[step < 0 ? 0 : (step > 2 ? 2 : step)];
}

bool Oversampler::Prepare(int k, int maxBlock) {
    int s = 0;
    switch (k) {
    case 1:
        s = 0;
        break;
    case 2:
        s = 1;
        break;
    case 4:
        s = 2;
        break;
    case 8:
        s = 3;
        break;
    default:
        return false;
    }
    factor = k;
    steps = s;
    pad = PadOf(k);
    latency = LatencyOf(k);
    if (k == 2) {
        allpass.Design(kAllpassEdge, maxBlock, pad);
    } else if (k > 2) {
        for (int i = 0; i < steps; ++i) {
            const int inputAtStep = maxBlock << i;
            up[i].Design(StepTaps(i), StepBeta(i), inputAtStep);
            if (i > 0) down[i].Design(StepTaps(i), StepBeta(i), inputAtStep, i == steps - 1 ? pad : 0);
        }
        toHost.Design(kFinalTaps, kFinalBeta, kFinalCutoff, maxBlock, 0);
    }
    if (steps > 0) SetInnerDelay(0);
    // Two halves, each holding the largest intermediate step's output (none at 2x).
    scratch.assign(static_cast<size_t>(maxBlock) * (k > 2 ? k : 0), 0.0);
    return true;
}

void Oversampler::Up(const double* in, int n, double* out) {
    if (steps == 0) {
        CopyBlock(out, in, n);
        return;
    }
    if (factor == 2) {
        allpass.Interpolate(in, n, out);
        return;
    }
    // Alternate between the two halves of the scratch, ending in out.
    const double* from = in;
    int len = n;
    for (int i = 0; i < steps; ++i) {
        double* to = i == steps - 1 ? out : scratch.data() + (i % 2) * (scratch.size() / 2);
        up[i].Interpolate(from, len, to);
        from = to;
        len *= 2;
    }
}

void Oversampler::Down(double* in, int n, double* out) {
    if (steps == 0) {
        CopyBlock(out, in, n);
        return;
    }
    if (factor == 2) {
        allpass.Decimate(in, n, out);
        return;
    }
    int len = n << (steps - 1); // output length of the highest step
    double* from = in;
    for (int i = steps - 1; i >= 1; --i) {
        down[i].Decimate(from, len, from); // in place: the history holds the input
        len /= 2;
    }
    toHost.Decimate(from, n, out);
}

void Oversampler::Clear() {
    for (int i = 0; i < steps; ++i) {
        up[i].Clear();
        down[i].Clear();
    }
    toHost.Clear();
    allpass.Clear();
}
