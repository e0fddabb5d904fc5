#include "AllocationCounter.h"
#include "Noise.h"
#include "SignalChain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace {

// A chain whose per-sample part passes in0 + in1 through unchanged.
std::unique_ptr<SignalChain> FlatChain() {
    auto chain = std::make_unique<SignalChain>();
    chain->Initialise(48000.0);
    chain->SetCabPreset(0);
    chain->SetEqLow(0.0, 0.5);
    chain->SetEqHigh(0.0);
    chain->SetLoudness(0.0, 0.0);
    chain->SetMasterVolume(1.0);
    chain->SetGateEnabled(false);
    chain->SetAmpEnabled(false);
    return chain;
}

double Db(double db) {
    return std::pow(10.0, db / 20.0);
}

TEST(ConvolutionMix, GainsFollowTheirDecibels) {
    SignalChain chain;
    EXPECT_EQ(chain.DryGain(), 0.0);
    EXPECT_EQ(chain.WetGain(), 1.0);
    EXPECT_EQ(chain.IrNorm(), 1.0);
    chain.SetDryGain(-48.0); // the bottom of the dry knob is silence
    EXPECT_EQ(chain.DryGain(), 0.0);
    chain.SetDryGain(-24.0);
    EXPECT_NEAR(chain.DryGain(), Db(-24.0), 1e-12);
    chain.SetDryGain(0.0);
    EXPECT_NEAR(chain.DryGain(), 1.0, 1e-12);
    chain.SetDryGain(12.0);
    EXPECT_NEAR(chain.DryGain(), Db(12.0), 1e-12);
    chain.SetDryGain(std::nan(""));
    EXPECT_NEAR(chain.DryGain(), Db(12.0), 1e-12);
    chain.SetDryGain(-70.0);
    EXPECT_EQ(chain.DryGain(), 0.0);
    chain.SetWetGain(-24.0);
    EXPECT_NEAR(chain.WetGain(), Db(-24.0), 1e-12);
    chain.SetWetGain(24.0);
    EXPECT_NEAR(chain.WetGain(), Db(24.0), 1e-12);
    chain.SetWetGain(30.0); // beyond the knob's range
    EXPECT_NEAR(chain.WetGain(), Db(24.0), 1e-12);
    chain.SetWetGain(0.0);
    EXPECT_NEAR(chain.WetGain(), 1.0, 1e-12);
}

// out = irNorm * wet * (x * h) + dry * x on both outputs, checked against a direct convolution.
TEST(ConvolutionMix, BlockIsConvolvedAndMixedIntoBothOutputs) {
    auto chain = FlatChain();
    const int length = 3000;
    std::vector<double> h = Noise(length, 0.4, 1);
    const double norm = 0.37;
    chain->LoadImpulse(h.data(), length, norm);
    chain->SetDryGain(-24.0);
    chain->SetWetGain(4.8);
    chain->SetConvolutionEnabled(true);
    const int total = 20000;
    const std::vector<double> in0 = Noise(total, 0.4, 2), in1 = Noise(total, 0.4, 3);
    std::vector<double> out0(total), out1(total);
    std::mt19937 rng(4);
    std::uniform_int_distribution<int> sizes(1, 6000);
    for (int pos = 0; pos < total;) {
        const int n = std::min(sizes(rng), total - pos);
        chain->ProcessBlock(&in0[pos], &in1[pos], &out0[pos], &out1[pos], n);
        pos += n;
    }
    double worst = 0.0;
    for (int i = 0; i < total; ++i) {
        double conv = 0.0;
        for (int k = 0; k <= std::min(i, length - 1); ++k)
            conv += h[k] * (in0[i - k] + in1[i - k]);
        const double want = norm * chain->WetGain() * conv + chain->DryGain() * (in0[i] + in1[i]);
        worst = std::max(worst, std::abs(out0[i] - want));
        ASSERT_EQ(out0[i], out1[i]) << i;
    }
    EXPECT_LT(worst, 1e-6);
}

TEST(ConvolutionMix, OffLeavesTheChainOutputAndNonFiniteNormCountsAsOne) {
    auto chain = FlatChain();
    std::vector<double> h(10, 0.0);
    h[3] = 1.0;
    chain->LoadImpulse(h.data(), 10, std::numeric_limits<double>::infinity());
    EXPECT_EQ(chain->IrNorm(), 1.0);
    const std::vector<double> in0 = Noise(256, 0.4, 5), in1(256, 0.0);
    std::vector<double> out0(256), out1(256);
    chain->ProcessBlock(in0.data(), in1.data(), out0.data(), out1.data(), 256);
    EXPECT_EQ(out0, in0);
    chain->SetConvolutionEnabled(true);
    chain->ProcessBlock(in0.data(), in1.data(), out0.data(), out1.data(), 256);
    // Dry gain 0 and wet 0 dB: only the delayed copy remains (of the second block's input).
    for (int i = 3; i < 256; ++i)
        ASSERT_NEAR(out0[i], in0[i - 3], 1e-7) << i;
}

TEST(ConvolutionMixRealTime, ProcessBlockWithConvolutionAllocatesNothing) {
    auto chain = FlatChain();
    chain->SetCabPreset(5);
    chain->SetGateEnabled(true);
    chain->SetAmpEnabled(true);
    const std::vector<double> h = Noise(48000 * 2, 0.4, 6);
    chain->LoadImpulse(h.data(), static_cast<int>(h.size()), 0.01);
    chain->SetDryGain(0.0);
    chain->SetConvolutionEnabled(true);
    const std::vector<double> in0 = Noise(10000, 0.4, 7), in1 = Noise(10000, 0.4, 8);
    std::vector<double> out0(10000), out1(10000);
    AllocationCounter counter;
    for (int round = 0; round < 6; ++round)
        for (int n : {1, 64, 511, 4096, 10000, 0})
            chain->ProcessBlock(in0.data(), in1.data(), out0.data(), out1.data(), n);
    EXPECT_EQ(counter.Allocations(), 0);
}

} // namespace
