#pragma once

#include "AllpassHalfBand.h"
#include "LowPassDecimator.h"

#include <vector>

// Linear-phase half-band FIR (Kaiser-windowed sinc) used as one 2x step of interpolation or
// decimation. A half-band filter has every second tap zero except the centre (0.5), so each
// output costs (taps + 1) / 4 multiplies of symmetric pairs. Taps is 4m + 3; the delay is
// (taps - 1) / 2 samples at the higher rate.
class HalfBandStep {
public:
    // Designs the taps and sizes the history for blocks of at most maxInput samples at the lower
    // rate (interpolation) or 2 maxInput at the higher rate (decimation). Up to maxExtraDelay
    // whole samples of plain delay at the higher rate can go in front of the decimator.
    void Design(int taps, double kaiserBeta, int maxInput, int maxExtraDelay = 0);
    // The plain delay in front of the decimator, 0 .. maxExtraDelay; may change between blocks.
    void SetExtraDelay(int samples);
    int Taps() const { return 4 * half + 3; }
    // The delay of one filter pass in samples at the higher rate.
    int Delay() const { return 2 * half + 1; }
    // The filter's taps h[0..taps) (gain 1 at DC; the interpolator runs it at gain 2).
    std::vector<double> Impulse() const;

    // n samples in, 2n out (n <= maxInput).
    void Interpolate(const double* in, int n, double* out);
    // 2n samples in, n out (n <= maxInput).
    void Decimate(const double* in, int n, double* out);
    void Clear();

private:
    int half = 0; // m: the pairs beside the centre are g[0..m]
    int maxExtra = 0;
    int extra = 0;             // plain delay in front of the decimator
    std::vector<double> g;     // tap at centre +-(2k + 1)
    std::vector<double> upBuf; // history (2m + 1) then the block
    std::vector<double> downBuf;
    std::vector<double> evenBuf; // the even samples of one decimated block and its history
};

// Up- and down-sampling by 1, 2, 4 or 8. At 4x and 8x, Up is a cascade of linear-phase half-band
// steps: the first carries the audio band's edge (flat to 0.4167 of the host rate, stop band from
// 0.5833), later steps only remove images of that band and are short. Down mirrors it, except
// that the step back to the host rate is a steeper low pass (LowPassDecimator: flat to 0.4167,
// stop band from 0.5), so that what the fast stages make between the host's Nyquist and 0.5833
// does not fold back either. At 2x, the default, both directions are one allpass half-band
// (AllpassHalfBand: flat beyond 0.4167, stop band from 0.569), for a fraction of the cost: its
// phase is not linear, but below 5 kHz it departs from the plain delay by under 2.5 degrees.
// A plain delay at the highest rate makes the round trip, with the inner delay of what runs
// between Up and Down (SetInnerDelay), a whole number of host samples: the latency is exact for
// every frequency and the same whatever that inner delay is, up to kMaxInnerDelay.
class Oversampler {
public:
    static constexpr int kMaxFactor = 8;
    // The most samples at the highest rate the stages between Up and Down may delay.
    static constexpr int kMaxInnerDelay = 2;

    // Allocates for blocks of at most maxBlock host samples. False for a factor that is not 1, 2,
    // 4 or 8.
    bool Prepare(int factor, int maxBlock);
    int Factor() const { return factor; }
    // Host samples from input to output of Up, the inner stages and Down.
    int Latency() const { return latency; }
    // The delay of what runs between Up and Down, in samples at the highest rate (clamped to
    // 0 .. kMaxInnerDelay); the plain delay shrinks by as much. Between blocks.
    void SetInnerDelay(int samples);

    // n host samples in, factor * n out.
    void Up(const double* in, int n, double* out);
    // factor * n samples in, n host samples out; `in` is used as scratch.
    void Down(double* in, int n, double* out);
    void Clear();

    // The latency Prepare gives a factor (0 for one that is not 1, 2, 4 or 8).
    static int LatencyOf(int factor);
    // The taps and Kaiser beta of step s (0 = the one next to the host rate) of Up, and of the
    // half-band steps of Down (1, 2), at 4x and 8x.
    static int StepTaps(int step);
    static double StepBeta(int step);
    // The taps of Down's steep step to the host rate (4x and 8x).
    static int FinalTaps();

private:
    int factor = 1;
    int steps = 0;
    int latency = 0;
    int pad = 0;             // the plain delay with no inner delay
    HalfBandStep up[3];      // at 4x and 8x
    HalfBandStep down[3];    // down[1], down[2] at 4x and 8x
    LowPassDecimator toHost; // the step to the host rate at 4x and 8x
    AllpassHalfBand allpass; // both directions at 2x
    std::vector<double> scratch;
};
