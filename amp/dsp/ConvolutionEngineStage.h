#pragma once

#include "Fft.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// One piece [offset, offset + length) of an impulse, convolved either directly in the time
// domain (at most 64 taps) or by a uniformly partitioned overlap-add FFT stage whose block is
// half its real FFT size. The stage's output stream starts at the piece's offset, so the
// stages' streams simply add up to the whole convolution.
//
// A stage with a large block spreads its work over the host calls instead of doing it all in the
// call that completes a block, and in every case computes exactly what the block done at once
// would, so the output does not depend on how the calls cut the work:
// - a block of 16384 or more whose offset leaves at least half a block of slack (offset >= 1.5
//   block; the engine's plan gives its big stages that) runs the whole block (forward transform,
//   products, inverse, output) as a job in steps of a few microseconds (parts of transform
//   passes, a group of products over a tile of bins, parts of the output) over the calls that
//   follow, finished before the output is due and before the next block completes;
// - a block of 4096 or more otherwise (TransformsAsFed) has its output due right after its last
//   input sample. Its forward transform runs its butterflies as the input arrives, as far as the
//   samples in place allow, and the call that completes the block finishes it (about half of it
//   is left) and sums a third of the bins of its products, newest first. The call that takes the
//   block's first output sums the other bins, joins the spectrum and runs what those samples
//   need of the inverse (again about half); the rest of the inverse runs as the output is taken.
//   That work depends on the block's last samples, so no schedule of the same arithmetic moves
//   it earlier: such a stage carries about one transform's worth in the two calls around its
//   block's end, which is why the plan keeps these stages at 8192 points.
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

    // With holdSteps the spread job runs no step that is not yet overdue: the caller knows that
    // another stage does a block's transforms in this call, and the steps catch up in the next.
    void Feed(const double* input, int count, bool holdSteps = false);
    // Whether feeding count samples completes a block whose transforms run in that call.
    // Also when the first output of the block just completed is due: the head of its inverse.
    bool CompletesTransformBlock(int count) const {
        return RunsFronts() && (queued + count >= block || InverseHeadDue());
    }
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

    // How the stage spreads its work over host calls.
    enum class Spread { None, TransformsAsFed, WholeBlockDeferred };
    Spread SpreadMode() const { return spread; }
    // Blocks at least this long with half a block of slack defer whole blocks.
    static constexpr int kSpreadBlock = 16384;
    // Shorter blocks from this length on run their transforms as fronts (TransformsAsFed).
    static constexpr int kFrontBlock = 4096;

    // One product term of a block: an input spectrum and an impulse spectrum.
    struct Term {
        const double* x;
        const float* h;
    };

private:
    void FeedDirect(const double* input, int count);
    void FeedFft(const double* input, int count, bool holdSteps);
    void ProcessFftBlock();
    void CompleteFrontBlock();
    void EmitInverse(int count);
    bool InverseHeadDue() const { return inverseActive && inverseEmitted == 0; }
    // TransformsAsFed: the bins whose products the call completing a block sums.
    int FirstJoinBins() const { return fftSize / 6 / 64 * 64; }
    bool RunsFronts() const { return spread == Spread::TransformsAsFed; }
    void StartDeferredBlock();
    void JoinNewestBlock();
    bool Accumulate(int newest);
    int CollectTerms(int newest, int firstPartition);
    void MultiplyTiles(const Term* list, int count, int begin, int end, bool add);
    void EmitBlock(bool any);
    void EmitBlockPart(bool any, int part, int parts);
    int ProductSteps(int count) const;
    // Deferred: job steps per transform pass (and per copy in or out), about 4096 values each.
    int TransformParts() const { return std::max(1, fftSize / 8192); }
    void AdvanceJob(int samples, bool holdSteps);
    void RunJobStep(int step);
    double* ReserveOutput(int count);
    void CompactOutput();

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
    bool queueLoud = false; // some queued sample is above the silence threshold
    std::vector<double> tail;
    bool tailSilent = true;

    // Spreading. A job is a run of steps (forward transform passes, tiles of products, inverse
    // passes, output) done in order, as many per call as keep pace with the samples fed, and all
    // of them once `jobWindow` samples have been fed since it started.
    Spread spread = Spread::None;
    int jobSteps = 0;
    int jobDone = 0;
    int jobFed = 0;
    int jobWindow = 0;
    int jobForwardSteps = 0; // deferred: (1 + the forward transform's steps) in parts, or 0 when silent
    int jobProductSteps = 0; // products: a group of terms over a tile of bins each
    int jobInverseSteps = 0; // deferred: the inverse transform's steps in parts, or 0 when silent
    int jobTerms = 0;
    std::vector<double> pending; // deferred: the completed input block the job transforms
    // Fronts: the forward transform of the block being fed runs in `front` as its samples arrive;
    // the inverse of the last block runs in `work` as its output is taken, inverseEmitted samples
    // of it (with the tail) are in the output stream so far.
    std::vector<double> front;
    RealFftForwardFront forwardFront;
    RealFftInverseFront inverseFront;
    int frontFed = 0; // samples in front when it last advanced
    bool inverseActive = false;
    int inverseEmitted = 0;
    int inverseFinal = 0; // samples of work known final
    // The block completed but not yet joined: the count of its products, whose terms wait in
    // `terms`.
    bool joinPending = false;
    int joinTerms = 0;

    std::vector<double> out;
    int outRead = 0;
    int outWrite = 0;
};
