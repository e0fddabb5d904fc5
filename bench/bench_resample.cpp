// Loading an impulse: the band-limited resampling of one second of impulse from common file
// rates to common host rates, and the plain copy at equal rates.
//
// Time per iteration is the load-time cost of one second of impulse at the file's rate.

#include "ConvolutionEngine.h"
#include "WavImpulse.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

void BM_Resample(benchmark::State& state) {
    const double fromRate = static_cast<double>(state.range(0));
    const double toRate = static_cast<double>(state.range(1));
    std::vector<double> in(static_cast<size_t>(fromRate));
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = std::exp(-5.0 * static_cast<double>(i) / fromRate) * std::sin(0.1 * static_cast<double>(i));
    std::vector<double> out;
    for (auto _ : state) {
        ResampleImpulse(in, fromRate, toRate, ConvolutionEngine::kMaxImpulseLength, out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Resample)
    ->Args({48000, 48000})
    ->Args({44100, 48000})
    ->Args({48000, 44100})
    ->Args({96000, 48000})
    ->Args({96000, 44100})
    ->Args({192000, 48000})
    ->Args({44100, 96000})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
