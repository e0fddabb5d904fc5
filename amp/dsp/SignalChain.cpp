#include "SignalChain.h"

#include "Cabinet.h"
#include "DspMath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <pmmintrin.h>
#include <xmmintrin.h>
#define VULPANE_HAS_MXCSR 1
#endif

namespace {

// Output at or below this (about -180 dB) counts as decayed for the silence detector.
constexpr double kQuietLevel = 1.0e-9;
// Zero input must have lasted this long, with decayed output, before processing stops: longer
// than the amp models' comb and pitch-shifter delays, so a tail that recirculates is never cut.
constexpr double kQuietSeconds = 0.5;

constexpr double kMinRate = 1.0;
constexpr double kMaxRate = 1536000.0;

// Comb rows of the amp models at start-up: rows 0..7 alternate 5.1 ms and 0.31 ms, rows 8..11
// 2 ms and 0.27 ms, rows 12 and 13 3.2 ms.
constexpr double kCombSeconds[SignalChain::kCombRows] = {0.0051,  0.00031, 0.0051,  0.00031, 0.0051,
                                                         0.00031, 0.0051,  0.00031, 0.002,   0.00027,
                                                         0.002,   0.00027, 0.0032,  0.0032};

// Flush-to-zero and denormals-are-zero for the duration of a block; the caller's mode returns.
class FloatModeScope {
public:
#if VULPANE_HAS_MXCSR
    // Writing the control register is slow; many hosts already run with both flags set.
    FloatModeScope() : saved(_mm_getcsr()) {
        if ((saved & kFlags) != kFlags) _mm_setcsr(saved | kFlags);
    }
    ~FloatModeScope() {
        if ((saved & kFlags) != kFlags) _mm_setcsr(saved);
    }

private:
    static constexpr unsigned int kFlags = _MM_FLUSH_ZERO_ON | _MM_DENORMALS_ZERO_ON;
    unsigned int saved;
#endif
};

// Clamps a setting into lo..hi; false for NaN.
bool Clamped(double& v, double lo, double hi) {
    if (!(v == v)) return false;
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    return true;
}

int FirstNonZero(const double* a, const double* b, int n) {
    int i = 0;
    // Eight at a time without a branch per sample, so that silence is cheap to scan: the bits of
    // +0 and -0 are all zero once the sign is shifted out.
    for (; i + 8 <= n; i += 8) {
        uint64_t any = 0;
        for (int k = 0; k < 8; ++k) {
            uint64_t x, y;
            std::memcpy(&x, a + i + k, sizeof x);
            std::memcpy(&y, b + i + k, sizeof y);
            any |= (x | y) << 1;
        }
        if (any) break;
    }
    for (; i < n; ++i)
        if (a[i] != 0.0 || b[i] != 0.0) return i;
    return n;
}

// x - x is 0 for every finite x and NaN otherwise.
bool AllFinite(const double* a, const double* b, int n) {
    double sum = 0.0;
    for (int i = 0; i < n; ++i)
        sum += (a[i] - a[i]) + (b[i] - b[i]);
    return sum == 0.0;
}

void Zero(double* out, int n) {
    if (n > 0) std::memset(out, 0, sizeof(double) * static_cast<size_t>(n));
}

} // namespace

SignalChain::SignalChain()
    : convolution(new ConvolutionEngine), convolved(ConvolutionEngine::kReserveBlock, 0.0),
      antiDenormal(AntiDenormalTable()) {
    Initialise(44100.0);
}

namespace {
// Static storage with no destructor: an instance still running while the library unloads keeps
// reading it, and nothing is left on the heap.
struct AntiDenormalOffsets {
    AntiDenormalOffsets();
    std::array<double, SignalChain::kAntiDenormalSize> values;
};
} // namespace

const double* SignalChain::AntiDenormalTable() {
    // Tiny positive offsets (2^-67 .. 2^-66 per step, summed in single precision) that keep the
    // signal after the gate away from denormal numbers. One seed for the whole process, so that
    // equal input always renders equal output in every instance.
    static const AntiDenormalOffsets table;
    return table.values.data();
}

AntiDenormalOffsets::AntiDenormalOffsets() : values{} {
    uint32_t state = 1;
    float sum = 0.0f;
    for (int k = 0; k < SignalChain::kAntiDenormalSize; ++k) {
        state = state * 1234567u + 890123u;
        const uint32_t bits = (state & 0x7f0000u) | 0x1e000000u;
        float value;
        std::memcpy(&value, &bits, sizeof value);
        sum += value;
        values[static_cast<size_t>(k)] = sum;
    }
}

void SignalChain::Initialise(double rate) {
    antiDenormalIndex = 0;
    sampleRate = (rate >= kMinRate && rate <= kMaxRate) ? rate : 44100.0;
    bank.ResetBank();
    gateReleaseSet = false;
    DesignRateDependent();
    for (int row = 0; row < kCombRows; ++row)
        bank.AllocDelayLine(kCombSeconds[row], sampleRate, row);
    amp.Initialise(bank, sampleRate);
    ampOversampling.RateChanged(sampleRate, amp);
    DesignCabinets();
    // The parameters' defaults (0.5 on each knob).
    SetGateThreshold(-50.0);
    SetCabPreset(0);
    SetEqLow(0.0, 0.5);
    SetEqHigh(0.0);
    SetLoudness(-15.0, 0.5);
    SetMasterVolume(0.5);
    quiet = false;
    silentRun = 0;
    tuner.ResetCollection();
}

void SignalChain::Reset(double rate) {
    if (!(rate >= kMinRate && rate <= kMaxRate) || rate == sampleRate) return;
    sampleRate = rate;
    DesignRateDependent();
    for (int row = 0; row < kCombRows; ++row)
        bank.AllocDelayLine(kCombSeconds[row], sampleRate, row);
    // Everything else the old rate shaped: the cabinet, the post EQ, the model's own settings.
    DesignCabinets();
    DesignCabPreset(bank, cabPreset, sampleRate);
    postEq.SetEqLow(bank, eqLowDb, eqLowKnob, sampleRate);
    postEq.SetEqHigh(bank, eqHighDb, sampleRate);
    postEq.SetLoudness(bank, loudnessDb, loudnessKnob, sampleRate);
    amp.SampleRateChanged(sampleRate);
    ampOversampling.RateChanged(sampleRate, amp);
}

bool SignalChain::SetOversampling(int factor) {
    return ampOversampling.SetFactor(factor, sampleRate, amp);
}

bool SignalChain::PrepareOversampling(int factor, std::unique_ptr<OversampledAmp>& path) const {
    return AmpOversampling::Prepare(factor, sampleRate, path);
}

void SignalChain::InstallOversampling(int factor, std::unique_ptr<OversampledAmp> path,
                                      std::unique_ptr<OversampledAmp> (&freed)[3]) {
    ampOversampling.Install(factor, std::move(path), amp, freed);
}

void SignalChain::DesignRateDependent() {
    bank.SetEnvelopeFollower(8.0, 7.0, sampleRate, 0);
    bank.SetEnvelopeFollower(10.0, 10.0, static_cast<double>(static_cast<int>(sampleRate / 25.0)), 1);
    tuner.SetSampleRate(sampleRate);
    if (gateReleaseSet)
        SetGateEnvelope();
    else
        bank.SetEnvelopeTimes(1.0, 1.0, 0.5, 1.0, 1.0, sampleRate);
    quietAfter = static_cast<long long>(kQuietSeconds * sampleRate);
}

void SignalChain::SetGateThreshold(double db) {
    if (Clamped(db, -100.0, 0.0)) gateThreshold = DspPow(10.0, db * 0.05);
}

void SignalChain::SetGateRelease(double seconds) {
    if (!Clamped(seconds, EnvelopeSeconds(0.0), EnvelopeSeconds(1.0))) return;
    gateReleaseSeconds = seconds;
    gateReleaseSet = true;
    SetGateEnvelope();
}

// The gate opens at once, closes over the release time and holds fully open in between.
void SignalChain::SetGateEnvelope() {
    bank.SetEnvelopeSeconds(EnvelopeSeconds(0.0), EnvelopeSeconds(1.0), 1.0, gateReleaseSeconds, 1.0,
                            sampleRate);
}

void SignalChain::SetCabPreset(int preset) {
    cabPreset = preset;
    if (preset >= 0 && static_cast<size_t>(preset) < cabDesigns.size())
        InstallCabDesign(bank, cabDesigns[static_cast<size_t>(preset)]);
    else
        DesignCabPreset(bank, preset, sampleRate);
}

void SignalChain::DesignCabinets() {
    cabDesigns.resize(kCabPresetCount);
    for (int preset = 0; preset < kCabPresetCount; ++preset)
        DesignCabVoicing(preset, sampleRate, cabDesigns[static_cast<size_t>(preset)]);
}

void SignalChain::SetEqLow(double db, double knob) {
    if (!Clamped(db, -12.0, 12.0) || !Clamped(knob, 0.0, 1.0)) return;
    eqLowDb = db;
    eqLowKnob = knob;
    postEq.SetEqLow(bank, db, knob, sampleRate);
}

void SignalChain::SetEqHigh(double db) {
    if (!Clamped(db, -12.0, 12.0)) return;
    eqHighDb = db;
    postEq.SetEqHigh(bank, db, sampleRate);
}

void SignalChain::SetLoudness(double db, double knob) {
    if (!Clamped(db, -30.0, 0.0) || !Clamped(knob, 0.0, 1.0)) return;
    loudnessDb = db;
    loudnessKnob = knob;
    postEq.SetLoudness(bank, db, knob, sampleRate);
}

void SignalChain::SetMasterVolume(double gain) {
    if (!Clamped(gain, 0.0, 1.0)) return;
    masterVolume = gain;
    postEq.SetVolume(gain);
}

void SignalChain::ProcessBlock(const double* in0, const double* in1, double* out0, double* out1, int frames) {
    Process(in0, in1, out0, out1, frames, Mode::kBlockwise);
}

void SignalChain::ProcessBlockSampleBySample(const double* in0, const double* in1, double* out0, double* out1,
                                             int frames) {
    Process(in0, in1, out0, out1, frames, Mode::kSampleBySample);
}

void SignalChain::Process(const double* in0, const double* in1, double* out0, double* out1, int frames,
                          Mode mode) {
    if (frames <= 0 || !out0 || !out1) return;
    if (!in0 || !in1) {
        Zero(out0, frames);
        Zero(out1, frames);
        return;
    }
    FloatModeScope floatMode;

    // While quiet nothing runs until the first non-zero input sample, which is processed.
    int start = 0;
    if (quiet) {
        start = FirstNonZero(in0, in1, frames);
        if (start == frames) {
            Zero(out0, frames);
            Zero(out1, frames);
            return;
        }
        quiet = false;
        silentRun = 0;
    }
    // Read before the outputs, which may be the input buffers, are written.
    const bool inputSilent = start == 0 && FirstNonZero(in0, in1, frames) == frames;
    Zero(out0, start);
    Zero(out1, start);

    const bool passThrough = tunerView && AllFinite(in0 + start, in1 + start, frames - start);
    if (passThrough) {
        FeedTuner(in0 + start, frames - start);
        if (out0 != in0)
            std::memmove(out0 + start, in0 + start, sizeof(double) * static_cast<size_t>(frames - start));
        if (out1 != in1)
            std::memmove(out1 + start, in1 + start, sizeof(double) * static_cast<size_t>(frames - start));
    } else if (tunerView) {
        // Non-finite input goes the chain's way: its mono sum is not finite, so the recovery
        // mutes the block and clears the states. The tuner never sees it.
        for (int i = start; i < frames; ++i)
            out0[i] = in0[i] + in1[i];
    } else {
        RunChain(in0, in1, out0, out1, start, frames, mode);
        if (convolutionEnabled) ProcessConvolution(out0, out1, frames);
    }
    if (!passThrough) RecoverFromNonFinite(out0, out1, frames);
    UpdateQuietState(inputSilent, out0, out1, frames);
}

void SignalChain::RunChain(const double* in0, const double* in1, double* out0, double* out1, int begin,
                           int end, Mode mode) {
    const bool gateOn = gateEnabled;
    const bool ampOn = ampEnabled;
    const double volume = masterVolume;
    if (ampOn) ampOversampling.NoteAudio();
    double* x = scratch;
    for (int c = begin; c < end; c += kChunk) {
        const int n = end - c < kChunk ? end - c : kChunk;
        for (int i = 0; i < n; ++i)
            x[i] = in0[c + i] + in1[c + i];
        if (gateOn) RunGate(x, n);
        if (mode == Mode::kBlockwise) {
            if (ampOn) {
                if (ampOversampling.Plain())
                    amp.ProcessBlock(x, n);
                else
                    ampOversampling.ProcessBlock(amp, x, n);
            }
            bank.ProcessCascadeBlock(x, n);
            postEq.ProcessBlock(bank, x, n, volume);
        } else {
            for (int i = 0; i < n; ++i) {
                double a = x[i];
                if (ampOn) {
                    if (ampOversampling.Plain())
                        a = amp.Process(a);
                    else
                        ampOversampling.ProcessBlock(amp, &a, 1);
                }
                const double s = bank.ProcessCascade(a);
                x[i] = postEq.Process(bank, s, volume);
            }
        }
        for (int i = 0; i < n; ++i) {
            out0[c + i] = x[i];
            out1[c + i] = x[i];
        }
    }
}

void SignalChain::RunGate(double* x, int n) {
    const double threshold = gateThreshold;
    const double* table = antiDenormal;
    int index = antiDenormalIndex;
    for (int i = 0; i < n; ++i) {
        const double level = bank.TrackEnvelope(x[i], 0);
        const double e = bank.StepEnvelope(level > threshold ? 1.0 : 0.0);
        index = index == kAntiDenormalSize - 1 ? 0 : index + 1;
        x[i] = x[i] * e + table[index];
    }
    antiDenormalIndex = index;
}

void SignalChain::UpdateQuietState(bool inputSilent, const double* out0, const double* out1, int frames) {
    if (!inputSilent) {
        silentRun = 0;
        return;
    }
    double peak = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double a = out0[i] < 0.0 ? -out0[i] : out0[i];
        const double b = out1[i] < 0.0 ? -out1[i] : out1[i];
        peak = a > peak ? a : peak;
        peak = b > peak ? b : peak;
    }
    if (peak > kQuietLevel) {
        silentRun = 0;
        return;
    }
    silentRun += frames;
    if (silentRun >= quietAfter) quiet = true;
}

void SignalChain::RecoverFromNonFinite(double* out0, double* out1, int frames) {
    // x - x is 0 for every finite x and NaN otherwise, so a sum tells whether the block blew up.
    // Both outputs carry the same chain output; four sums keep the loop from waiting on itself.
    double c0 = 0.0, c1 = 0.0, c2 = 0.0, c3 = 0.0;
    int i = 0;
    for (; i + 4 <= frames; i += 4) {
        c0 += out0[i] - out0[i];
        c1 += out0[i + 1] - out0[i + 1];
        c2 += out0[i + 2] - out0[i + 2];
        c3 += out0[i + 3] - out0[i + 3];
    }
    for (; i < frames; ++i)
        c0 += out0[i] - out0[i];
    if (c0 + c1 + c2 + c3 == 0.0) return;
    // A NaN or infinity would stay in every recursive state for good: clear them and mute.
    DspBank::BiquadArrays& q = bank.biquad;
    std::memset(q.x1, 0, sizeof q.x1);
    std::memset(q.x2, 0, sizeof q.x2);
    std::memset(q.y1, 0, sizeof q.y1);
    std::memset(q.y2, 0, sizeof q.y2);
    std::memset(bank.onePoleA.y, 0, sizeof bank.onePoleA.y);
    std::memset(bank.onePoleB.y, 0, sizeof bank.onePoleB.y);
    std::memset(bank.follower.envelope, 0, sizeof bank.follower.envelope);
    bank.envelope.level = 0.0;
    for (DspBank::DelayLine& d : bank.delayLine)
        Zero(d.buffer.get(), d.capacity);
    for (DspBank::ModDelayLine& m : bank.modDelay)
        Zero(m.buffer.get(), m.capacity);
    ampOversampling.ClearState();
    Zero(out0, frames);
    Zero(out1, frames);
}

void SignalChain::SetDryGain(double db) {
    if (!Clamped(db, -48.0, 24.0)) return;
    dryGain = db <= -48.0 ? 0.0 : std::pow(10.0, db / 20.0);
}

void SignalChain::SetWetGain(double db) {
    if (!Clamped(db, -24.0, 24.0)) return;
    wetGain = std::pow(10.0, db / 20.0);
}

bool SignalChain::LoadImpulse(const ImpulseBuffer& impulse, double norm) {
    irNorm = std::isfinite(norm) ? norm : 1.0;
    return convolution->LoadImpulse(impulse);
}

bool SignalChain::LoadImpulse(const double* samples, int length, double norm) {
    irNorm = std::isfinite(norm) ? norm : 1.0;
    return convolution->LoadImpulse(samples, length);
}

std::unique_ptr<ConvolutionEngine> SignalChain::SwapConvolution(std::unique_ptr<ConvolutionEngine> engine,
                                                                double norm) {
    if (!engine) return nullptr;
    irNorm = std::isfinite(norm) ? norm : 1.0;
    convolution.swap(engine);
    return engine;
}

// Mixes the convolved block into both outputs (which may be one buffer), a piece of at most
// kReserveBlock samples at a time. A block that is not finite stays out of the engine, where it
// would linger for the impulse's length; RecoverFromNonFinite mutes it.
void SignalChain::ProcessConvolution(double* out0, double* out1, int frames) {
    double check = 0.0;
    for (int i = 0; i < frames; ++i)
        check += out0[i] - out0[i];
    if (check != 0.0) return;
    const double wet = wetGain * irNorm;
    const double dry = dryGain;
    double* const c = convolved.data();
    for (int done = 0; done < frames;) {
        const int n = std::min(frames - done, ConvolutionEngine::kReserveBlock);
        double* o0 = out0 + done;
        double* o1 = out1 + done;
        const int ready = convolution->Process(o0, c, n);
        for (int i = 0; i < ready; ++i) {
            const double y = c[i] * wet + o0[i] * dry;
            o0[i] = y;
            o1[i] = y;
        }
        done += n;
    }
}

void SignalChain::FeedTuner(const double* in0, int frames) {
    tuner.Feed(in0, frames, bank, tunerDisplay);
}
