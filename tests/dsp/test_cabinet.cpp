#include "Cabinet.h"
#include "DspBank.h"
#include "DspTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

// The cascade's response in dB, evaluated from the stored coefficients.
double CascadeDb(const DspBank& bank, double f, double rate) {
    std::complex<double> h = bank.CascadeGain();
    for (int i = 0; i < bank.CascadeCount(); ++i)
        h *= dsptest::Response(bank.GetBiquadCoefficients(i), f, rate);
    return 20.0 * std::log10(std::abs(h));
}

const int kOpenVoicings[] = {14, 15, 17, 18, 22, 25, 31};

} // namespace

TEST(CabinetTable, LabelsInPresetOrder) {
    EXPECT_STREQ(CabPresetLabel(0), "Cabinet Off");
    EXPECT_STREQ(CabPresetLabel(1), "Vulpane CAB1");
    EXPECT_STREQ(CabPresetLabel(14), "Metal Style");
    EXPECT_STREQ(CabPresetLabel(25), "CAB 4x12");
    EXPECT_STREQ(CabPresetLabel(31), "Marsall 1960");
    EXPECT_STREQ(CabPresetLabel(38), "90s Spirit");
    EXPECT_STREQ(CabPresetLabel(39), "");
    EXPECT_STREQ(CabPresetLabel(-1), "");
}

TEST(CabinetTable, SpotChecksOfTheVoicingData) {
    const CabVoicing* off = FindCabVoicing(0);
    ASSERT_NE(off, nullptr);
    EXPECT_EQ(off->count, 0);
    EXPECT_EQ(off->gain, 1.0);

    const CabVoicing* cab1 = FindCabVoicing(1);
    EXPECT_EQ(cab1->count, 20);
    EXPECT_EQ(cab1->sections[0].type, kSoftLowShelf);
    EXPECT_EQ(cab1->sections[0].gainDb, -26.4);
    EXPECT_EQ(cab1->sections[19].type, kHighShelf);
    EXPECT_EQ(cab1->sections[19].freqHz, 11000.0);

    const CabVoicing* jgm = FindCabVoicing(16);
    EXPECT_EQ(jgm->count, 9);
    EXPECT_EQ(jgm->sections[0].type, kPeak);
    EXPECT_EQ(jgm->sections[8].type, kLowPass);
    EXPECT_EQ(jgm->sections[8].freqHz, 4100.0);

    EXPECT_EQ(FindCabVoicing(13)->gain, 0.46);
    EXPECT_EQ(FindCabVoicing(33)->gain, 2.4);
    EXPECT_EQ(FindCabVoicing(38)->gain, 0.306);
    EXPECT_EQ(FindCabVoicing(38)->sections[11].freqHz, 440.0);
    EXPECT_EQ(FindCabVoicing(38)->sections[11].gainDb, 12.3);
    EXPECT_EQ(FindCabVoicing(11)->sections[10].type, kSoftLowShelf);
    EXPECT_EQ(FindCabVoicing(11)->sections[17].type, kHighShelf);
    EXPECT_EQ(FindCabVoicing(29)->sections[1].freqHz, 10.0);
}

TEST(CabinetTable, EveryPresetHasNineToTwentySections) {
    for (int p = 1; p < kCabPresetCount; ++p) {
        const CabVoicing* v = FindCabVoicing(p);
        ASSERT_NE(v, nullptr);
        EXPECT_GE(v->count, 9) << p;
        EXPECT_LE(v->count, 20) << p;
        EXPECT_GT(v->gain, 0.0) << p;
        EXPECT_GT(std::strlen(v->label), 0u) << p;
    }
}

TEST(CabinetTable, TheOpenVoicingsAreCabinetsInTheHouseStyle) {
    for (int p : kOpenVoicings) {
        const CabVoicing* v = FindCabVoicing(p);
        EXPECT_EQ(v->sections[0].type, kSoftLowShelf) << p;
        EXPECT_LT(v->sections[0].gainDb, -15.0) << p;
        int peaks = 0, topCuts = 0;
        for (int i = 1; i < v->count; ++i) {
            peaks += v->sections[i].type == kPeak;
            topCuts += v->sections[i].type == kHighShelf && v->sections[i].gainDb < -10.0;
        }
        EXPECT_GE(peaks, 8) << p;
        EXPECT_LE(peaks, 19) << p;
        EXPECT_GE(topCuts, 1) << p;

        DspBank bank;
        ASSERT_TRUE(DesignCabPreset(bank, p, 48000.0));
        // A speaker's band: low cut below 50 Hz, top cut above 8 kHz, a body within a few dB.
        double top = -100.0;
        for (double f = 60.0; f < 8000.0; f *= 1.02)
            top = std::fmax(top, CascadeDb(bank, f, 48000.0));
        EXPECT_GT(top, 0.0) << p;
        EXPECT_LT(top, 18.0) << p;
        EXPECT_LT(CascadeDb(bank, 30.0, 48000.0), top - 10.0) << p;
        EXPECT_LT(CascadeDb(bank, 12000.0, 48000.0), top - 15.0) << p;
        // Not a copy of another preset.
        for (int q = 1; q < kCabPresetCount; ++q) {
            if (q == p) continue;
            DspBank other;
            DesignCabPreset(other, q, 48000.0);
            double diff = 0.0;
            for (double f = 100.0; f < 8000.0; f *= 1.1)
                diff = std::fmax(diff, std::fabs(CascadeDb(bank, f, 48000.0) - CascadeDb(other, f, 48000.0)));
            EXPECT_GT(diff, 1.0) << p << " against " << q;
        }
    }
}

TEST(CabinetDesign, EveryPresetIsStableAndFiniteAtCommonRates) {
    for (double rate : {22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0}) {
        for (int p = 0; p < kCabPresetCount; ++p) {
            DspBank bank;
            ASSERT_TRUE(DesignCabPreset(bank, p, rate));
            EXPECT_EQ(bank.CascadeCount(), FindCabVoicing(p)->count);
            for (int i = 0; i < bank.CascadeCount(); ++i) {
                const BiquadCoefficients c = bank.GetBiquadCoefficients(i);
                EXPECT_TRUE(dsptest::Finite(c)) << "preset " << p << " section " << i << " rate " << rate;
                EXPECT_TRUE(dsptest::Stable(c)) << "preset " << p << " section " << i << " rate " << rate;
            }
            // The impulse response dies away within a second.
            const int second = static_cast<int>(rate);
            double head = 0.0, tail = 0.0;
            for (int k = 0; k < second; ++k) {
                const double y = std::fabs(bank.ProcessCascade(k == 0 ? 1.0 : 0.0));
                ASSERT_TRUE(std::isfinite(y));
                if (k < second / 10) head = std::fmax(head, y);
                if (k >= second - second / 10) tail = std::fmax(tail, y);
            }
            EXPECT_LT(tail, 1e-6 * head) << "preset " << p << " rate " << rate;
        }
    }
}

TEST(CabinetDesign, SectionsCarryTheirTableDesigns) {
    DspBank bank;
    DesignCabPreset(bank, 7, 44100.0);
    const CabVoicing* v = FindCabVoicing(7);
    for (int i = 0; i < v->count; ++i) {
        const CabSection& s = v->sections[i];
        const BiquadCoefficients c = bank.GetBiquadCoefficients(i);
        double db = s.gainDb;
        if (s.type == kPeak)
            db = dsptest::MagnitudeDb(c, s.freqHz, 44100.0);
        else if (s.type == kHighShelf)
            db = dsptest::MagnitudeDb(c, 22050.0, 44100.0);
        else if (s.type == kSoftLowShelf)
            db = dsptest::MagnitudeDb(c, 0.0, 44100.0);
        EXPECT_NEAR(db, s.gainDb, 1e-6) << i;
    }
}

TEST(CabinetDesign, CabinetOffPassesTheSignalUnchanged) {
    DspBank bank;
    DesignCabPreset(bank, 12, 48000.0);
    DesignCabPreset(bank, 0, 48000.0);
    for (double x : Noise(100, 1.0))
        ASSERT_EQ(bank.ProcessCascade(x), x);
}

TEST(CabinetDesign, OutOfRangePresetChangesNothing) {
    DspBank bank;
    DesignCabPreset(bank, 3, 48000.0);
    const BiquadCoefficients before = bank.GetBiquadCoefficients(4);
    EXPECT_FALSE(DesignCabPreset(bank, 39, 48000.0));
    EXPECT_FALSE(DesignCabPreset(bank, -2, 48000.0));
    EXPECT_EQ(bank.CascadeCount(), 19);
    EXPECT_EQ(bank.GetBiquadCoefficients(4).b0, before.b0);
}

TEST(CabinetDesign, ShorterPresetLeavesTheUpperSlotsStateAlone) {
    DspBank bank;
    DesignCabPreset(bank, 1, 48000.0);
    for (double x : Noise(500, 0.5))
        bank.ProcessCascade(x);
    double held[20];
    for (int i = 10; i < 20; ++i)
        held[i] = bank.biquad.y1[i];
    DesignCabPreset(bank, 2, 48000.0);
    EXPECT_EQ(bank.CascadeCount(), 10);
    std::vector<double> block = Noise(300, 0.5, 9);
    bank.ProcessCascadeBlock(block.data(), 300);
    for (int i = 10; i < 20; ++i)
        EXPECT_EQ(bank.biquad.y1[i], held[i]) << i;
}
