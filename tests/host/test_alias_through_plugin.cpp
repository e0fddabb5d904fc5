// The aliasing of the built plug-in at its default amp quality, measured as a host hears it: two of
// the hardest clippers at full gain on a -18 dBFS sine, both figures of the alias tool's method
// (AliasMeter.h), with margin below the aims of the oversampled path (-50 dB folded, -55 dB
// inharmonic below 5 kHz), and far from what the same instance gives at 1x.
#include "AliasMeter.h"
#include "BuiltPlugin.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kOversamplingOpcode = 0x56704F73; // 'VpOs'
constexpr int kGate = 0, kAmpOn = 3, kAmpModel = 4, kCab = 12, kLoudness = 15, kMaster = 16;
constexpr int kModelSwitch = 30, kModelGain = 78;

// The model at gain 1, cabinet off, EQ flat, no loudness cut, master 1; a sine of freqHz at
// -18 dBFS on the left input, analysed after the warm-up.
AliasResult MeasureThroughPlugin(HostedPlugin& p, int model, double freqHz) {
    p.SetParameter(kGate, 0.0f);
    p.SetParameter(kAmpModel, static_cast<float>(model) / 15.0f);
    p.SetParameter(kAmpOn, 1.0f);
    p.SetParameter(kModelSwitch + model, 1.0f);
    p.SetParameter(kModelGain + model, 1.0f);
    p.SetParameter(kCab, 0.0f);
    p.SetParameter(kLoudness, 0.0f);
    p.SetParameter(kMaster, 1.0f);
    const int block = 256;
    std::vector<double> left(block), right(block, 0.0), out0(block), out1(block), captured;
    double* in[] = {left.data(), right.data()};
    double* out[] = {out0.data(), out1.data()};
    const double amplitude = std::pow(10.0, kAliasLevelDb / 20.0);
    const double w = 2.0 * 3.14159265358979323846 * freqHz / kAliasRate;
    for (int at = 0; at < kAliasWarmUp + kAliasAnalysed; at += block) {
        for (int i = 0; i < block; ++i)
            left[static_cast<size_t>(i)] = amplitude * std::sin(w * (at + i));
        p.ProcessDouble(in, out, block);
        if (at >= kAliasWarmUp) captured.insert(captured.end(), out0.begin(), out0.end());
    }
    return AnalyseAlias(captured.data(), freqHz);
}

} // namespace

TEST(AliasThroughPlugin, HeavyClippersAtTheDefaultQualityFoldLittle) {
    struct Row {
        int model;
        const char* name;
    };
    for (const Row row : {Row{5, "Tube Creamer"}, Row{9, "Metal Style"}}) {
        for (const double freq : {1109.0, 2917.0}) {
            std::unique_ptr<HostedPlugin> p = LoadBuiltPlugin();
            ASSERT_TRUE(p);
            p->Start(kAliasRate, 256);
            ASSERT_EQ(p->Dispatch(effVendorSpecific, kOversamplingOpcode, 0), 2) << "the default quality";
            const AliasResult fine = MeasureThroughPlugin(*p, row.model, freq);
            EXPECT_LT(fine.foldedDb, -56.0) << row.name << " " << freq << " Hz";
            EXPECT_LT(fine.inharmonicDb, -61.0) << row.name << " " << freq << " Hz";

            std::unique_ptr<HostedPlugin> plain = LoadBuiltPlugin();
            ASSERT_TRUE(plain);
            plain->Start(kAliasRate, 256);
            ASSERT_EQ(plain->Dispatch(effVendorSpecific, kOversamplingOpcode, 1), 1);
            const AliasResult rough = MeasureThroughPlugin(*plain, row.model, freq);
            EXPECT_GT(rough.foldedDb, fine.foldedDb + 20.0) << row.name << " " << freq << " Hz at 1x";
        }
    }
}
