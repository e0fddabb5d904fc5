#include "DspBank.h"

#include <gtest/gtest.h>

#include <vector>

#include <cmath>

namespace {
constexpr double kRate = 44100.0;
constexpr double kTwoPi = 6.283185307179586;
} // namespace

TEST(OnePole, ImpulseResponseIsGeometric) {
    DspBank bank;
    bank.SetOnePoleA(1000.0, kRate, 3);
    bank.SetOnePoleB(1000.0, kRate, 3);
    const double p = std::exp(-kTwoPi * 1000.0 / kRate);
    for (int k = 0; k < 50; ++k) {
        const double x = k == 0 ? 1.0 : 0.0;
        const double expected = (1.0 - p) * std::pow(p, k);
        EXPECT_NEAR(bank.OnePoleA(x, 3), expected, 1e-15);
        EXPECT_NEAR(bank.OnePoleB(x, 3), expected, 1e-15);
    }
    // The families are separate slots.
    EXPECT_EQ(bank.onePoleA.y[4], 0.0);
}

TEST(OnePole, ConvergesToDcInput) {
    DspBank bank;
    bank.SetOnePoleB(50.0, kRate, 0);
    double y = 0.0;
    for (int i = 0; i < 44100; ++i)
        y = bank.OnePoleB(0.75, 0);
    EXPECT_NEAR(y, 0.75, 1e-12);
}

TEST(EnvelopeFollower, AttacksAndReleasesWithItsCoefficients) {
    DspBank bank;
    bank.SetEnvelopeFollower(8.0, 7.0, kRate, 0);
    const double attack = std::exp(-2.0 / (8.0 * 0.001 * kRate));
    const double release = std::exp(-2.0 / (7.0 * 0.001 * kRate));
    for (int k = 1; k <= 200; ++k)
        ASSERT_NEAR(bank.TrackEnvelope(k % 2 ? 1.0 : -1.0, 0), 1.0 - std::pow(attack, k), 1e-12) << k;
    const double top = bank.follower.envelope[0];
    for (int k = 1; k <= 200; ++k)
        ASSERT_NEAR(bank.TrackEnvelope(0.0, 0), top * std::pow(release, k), 1e-12) << k;
}

TEST(EnvelopeFollower, TimesAreClampedToAMicrosecond) {
    DspBank bank;
    bank.SetEnvelopeFollower(0.0, -5.0, kRate, 2);
    EXPECT_EQ(bank.follower.attackMs[2], 0.001);
    EXPECT_EQ(bank.follower.releaseMs[2], 0.001);
    EXPECT_DOUBLE_EQ(bank.follower.attack[2], std::exp(-2.0 / (0.001 * 0.001 * kRate)));
}

TEST(EnvelopeGenerator, TimesFollowTheExponentialKnobLaw) {
    EXPECT_NEAR(EnvelopeSeconds(0.0), 0.00984, 1e-5);
    EXPECT_NEAR(EnvelopeSeconds(0.5), 0.315, 1e-3);
    EXPECT_NEAR(EnvelopeSeconds(1.0), 10.08, 1e-2);
}

TEST(EnvelopeGenerator, RunsAttackDecaySustainReleaseToExactlyZero) {
    DspBank bank;
    bank.SetEnvelopeTimes(0.0, 0.0, 0.5, 0.0, 1.0, kRate);
    const int stageSamples = static_cast<int>(std::ceil(EnvelopeSeconds(0.0) * kRate));
    int steps = 0;
    double level = 0.0;
    while (bank.envelope.stage == 0 && steps < 10 * stageSamples)
        level = bank.StepEnvelope(1.0), ++steps;
    EXPECT_EQ(level, 1.0);
    EXPECT_NEAR(steps, stageSamples, 1);
    steps = 0;
    while (bank.envelope.stage == 1 && steps < 10 * stageSamples)
        level = bank.StepEnvelope(1.0), ++steps;
    EXPECT_EQ(level, 0.5);
    EXPECT_NEAR(steps, stageSamples / 2, 1);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(bank.StepEnvelope(1.0), 0.5);
    EXPECT_EQ(bank.envelope.stage, 2);

    double previous = bank.StepEnvelope(0.0);
    EXPECT_EQ(bank.envelope.stage, 3);
    steps = 0;
    while (bank.envelope.active && steps < 10 * stageSamples) {
        level = bank.StepEnvelope(0.0), ++steps;
        EXPECT_LE(level, previous);
        previous = level;
    }
    EXPECT_EQ(level, 0.0);
    EXPECT_FALSE(bank.envelope.active);
    EXPECT_EQ(bank.StepEnvelope(0.0), 0.0);
}

TEST(EnvelopeGenerator, ARisingGateDuringReleaseRestartsTheAttackFromTheCurrentLevel) {
    DspBank bank;
    bank.SetEnvelopeTimes(0.0, 1.0, 1.0, 0.5, 1.0, kRate);
    for (int i = 0; i < 2000; ++i)
        bank.StepEnvelope(1.0);
    for (int i = 0; i < 100; ++i)
        bank.StepEnvelope(0.0);
    const double during = bank.envelope.level;
    EXPECT_GT(during, 0.0);
    EXPECT_LT(during, 1.0);
    bank.StepEnvelope(1.0);
    EXPECT_EQ(bank.envelope.stage, 0);
    EXPECT_GT(bank.StepEnvelope(1.0), during - bank.envelope.releaseStep);
}

TEST(DelayLine, AllocatesOneSecondAndDelaysLastIndexPlusOne) {
    DspBank bank;
    bank.AllocDelayLine(0.002, kRate, 4);
    EXPECT_EQ(bank.delayLine[4].lastIndex, 87);
    EXPECT_EQ(bank.delayLine[4].size, 44100);
    // The storage is room for the combs, not the whole second.
    EXPECT_GT(bank.delayLine[4].capacity, 87);
    EXPECT_LT(bank.delayLine[4].capacity, 44100 / 10);
    // An impulse comes back every 88 samples, scaled by the feedback each time.
    std::vector<double> out;
    for (int i = 0; i < 300; ++i)
        out.push_back(bank.FeedbackComb(4, 0.5, i == 0 ? 1.0 : 0.0));
    for (int i = 0; i < 300; ++i) {
        const int k = i + 1;
        const double expected = k % 88 == 0 ? std::pow(0.5, k / 88 - 1) : 0.0;
        ASSERT_EQ(out[i], expected) << i;
    }
}

TEST(DelayLine, LengthChangeZeroesAndStaysInsideTheBuffer) {
    DspBank bank;
    bank.AllocDelayLine(0.01, kRate, 0);
    bank.FeedbackComb(0, 0.9, 1.0);
    bank.SetDelayLength(0.005, kRate, 0);
    EXPECT_EQ(bank.delayLine[0].position, 0);
    EXPECT_EQ(bank.delayLine[0].buffer[0], 0.0);
    EXPECT_EQ(bank.delayLine[0].lastIndex, static_cast<int>(0.005 * kRate - 1.0));
    // Longer than the buffer: limited to it. Shorter than a sample: one sample.
    bank.SetDelayLength(3.0, kRate, 0);
    EXPECT_EQ(bank.delayLine[0].lastIndex, 44099);
    EXPECT_EQ(bank.delayLine[0].capacity, 44100); // grown to hold it
    bank.SetDelayLength(0.0, kRate, 0);
    EXPECT_EQ(bank.delayLine[0].lastIndex, 0);
    EXPECT_EQ(bank.FeedbackComb(0, 0.5, 1.0), 1.0);
    // A buffer made for 44.1 kHz is replaced by one second at 96 kHz, not overrun.
    bank.SetDelayLength(0.9, 96000.0, 0);
    EXPECT_EQ(bank.delayLine[0].size, 96000);
    EXPECT_EQ(bank.delayLine[0].lastIndex, static_cast<int>(0.9 * 96000.0 - 1.0));
}

TEST(DelayLine, EveryRowHasABufferFromTheStart) {
    DspBank bank;
    for (int r = 0; r < DspBank::kDelayLines; ++r)
        EXPECT_EQ(bank.FeedbackComb(r, 0.5, 0.25), 0.25);
}

// The short line answers as a whole second of history would, for any read it allows.
TEST(ModDelay, TapReadsAsAOneSecondRingWould) {
    DspBank bank;
    bank.AllocModDelay(0.125, 1000.0, 0);
    const int capacity = bank.modDelay[0].capacity;
    std::vector<double> history;
    for (int n = 0; n < 5 * capacity; ++n) {
        const double x = std::sin(0.37 * n) + 0.001 * n;
        const int behind = (n * 7) % capacity; // 0 .. capacity - 1
        history.push_back(x);
        const int at = static_cast<int>(history.size()) - 1 - behind;
        const double expected = at >= 0 ? history[static_cast<size_t>(at)] : 0.0;
        ASSERT_EQ(bank.ModDelayTap(0, x, behind), expected) << n;
    }
}

TEST(ModDelay, AllocatesOneSecondWithReadOffset) {
    DspBank bank;
    bank.AllocModDelay(0.25, kRate, 1);
    EXPECT_EQ(bank.modDelay[1].length, 44100);
    EXPECT_EQ(bank.modDelay[1].readOffset, 33075);
    EXPECT_EQ(bank.modDelay[1].readFraction, 0.0);
    // Only what the deepest read reaches is kept.
    EXPECT_GT(bank.modDelay[1].capacity, 44100 - 33075);
    EXPECT_LT(bank.modDelay[1].capacity, 44100 / 2);
    bank.AllocModDelay(0.3, 1000.0, 0);
    EXPECT_NEAR(bank.modDelay[0].readOffset + bank.modDelay[0].readFraction, 700.0, 1e-9);
    EXPECT_GE(bank.modDelay[0].readFraction, 0.0);
    EXPECT_LT(bank.modDelay[0].readFraction, 1.0);
}

TEST(SoftClipCurve, KnownValues) {
    EXPECT_DOUBLE_EQ(SoftClip(0.1, 1.0, 1.0), 0.75);
    EXPECT_DOUBLE_EQ(SoftClip(-0.5, 2.0, 1.0), -2.0);
    EXPECT_EQ(SoftClip(0.05, 0.5, 4.0), 0.5);
    EXPECT_EQ(SoftClip(0.0, 1.0, 1.0), 0.0);
}

TEST(SoftClipCurve, IsContinuousOddAndBounded) {
    EXPECT_NEAR(SoftClip(0.2 - 1e-9, 1.0, 1.0), 1.0, 1e-7);
    double previous = -2.0;
    for (int i = -1000; i <= 1000; ++i) {
        const double x = i / 2000.0;
        const double y = SoftClip(x, 0.7, 1.3);
        EXPECT_LE(std::fabs(y), 0.7);
        EXPECT_GE(y, previous);
        EXPECT_EQ(y, -SoftClip(-x, 0.7, 1.3));
        previous = y;
    }
}

TEST(Bank, ResetClearsFiltersButKeepsDelayLines) {
    DspBank bank;
    bank.AllocDelayLine(0.001, kRate, 2);
    bank.DesignBiquad(100.0, 1.0, 3.0, kRate, kPeak, 10);
    bank.ProcessBiquad(1.0, 10);
    bank.SetOnePoleA(100.0, kRate, 1);
    bank.SetEnvelopeFollower(1.0, 1.0, kRate, 3);
    bank.SetCascade(5, 2.0);
    bank.ResetBank();
    EXPECT_EQ(bank.biquad.b0[10], 0.0);
    EXPECT_EQ(bank.biquad.y1[10], 0.0);
    EXPECT_EQ(bank.onePoleA.g[1], 0.0);
    EXPECT_EQ(bank.follower.attack[3], 0.0);
    EXPECT_EQ(bank.CascadeCount(), 0);
    EXPECT_EQ(bank.CascadeGain(), 1.0);
    EXPECT_EQ(bank.delayLine[2].size, 44100);
}
