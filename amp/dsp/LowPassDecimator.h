#pragma once

#include <vector>

// Linear-phase low-pass FIR (Kaiser-windowed sinc) that halves the rate: the last decimation
// step back to the host rate. Unlike a half-band step, whose response is always -6 dB at a
// quarter of its input rate (the host rate's Nyquist), it is designed flat to 0.4167 of the host
// rate and fully down from 0.5, so nothing above the host's Nyquist folds onto the audio band.
// Taps is odd; the delay is (taps - 1) / 2 samples at the input rate, plus a plain delay that can
// be changed between blocks (up to the most given to Design).
class LowPassDecimator {
public:
    // cutoff in cycles per input sample; sizes the history for blocks of at most 2 maxOutput
    // input samples.
    void Design(int taps, double kaiserBeta, double cutoff, int maxOutput, int maxExtraDelay);
    int Taps() const { return static_cast<int>(h.size()); }
    // The filter's delay in samples at the input rate (without the plain delay).
    int Delay() const { return static_cast<int>(h.size()) / 2; }
    std::vector<double> Impulse() const { return h; }
    // Plain delay at the input rate in front of the filter, 0 .. the most given to Design.
    void SetExtraDelay(int samples);

    // 2n samples in, n out (n <= maxOutput); in place allowed.
    void Decimate(const double* in, int n, double* out);
    void Clear();

private:
    std::vector<double> h;
    int maxExtra = 0;
    int extra = 0;
    std::vector<double> buf; // history (taps - 1 + maxExtra) then the block
};
