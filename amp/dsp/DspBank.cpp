#include "DspBank.h"

#include "DspMath.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfLn2 = 0.34657359027997264;
constexpr double kSoftShelfScale = 0.4099999964237213; // the float 0.41f
constexpr double kHighestFraction = 0.45;              // of the sample rate

bool BiquadSlotValid(int slot) {
    return slot >= 0 && slot < DspBank::kBiquadSlots;
}

void WriteOnePole(DspBank::OnePoleArrays& family, double freqHz, double sampleRate, int slot) {
    if (slot < 0 || slot >= DspBank::kOnePoleSlots) return;
    const double p = OnePoleFeedback(freqHz, sampleRate);
    family.g[slot] = 1.0 - p;
    family.c[slot] = -p;
}

// Number of samples in one second, at least one so a buffer always exists.
int OneSecond(double sampleRate) {
    if (!(sampleRate >= 1.0)) return 1;
    if (sampleRate > 1.0e7) return 10000000;
    return static_cast<int>(sampleRate);
}

// Room of a comb buffer: more than the longest comb a model designs (12 ms), so a model change
// never allocates.
constexpr double kCombRoomSeconds = 1.0 / 64.0;

int DelayLastIndex(double seconds, double sampleRate, int size) {
    const double last = seconds * sampleRate - 1.0;
    if (!(last > 0.0)) return 0;
    if (last >= size - 1) return size - 1;
    return static_cast<int>(last);
}

} // namespace

BiquadCoefficients DesignBiquadCoefficients(double freqHz, double bandwidthOct, double gainDb,
                                            double sampleRate, int type) {
    if (!(sampleRate > 0.0) || !std::isfinite(sampleRate)) return BiquadCoefficients{};
    if (!(freqHz >= 10.0)) freqHz = 10.0;
    // At and above half the rate the formulas give unstable or undefined sections; stop short of it.
    if (freqHz > kHighestFraction * sampleRate) freqHz = kHighestFraction * sampleRate;
    const double A = DspPow(10.0, gainDb / 40.0);
    const double w0 = kTwoPi * freqHz / sampleRate;
    const double s = DspSin(w0);
    const double c = DspCos(w0);
    const double alpha = s * DspSinh(kHalfLn2 * bandwidthOct * w0 / s);

    double b0, b1, b2, a0, a1, a2;
    switch (type) {
    case kHighPass:
        b0 = (1.0 + c) / 2.0;
        b1 = -(1.0 + c);
        b2 = (1.0 + c) / 2.0;
        a0 = 1.0 + alpha;
        a1 = -2.0 * c;
        a2 = 1.0 - alpha;
        break;
    case kBandPass:
        b0 = alpha;
        b1 = 0.0;
        b2 = -alpha;
        a0 = 1.0 + alpha;
        a1 = -2.0 * c;
        a2 = 1.0 - alpha;
        break;
    case kNotch:
        b0 = 1.0;
        b1 = -2.0 * c;
        b2 = 1.0;
        a0 = 1.0 + alpha;
        a1 = -2.0 * c;
        a2 = 1.0 - alpha;
        break;
    case kPeak:
        b0 = 1.0 + alpha * A;
        b1 = -2.0 * c;
        b2 = 1.0 - alpha * A;
        a0 = 1.0 + alpha / A;
        a1 = -2.0 * c;
        a2 = 1.0 - alpha / A;
        break;
    case kLowShelf:
    case kSoftLowShelf: {
        const bool soft = type == kSoftLowShelf;
        const double cs = soft ? DspCos(kSoftShelfScale * w0) : c;
        const double q = soft ? s * DspSqrt(A) / 1.41 : s * DspSqrt(2.0 * A);
        b0 = A * ((A + 1.0) - (A - 1.0) * cs + q);
        b1 = 2.0 * A * ((A - 1.0) - (A + 1.0) * cs);
        b2 = A * ((A + 1.0) - (A - 1.0) * cs - q);
        a0 = (A + 1.0) + (A - 1.0) * cs + q;
        a1 = -2.0 * ((A - 1.0) + (A + 1.0) * cs);
        a2 = (A + 1.0) + (A - 1.0) * cs - q;
        break;
    }
    case kHighShelf: {
        const double q = s * DspSqrt(2.0 * A);
        b0 = A * ((A + 1.0) + (A - 1.0) * c + q);
        b1 = -2.0 * A * ((A - 1.0) + (A + 1.0) * c);
        b2 = A * ((A + 1.0) + (A - 1.0) * c - q);
        a0 = (A + 1.0) - (A - 1.0) * c + q;
        a1 = 2.0 * ((A - 1.0) - (A + 1.0) * c);
        a2 = (A + 1.0) - (A - 1.0) * c - q;
        break;
    }
    default: // kLowPass, and any unknown type
        b0 = (1.0 - c) / 2.0;
        b1 = 1.0 - c;
        b2 = (1.0 - c) / 2.0;
        a0 = 1.0 + alpha;
        a1 = -2.0 * c;
        a2 = 1.0 - alpha;
        break;
    }
    BiquadCoefficients k;
    k.b0 = b0 / a0;
    k.b1 = b1 / a0;
    k.b2 = b2 / a0;
    k.a1 = a1 / a0;
    k.a2 = a2 / a0;
    // A non-finite gain or bandwidth designs a pass-through rather than poisoning the slot.
    if (!std::isfinite(k.b0) || !std::isfinite(k.b1) || !std::isfinite(k.b2) || !std::isfinite(k.a1) ||
        !std::isfinite(k.a2))
        return BiquadCoefficients{};
    return k;
}

double OnePoleFeedback(double freqHz, double sampleRate) {
    return DspExp(-kTwoPi * freqHz / sampleRate);
}

double FollowerCoefficient(double timeMs, double sampleRate) {
    if (!(timeMs >= 0.001)) timeMs = 0.001;
    return DspExp(-2.0 / (timeMs * 0.001 * sampleRate));
}

double EnvelopeSeconds(double v) {
    return DspPow(2.0, 10.0 * v - 6.666666);
}

DspBank::DspBank() {
    ResetBank();
    // Every row owns a buffer from the start, so a comb never runs on a missing one.
    for (DelayLine& d : delayLine) {
        d.buffer.reset(new double[1]());
        d.size = 1;
        d.capacity = 1;
    }
}

void DspBank::ResetBank() {
    std::memset(&biquad, 0, sizeof biquad);
    std::memset(&onePoleA, 0, sizeof onePoleA);
    std::memset(&onePoleB, 0, sizeof onePoleB);
    std::memset(&follower, 0, sizeof follower);
    shaper = ShaperArrays{};
    envelope = EnvelopeGenerator{};
    cascadeCount = 0;
    cascadeGain = 1.0;
}

void DspBank::DesignBiquad(double freqHz, double bandwidthOct, double gainDb, double sampleRate, int type,
                           int slot) {
    if (!BiquadSlotValid(slot)) return;
    SetBiquadCoefficients(slot, DesignBiquadCoefficients(freqHz, bandwidthOct, gainDb, sampleRate, type));
}

void DspBank::SetBiquadCoefficients(int slot, const BiquadCoefficients& c) {
    if (!BiquadSlotValid(slot)) return;
    biquad.b0[slot] = c.b0;
    biquad.b1[slot] = c.b1;
    biquad.b2[slot] = c.b2;
    biquad.a1[slot] = c.a1;
    biquad.a2[slot] = c.a2;
}

BiquadCoefficients DspBank::GetBiquadCoefficients(int slot) const {
    BiquadCoefficients c;
    if (!BiquadSlotValid(slot)) return c;
    c.b0 = biquad.b0[slot];
    c.b1 = biquad.b1[slot];
    c.b2 = biquad.b2[slot];
    c.a1 = biquad.a1[slot];
    c.a2 = biquad.a2[slot];
    return c;
}

void DspBank::ClearBiquadState(int slot) {
    if (!BiquadSlotValid(slot)) return;
    biquad.x1[slot] = biquad.x2[slot] = biquad.y1[slot] = biquad.y2[slot] = 0.0;
}

void DspBank::ProcessBiquadBlock(double* samples, int n, int slot) {
    BiquadSection<double> s = biquad.Section(slot);
    for (int i = 0; i < n; ++i)
        samples[i] = s.Run(samples[i]);
    biquad.StoreState(slot, s);
}

void DspBank::SetCascade(int count, double gain) {
    cascadeCount = count < 0 ? 0 : (count > kMaxCascade ? kMaxCascade : count);
    cascadeGain = gain;
}

void DspBank::SetOnePoleA(double freqHz, double sampleRate, int slot) {
    WriteOnePole(onePoleA, freqHz, sampleRate, slot);
}

void DspBank::SetOnePoleB(double freqHz, double sampleRate, int slot) {
    WriteOnePole(onePoleB, freqHz, sampleRate, slot);
}

void DspBank::SetEnvelopeFollower(double attackMs, double releaseMs, double sampleRate, int slot) {
    if (slot < 0 || slot >= kFollowerSlots) return;
    if (!(attackMs >= 0.001)) attackMs = 0.001;
    if (!(releaseMs >= 0.001)) releaseMs = 0.001;
    follower.attackMs[slot] = attackMs;
    follower.releaseMs[slot] = releaseMs;
    follower.attack[slot] = FollowerCoefficient(attackMs, sampleRate);
    follower.release[slot] = FollowerCoefficient(releaseMs, sampleRate);
}

void DspBank::SetEnvelopeTimes(double attack, double decay, double sustain, double release, double peak,
                               double sampleRate) {
    SetEnvelopeSeconds(EnvelopeSeconds(attack), EnvelopeSeconds(decay), sustain, EnvelopeSeconds(release),
                       peak, sampleRate);
}

void DspBank::SetEnvelopeSeconds(double attackSeconds, double decaySeconds, double sustain,
                                 double releaseSeconds, double peak, double sampleRate) {
    EnvelopeGenerator& e = envelope;
    e.attackStep = peak / (attackSeconds * sampleRate);
    e.decayStep = peak / (sampleRate * decaySeconds);
    e.sustainLevel = peak * sustain;
    e.releaseStep = peak / (sampleRate * releaseSeconds);
    e.peak = peak;
}

double DspBank::StepEnvelope(double gate) {
    EnvelopeGenerator& e = envelope;
    e.lastInput = gate >= 0.5 ? 1.0 : gate;
    if (e.lastInput == 1.0 && e.triggerMemory != 1.0) {
        e.triggerMemory = 1.0;
        e.stage = 0;
        e.active = true;
    }
    if (!e.active) return e.level;
    switch (e.stage) {
    case 0:
        e.level += e.attackStep;
        if (e.level >= e.peak) {
            e.level = e.peak;
            e.stage = 1;
        }
        break;
    case 1:
        e.level -= e.decayStep;
        if (e.level <= e.sustainLevel) {
            e.level = e.sustainLevel;
            e.stage = 2;
        }
        break;
    case 2:
        e.level = e.sustainLevel;
        break;
    case 3:
        if (e.lastInput == 1.0) e.stage = 0;
        e.level -= e.releaseStep;
        if (e.level <= 0.0) {
            e.level = 0.0;
            e.active = false;
            e.triggerMemory = 0.0;
            return 0.0;
        }
        return e.level;
    default:
        return e.level;
    }
    if (e.lastInput < 0.5) e.stage = 3;
    return e.level;
}

void DspBank::AllocDelayLine(double seconds, double sampleRate, int slot) {
    if (slot < 0 || slot >= kDelayLines) return;
    DelayLine& d = delayLine[slot];
    const int size = OneSecond(sampleRate);
    d.size = size;
    d.lastIndex = DelayLastIndex(seconds, sampleRate, size);
    const int capacity =
        std::max(d.lastIndex + 1, std::min(size, static_cast<int>(std::ceil(kCombRoomSeconds * sampleRate))));
    if (d.buffer && d.capacity == capacity)
        std::memset(d.buffer.get(), 0, sizeof(double) * static_cast<size_t>(capacity));
    else
        d.buffer.reset(new double[static_cast<size_t>(capacity)]());
    d.capacity = capacity;
    d.position = 0;
}

void DspBank::SetDelayLength(double seconds, double sampleRate, int slot) {
    if (slot < 0 || slot >= kDelayLines) return;
    DelayLine& d = delayLine[slot];
    // A buffer made for another rate cannot hold one second at this one.
    if (d.size != OneSecond(sampleRate)) {
        AllocDelayLine(seconds, sampleRate, slot);
        return;
    }
    const int last = DelayLastIndex(seconds, sampleRate, d.size);
    if (last >= d.capacity) {
        AllocDelayLine(seconds, sampleRate, slot);
        return;
    }
    std::memset(d.buffer.get(), 0, sizeof(double) * static_cast<size_t>(d.capacity));
    d.lastIndex = last;
    d.position = 0;
}

void DspBank::AllocModDelay(double depth, double sampleRate, int slot) {
    if (slot < 0 || slot >= kModDelays) return;
    ModDelayLine& m = modDelay[slot];
    const int length = OneSecond(sampleRate);
    const double reach = depth > 0.0 && depth < 1.0 ? std::ceil(depth * length) + 2.0 : length;
    const int capacity = static_cast<int>(std::min<double>(length, reach));
    if (m.buffer && m.capacity == capacity)
        std::memset(m.buffer.get(), 0, sizeof(double) * static_cast<size_t>(capacity));
    else
        m.buffer.reset(new double[static_cast<size_t>(capacity)]());
    m.length = length;
    m.capacity = capacity;
    m.position = 0;
    double r = (1.0 - depth) * length;
    if (!(r >= 0.0)) r = 0.0;
    if (r > length) r = length;
    m.readOffset = static_cast<int>(r);
    m.readFraction = r - std::floor(r);
}

int OversampledCombRoom(double sampleRate) {
    return static_cast<int>(sampleRate / 64.0) + 1;
}

int CombDelaySamples(double seconds, double sampleRate) {
    return DelayLastIndex(seconds, sampleRate, OneSecond(sampleRate)) + 1;
}

void DspBank::SetDelaySamples(int delay, int capacity, int slot) {
    if (slot < 0 || slot >= kDelayLines || capacity < 1) return;
    DelayLine& d = delayLine[slot];
    if (d.size != capacity || d.capacity != capacity) {
        d.buffer.reset(new double[static_cast<size_t>(capacity)]());
        d.size = capacity;
        d.capacity = capacity;
    } else {
        std::memset(d.buffer.get(), 0, sizeof(double) * static_cast<size_t>(capacity));
    }
    d.lastIndex = delay < 1 ? 0 : (delay > capacity ? capacity - 1 : delay - 1);
    d.position = 0;
}

void DspBank::ClearAllState() {
    std::memset(biquad.x1, 0, sizeof biquad.x1);
    std::memset(biquad.x2, 0, sizeof biquad.x2);
    std::memset(biquad.y1, 0, sizeof biquad.y1);
    std::memset(biquad.y2, 0, sizeof biquad.y2);
    std::memset(onePoleA.y, 0, sizeof onePoleA.y);
    std::memset(onePoleB.y, 0, sizeof onePoleB.y);
    std::memset(follower.envelope, 0, sizeof follower.envelope);
    shaper = ShaperArrays{};
    envelope.level = 0.0;
    for (DelayLine& d : delayLine)
        if (d.buffer) std::memset(d.buffer.get(), 0, sizeof(double) * static_cast<size_t>(d.capacity));
    for (ModDelayLine& m : modDelay)
        if (m.buffer) std::memset(m.buffer.get(), 0, sizeof(double) * static_cast<size_t>(m.capacity));
}

BiquadCoefficients RateScaledSection(const BiquadCoefficients& c, int factor) {
    if (factor <= 1) return c;
    // Substitute z1^-1 = P(u) / Q(u), P = (1 - k) + (1 + k) u, Q = (1 + k) + (1 - k) u, u = z^-1,
    // and multiply numerator and denominator by Q^2.
    const double k = factor;
    const double p0 = 1.0 - k, p1 = 1.0 + k, q0 = 1.0 + k, q1 = 1.0 - k;
    const double qq[3] = {q0 * q0, 2.0 * q0 * q1, q1 * q1};
    const double pq[3] = {p0 * q0, p0 * q1 + p1 * q0, p1 * q1};
    const double pp[3] = {p0 * p0, 2.0 * p0 * p1, p1 * p1};
    double b[3], a[3];
    for (int i = 0; i < 3; ++i) {
        b[i] = c.b0 * qq[i] + c.b1 * pq[i] + c.b2 * pp[i];
        a[i] = qq[i] + c.a1 * pq[i] + c.a2 * pp[i];
    }
    BiquadCoefficients r;
    r.b0 = b[0] / a[0];
    r.b1 = b[1] / a[0];
    r.b2 = b[2] / a[0];
    r.a1 = a[1] / a[0];
    r.a2 = a[2] / a[0];
    return r;
}
