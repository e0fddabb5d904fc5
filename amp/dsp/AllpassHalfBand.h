#pragma once

#include <vector>

// Half-band low pass made of two branches of first-order allpass sections (a polyphase IIR):
//   H(z) = (A0(z^2) + z^-1 A1(z^2)) / 2,  each A a cascade of (a + z^-2) / (1 + a z^-2).
// As one 2x step of interpolation or decimation each branch runs at the lower rate, so a sample
// at the lower rate costs one section per coefficient, all of them in the two branches side by
// side (SSE2 lanes where there are any). The coefficients are those of the elliptic half-band
// filter of order 2 kSections * 2 + 1 with the given pass-band edge: equiripple in the stop band,
// which starts at half the higher rate's Nyquist mirrored about it (0.5 - edge), and flat to
// within 1e-10 dB in the pass band. The phase is not linear: low frequencies are delayed by
// DelayAtDc() samples at the higher rate, the band's top more.
class AllpassHalfBand {
public:
    static constexpr int kSections = 4; // per branch

    // passEdge in cycles per sample at the higher rate (below 0.25). Sizes the history for blocks
    // of at most maxInput samples at the lower rate (interpolation) or 2 maxInput at the higher
    // rate (decimation), with up to maxExtraDelay whole samples of plain delay at the higher rate
    // in front of the decimator. Clears the state.
    void Design(double passEdge, int maxInput, int maxExtraDelay = 0);
    // The plain delay in front of the decimator, 0 .. maxExtraDelay; may change between blocks.
    void SetExtraDelay(int samples);
    // Section s of branch b (b = 0: A0, b = 1: A1), ascending within each branch.
    double Coefficient(int branch, int section) const { return coefficient[branch][section]; }
    // The group delay of one pass at DC, in samples at the higher rate.
    double DelayAtDc() const;

    // n samples in, 2n out (n <= maxInput); the pass band at gain 1.
    void Interpolate(const double* in, int n, double* out);
    // 2n samples in, n out (n <= maxInput); in place allowed.
    void Decimate(const double* in, int n, double* out);
    void Clear();

private:
    double coefficient[2][kSections] = {};
    // The coefficients of one section for both branches, in the lane order each direction runs
    // them: Interpolate (A0, A1), Decimate (A1, A0), as the earlier input sample goes to A1.
    double upPair[kSections][2] = {};
    double downPair[kSections][2] = {};
    // Per branch: the input of section s one sample back is state[s]; the output of the last
    // section one sample back is state[kSections]. Same lane orders as the pairs.
    double upState[kSections + 1][2] = {};
    double downState[kSections + 1][2] = {};
    int maxExtra = 0;
    int extra = 0;
    std::vector<double> downBuf; // the last maxExtra + 1 input samples, then the block
};
