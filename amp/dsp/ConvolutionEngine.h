#pragma once

#include "ConvolutionEngineStage.h"
#include "ImpulseBuffer.h"

#include <memory>
#include <vector>

// Zero-latency partitioned convolution of a mono signal with a mono impulse (channel 0 of the
// impulse buffer).
//
// The impulse is cut into pieces: the first 64 samples are convolved directly, and each later
// piece by an FFT stage whose block length is at most the piece's offset, so every stage's block
// delay hides behind the part of the impulse before it. The pieces are [0, 64), [64, 256),
// [256, 1024), [1024, 4096), each stage taking the whole rest when less than three times its
// nominal length remains, then [4096, 24576) with 8192-point transforms. The stage at offset
// 24576 (32768-point transforms, one and a half blocks: half a block of slack to spread each
// block over) takes the rest while that is at most 524288 samples; longer impulses get
// [24576, 73728) there and one stage with 65536-point transforms from offset 73728 on for the
// rest, whatever its length. Every sample fed is matched by one output sample in the same call,
// for any impulse length and any block size.
//
// Real-time contract: only LoadImpulse allocates (stage set-up, impulse transforms, buffers for
// blocks of kReserveBlock samples). Process allocates nothing, takes no lock, does no I/O and
// throws nothing, for any block length (longer blocks are run in pieces of kReserveBlock). Not
// thread-safe: the owner serialises loading with processing.
class ConvolutionEngine {
public:
    static constexpr int kReserveBlock = 4096;

    // One piece of the plan: where it starts, how long it is, and its real FFT size (0: direct).
    struct Piece {
        int offset;
        int length;
        int fftSize;
    };
    // The stage plan for an impulse of `length` samples.
    static std::vector<Piece> Plan(int length);

    ConvolutionEngine();
    ~ConvolutionEngine();

    // Longer impulses are cut to this length (87 s at 96 kHz, about 200 MB of spectra).
    static constexpr int kMaxImpulseLength = 1 << 23;

    // Replaces the impulse (channel 0 of the buffer; an empty buffer convolves to silence) and
    // clears all signal state; samples that are not finite count as 0. The next Process aligns
    // the stages. False when the memory for the impulse could not be had: the engine then
    // convolves to silence.
    bool LoadImpulse(const ImpulseBuffer& impulse);
    bool LoadImpulse(const double* samples, int length);

    // Convolves n samples of in into out (which may be in) and returns how many it wrote: n, as
    // every stage's delay is hidden; on a shortfall the rest of out is left as it was.
    int Process(const double* in, double* out, int n);

    int StageCount() const { return static_cast<int>(stages.size()); }
    const ConvolutionEngineStage& Stage(int index) const { return *stages[index]; }
    // Forward and inverse FFTs run since the impulse was loaded (a test hook for silence skipping).
    long long TransformCount() const;

private:
    // Feeds one piece of at most kReserveBlock samples and writes the samples every stage has ready.
    int ProcessPiece(const double* in, double* out, int n);

    std::vector<std::unique_ptr<ConvolutionEngineStage>> stages;
    bool feedIn = false;
};
