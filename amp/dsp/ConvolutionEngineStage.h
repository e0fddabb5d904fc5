#pragma once

#include <cstdint>
#include <vector>

// One piece [offset, offset + length) of an impulse, convolved either directly in the time
// domain (at most 64 taps) or by a uniformly partitioned overlap-add FFT stage whose block is
// half its real FFT size. The stage's output stream starts at the piece's offset, so the
// stages' streams simply add up to the whole convolution.
//
// Construction allocates everything the stage will need; Feed and Take allocate nothing as long
// as a single Feed brings at most `reserveBlock` samples and the output is taken between feeds.
class ConvolutionEngineStage {
public:
    static constexpr int kMaxDirectTaps = 64;

    // fftSize 0: direct method (the piece must be at most kMaxDirectTaps long). Otherwise a power
    // of two up to the real FFT family's largest size.
    ConvolutionEngineStage(const double* impulse, int impulseLength, int offset, int length, int fftSize,
                           int reserveBlock);

    // One-time alignment before the first Feed: preFeed zero samples enter the input first, and
    // the output stream starts with offset - preFeed zeros, which keeps the stage's timing while
    // moving its block boundaries by preFeed samples.
    void Align(int preFeed);

    void Feed(const double* input, int count);
    // Output samples ready to be taken.
    int Available() const { return outWrite - outRead; }
    // Adds the next count ready samples to dst and drops them from the stage.
    void TakeAdd(double* dst, int count);

    bool IsDirect() const { return fftSize == 0; }
    int Offset() const { return offset; }
    int Length() const { return length; }
    int FftSize() const { return fftSize; }
    int Partitions() const { return partitions; }
    // Forward and inverse transforms run since construction.
    long long Transforms() const { return transforms; }

    // One product term of a block: an input spectrum and an impulse spectrum.
    struct Term {
        const double* x;
        const float* h;
    };

private:
    void FeedDirect(const double* input, int count);
    void FeedFft(const double* input, int count);
    void ProcessFftBlock();
    bool Accumulate(int newest);
    double* ReserveOutput(int count);

    int offset;
    int length;
    int fftSize;
    int partitions = 0;
    long long transforms = 0;

    // Direct method: reversed taps (rounded to single precision, padded with leading zeros to a
    // multiple of four) and the history of the last taps - 1 inputs followed by new ones.
    int taps = 0;
    std::vector<double> reversedTaps;
    std::vector<double> history;

    // FFT method, with m = fftSize / 2 packed bins per spectrum, each stored as m real parts
    // followed by m imaginary parts.
    int block = 0;
    std::vector<float> impulseSpectra;    // partitions spectra, already scaled for the inverse
    std::vector<uint8_t> partitionActive; // 0 when the partition is silent
    bool anyPartitionActive = false;
    std::vector<double> inputSpectra; // ring of the last `partitions` input spectra
    std::vector<uint8_t> inputActive; // 0 when that input block was silent
    int newestInput = 0;
    std::vector<Term> terms;  // the non-silent products of the current block
    std::vector<double> sum;  // accumulated product spectrum
    std::vector<double> work; // fftSize reals for the transforms
    std::vector<double> queue;
    int queued = 0;
    std::vector<double> tail;
    bool tailSilent = true;

    std::vector<double> out;
    int outRead = 0;
    int outWrite = 0;
};
