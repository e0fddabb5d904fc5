#pragma once

#include "AdaaStages.h"

#include <memory>

// Slot-addressed DSP primitives of one plug-in instance.
//
// Design routines (DesignBiquad, SetOnePoleA, SetEnvelopeFollower, ...) run between blocks: they
// write coefficients into a numbered slot and never touch that slot's filter state. Per-sample
// routines (ProcessBiquad, ProcessCascade, OnePoleA, TrackEnvelope, FeedbackComb, ...) run a slot
// from the audio path: they allocate nothing, take no lock and do no division.
//
// Which owner uses which biquad, one-pole, comb row and shaper slot is one table, BankLayout.h;
// follower 0 is the gate's, follower 1 the tuner meter's; the envelope generator is the gate's.

enum BiquadType {
    kLowPass = 0,
    kHighPass = 1,
    kBandPass = 2,
    kNotch = 3,
    kPeak = 4,
    kLowShelf = 5,
    kHighShelf = 6,
    kSoftLowShelf = 7,
};

// Normalised by a0: H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2).
struct BiquadCoefficients {
    double b0 = 1.0;
    double b1 = 0.0;
    double b2 = 0.0;
    double a1 = 0.0;
    double a2 = 0.0;
};

// Audio-EQ-cookbook section in bandwidth form. freqHz below 10 is designed at 10 Hz and above
// 0.45 * sampleRate at that limit (the formulas turn unstable towards half the rate); a type
// outside 0..7 designs kLowPass. Gain matters to types 4..7 only, bandwidth not to 5 and 6.
// A rate that is not positive, or inputs that give non-finite coefficients, give a pass-through.
BiquadCoefficients DesignBiquadCoefficients(double freqHz, double bandwidthOct, double gainDb,
                                            double sampleRate, int type);

// The section that runs at `factor` times the rate c was designed for and is the bilinear
// transform of the same analog filter: its response at f is c's response at the host-rate
// frequency f' with tan(pi f' / sr) = factor tan(pi f / (factor sr)), so it matches c exactly at
// DC and within the host rate's own frequency warping below its Nyquist. factor 1 returns c.
BiquadCoefficients RateScaledSection(const BiquadCoefficients& c, int factor);

// Feedback p = exp(-2 pi f / rate) of a one-pole low-pass y = (1 - p) x + p y.
double OnePoleFeedback(double freqHz, double sampleRate);

// Envelope-follower coefficient exp(-2 / (ms * 0.001 * rate)); ms below 0.001 counts as 0.001.
double FollowerCoefficient(double timeMs, double sampleRate);

// The loop length in samples that AllocDelayLine and SetDelayLength give a comb of `seconds`.
int CombDelaySamples(double seconds, double sampleRate);
// The buffer of a comb row run at a multiple of the host rate: 1/64 s, more than the longest
// comb a model designs (12 ms), so a model change only clears it.
int OversampledCombRoom(double sampleRate);

// Envelope-generator time 2^(10 v - 6.666666) seconds for a normalised knob value v.
double EnvelopeSeconds(double v);

// Parabolic saturation: level * 10 d (1 - |d| / 0.4) for |d| = |x drive| < 0.2, else +-level.
// Inline, so block loops keep their filter states in registers around it.
inline double SoftClip(double x, double level, double drive) {
    const double d = x * drive;
    const double m = d < 0.0 ? -d : d;
    if (m >= 0.2) return (d >= 0.0 ? 0.1 : -0.1) * level * 10.0;
    return 10.0 * level * d * (1.0 - m / 0.4);
}

// One second-order section's coefficients and state, as the block loops hold them in registers.
// T is double, or two sections side by side in the lanes of SSE2 registers (SsePair, BiquadPair.h).
template <typename T> struct BiquadSection {
    T b0, b1, b2, a1, a2, x1, x2, y1, y2;

    // Direct form I, y = b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2, added up in this order. Every
    // biquad path of the bank, the cascade, the amp networks and the post EQ computes its output
    // here, which is what keeps block, lane and sample paths bit-identical.
    T Output(T x) const { return b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2; }
    void Advance(T x, T y) {
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
    }
    T Run(T x) {
        const T y = Output(x);
        Advance(x, y);
        return y;
    }
};

class DspBank {
public:
    static constexpr int kBiquadSlots = 128;
    static constexpr int kOnePoleSlots = 32;
    static constexpr int kFollowerSlots = 8;
    static constexpr int kDelayLines = 32;
    static constexpr int kModDelays = 2;
    static constexpr int kMaxCascade = 20;
    static constexpr int kShaperSlots = 4;

    // Structure-of-arrays storage: a slot is one index into every array of its group.
    struct BiquadArrays {
        double b0[kBiquadSlots];
        double b1[kBiquadSlots];
        double b2[kBiquadSlots];
        double a1[kBiquadSlots];
        double a2[kBiquadSlots];
        double x1[kBiquadSlots];
        double x2[kBiquadSlots];
        double y1[kBiquadSlots];
        double y2[kBiquadSlots];

        BiquadSection<double> Section(int slot) const {
            return {b0[slot], b1[slot], b2[slot], a1[slot], a2[slot], x1[slot], x2[slot], y1[slot], y2[slot]};
        }
        void StoreState(int slot, const BiquadSection<double>& s) {
            x1[slot] = s.x1;
            x2[slot] = s.x2;
            y1[slot] = s.y1;
            y2[slot] = s.y2;
        }
        // One sample through the section in `slot`.
        double Run(int slot, double x) {
            BiquadSection<double> s = Section(slot);
            const double y = s.Run(x);
            StoreState(slot, s);
            return y;
        }
    };
    struct OnePoleArrays {
        double g[kOnePoleSlots]; // input gain 1 - p
        double c[kOnePoleSlots]; // -p, subtracted: y = g x - c y
        double y[kOnePoleSlots];
    };
    struct FollowerArrays {
        double attack[kFollowerSlots];
        double release[kFollowerSlots];
        double envelope[kFollowerSlots];
        double attackMs[kFollowerSlots]; // the clamped times last designed
        double releaseMs[kFollowerSlots];
    };
    // The memory of the model graphs' waveshaper stages, one place per call site
    // (BankLayout.h), cleared with the signal state. The host-rate models use none of it; on the
    // oversampled path each stage is antiderivative anti-aliased (AdaaStages.h) and keeps its
    // last inputs here, as the curve of its call site and the order need them. `dry` holds the
    // last two samples of up to two signals that run beside the stage and are delayed as it is.
    struct ShaperArrays {
        SoftClipAdaa1 soft1[kShaperSlots];
        SoftClipAdaa2 soft2[kShaperSlots];
        AsymClipAdaa1 asym1[kShaperSlots];
        AsymClipAdaa2 asym2[kShaperSlots];
        CreamerClipAdaa1 creamer1[kShaperSlots];
        CreamerClipAdaa2 creamer2[kShaperSlots];
        double dry[kShaperSlots][2][2];
    };
    struct EnvelopeGenerator {
        double attackStep;
        double decayStep;
        double sustainLevel;
        double releaseStep;
        double peak;
        double level;
        double lastInput;
        double triggerMemory;
        int stage; // 0 attack, 1 decay, 2 sustain, 3 release
        bool active;
    };
    // Recirculating comb storage for up to one second (size) of samples; runs positions
    // 0..lastIndex. The buffer holds capacity samples: enough for the combs the models design,
    // grown to the second only when a longer delay is asked for.
    struct DelayLine {
        std::unique_ptr<double[]> buffer;
        int size = 0;
        int capacity = 0;
        int lastIndex = 0;
        int position = 0;
    };
    // A modulated delay: offsets are figured on a span of `length` samples (one second), but
    // only the `capacity` most recent samples are kept, as a read never reaches further back.
    struct ModDelayLine {
        std::unique_ptr<double[]> buffer;
        int length = 0;
        int capacity = 0;
        int position = 0;
        int readOffset = 0;
        double readFraction = 0.0;
    };

    DspBank();

    // Zeroes coefficients and state of biquads, one-poles, followers and the envelope generator,
    // and sets an empty cascade with gain 1. Delay lines are kept.
    void ResetBank();

    // --- second-order sections ---
    // Bad slot numbers are ignored by every design and state routine; the per-sample routines
    // do not check them (their slots are fixed by the code that calls them).
    void DesignBiquad(double freqHz, double bandwidthOct, double gainDb, double sampleRate, int type,
                      int slot);
    void SetBiquadCoefficients(int slot, const BiquadCoefficients& c);
    BiquadCoefficients GetBiquadCoefficients(int slot) const;
    void ClearBiquadState(int slot);
    // Zeroes the state of every section, one-pole, follower, comb and modulated line and the
    // envelope level; coefficients and lengths stay. Allocates nothing.
    void ClearAllState();

    // Direct form I (BiquadSection::Output).
    double ProcessBiquad(double x, int slot);
    // In place over n samples; bit-identical to n calls of ProcessBiquad.
    void ProcessBiquadBlock(double* samples, int n, int slot);

    // --- the cabinet cascade: slots 0..count-1 in series, then the gain ---
    // count is clamped into 0..kMaxCascade.
    void SetCascade(int count, double gain);
    int CascadeCount() const { return cascadeCount; }
    double CascadeGain() const { return cascadeGain; }
    double ProcessCascade(double x);
    // In place over n samples; bit-identical to n calls of ProcessCascade, but runs the sections
    // of a block interleaved so that independent sections overlap.
    void ProcessCascadeBlock(double* samples, int n);

    // --- one-pole low-passes (families A and B share the formula) ---
    void SetOnePoleA(double freqHz, double sampleRate, int slot);
    void SetOnePoleB(double freqHz, double sampleRate, int slot);
    double OnePoleA(double x, int slot);
    double OnePoleB(double x, int slot);

    // --- peak envelope followers ---
    void SetEnvelopeFollower(double attackMs, double releaseMs, double sampleRate, int slot);
    double TrackEnvelope(double x, int slot);

    // --- attack/decay/sustain/release generator ---
    // Attack, decay and release as knob values 0..1 (EnvelopeSeconds gives their times).
    void SetEnvelopeTimes(double attack, double decay, double sustain, double release, double peak,
                          double sampleRate);
    // The same with the three times in seconds.
    void SetEnvelopeSeconds(double attackSeconds, double decaySeconds, double sustain, double releaseSeconds,
                            double peak, double sampleRate);
    double StepEnvelope(double gate);

    // --- delay lines ---
    // Allocates (or keeps, when big enough) a one-second buffer, zeroes it, position 0, and a delay
    // of trunc(seconds * rate - 1) + 1 samples, limited to the buffer.
    void AllocDelayLine(double seconds, double sampleRate, int slot);
    // Same without allocating when the buffer was made at this rate and holds the delay.
    void SetDelayLength(double seconds, double sampleRate, int slot);
    // buf[pos] = buf[pos] * feedback + input; advance pos through 0..lastIndex; return buf[pos].
    double FeedbackComb(int slot, double feedback, double input);

    // A comb of `delay` samples (limited to the buffer) in a zeroed buffer of `capacity` samples,
    // allocated when the buffer has another size; position 0. For lines that hold a fixed delay
    // at a multiple of the host rate, where one second would be far more than needed.
    void SetDelaySamples(int delay, int capacity, int slot);

    // A zeroed line whose reads reach at most `depth` of a second behind; readOffset is the
    // offset of that deepest read. Cleared rather than remade when its size stays.
    void AllocModDelay(double depth, double sampleRate, int slot);
    // Writes input into the line and returns the sample `behind` steps before it (0: input).
    double ModDelayTap(int slot, double input, int behind);

    BiquadArrays biquad;
    OnePoleArrays onePoleA;
    OnePoleArrays onePoleB;
    FollowerArrays follower;
    ShaperArrays shaper;
    EnvelopeGenerator envelope;
    DelayLine delayLine[kDelayLines];
    ModDelayLine modDelay[kModDelays];

private:
    int cascadeCount = 0;
    double cascadeGain = 1.0;
};

// ---- per-sample routines, inline for the audio loop ----

inline double DspBank::ProcessBiquad(double x, int slot) {
    return biquad.Run(slot, x);
}

inline double DspBank::ProcessCascade(double x) {
    double v = x;
    for (int i = 0; i < cascadeCount; ++i)
        v = biquad.Run(i, v);
    return v * cascadeGain;
}

inline double DspBank::OnePoleA(double x, int slot) {
    onePoleA.y[slot] = onePoleA.g[slot] * x - onePoleA.c[slot] * onePoleA.y[slot];
    return onePoleA.y[slot];
}

inline double DspBank::OnePoleB(double x, int slot) {
    onePoleB.y[slot] = onePoleB.g[slot] * x - onePoleB.c[slot] * onePoleB.y[slot];
    return onePoleB.y[slot];
}

inline double DspBank::TrackEnvelope(double x, int slot) {
    const double r = x < 0.0 ? -x : x;
    double& env = follower.envelope[slot];
    env = r + (env - r) * (r > env ? follower.attack[slot] : follower.release[slot]);
    return env;
}

inline double DspBank::FeedbackComb(int slot, double feedback, double input) {
    DelayLine& d = delayLine[slot];
    double* buf = d.buffer.get();
    int pos = d.position;
    buf[pos] = buf[pos] * feedback + input;
    if (pos >= d.lastIndex) pos = -1;
    ++pos;
    d.position = pos;
    return buf[pos];
}

inline double DspBank::ModDelayTap(int slot, double input, int behind) {
    ModDelayLine& line = modDelay[slot];
    line.buffer[line.position] = input;
    if (behind < 0) behind = 0;
    if (behind >= line.capacity) behind = line.capacity - 1;
    int r = line.position - behind;
    if (r < 0) r += line.capacity;
    const double h = line.buffer[r];
    if (++line.position >= line.capacity) line.position = 0;
    return h;
}
