// The tuner view per sample: the chain passing 512-frame blocks through while the tuner collects,
// analyses (one 16384-point transform per 512 decimated samples) and updates its display, next
// to the same chain in tuner view with the tuner's work left out (a plain pass-through copy).
//
// Counters: sec_per_sample and rt_factor (times faster than real time at 48 kHz).

#include "SignalChain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr int kFrames = 512;
constexpr int kInputLength = 1 << 16;

class NullDisplay : public TunerDisplay {
public:
    void ShowTunerReading(double meter, double note, const char* text) override {
        benchmark::DoNotOptimize(meter + note + text[0]);
    }
};

std::vector<double> Sine() {
    std::vector<double> v(kInputLength);
    for (int i = 0; i < kInputLength; ++i)
        v[static_cast<size_t>(i)] = 0.4 * std::sin(2.0 * 3.14159265358979 * 110.0 * i / kRate);
    return v;
}

void Counters(benchmark::State& state) {
    state.counters["sec_per_sample"] = benchmark::Counter(
        kFrames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["rt_factor"] =
        benchmark::Counter(kFrames / kRate, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_TunerView(benchmark::State& state) {
    auto chain = std::make_unique<SignalChain>();
    chain->Initialise(kRate);
    chain->SetTunerView(true);
    NullDisplay display;
    chain->SetTunerDisplay(&display);
    const std::vector<double> in = Sine();
    std::vector<double> out0(kFrames), out1(kFrames);
    int pos = 0;
    for (auto _ : state) {
        if (pos + kFrames > kInputLength) pos = 0;
        chain->ProcessBlock(&in[pos], &in[pos], out0.data(), out1.data(), kFrames);
        benchmark::DoNotOptimize(out0.data());
        benchmark::ClobberMemory();
        pos += kFrames;
    }
    Counters(state);
}

void BM_PassThroughCopy(benchmark::State& state) {
    const std::vector<double> in = Sine();
    std::vector<double> out0(kFrames), out1(kFrames);
    int pos = 0;
    for (auto _ : state) {
        if (pos + kFrames > kInputLength) pos = 0;
        std::memcpy(out0.data(), &in[pos], sizeof(double) * kFrames);
        std::memcpy(out1.data(), &in[pos], sizeof(double) * kFrames);
        benchmark::DoNotOptimize(out0.data());
        benchmark::ClobberMemory();
        pos += kFrames;
    }
    Counters(state);
}

} // namespace

BENCHMARK(BM_TunerView);
BENCHMARK(BM_PassThroughCopy);
BENCHMARK_MAIN();
