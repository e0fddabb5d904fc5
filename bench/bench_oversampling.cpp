// Cost of the amp models' oversampling: gate, model, 20-section cabinet and post EQ at 48 kHz
// through SignalChain at factors 1, 2, 4 and 8 (args: model, factor). Factor 1 is the host-rate
// path, the baseline of the same run. BM_Resampler is the up/down chain alone at each factor.
// BM_Clip is one SoftClip over a block at 8x: plain (0, the baseline), with first-order (1) and
// second-order (2) antiderivative anti-aliasing. BM_SwitchInstall is the audio side of a switch
// from 2x to 8x: taking the new path in and the first 64-sample block with both paths running,
// with the path designed ahead with the settings in effect (1, as the plug-in does) or not (0).
// Counters: s/sample and realtime_x (times faster than real time on one core).
#include "AdaaStages.h"
#include "HalfBandResampler.h"
#include "SignalChain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 256;

std::vector<double> Strum() {
    std::vector<double> x(48000);
    const double freqs[] = {82.4, 123.5, 164.8, 207.7, 246.9, 329.6};
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = (i % 24000) / kRate;
        double v = 0.0;
        for (double f : freqs)
            v += std::sin(2.0 * 3.14159265358979 * f * t);
        x[i] = 0.08 * v * std::exp(-4.0 * t);
    }
    return x;
}

void Counters(benchmark::State& state, int frames) {
    const double total = static_cast<double>(state.iterations()) * frames;
    state.counters["s/sample"] =
        benchmark::Counter(total, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_x"] = benchmark::Counter(total / kRate, benchmark::Counter::kIsRate);
}

void BM_Chain(benchmark::State& state) {
    const int model = static_cast<int>(state.range(0));
    const int factor = static_cast<int>(state.range(1));
    static const std::vector<double> input = Strum();
    auto chain = std::make_unique<SignalChain>();
    chain->Reset(kRate);
    chain->SetGateEnabled(true);
    chain->SetAmpEnabled(true);
    chain->SetCabPreset(1); // 20 sections
    chain->SetEqLow(2.4, 0.6);
    chain->SetEqHigh(-2.4);
    chain->SetLoudness(-9.0, 0.3);
    chain->Amp().SetGain(0.7);
    chain->Amp().SelectModel(model);
    chain->SetOversampling(factor);
    std::vector<double> silence(kBlock, 0.0), out0(kBlock), out1(kBlock);
    size_t at = 0;
    // Past the crossfade of the factor switch.
    for (int i = 0; i < 32; ++i)
        chain->ProcessBlock(input.data() + i * kBlock, silence.data(), out0.data(), out1.data(), kBlock);
    for (auto _ : state) {
        chain->ProcessBlock(input.data() + at, silence.data(), out0.data(), out1.data(), kBlock);
        benchmark::DoNotOptimize(out0.data());
        at = (at + kBlock) % (input.size() - kBlock);
    }
    Counters(state, kBlock);
}

void BM_Resampler(benchmark::State& state) {
    const int factor = static_cast<int>(state.range(0));
    Oversampler o;
    o.Prepare(factor, kBlock);
    static const std::vector<double> input = Strum();
    std::vector<double> fast(static_cast<size_t>(kBlock) * factor), out(kBlock);
    for (auto _ : state) {
        o.Up(input.data(), kBlock, fast.data());
        o.Down(fast.data(), kBlock, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    Counters(state, kBlock);
}

void BM_Clip(benchmark::State& state) {
    const int order = static_cast<int>(state.range(0));
    static const std::vector<double> input = Strum();
    std::vector<double> y(static_cast<size_t>(kBlock) * 8);
    SoftClipAdaa1 first;
    SoftClipAdaa2 second;
    const int n = static_cast<int>(y.size());
    for (auto _ : state) {
        if (order == 0)
            for (int i = 0; i < n; ++i)
                y[static_cast<size_t>(i)] = SoftClip(input[static_cast<size_t>(i)], 0.5, 60.0);
        else if (order == 1)
            first.ProcessBlock(input.data(), y.data(), n, 0.5, 60.0);
        else
            second.ProcessBlock(input.data(), y.data(), n, 0.5, 60.0);
        benchmark::DoNotOptimize(y.data());
    }
    Counters(state, n);
}

void BM_SwitchInstall(benchmark::State& state) {
    const bool ahead = state.range(0) != 0;
    auto chain = std::make_unique<SignalChain>();
    chain->Reset(kRate);
    chain->SetAmpEnabled(true);
    chain->Amp().SelectModel(12);
    chain->Amp().SetGain(0.7);
    chain->SetOversampling(2);
    std::vector<double> x(64, 0.01), zero(64, 0.0), y0(64), y1(64);
    for (int i = 0; i < 8; ++i)
        chain->ProcessBlock(x.data(), zero.data(), y0.data(), y1.data(), 64);
    auto prepare = [&](int factor, bool designAhead) {
        std::unique_ptr<OversampledAmp> path;
        chain->PrepareOversampling(factor, path);
        if (designAhead) path->Amp().UseSettings(chain->Amp().Settings());
        return path;
    };
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<OversampledAmp> freed[3], back[3];
        // Back to 2x, and that switch ended, untimed.
        chain->InstallOversampling(2, prepare(2, true), back);
        for (int i = 0; i < 60; ++i)
            chain->ProcessBlock(x.data(), zero.data(), y0.data(), y1.data(), 64);
        std::unique_ptr<OversampledAmp> path = prepare(8, ahead);
        state.ResumeTiming();
        chain->InstallOversampling(8, std::move(path), freed);
        chain->ProcessBlock(x.data(), zero.data(), y0.data(), y1.data(), 64);
        state.PauseTiming();
        for (auto& f : freed)
            f.reset();
        for (auto& f : back)
            f.reset();
        for (int i = 0; i < 60; ++i)
            chain->ProcessBlock(x.data(), zero.data(), y0.data(), y1.data(), 64);
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_Chain)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 15, 1), {1, 2, 4, 8}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Resampler)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Clip)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SwitchInstall)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
