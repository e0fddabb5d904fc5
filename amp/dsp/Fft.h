#pragma once

// Power-of-two FFTs for the convolution engine.
//
// The complex transforms work in place on interleaved (re, im) doubles. The forward transform
// leaves bin k at position BitReverse(k); the inverse takes that order and returns the signal in
// natural order. Nothing reorders in between, because the convolution only multiplies spectra
// bin by bin. Neither direction scales: FftInverse(FftForward(x)) = size * x.
//
// The real transforms turn n real samples into n/2 packed bins (the real-valued DC and Nyquist
// bins share position 0 as (X[0], X[n/2])) stored as separate real and imaginary arrays in the
// same permuted order; RealFftInverse(RealFftForward(x)) = 2 n * x. A product of two such spectra
// multiplies position 0 component-wise and every other position as complex numbers.
//
// Tables are built once by InitFftTables (thread-safe, idempotent; it allocates, so call it
// before the audio path first needs a transform). The transforms themselves allocate nothing.

constexpr int kFftMinSize = 2;
constexpr int kFftMaxSize = 32768;
constexpr int kRealFftMinSize = 4;
constexpr int kRealFftMaxSize = 2 * kFftMaxSize;

void InitFftTables();

// size: power of two in kFftMinSize..kFftMaxSize. Other sizes leave the data untouched.
void FftForward(double* data, int size);
void FftInverse(double* data, int size);

// The frequency bin held at a position of a forward transform of the given size.
int FftBinAtPosition(int position, int size);

// samples: n reals (n a power of two in kRealFftMinSize..kRealFftMaxSize), used as scratch and
// overwritten. re, im: n/2 values each. When upperHalfZero is set the caller promises that the
// last n/2 samples are zero, which saves work in the first pass.
void RealFftForward(double* samples, double* re, double* im, int n, bool upperHalfZero = false);
// re, im: n/2 packed bins each (left untouched); samples receives 2 n * the real signal.
void RealFftInverse(const double* re, const double* im, double* samples, int n);

// The same real transforms in RealFftStepCount(n) steps of similar cost (one pass over the data
// each), so that one transform can be spread over several calls. Running steps 0, 1, ... in order
// on the same buffers gives exactly the result of the whole transform; between steps the
// buffers hold intermediate values. The forward steps work in samples and the last one writes re
// and im; the first inverse step reads re and im, and the rest work in samples.
int RealFftStepCount(int n);
void RealFftForwardStep(double* samples, double* re, double* im, int n, int step, bool upperHalfZero = false);
void RealFftInverseStep(const double* re, const double* im, double* samples, int n, int step);
// Part `part` of `parts` of a step: running every part of a step (in any order) before the next
// step gives exactly the whole step, so that one pass can be cut over several calls too.
void RealFftForwardStepPart(double* samples, double* re, double* im, int n, int step, int part, int parts,
                            bool upperHalfZero = false);
void RealFftInverseStepPart(const double* re, const double* im, double* samples, int n, int step, int part,
                            int parts);

// Transforms that run as their input arrives (forward) or as their output is taken (inverse):
// each butterfly runs once the values it reads are final, so the result is exactly, bit for bit,
// that of the whole transform however the work is cut. For n from 16 to kRealFftMaxSize.
class RealFftForwardFront {
public:
    // A new forward transform of n reals whose upper half is zero (never read, need not be stored).
    void Reset(int n);
    // Runs every butterfly that reads only samples[0, ready) (ready up to n / 2).
    void Advance(double* samples, int ready);
    // With all n / 2 samples in place: the rest of the transform and the packed spectrum.
    void Finish(double* samples, double* re, double* im);

private:
    static constexpr int kMaxPasses = 10;
    int n = 0;
    int lg = -1;
    int passes = 0;
    int done[kMaxPasses] = {};
};

class RealFftInverseFront {
public:
    // Joins the packed spectrum into samples (the first step); re and im are free afterwards.
    void Start(const double* re, const double* im, double* samples, int n);
    // Runs the butterflies that samples[0, needed) depend on and returns how many samples from the
    // first are final (at least needed, n once the transform is complete).
    int Advance(double* samples, int needed);
    bool Finished() const { return passes > 0 && done[passes - 1] == lastButterflies; }

private:
    static constexpr int kMaxPasses = 10;
    int n = 0;
    int lg = -1;
    int passes = 0;
    int lastButterflies = 0;
    int done[kMaxPasses] = {};
};
