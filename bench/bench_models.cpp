// Full chain (gate, amp model, 20-section cabinet, post EQ) at 48 kHz through SignalChain, per
// model: the block-wise path next to the plain sample-by-sample one, which it must match bit for
// bit. Counters: seconds per sample and real-time factor.
#include "SignalChain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
constexpr int kInputBlocks = 94; // about one second of input, played in a loop

std::vector<double> GuitarLikeInput() {
    std::vector<double> x(static_cast<size_t>(kBlock) * kInputBlocks);
    const double freqs[] = {82.4, 123.5, 164.8, 207.7, 246.9, 329.6};
    unsigned noise = 1;
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = (i % 24000) / kRate; // a strum every half second
        double v = 0.0;
        for (double f : freqs)
            for (int h = 1; h <= 4; ++h)
                v += std::sin(2.0 * 3.14159265358979 * f * h * t) / (h * h);
        noise = noise * 1664525u + 1013904223u;
        v += ((noise >> 9) / 8388608.0 - 1.0) * 0.01;
        x[i] = 0.08 * v * std::exp(-4.0 * t);
    }
    return x;
}

std::unique_ptr<SignalChain> MakeChain(int model) {
    auto chain = std::make_unique<SignalChain>();
    chain->Reset(kRate);
    chain->SetGateEnabled(true);
    chain->SetAmpEnabled(model >= 0); // -1: gate, cabinet and post EQ only
    chain->SetCabPreset(1);           // 20 sections
    chain->SetEqLow(2.4, 0.6);
    chain->SetEqHigh(-2.4);
    chain->SetLoudness(-9.0, 0.3);
    AmpModels& amp = chain->Amp();
    amp.SetGain(0.7);
    amp.SetTreble(0.6);
    if (model >= 0) amp.SelectModel(model);
    return chain;
}

void Render(SignalChain& chain, bool blockwise, const std::vector<double>& in, size_t at, double* out0,
            double* out1) {
    static const std::vector<double> silence(kBlock, 0.0);
    if (blockwise)
        chain.ProcessBlock(in.data() + at, silence.data(), out0, out1, kBlock);
    else
        chain.ProcessBlockSampleBySample(in.data() + at, silence.data(), out0, out1, kBlock);
}

bool SameOutput(int model, const std::vector<double>& in) {
    auto a = MakeChain(model);
    auto b = MakeChain(model);
    std::vector<double> a0(kBlock), a1(kBlock), b0(kBlock), b1(kBlock);
    for (size_t at = 0; at < in.size(); at += kBlock) {
        Render(*a, true, in, at, a0.data(), a1.data());
        Render(*b, false, in, at, b0.data(), b1.data());
        if (std::memcmp(a0.data(), b0.data(), sizeof(double) * kBlock) != 0) return false;
    }
    return true;
}

void FullChain(benchmark::State& state, bool blockwise) {
    const int model = static_cast<int>(state.range(0));
    static const std::vector<double> input = GuitarLikeInput();
    if (blockwise && !SameOutput(model, input)) {
        state.SkipWithError("block-wise output differs from sample-by-sample");
        return;
    }
    auto chain = MakeChain(model);
    std::vector<double> out0(kBlock), out1(kBlock);
    size_t at = 0;
    for (auto _ : state) {
        Render(*chain, blockwise, input, at, out0.data(), out1.data());
        benchmark::DoNotOptimize(out0.data());
        at = (at + kBlock) % input.size();
    }
    const double frames = static_cast<double>(state.iterations()) * kBlock;
    state.counters["s/sample"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_x"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

void BM_SampleBySample(benchmark::State& state) {
    FullChain(state, false);
}
void BM_Blockwise(benchmark::State& state) {
    FullChain(state, true);
}

} // namespace

BENCHMARK(BM_SampleBySample)->DenseRange(-1, 15)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Blockwise)->DenseRange(-1, 15)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
