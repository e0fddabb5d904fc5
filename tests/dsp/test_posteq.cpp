#include "DspBank.h"
#include "DspTestUtil.h"
#include "PostEq.h"

#include <gtest/gtest.h>

#include <cmath>

using dsptest::MagnitudeDb;

namespace {
constexpr double kRate = 48000.0;

// The frequency of the largest response on a fine logarithmic grid.
double PeakFrequency(const BiquadCoefficients& c) {
    double best = 0.0, bestDb = -1e9;
    for (double f = 20.0; f < 2000.0; f *= 1.0005) {
        const double db = MagnitudeDb(c, f, kRate);
        if (db > bestDb) bestDb = db, best = f;
    }
    return best;
}
} // namespace

TEST(PostEq, FlatSettingsReturnTheInputTimesTheVolume) {
    DspBank bank;
    PostEq eq;
    eq.SetEqLow(bank, 0.0, 0.5, kRate);
    eq.SetEqHigh(bank, 0.0, kRate);
    eq.SetLoudness(bank, 0.0, 0.0, kRate);
    EXPECT_EQ(eq.EqLowMix(), 0.0);
    EXPECT_EQ(eq.LoudnessMix(), 0.0);
    for (double volume : {1.0, 0.37}) {
        eq.SetVolume(volume);
        for (double x : Noise(2000, 1.0))
            ASSERT_EQ(eq.Process(bank, x), x * volume);
        std::vector<double> block = Noise(777, 1.0, 5);
        const std::vector<double> in = block;
        eq.ProcessBlock(bank, block.data(), 777, volume);
        for (int i = 0; i < 777; ++i)
            ASSERT_EQ(block[i], in[i] * volume);
    }
}

TEST(PostEq, LowBandAtItsEnds) {
    DspBank bank;
    PostEq eq;
    eq.SetEqLow(bank, -12.0, 0.0, kRate);
    EXPECT_NEAR(MagnitudeDb(bank.GetBiquadCoefficients(68), 0.0, kRate), -12.0, 1e-9);
    EXPECT_NEAR(PeakFrequency(bank.GetBiquadCoefficients(73)), 356.0, 0.5);
    EXPECT_NEAR(MagnitudeDb(bank.GetBiquadCoefficients(73), 356.0, kRate), 0.0, 1e-9);
    EXPECT_DOUBLE_EQ(eq.EqLowMix(), 0.96);

    eq.SetEqLow(bank, 12.0, 1.0, kRate);
    EXPECT_NEAR(MagnitudeDb(bank.GetBiquadCoefficients(68), 0.0, kRate), 12.0, 1e-9);
    EXPECT_NEAR(PeakFrequency(bank.GetBiquadCoefficients(73)), 644.0, 0.5);
    EXPECT_DOUBLE_EQ(eq.EqLowMix(), -0.48);
}

TEST(PostEq, HighBandShelvesTheTop) {
    DspBank bank;
    PostEq eq;
    eq.SetEqHigh(bank, 12.0, kRate);
    EXPECT_NEAR(MagnitudeDb(bank.GetBiquadCoefficients(69), kRate / 2, kRate), 12.0, 1e-9);
    EXPECT_NEAR(MagnitudeDb(bank.GetBiquadCoefficients(69), 0.0, kRate), 0.0, 1e-9);
    eq.SetEqHigh(bank, -6.0, kRate);
    EXPECT_NEAR(MagnitudeDb(bank.GetBiquadCoefficients(69), kRate / 2, kRate), -6.0, 1e-9);
}

TEST(PostEq, FullLoudnessCutsThirtyDbAndMixesABandAt85Hz) {
    DspBank bank;
    PostEq eq;
    eq.SetLoudness(bank, -30.0, 1.0, kRate);
    EXPECT_NEAR(MagnitudeDb(bank.GetBiquadCoefficients(70), 0.0, kRate), -30.0, 1e-9);
    EXPECT_NEAR(MagnitudeDb(bank.GetBiquadCoefficients(70), kRate / 2, kRate), 0.0, 1e-9);
    EXPECT_NEAR(PeakFrequency(bank.GetBiquadCoefficients(74)), 85.1, 0.2);
    EXPECT_DOUBLE_EQ(eq.LoudnessMix(), 4.35);
}

TEST(PostEq, ProcessFollowsTheSectionOrder) {
    DspBank bank, ref;
    PostEq eq;
    eq.SetEqLow(bank, 7.2, 0.8, kRate);
    eq.SetEqHigh(bank, -4.8, kRate);
    eq.SetLoudness(bank, -18.0, 0.6, kRate);
    eq.SetVolume(0.7);
    for (int s : {68, 69, 70, 73, 74})
        ref.SetBiquadCoefficients(s, bank.GetBiquadCoefficients(s));
    for (double x : Noise(500, 1.0)) {
        double a = ref.ProcessBiquad(x, 68);
        a = eq.EqLowMix() * ref.ProcessBiquad(a, 73) + a;
        a = ref.ProcessBiquad(ref.ProcessBiquad(a, 69), 70);
        const double expected = (eq.LoudnessMix() * ref.ProcessBiquad(a, 74) + a) * 0.7;
        ASSERT_EQ(eq.Process(bank, x), expected);
    }
}

TEST(PostEq, BlockRunIsBitIdenticalToSampleBySample) {
    const int sizes[] = {1, 2, 3, 4, 5, 9, 31, 256, 1000};
    for (double v : {0.0, 0.3, 0.5, 0.9}) {
        DspBank a, b;
        PostEq eq;
        for (DspBank* bank : {&a, &b}) {
            eq.SetEqLow(*bank, 24.0 * v - 12.0, v, kRate);
            eq.SetEqHigh(*bank, 12.0 - 24.0 * v, kRate);
            eq.SetLoudness(*bank, -30.0 * v, v, kRate);
        }
        const auto x = Noise(5000, 1.0, 31);
        std::vector<double> y = x;
        int pos = 0;
        for (int k = 0; pos < 5000; ++k) {
            const int n = std::min(sizes[k % 9], 5000 - pos);
            eq.ProcessBlock(b, y.data() + pos, n, 0.9);
            pos += n;
        }
        for (int i = 0; i < 5000; ++i)
            ASSERT_TRUE(dsptest::SameBits(eq.Process(a, x[i], 0.9), y[i])) << v << " " << i;
    }
}
