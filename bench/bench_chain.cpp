// The signal chain per sample: cabinet cascade and post EQ for "Cabinet Off", a 10-section and a
// 20-section preset, at several block sizes. Each block-wise run sits next to the plain
// sample-by-sample run of the same chain (ProcessBlockSampleBySample) in the same program.
//
// Counters: sec_per_sample (shown with an SI prefix, "n" = nanoseconds) and rt_factor (how many
// times faster than real time at 48 kHz).

#include "SignalChain.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr int kInputLength = 1 << 16;

std::vector<double> Noise(uint32_t seed) {
    std::vector<double> v(kInputLength);
    for (double& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = 0.4 * (static_cast<double>(seed >> 8) / 8388608.0 - 1.0);
    }
    return v;
}

template <bool kBlockwise> void BM_Chain(benchmark::State& state) {
    const int preset = static_cast<int>(state.range(0));
    const int frames = static_cast<int>(state.range(1));
    auto chain = std::make_unique<SignalChain>();
    chain->Initialise(kRate);
    chain->SetCabPreset(preset);
    chain->SetEqLow(2.4, 0.6);
    chain->SetEqHigh(-2.4);
    chain->SetLoudness(-15.0, 0.5);
    chain->SetMasterVolume(0.5);
    const std::vector<double> in0 = Noise(1), in1 = Noise(2);
    std::vector<double> out0(static_cast<size_t>(frames)), out1(static_cast<size_t>(frames));
    int pos = 0;
    for (auto _ : state) {
        if (pos + frames > kInputLength) pos = 0;
        if (kBlockwise)
            chain->ProcessBlock(&in0[pos], &in1[pos], out0.data(), out1.data(), frames);
        else
            chain->ProcessBlockSampleBySample(&in0[pos], &in1[pos], out0.data(), out1.data(), frames);
        benchmark::DoNotOptimize(out0.data());
        benchmark::ClobberMemory();
        pos += frames;
    }
    const double samples = static_cast<double>(frames);
    state.counters["sec_per_sample"] = benchmark::Counter(
        samples, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["rt_factor"] =
        benchmark::Counter(samples / kRate, benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel(preset == 0 ? "Cabinet Off" : (preset == 2 ? "10 sections" : "20 sections"));
}

// Digital silence after the tail has died away: the chain is quiet and only scans its input.
void BM_Quiet(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    auto chain = std::make_unique<SignalChain>();
    chain->Initialise(kRate);
    chain->SetCabPreset(1);
    const std::vector<double> zero(static_cast<size_t>(frames), 0.0);
    std::vector<double> out0(static_cast<size_t>(frames)), out1(static_cast<size_t>(frames));
    while (!chain->IsQuiet())
        chain->ProcessBlock(zero.data(), zero.data(), out0.data(), out1.data(), frames);
    for (auto _ : state) {
        chain->ProcessBlock(zero.data(), zero.data(), out0.data(), out1.data(), frames);
        benchmark::DoNotOptimize(out0.data());
    }
    state.counters["sec_per_sample"] =
        benchmark::Counter(static_cast<double>(frames),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetLabel("quiet, 20 sections");
}

} // namespace

int main(int argc, char** argv) {
    // Baseline and block-wise run side by side for every configuration.
    for (int preset : {0, 2, 1})
        for (int frames : {1, 32, 64, 512, 4096}) {
            benchmark::RegisterBenchmark("SampleBySample", BM_Chain<false>)->Args({preset, frames});
            benchmark::RegisterBenchmark("Blockwise", BM_Chain<true>)->Args({preset, frames});
        }
    benchmark::RegisterBenchmark("Quiet", BM_Quiet)->Arg(64)->Arg(512);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
