#include "AmpTestRig.h"
#include "Noise.h"
#include "Waveshapers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Magnitude of one frequency over the whole signal (Goertzel).
double Tone(const std::vector<double>& x, double freqHz, double rate) {
    const double k = 2.0 * std::cos(2.0 * kPi * freqHz / rate);
    double s1 = 0.0, s2 = 0.0;
    for (double v : x) {
        const double s0 = v + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return std::sqrt(s1 * s1 + s2 * s2 - k * s1 * s2) / x.size();
}

// Model 0 written out from its description on a bank of its own, knobs at 0.5 but the gain.
class CleanOneReference {
public:
    CleanOneReference(double rate, double gain) : g(gain) {
        for (int row = 8; row < 12; ++row)
            bank.AllocDelayLine(row % 2 ? 0.00027 : 0.002, rate, row);
        bank.SetOnePoleB(500, rate, 4);
        bank.DesignBiquad(87, 1.4, 0, rate, kLowPass, 108);
        bank.DesignBiquad(87, 1.4, 0, rate, kLowPass, 109);
        bank.DesignBiquad(161, 1.4, 0, rate, kLowPass, 110);
        bank.DesignBiquad(161, 1.4, 0, rate, kLowPass, 111);
        bank.DesignBiquad(6100, 5.1, 16.5, rate, kPeak, 112);
        bank.DesignBiquad(200, 2, 18, rate, kPeak, 113);
        bank.DesignBiquad(10000, 2, 9.6, rate, kPeak, 114);
        bank.DesignBiquad(900 * gain, 1.4, 0, rate, kHighPass, 115);
        bank.DesignBiquad(146, 0.1, -15, rate, kPeak, 116);
        bank.DesignBiquad(100, 3, 0, rate, kPeak, 64);
        bank.DesignBiquad(2000, 3, 0, rate, kPeak, 65);
        bank.DesignBiquad(10000, 3, 0, rate, kPeak, 66);
        const double f0 = 5500.0;
        bank.DesignBiquad(f0, (1.0 - 0.45) * 2.8, 0, rate, kBandPass, 71);
        bank.DesignBiquad(1.3684 * f0 + 3300, 0, 0.004868 * f0 - 38.75, rate, kHighShelf, 72);
    }
    double Process(double in) {
        const double u = 3.9 * in;
        const double l108 = bank.ProcessBiquad(u, 108);
        const double c8 = bank.FeedbackComb(8, 0.73, bank.ProcessBiquad(l108, 109));
        const double c9 = bank.FeedbackComb(9, 0.99, l108);
        const double l110 = bank.ProcessBiquad(u, 110);
        const double c10 = bank.FeedbackComb(10, 0.73, bank.ProcessBiquad(l110, 111));
        const double c11 = bank.FeedbackComb(11, 0.99, l110);
        const double e = u - bank.OnePoleB(u, 4);
        const double p = bank.ProcessBiquad(bank.ProcessBiquad(bank.ProcessBiquad(e, 112), 113), 114);
        const double r = (c11 + c9) * 0.5;
        const double s = c8 + c10 + p;
        // Gain 0 is the clean sum; gain 1 replaces it by the clipped high-passed sum.
        const double body = g == 0.0 ? s : SoftClip(bank.ProcessBiquad(s, 115), 0.5, 2.0);
        double w = bank.ProcessBiquad((body + r) * 0.5, 116);
        for (int slot : {64, 65, 66})
            w = bank.ProcessBiquad(w, slot);
        const double t1 = bank.ProcessBiquad(w, 72);
        const double t2 = bank.ProcessBiquad(t1, 71);
        return (-0.06 * t2 + t1) * GainTaper(0.5);
    }

private:
    DspBank bank;
    double g;
};

} // namespace

TEST(ModelChains, CleanOneGainSelectsCleanOrClippedPath) {
    for (double gain : {0.0, 1.0}) {
        AmpTestRig rig(44100.0);
        rig.amp.SetGain(gain);
        auto reference = std::make_unique<CleanOneReference>(44100.0, gain);
        const std::vector<double> in = Noise(3000, 0.4, 7);
        double peak = 0.0;
        for (double x : in) {
            const double want = reference->Process(x);
            const double got = rig.amp.Process(x);
            ASSERT_NEAR(got, want, 1e-12 * (1.0 + std::fabs(want))) << "gain " << gain;
            peak = std::fmax(peak, std::fabs(got));
        }
        EXPECT_GT(peak, 0.01);
    }
}

// Level of the band lo..hi Hz, summed over the 4 Hz bins of a quarter second.
double Band(const std::vector<double>& x, double lo, double hi, double rate) {
    double sum = 0.0;
    for (double f = lo; f <= hi; f += 4.0)
        sum += Tone(x, f, rate) * Tone(x, f, rate);
    return std::sqrt(sum);
}

TEST(ModelChains, PoltergeistModulationAddsAnOctaveDownCopy) {
    // The shifter's taps sweep 0..0.125 s in a quarter second: a copy at half the frequency.
    const double rate = 48000.0;
    double ratio[2];
    for (int on = 0; on < 2; ++on) {
        AmpTestRig rig(rate);
        rig.amp.SetGain(0.0);
        rig.amp.SetTreble(on ? 1.0 : 0.0);
        rig.amp.SelectModel(14);
        EXPECT_EQ(rig.amp.ModulationOn(), on == 1);
        std::vector<double> out;
        for (int i = 0; i < 24000; ++i) {
            const double y = rig.amp.Process(0.01 * std::sin(2.0 * kPi * 1000.0 * i / rate));
            if (i >= 12000) out.push_back(y);
        }
        ratio[on] = Band(out, 400.0, 600.0, rate) / Tone(out, 1000.0, rate);
    }
    EXPECT_LT(ratio[0], 1e-4);
    EXPECT_GT(ratio[1], 0.1);
}

TEST(ModelChains, CleanFourGainTightensTheLowEnd) {
    const double rate = 48000.0;
    double low[2];
    for (int k = 0; k < 2; ++k) {
        AmpTestRig rig(rate);
        rig.amp.SelectModel(3);
        rig.amp.SetGain(k ? 1.0 : 0.0);
        std::vector<double> out;
        for (int i = 0; i < 24000; ++i) {
            const double y = rig.amp.Process(0.05 * std::sin(2.0 * kPi * 60.0 * i / rate));
            if (i >= 12000) out.push_back(y);
        }
        low[k] = Tone(out, 60.0, rate);
    }
    EXPECT_LT(low[1], 0.3 * low[0]);
}

// Share of the output power above 4 kHz for a low E-A-D chord, in dB (Hann-windowed DFT).
double FizzDb(int model) {
    const double rate = 48000.0;
    const int size = 8192;
    AmpTestRig rig(rate);
    rig.amp.SetGain(0.7);
    rig.amp.SelectModel(model);
    std::vector<double> out;
    for (int i = 0; i < 24000 + size; ++i) {
        double x = 0.0;
        for (double f : {82.4, 123.5, 164.8})
            x += 0.1 * std::sin(2.0 * kPi * f * i / rate);
        const double y = rig.amp.Process(x);
        if (i >= 24000) out.push_back(y * (0.5 - 0.5 * std::cos(2.0 * kPi * (i - 24000) / size)));
    }
    double total = 0.0, high = 0.0;
    for (int k = 4; k < size / 2; k += 4) {
        std::complex<double> sum = 0.0;
        const std::complex<double> step = std::polar(1.0, -2.0 * kPi * k / size);
        std::complex<double> rot = 1.0;
        for (double y : out)
            sum += y * rot, rot *= step;
        total += std::norm(sum);
        if (k * rate / size >= 4000.0) high += std::norm(sum);
    }
    return 10.0 * std::log10(high / total);
}

TEST(ModelChains, DarktorsionIsDarkerThanTheOtherHighGainModels) {
    const double dark = FizzDb(12);
    EXPECT_LT(dark, FizzDb(9) - 6.0);
    EXPECT_LT(dark, FizzDb(10) - 20.0);
}

// At the host rate and on the oversampled path: each runs the graphs compiled for its shaper order.
TEST(ModelChains, BlockProcessingIsBitIdenticalToSampleBySample) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> size(1, 300);
    for (int factor : {1, 2}) {
        for (int model = 0; model < AmpModels::kModelCount; ++model) {
            AmpTestRig blockwise(48000.0 * factor, factor), single(48000.0 * factor, factor);
            ASSERT_EQ(blockwise.amp.ShaperOrder(), AmpModels::ShaperOrderFor(factor));
            for (AmpTestRig* rig : {&blockwise, &single}) {
                rig->SetKnobs(0.6);
                rig->amp.SelectModel(model);
            }
            std::vector<double> block = Noise(6000, 0.8, 100 + model);
            std::vector<double> expected = block;
            for (double& x : expected)
                x = single.amp.Process(x);
            for (size_t at = 0; at < block.size();) {
                const int n = std::min<int>(size(rng), static_cast<int>(block.size() - at));
                blockwise.amp.ProcessBlock(block.data() + at, n);
                at += n;
            }
            EXPECT_EQ(std::memcmp(block.data(), expected.data(), sizeof(double) * block.size()), 0)
                << "model " << model << " at " << factor << "x";
        }
    }
}
