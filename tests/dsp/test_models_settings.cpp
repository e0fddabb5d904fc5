#include "AmpTestRig.h"
#include "Waveshapers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kRate = 48000.0;

double Nyquist() {
    return kRate / 2.0;
}

bool SameCoefficients(const BiquadCoefficients& a, const BiquadCoefficients& b) {
    return a.b0 == b.b0 && a.b1 == b.b1 && a.b2 == b.b2 && a.a1 == b.a1 && a.a2 == b.a2;
}

// Gain at the corner of a bandwidth-form high pass: Q = 1 / (2 sinh(ln 2 / 2 * bw * w0 / sin w0)).
double CornerDb(double freqHz, double bandwidthOct) {
    const double w0 = 2.0 * 3.14159265358979323846 * freqHz / kRate;
    const double q = 1.0 / (2.0 * std::sinh(std::log(2.0) / 2.0 * bandwidthOct * w0 / std::sin(w0)));
    return 20.0 * std::log10(q);
}

void ExpectHighShelf(const BiquadCoefficients& c, double cornerHz, double gainDb) {
    EXPECT_NEAR(SectionGainDb(c, 0.0, kRate), 0.0, 1e-9);
    EXPECT_NEAR(SectionGainDb(c, Nyquist(), kRate), gainDb, 1e-6);
    // The corner is where the shelf is half way in dB.
    EXPECT_NEAR(SectionGainDb(c, cornerHz, kRate), gainDb / 2.0, 1e-6);
    const double below = SectionGainDb(c, cornerHz * 0.99, kRate);
    const double above = SectionGainDb(c, cornerHz * 1.01, kRate);
    EXPECT_LT(std::fabs(below), std::fabs(gainDb / 2.0));
    EXPECT_GT(std::fabs(above), std::fabs(gainDb / 2.0));
}

} // namespace

TEST(ModelSettings, ToneShelfFollowsToneFrequency) {
    AmpTestRig rig(kRate);
    rig.amp.SetToneFreq(0.0);
    ExpectHighShelf(rig.bank->GetBiquadCoefficients(72), 4668.4, -33.882);
    EXPECT_DOUBLE_EQ(rig.amp.ToneMix(), -1.0);
    rig.amp.SetToneFreq(1.0);
    ExpectHighShelf(rig.bank->GetBiquadCoefficients(72), 16984.0, 9.93);
    EXPECT_NEAR(rig.amp.ToneMix(), 0.2, 1e-15);
}

TEST(ModelSettings, ToneBandPassCentreAndResonanceMix) {
    AmpTestRig rig(kRate);
    rig.amp.SetToneFreq(0.5); // 5500 Hz
    for (double r : {0.0, 0.5, 1.0}) {
        rig.amp.SetToneResonance(r);
        const BiquadCoefficients c = rig.bank->GetBiquadCoefficients(71);
        EXPECT_NEAR(SectionGainDb(c, 5500.0, kRate), 0.0, 1e-9);
        EXPECT_LT(SectionGainDb(c, 1000.0, kRate), -3.0);
    }
    // Narrower as the resonance rises.
    rig.amp.SetToneResonance(0.0);
    const double wide = SectionGainDb(rig.bank->GetBiquadCoefficients(71), 3000.0, kRate);
    rig.amp.SetToneResonance(1.0);
    const double narrow = SectionGainDb(rig.bank->GetBiquadCoefficients(71), 3000.0, kRate);
    EXPECT_LT(narrow, wide - 6.0);
    EXPECT_NEAR(rig.amp.ResonanceMix(), 9.0 * (0.4 + 0.08) - 0.42, 1e-12);
    rig.amp.SetToneResonance(0.0);
    EXPECT_DOUBLE_EQ(rig.amp.ResonanceMix(), -0.42);
}

TEST(ModelSettings, CleanOneGainMovesItsHighPass) {
    AmpTestRig rig(kRate);
    rig.amp.SelectModel(0);
    rig.amp.SetGain(0.0); // 0 Hz is raised to the 10 Hz floor
    BiquadCoefficients c = rig.bank->GetBiquadCoefficients(115);
    EXPECT_NEAR(SectionGainDb(c, 10.0, kRate), CornerDb(10.0, 1.4), 1e-6);
    EXPECT_NEAR(SectionGainDb(c, 1000.0, kRate), 0.0, 0.01);
    rig.amp.SetGain(1.0);
    c = rig.bank->GetBiquadCoefficients(115);
    EXPECT_NEAR(SectionGainDb(c, 900.0, kRate), CornerDb(900.0, 1.4), 1e-6);
    EXPECT_LT(SectionGainDb(c, 100.0, kRate), -30.0);
}

TEST(ModelSettings, DriveFollowsTheSelectedModelsFormula) {
    AmpTestRig rig(kRate);
    const double g = 0.3;
    rig.amp.SetGain(g);
    rig.amp.SelectModel(13);
    EXPECT_NEAR(rig.amp.Drive(), 1.0 + 199.0 * GainTaper(g), 1e-12);
    rig.amp.SelectModel(8);
    EXPECT_NEAR(rig.amp.Drive(), 2000.0 * std::pow(10.0, (0.7 * g + 0.3 - 1.0) * 5.0), 1e-9);

    rig.amp.SetGain(0.0);
    EXPECT_NEAR(rig.amp.Drive(), 2000.0 * std::pow(10.0, -3.5), 1e-12); // about 0.63
    rig.amp.SetGain(1.0);
    EXPECT_NEAR(rig.amp.Drive(), 2000.0, 1e-9);
    rig.amp.SelectModel(5);
    EXPECT_NEAR(rig.amp.Drive2(), 2000.5, 1e-9);
    rig.amp.SelectModel(9);
    EXPECT_NEAR(rig.amp.Drive2(), 0.15 * 2000.0 + 3.0, 1e-9);
    rig.amp.SetBass(0.25);
    EXPECT_DOUBLE_EQ(rig.amp.StageDrive(), 38.0 * 0.25 + 2.0);
    rig.amp.SelectModel(14);
    EXPECT_NEAR(rig.amp.Drive(), 500.0, 1e-9);
    rig.amp.SelectModel(15);
    EXPECT_NEAR(rig.amp.Drive(), 500.0, 1e-9);
}

TEST(ModelSettings, ModelChangeKeepsStatesAndRedesignsSections) {
    AmpTestRig rig(kRate);
    rig.amp.SelectModel(0);
    for (int i = 0; i < 500; ++i)
        rig.amp.Process(0.3 * std::sin(0.05 * i));
    struct {
        DspBank::BiquadArrays biquad;
        DspBank::OnePoleArrays onePoleB;
    } before{rig.bank->biquad, rig.bank->onePoleB};
    const std::vector<double> row8(rig.bank->delayLine[8].buffer.get(),
                                   rig.bank->delayLine[8].buffer.get() + rig.bank->delayLine[8].capacity);
    rig.amp.SelectModel(10);
    const DspBank::BiquadArrays& q = rig.bank->biquad;
    for (int slot = 64; slot <= 117; ++slot) {
        EXPECT_EQ(q.x1[slot], before.biquad.x1[slot]) << slot;
        EXPECT_EQ(q.x2[slot], before.biquad.x2[slot]) << slot;
        EXPECT_EQ(q.y1[slot], before.biquad.y1[slot]) << slot;
        EXPECT_EQ(q.y2[slot], before.biquad.y2[slot]) << slot;
    }
    EXPECT_EQ(rig.bank->onePoleB.y[4], before.onePoleB.y[4]);
    EXPECT_NE(before.onePoleB.y[4], 0.0);
    // Model 10's own sections are new; its rows 4..7 are zeroed, model 0's row 8 is kept.
    for (int slot : {112, 113, 114, 115, 83, 84, 85, 86, 87, 107})
        EXPECT_NE(q.b0[slot], before.biquad.b0[slot]) << slot;
    EXPECT_EQ(rig.bank->delayLine[4].lastIndex, static_cast<int>(0.0069 * kRate - 1.0));
    for (int i = 0; i < rig.bank->delayLine[4].capacity; ++i)
        ASSERT_EQ(rig.bank->delayLine[4].buffer[i], 0.0);
    EXPECT_TRUE(std::equal(row8.begin(), row8.end(), rig.bank->delayLine[8].buffer.get()));
}

TEST(ModelSettings, BadValuesChangeNothing) {
    AmpTestRig rig(kRate);
    rig.amp.SelectModel(7);
    const BiquadCoefficients bass = rig.bank->GetBiquadCoefficients(64);
    const double drive = rig.amp.Drive();
    EXPECT_FALSE(rig.amp.SelectModel(16));
    EXPECT_FALSE(rig.amp.SelectModel(-1));
    EXPECT_EQ(rig.amp.Model(), 7);
    rig.amp.SetBass(std::nan(""));
    rig.amp.SetGain(std::nan(""));
    rig.amp.SetVolume(INFINITY);
    EXPECT_TRUE(SameCoefficients(bass, rig.bank->GetBiquadCoefficients(64)));
    EXPECT_EQ(rig.amp.Drive(), drive);
    EXPECT_TRUE(std::isfinite(rig.amp.Volume()));
}

TEST(ModelSettings, KnobSectionsAlwaysMatchTheKnobs) {
    // Model 12 designs its bass, middle and treble on selection like every other model.
    AmpTestRig rig(kRate);
    rig.amp.SetBass(1.0);
    rig.amp.SetMiddle(0.0);
    rig.amp.SelectModel(12);
    EXPECT_NEAR(SectionGainDb(rig.bank->GetBiquadCoefficients(64), 100.0, kRate), 12.0, 1e-6);
    EXPECT_NEAR(SectionGainDb(rig.bank->GetBiquadCoefficients(65), 1600.0, kRate), -12.0, 1e-6);
    // Model 15's bass shelf takes the knob value on selection too, not a flat section.
    rig.amp.SelectModel(15);
    EXPECT_NEAR(SectionGainDb(rig.bank->GetBiquadCoefficients(81), 1.0, kRate), 6.0, 1e-3);
    // Its middle section depends on the treble value, whichever knob moved last.
    rig.amp.SetMiddle(0.8);
    rig.amp.SetTreble(0.2);
    const BiquadCoefficients first = rig.bank->GetBiquadCoefficients(83);
    rig.amp.SetTreble(0.2);
    rig.amp.SetMiddle(0.8);
    EXPECT_TRUE(SameCoefficients(first, rig.bank->GetBiquadCoefficients(83)));
    const double u = std::pow(1.09051, 16.0 * 0.2 - 8.0);
    EXPECT_NEAR(SectionGainDb(first, 800.0 * u, kRate), 6.0 * 0.8 - 3.0, 1e-6);
}

TEST(ModelSettings, RateChangeRedesignsTheCurrentModel) {
    AmpTestRig moved(44100.0);
    AmpTestRig fresh(96000.0);
    for (AmpTestRig* rig : {&moved, &fresh}) {
        rig->SetKnobs(0.7);
        rig->amp.SelectModel(4);
    }
    // What the signal chain does on a new rate: rows back to their start-up lengths, then the hook.
    for (int row = 0; row < 14; ++row)
        moved.bank->AllocDelayLine(0.002, 96000.0, row);
    moved.amp.SampleRateChanged(96000.0);
    for (int slot : {64, 65, 66, 71, 72, 108, 109, 110, 111, 112})
        EXPECT_TRUE(SameCoefficients(moved.bank->GetBiquadCoefficients(slot),
                                     fresh.bank->GetBiquadCoefficients(slot)))
            << slot;
    for (int row = 0; row < 14; ++row)
        EXPECT_EQ(moved.bank->delayLine[row].lastIndex, fresh.bank->delayLine[row].lastIndex) << row;
    EXPECT_EQ(moved.bank->onePoleB.c[4], fresh.bank->onePoleB.c[4]);
    EXPECT_EQ(moved.amp.SampleRate(), 96000.0);
}

namespace {
// One change of a recall: a model selection or a knob, in a random order.
void ApplyRandomChange(AmpModels& amp, unsigned& seed) {
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const double v = (next() % 1001) / 1000.0;
    switch (next() % 8) {
    case 0:
        amp.SelectModel(static_cast<int>(next() % AmpModels::kModelCount));
        break;
    case 1:
        amp.SetVolume(v);
        break;
    case 2:
        amp.SetGain(v);
        break;
    case 3:
        amp.SetToneFreq(v);
        break;
    case 4:
        amp.SetToneResonance(v);
        break;
    case 5:
        amp.SetBass(v);
        break;
    case 6:
        amp.SetMiddle(v);
        break;
    default:
        amp.SetTreble(v);
        break;
    }
}
} // namespace

// Recalls of random selections and knob moves, designed at each change in one rig and once at the
// end in the other (or, left pending, when the models next run): the same samples bit for bit,
// through every model the recalls reach. (A section the selected model does not run may keep
// another value; each model designs every section it runs on selection.)
TEST(ModelSettings, DeferredDesignsGiveTheSameSoundAsDesignsAtEachChange) {
    AmpTestRig each(kRate), once(kRate);
    unsigned seedEach = 7, seedOnce = 7, noise = 1;
    std::vector<double> a(256), b(256);
    for (int recall = 0; recall < 2000; ++recall) {
        once.amp.DeferDesigns(true);
        const int changes = 1 + recall % 12;
        for (int k = 0; k < changes; ++k) {
            ApplyRandomChange(each.amp, seedEach);
            ApplyRandomChange(once.amp, seedOnce);
        }
        const bool designNow = recall % 3 != 0;
        once.amp.DeferDesigns(false, designNow);
        if (designNow) {
            EXPECT_FALSE(once.amp.DesignsPending());
        }
        for (size_t i = 0; i < a.size(); ++i) {
            noise = noise * 1103515245u + 12345u;
            a[i] = b[i] = 0.5 * ((noise >> 9) / 4194304.0 - 1.0);
        }
        each.amp.ProcessBlock(a.data(), static_cast<int>(a.size()));
        once.amp.ProcessBlock(b.data(), static_cast<int>(b.size()));
        EXPECT_FALSE(once.amp.DesignsPending());
        ASSERT_EQ(each.amp.Model(), once.amp.Model());
        for (size_t i = 0; i < a.size(); ++i)
            ASSERT_EQ(a[i], b[i]) << "recall " << recall << " model " << each.amp.Model() << " sample " << i;

    }
}
