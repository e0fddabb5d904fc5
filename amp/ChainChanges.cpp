#include "ChainChanges.h"

#include "ConvolutionEngine.h"
#include "SignalChain.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace {
enum RetiredKind { kEngine = 0, kPath = 1, kBuffers = 2 };

void Free(int kind, void* object) {
    if (kind == kEngine) delete static_cast<ConvolutionEngine*>(object);
    if (kind == kPath) delete static_cast<OversampledAmp*>(object);
    if (kind == kBuffers) delete static_cast<ChainChanges::TunerBuffers*>(object);
}

// The amp knob each knob change sets.
struct KnobOp {
    ChainChanges::Op op;
    double ModelKnobs::*knob;
};
constexpr KnobOp kKnobOps[] = {
    {ChainChanges::Op::kVolume, &ModelKnobs::volume},
    {ChainChanges::Op::kGain, &ModelKnobs::gain},
    {ChainChanges::Op::kToneFreq, &ModelKnobs::toneFreq},
    {ChainChanges::Op::kToneResonance, &ModelKnobs::resonance},
    {ChainChanges::Op::kBass, &ModelKnobs::bass},
    {ChainChanges::Op::kMiddle, &ModelKnobs::middle},
    {ChainChanges::Op::kTreble, &ModelKnobs::treble},
};
} // namespace

ChainChanges::~ChainChanges() {
    // Whatever still waits was never applied: the objects it carries are freed with it.
    for (uint32_t at = head.load(); at != tail.load(); ++at) {
        const Change& c = ring[at % kCapacity];
        if (c.op == Op::kConvolution) Free(kEngine, c.object);
        if (c.op == Op::kOversampling) Free(kPath, c.object);
        if (c.op == Op::kTunerBuffers) Free(kBuffers, c.object);
    }
    FreeRetired();
}

void ChainChanges::Post(Route route, Op op, double a, double b) {
    Send(route, {op, 0, a, b, nullptr});
}

void ChainChanges::PostConvolution(Route route, std::unique_ptr<ConvolutionEngine> engine, double norm) {
    if (engine) Send(route, {Op::kConvolution, 0, norm, 0.0, engine.release()});
}

void ChainChanges::PostOversampling(Route route, int factor, std::unique_ptr<OversampledAmp> path) {
    Send(route, {Op::kOversampling, factor, 0.0, 0.0, path.release()});
}

void ChainChanges::PostTunerBuffers(Route route, std::unique_ptr<TunerBuffers> buffers) {
    if (buffers) Send(route, {Op::kTunerBuffers, 0, 0.0, 0.0, buffers.release()});
}

void ChainChanges::Shadow(const Change& c) {
    switch (c.op) {
    case Op::kConvolutionEnabled:
        convolutionEnabled = c.a != 0.0;
        break;
    case Op::kTunerView:
        tunerView = c.a != 0.0;
        break;
    case Op::kNextTuning:
        tuningIndex = tuningIndex >= Tuner::kTunings - 1 ? 0 : tuningIndex + 1;
        break;
    case Op::kTuning:
        tuningIndex = std::clamp(static_cast<int>(c.a), 0, Tuner::kTunings - 1);
        break;
    case Op::kTunerBuffers:
        tunerBuffersGiven = true;
        break;
    case Op::kModel:
        // As SelectModel takes static_cast<int>(a), refusing what is outside the models.
        if (std::isfinite(c.a) && c.a > -1.0 && c.a < AmpModels::kModelCount)
            amp.model = static_cast<int>(c.a);
        break;
    default:
        for (const KnobOp& k : kKnobOps) {
            double v = c.a;
            if (k.op == c.op && AmpModels::SanitiseKnob(v)) amp.knobs.*k.knob = v;
        }
        break;
    }
}

void ChainChanges::Send(Route route, const Change& change) {
    if (route != Route::kAudioThread) FreeRetired();
    Shadow(change);
    if (route == Route::kAudioThread) {
        ApplyWaiting();
        Apply(change);
        return;
    }
    if (route == Route::kIdle) {
        ScopedLock<RecursiveLock> hold(audioLock);
        ApplyWaiting();
        Apply(change);
        return;
    }
    for (;;) {
        const uint32_t at = tail.load(std::memory_order_relaxed);
        if (at - head.load(std::memory_order_acquire) < kCapacity) {
            ring[at % kCapacity] = change;
            tail.store(at + 1, std::memory_order_release);
            return;
        }
        // Full: the audio thread empties it at its next block.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        FreeRetired();
    }
}

void ChainChanges::ApplyWaiting() {
    for (;;) {
        const uint32_t at = head.load(std::memory_order_relaxed);
        if (at == tail.load(std::memory_order_acquire)) return;
        const Change change = ring[at % kCapacity];
        head.store(at + 1, std::memory_order_release);
        Apply(change);
    }
}

void ChainChanges::Retire(int kind, void* object) {
    if (!object) return;
    const uint32_t at = retiredTail.load(std::memory_order_relaxed);
    if (at - retiredHead.load(std::memory_order_acquire) >= kRetiredCapacity) {
        Free(kind, object); // never reached while each change frees what came back before it
        return;
    }
    retired[at % kRetiredCapacity] = {kind, object};
    retiredTail.store(at + 1, std::memory_order_release);
}

void ChainChanges::FreeRetired() {
    for (;;) {
        const uint32_t at = retiredHead.load(std::memory_order_relaxed);
        if (at == retiredTail.load(std::memory_order_acquire)) return;
        const Retired r = retired[at % kRetiredCapacity];
        retiredHead.store(at + 1, std::memory_order_release);
        Free(r.kind, r.object);
    }
}

void ChainChanges::Apply(const Change& c) {
    SignalChain& s = chain;
    switch (c.op) {
    case Op::kGateEnabled:
        s.SetGateEnabled(c.a != 0.0);
        break;
    case Op::kGateThreshold:
        s.SetGateThreshold(c.a);
        break;
    case Op::kGateRelease:
        s.SetGateRelease(c.a);
        break;
    case Op::kAmpEnabled:
        s.SetAmpEnabled(c.a != 0.0);
        break;
    case Op::kModel:
        s.Amp().SelectModel(static_cast<int>(c.a));
        break;
    case Op::kVolume:
        s.Amp().SetVolume(c.a);
        break;
    case Op::kGain:
        s.Amp().SetGain(c.a);
        break;
    case Op::kToneFreq:
        s.Amp().SetToneFreq(c.a);
        break;
    case Op::kToneResonance:
        s.Amp().SetToneResonance(c.a);
        break;
    case Op::kBass:
        s.Amp().SetBass(c.a);
        break;
    case Op::kMiddle:
        s.Amp().SetMiddle(c.a);
        break;
    case Op::kTreble:
        s.Amp().SetTreble(c.a);
        break;
    case Op::kCabinet:
        s.SetCabPreset(static_cast<int>(c.a));
        break;
    case Op::kEqLow:
        s.SetEqLow(c.a, c.b);
        break;
    case Op::kEqHigh:
        s.SetEqHigh(c.a);
        break;
    case Op::kLoudness:
        s.SetLoudness(c.a, c.b);
        break;
    case Op::kMasterVolume:
        s.SetMasterVolume(c.a);
        break;
    case Op::kConvolutionEnabled:
        s.SetConvolutionEnabled(c.a != 0.0);
        break;
    case Op::kDryGain:
        s.SetDryGain(c.a);
        break;
    case Op::kWetGain:
        s.SetWetGain(c.a);
        break;
    case Op::kTunerView:
        // The buffers come separately (kTunerBuffers): the view never allocates here.
        s.SetTunerView(c.a != 0.0, false);
        break;
    case Op::kNextTuning:
        s.GetTuner().NextTuning();
        break;
    case Op::kTuning: {
        Tuner& tuner = s.GetTuner();
        tuner.SetTuningIndex(static_cast<int>(c.a));
        tuner.BuildStringHints(tuner.TuningIndex());
        break;
    }
    case Op::kDeferDesigns:
        s.DeferDesigns(c.a != 0.0);
        break;
    case Op::kConvolution:
        Retire(kEngine,
               s.SwapConvolution(
                    std::unique_ptr<ConvolutionEngine>(static_cast<ConvolutionEngine*>(c.object)), c.a)
                   .release());
        break;
    case Op::kOversampling: {
        std::unique_ptr<OversampledAmp> freed[3];
        s.InstallOversampling(c.i, std::unique_ptr<OversampledAmp>(static_cast<OversampledAmp*>(c.object)),
                              freed);
        for (auto& path : freed)
            Retire(kPath, path.release());
        break;
    }
    case Op::kTunerBuffers: {
        auto* buffers = static_cast<TunerBuffers*>(c.object);
        s.GetTuner().TakeAnalysisBuffers(buffers->real, buffers->imag);
        Retire(kBuffers, buffers);
        break;
    }
    }
}
