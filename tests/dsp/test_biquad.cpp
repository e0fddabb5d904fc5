#include "DspBank.h"
#include "DspTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>

using dsptest::MagnitudeDb;

namespace {

constexpr double kRate = 48000.0;

BiquadCoefficients Design(int type, double f, double bw, double g, double rate = kRate) {
    return DesignBiquadCoefficients(f, bw, g, rate, type);
}

// Q of the analog prototype for a bandwidth in octaves, at the prewarped frequency.
double QFor(double f, double bw, double rate) {
    const double w0 = 2.0 * dsptest::kPi * f / rate;
    return 1.0 / (2.0 * std::sinh(std::log(2.0) / 2.0 * bw * w0 / std::sin(w0)));
}

double Nyquist(double rate) {
    return rate / 2.0;
}

void ExpectSame(const BiquadCoefficients& a, const BiquadCoefficients& b) {
    EXPECT_EQ(a.b0, b.b0);
    EXPECT_EQ(a.b1, b.b1);
    EXPECT_EQ(a.b2, b.b2);
    EXPECT_EQ(a.a1, b.a1);
    EXPECT_EQ(a.a2, b.a2);
}

} // namespace

TEST(BiquadDesign, LowPassPassesDcStopsNyquistAndPeaksWithQ) {
    const auto c = Design(kLowPass, 1000.0, 1.0, 0.0);
    EXPECT_NEAR(MagnitudeDb(c, 0.0, kRate), 0.0, 1e-9);
    EXPECT_LT(MagnitudeDb(c, Nyquist(kRate), kRate), -200.0);
    EXPECT_NEAR(MagnitudeDb(c, 1000.0, kRate), 20.0 * std::log10(QFor(1000.0, 1.0, kRate)), 1e-9);
}

TEST(BiquadDesign, HighPassStopsDcPassesNyquistAndPeaksWithQ) {
    const auto c = Design(kHighPass, 2500.0, 2.0, 0.0);
    EXPECT_LT(MagnitudeDb(c, 0.0, kRate), -200.0);
    EXPECT_NEAR(MagnitudeDb(c, Nyquist(kRate), kRate), 0.0, 1e-9);
    EXPECT_NEAR(MagnitudeDb(c, 2500.0, kRate), 20.0 * std::log10(QFor(2500.0, 2.0, kRate)), 1e-9);
}

TEST(BiquadDesign, BandPassHasUnityPeakAtCentre) {
    const auto c = Design(kBandPass, 700.0, 1.9, 0.0);
    EXPECT_NEAR(MagnitudeDb(c, 700.0, kRate), 0.0, 1e-9);
    EXPECT_LT(MagnitudeDb(c, 0.0, kRate), -200.0);
    EXPECT_LT(MagnitudeDb(c, Nyquist(kRate), kRate), -200.0);
    // Band edges one octave either side of the centre for a width of two octaves.
    const auto w = Design(kBandPass, 1000.0, 2.0, 0.0, 441000.0);
    EXPECT_NEAR(MagnitudeDb(w, 500.0, 441000.0), -3.0103, 0.02);
    EXPECT_NEAR(MagnitudeDb(w, 2000.0, 441000.0), -3.0103, 0.02);
}

TEST(BiquadDesign, NotchRemovesCentreOnly) {
    const auto c = Design(kNotch, 3000.0, 0.5, 0.0);
    EXPECT_LT(MagnitudeDb(c, 3000.0, kRate), -200.0);
    EXPECT_NEAR(MagnitudeDb(c, 0.0, kRate), 0.0, 1e-9);
    EXPECT_NEAR(MagnitudeDb(c, Nyquist(kRate), kRate), 0.0, 1e-9);
}

TEST(BiquadDesign, PeakHasItsGainAtCentreAndUnityAtTheEnds) {
    for (double g : {-18.0, -3.5, 6.0, 24.0}) {
        const auto c = Design(kPeak, 1200.0, 0.3, g);
        EXPECT_NEAR(MagnitudeDb(c, 1200.0, kRate), g, 1e-9) << g;
        EXPECT_NEAR(MagnitudeDb(c, 0.0, kRate), 0.0, 1e-9) << g;
        EXPECT_NEAR(MagnitudeDb(c, Nyquist(kRate), kRate), 0.0, 1e-9) << g;
    }
}

TEST(BiquadDesign, PeakAtZeroDbIsExactlyFlat) {
    const auto c = Design(kPeak, 440.0, 1.0, 0.0);
    EXPECT_EQ(c.b0, 1.0);
    EXPECT_EQ(c.b1, c.a1);
    EXPECT_EQ(c.b2, c.a2);
}

TEST(BiquadDesign, ShelvesHaveFullGainOnTheirSideHalfAtCorner) {
    for (double g : {-30.0, -12.0, 9.0}) {
        const auto lo = Design(kLowShelf, 500.0, 1.0, g);
        EXPECT_NEAR(MagnitudeDb(lo, 0.0, kRate), g, 1e-9);
        EXPECT_NEAR(MagnitudeDb(lo, Nyquist(kRate), kRate), 0.0, 1e-9);
        EXPECT_NEAR(MagnitudeDb(lo, 500.0, kRate), g / 2.0, 1e-9);

        const auto hi = Design(kHighShelf, 3000.0, 1.0, g);
        EXPECT_NEAR(MagnitudeDb(hi, 0.0, kRate), 0.0, 1e-9);
        EXPECT_NEAR(MagnitudeDb(hi, Nyquist(kRate), kRate), g, 1e-9);
        EXPECT_NEAR(MagnitudeDb(hi, 3000.0, kRate), g / 2.0, 1e-9);
    }
}

TEST(BiquadDesign, SoftLowShelfHasFullGainAtDcAndUnityAtNyquist) {
    for (double g : {-30.0, 5.1}) {
        const auto c = Design(kSoftLowShelf, 100.0, 1.0, g);
        EXPECT_NEAR(MagnitudeDb(c, 0.0, kRate), g, 1e-6);
        EXPECT_NEAR(MagnitudeDb(c, Nyquist(kRate), kRate), 0.0, 1e-9);
        // A gentler transition than the plain shelf: at the corner it has moved less than halfway.
        const double corner = MagnitudeDb(c, 100.0, kRate);
        EXPECT_GT(std::fabs(corner), 0.0);
        EXPECT_LT(std::fabs(corner), std::fabs(g) / 2.0);
    }
}

TEST(BiquadDesign, GainMattersOnlyToPeakAndShelves) {
    for (int type = kLowPass; type <= kNotch; ++type)
        ExpectSame(Design(type, 800.0, 1.5, 0.0), Design(type, 800.0, 1.5, 12.0));
    for (int type = kPeak; type <= kSoftLowShelf; ++type)
        EXPECT_NE(Design(type, 800.0, 1.5, 0.0).b0, Design(type, 800.0, 1.5, 12.0).b0) << type;
}

TEST(BiquadDesign, ShelvesIgnoreBandwidth) {
    ExpectSame(Design(kLowShelf, 800.0, 0.1, 6.0), Design(kLowShelf, 800.0, 3.0, 6.0));
    ExpectSame(Design(kHighShelf, 800.0, 0.1, 6.0), Design(kHighShelf, 800.0, 3.0, 6.0));
}

TEST(BiquadDesign, UnknownTypesDesignALowPass) {
    ExpectSame(Design(9, 1500.0, 1.0, 3.0), Design(kLowPass, 1500.0, 1.0, 3.0));
    ExpectSame(Design(-1, 1500.0, 1.0, 3.0), Design(kLowPass, 1500.0, 1.0, 3.0));
}

TEST(BiquadDesign, FrequenciesBelowTenHzAreDesignedAtTen) {
    for (int type = kLowPass; type <= kSoftLowShelf; ++type) {
        ExpectSame(Design(type, 0.0, 1.0, -6.0), Design(type, 10.0, 1.0, -6.0));
        ExpectSame(Design(type, 3.7, 1.0, -6.0), Design(type, 10.0, 1.0, -6.0));
        ExpectSame(Design(type, -50.0, 1.0, -6.0), Design(type, 10.0, 1.0, -6.0));
    }
    EXPECT_NE(Design(kLowPass, 10.5, 1.0, 0.0).b0, Design(kLowPass, 10.0, 1.0, 0.0).b0);
}

TEST(BiquadDesign, FrequenciesTowardsHalfTheRateStayStable) {
    for (int type = kLowPass; type <= kSoftLowShelf; ++type)
        for (double f : {0.44, 0.45, 0.499, 0.5, 0.6, 1.0, 3.0})
            for (double bw : {0.05, 1.0, 3.0, 6.2})
                for (double g : {-30.0, 24.0}) {
                    const auto c = Design(type, f * kRate, bw, g);
                    EXPECT_TRUE(dsptest::Finite(c)) << type << " " << f << " " << bw;
                    EXPECT_TRUE(dsptest::Stable(c)) << type << " " << f << " " << bw;
                }
    // Designs below the limit are untouched by it.
    EXPECT_NE(Design(kPeak, 0.44 * kRate, 1.0, 6.0).b0, Design(kPeak, 0.45 * kRate, 1.0, 6.0).b0);
    ExpectSame(Design(kPeak, 0.7 * kRate, 1.0, 6.0), Design(kPeak, 0.45 * kRate, 1.0, 6.0));
}

TEST(BiquadDesign, BadInputsDesignAPassThrough) {
    const BiquadCoefficients flat;
    ExpectSame(Design(kPeak, 1000.0, 1.0, 6.0, 0.0), flat);
    ExpectSame(Design(kPeak, 1000.0, 1.0, 6.0, -48000.0), flat);
    ExpectSame(Design(kPeak, 1000.0, 1.0, 6.0, std::nan("")), flat);
    ExpectSame(Design(kPeak, 1000.0, std::nan(""), 6.0), flat);
    ExpectSame(Design(kLowShelf, 1000.0, 1.0, std::nan("")), flat);
    ExpectSame(Design(kLowShelf, 1000.0, 1.0, HUGE_VAL), flat);
}

TEST(BiquadBank, DesignWritesTheSlotAndKeepsItsState) {
    DspBank bank;
    bank.biquad.x1[70] = 0.25;
    bank.biquad.y2[70] = -0.5;
    bank.DesignBiquad(200.0, 1.0, -6.0, kRate, kLowShelf, 70);
    ExpectSame(bank.GetBiquadCoefficients(70), Design(kLowShelf, 200.0, 1.0, -6.0));
    EXPECT_EQ(bank.biquad.x1[70], 0.25);
    EXPECT_EQ(bank.biquad.y2[70], -0.5);
    // Bad slots are ignored.
    bank.DesignBiquad(200.0, 1.0, -6.0, kRate, kLowShelf, 128);
    bank.DesignBiquad(200.0, 1.0, -6.0, kRate, kLowShelf, -1);
}

TEST(BiquadBank, ProcessingMatchesTheResponseOfTheCoefficients) {
    // A sine in steady state comes out scaled by |H|: this pins the sign convention of a1, a2.
    DspBank bank;
    bank.DesignBiquad(1000.0, 0.5, 9.0, kRate, kPeak, 5);
    for (double f : {300.0, 1000.0, 1500.0}) {
        bank.ClearBiquadState(5);
        double peak = 0.0;
        for (int i = 0; i < 48000; ++i) {
            const double y = bank.ProcessBiquad(std::sin(2.0 * dsptest::kPi * f * i / kRate), 5);
            if (i > 24000) peak = std::fmax(peak, std::fabs(y));
        }
        EXPECT_NEAR(20.0 * std::log10(peak), MagnitudeDb(bank.GetBiquadCoefficients(5), f, kRate), 0.01) << f;
    }
}

TEST(BiquadBank, BlockProcessingIsBitIdenticalToSampleBySample) {
    DspBank a, b;
    a.DesignBiquad(90.0, 0.7, 0.0, kRate, kHighPass, 3);
    b.DesignBiquad(90.0, 0.7, 0.0, kRate, kHighPass, 3);
    auto x = Noise(1000, 0.7);
    std::vector<double> y = x;
    b.ProcessBiquadBlock(y.data(), 1000, 3);
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(dsptest::SameBits(a.ProcessBiquad(x[i], 3), y[i])) << i;
}

TEST(Cascade, EmptyCascadeAppliesOnlyTheGain) {
    DspBank bank;
    EXPECT_EQ(bank.ProcessCascade(0.3), 0.3);
    bank.SetCascade(0, 0.5);
    EXPECT_EQ(bank.ProcessCascade(0.3), 0.15);
    bank.SetCascade(99, 1.0);
    EXPECT_EQ(bank.CascadeCount(), DspBank::kMaxCascade);
    bank.SetCascade(-3, 1.0);
    EXPECT_EQ(bank.CascadeCount(), 0);
}

TEST(Cascade, RunsTheSectionsInSeries) {
    DspBank bank, single;
    bank.DesignBiquad(100.0, 1.0, -20.0, kRate, kSoftLowShelf, 0);
    bank.DesignBiquad(2000.0, 0.3, 6.0, kRate, kPeak, 1);
    single.DesignBiquad(100.0, 1.0, -20.0, kRate, kSoftLowShelf, 0);
    single.DesignBiquad(2000.0, 0.3, 6.0, kRate, kPeak, 1);
    bank.SetCascade(2, 0.5);
    for (double x : Noise(200, 1.0)) {
        const double expected = single.ProcessBiquad(single.ProcessBiquad(x, 0), 1) * 0.5;
        ASSERT_NEAR(bank.ProcessCascade(x), expected, 1e-15);
    }
}

TEST(Cascade, BlockRunIsBitIdenticalForEveryCountAndBlockSize) {
    const int sizes[] = {1, 2, 3, 5, 6, 7, 13, 32, 64, 100, 257, 512};
    for (int count = 0; count <= DspBank::kMaxCascade; ++count) {
        DspBank a, b;
        for (int i = 0; i < count; ++i) {
            const double f = 60.0 * std::pow(1.37, i);
            a.DesignBiquad(f, 0.2 + 0.1 * i, (i % 2 ? 7.0 : -9.0), kRate, i % 3 == 0 ? kLowShelf : kPeak, i);
            b.DesignBiquad(f, 0.2 + 0.1 * i, (i % 2 ? 7.0 : -9.0), kRate, i % 3 == 0 ? kLowShelf : kPeak, i);
        }
        a.SetCascade(count, 0.8);
        b.SetCascade(count, 0.8);
        const auto x = Noise(4000, 0.9, 77u + count);
        std::vector<double> y = x;
        int pos = 0;
        for (int k = 0; pos < 4000; ++k) {
            int n = sizes[k % 12];
            if (pos + n > 4000) n = 4000 - pos;
            b.ProcessCascadeBlock(y.data() + pos, n);
            pos += n;
        }
        for (int i = 0; i < 4000; ++i)
            ASSERT_TRUE(dsptest::SameBits(a.ProcessCascade(x[i]), y[i]))
                << "count " << count << " sample " << i;
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(a.biquad.y1[i], b.biquad.y1[i]);
            EXPECT_EQ(a.biquad.x2[i], b.biquad.x2[i]);
        }
    }
}
