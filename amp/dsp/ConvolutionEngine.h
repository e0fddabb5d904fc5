#pragma once

#include "ConvolutionEngineStage.h"
#include "ImpulseBuffer.h"

#include <memory>
#include <vector>

// Zero-latency partitioned convolution of a mono signal with a mono impulse (channel 0 of the
// impulse buffer).
//
// The impulse is cut into pieces: the first 64 samples are convolved directly, and each later
// piece by an FFT stage whose block length equals the piece's offset, so every stage's block
// delay hides behind the part of the impulse before it. The pieces are [0, 64), [64, 256),
// [256, 1024), ... growing fourfold, each stage taking the whole rest when less than three times
// its nominal length remains. The stage at offset 16384 (32768-point transforms) also takes
// the rest while that is at most 524288 samples; longer impulses get [16384, 65536) there and
// one stage with 65536-point transforms from offset 65536 on for the rest, whatever its length. Every sample
// fed is matched by one output sample in the same call, for any impulse length and any block size.
//
// Real-time contract: only LoadImpulse allocates (stage set-up, impulse transforms, buffers for
// blocks of up to kReserveBlock samples). FeedInput, ProduceOutput, OutputChannels and
// ConsumeOutput allocate nothing, take no lock and do no I/O, as long as each FeedInput brings at
// most kReserveBlock samples and its output is consumed before the next (larger blocks work but
// grow the buffers once). Not thread-safe: the owner serialises loading with processing.
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
    // clears all signal state; samples that are not finite count as 0. The next FeedInput aligns
    // the stages. False when the memory for the impulse could not be had: the engine then
    // convolves to silence.
    bool LoadImpulse(const ImpulseBuffer& impulse);
    bool LoadImpulse(const double* samples, int length);

    // Convolves count samples of inputs[0].
    void FeedInput(const double* const* inputs, int count);
    // Number of convolved samples ready, at most wanted.
    int ProduceOutput(int wanted);
    // Per output channel the first unread sample (null when none is ready).
    double* const* OutputChannels();
    int OutputChannelCount() const { return outputChannelCount; }
    void ConsumeOutput(int count);

    int StageCount() const { return static_cast<int>(stages.size()); }
    const ConvolutionEngineStage& Stage(int index) const { return *stages[index]; }
    // Forward and inverse FFTs run since the impulse was loaded (a test hook for silence skipping).
    long long TransformCount() const;

private:
    std::vector<std::unique_ptr<ConvolutionEngineStage>> stages;
    std::vector<double> output;
    int outputRead = 0;
    int outputSize = 0;
    int outputChannelCount = 0;
    double* outputPointers[1] = {nullptr};
    bool feedIn = false;
};
