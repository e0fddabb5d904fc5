#pragma once

#include "AmpModels.h"
#include "Lock.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class ConvolutionEngine;
class OversampledAmp;
class SignalChain;

// Every change to the signal chain's settings goes through here. While the audio thread runs
// blocks, a change made on another thread waits in a queue, without a lock, and the audio thread
// applies it at the start of its next block: it never waits for another thread. A change made on
// the audio thread itself, or while no blocks run (before the host starts, while suspended), is
// applied at once, after those waiting. What the audio thread replaces (a convolution engine, an
// oversampled path, the tuner's empty buffers) comes back and is freed by the next change or by
// FreeRetired, never on the audio thread.
//
// Calls other than ApplyWaiting come from a thread that holds the plug-in lock, so one thread
// at a time posts; ApplyWaiting runs on the audio thread with the audio lock held.
class ChainChanges {
public:
    enum class Op : uint8_t {
        kGateEnabled,
        kGateThreshold,
        kGateRelease,
        kAmpEnabled,
        kModel,
        kVolume,
        kGain,
        kToneFreq,
        kToneResonance,
        kBass,
        kMiddle,
        kTreble,
        kCabinet,
        kEqLow,
        kEqHigh,
        kLoudness,
        kMasterVolume,
        kConvolutionEnabled,
        kDryGain,
        kWetGain,
        kTunerView,
        kNextTuning,
        kTuning,
        // a != 0: the amp's designs wait until a change with a == 0 (a preset's recall).
        kDeferDesigns,
        // Hand-overs of objects made off the audio thread (carried in `object`).
        kConvolution,
        kOversampling,
        kTunerBuffers,
    };
    struct Change {
        Op op;
        int i;
        double a;
        double b;
        void* object;
    };
    // The tuner's analysis buffers, made off the audio thread.
    struct TunerBuffers {
        std::vector<double> real;
        std::vector<double> imag;
    };

    // How a change reaches the chain, as the plug-in knows from its audio thread: queued for the
    // next block, applied at once on the audio thread, or applied at once under the audio lock
    // while no blocks run.
    enum class Route { kQueue, kAudioThread, kIdle };

    ChainChanges(SignalChain& chain, RecursiveLock& audioLock) : chain(chain), audioLock(audioLock) {}
    ~ChainChanges();
    ChainChanges(const ChainChanges&) = delete;
    ChainChanges& operator=(const ChainChanges&) = delete;

    void Post(Route route, Op op, double a = 0.0, double b = 0.0);
    void PostConvolution(Route route, std::unique_ptr<ConvolutionEngine> engine, double norm);
    void PostOversampling(Route route, int factor, std::unique_ptr<OversampledAmp> path);
    void PostTunerBuffers(Route route, std::unique_ptr<TunerBuffers> buffers);
    // Runs f(chain) at once, after the changes waiting, with the audio lock held: for what only
    // happens while no blocks run (initialisation, a new rate or block size).
    template <class F> void Direct(F f) {
        ScopedLock<RecursiveLock> hold(audioLock);
        ApplyWaiting();
        f(chain);
    }

    // On the audio thread, before a block: applies what waits, in order.
    void ApplyWaiting();
    // Frees what the audio thread replaced.
    void FreeRetired();

    // What the posted changes have set, as the chain will have it once they are applied; read by
    // the thread that posts, never from the chain the audio thread is changing.
    bool ConvolutionEnabled() const { return convolutionEnabled; }
    bool TunerView() const { return tunerView; }
    int TuningIndex() const { return tuningIndex; }
    bool TunerBuffersGiven() const { return tunerBuffersGiven; }
    // The amp's model and knobs: a quality switch designs its new path with them beforehand, so
    // the audio thread need not.
    const AmpSettings& Amp() const { return amp; }

private:
    static constexpr uint32_t kCapacity = 8192;
    void Send(Route route, const Change& change);
    void Apply(const Change& change);
    void Retire(int kind, void* object);
    void Shadow(const Change& change);

    SignalChain& chain;
    RecursiveLock& audioLock;
    Change ring[kCapacity];
    std::atomic<uint32_t> head{0};
    std::atomic<uint32_t> tail{0};
    // What the audio thread replaced, for the posting side to free.
    struct Retired {
        int kind; // 0 convolution engine, 1 oversampled path, 2 tuner buffers
        void* object;
    };
    static constexpr uint32_t kRetiredCapacity = 64;
    Retired retired[kRetiredCapacity];
    std::atomic<uint32_t> retiredHead{0};
    std::atomic<uint32_t> retiredTail{0};
    bool convolutionEnabled = false;
    bool tunerView = false;
    int tuningIndex = 0;
    bool tunerBuffersGiven = false;
    AmpSettings amp;
};
