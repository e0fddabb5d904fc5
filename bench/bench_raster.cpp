// Editor blits over a full 630 x 440 surface, next to a plain row copy as the baseline.
#include "MemoryRaster.h"
#include "RasterOps.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

const int kWidth = 630, kHeight = 440;

void Prepare(MemoryRaster& r, uint32_t seed) {
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x)
            r.Row(y)[x] = (seed * 2654435761u) ^ uint32_t(x * 97 + y * 31);
}

void BaselineRowCopy(benchmark::State& state) {
    MemoryRaster dest(4, kWidth, kHeight), src(4, kWidth, kHeight);
    Prepare(src, 1);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            std::memcpy(dest.Row(y), src.Row(y), kWidth * sizeof(uint32_t));
        benchmark::DoNotOptimize(dest.Pixels());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void Blit(benchmark::State& state, float alpha, int mode) {
    MemoryRaster dest(4, kWidth, kHeight), src(4, kWidth, kHeight);
    Prepare(src, 1);
    Prepare(dest, 2);
    for (auto _ : state) {
        CopyRect(&dest, &src, 0, 0, 0, 0, kWidth, kHeight, alpha, mode);
        benchmark::DoNotOptimize(dest.Pixels());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void CopyFullWeight(benchmark::State& s) {
    Blit(s, 1.0f, kModeCopy);
}
void CopyHalfWeight(benchmark::State& s) {
    Blit(s, 0.5f, kModeCopy);
}
void SourceAlphaFullWeight(benchmark::State& s) {
    Blit(s, 1.0f, kModeCopy | kModeSourceAlpha);
}
void SourceAlphaGrayed(benchmark::State& s) {
    Blit(s, 0.25f, kModeCopy | kModeSourceAlpha);
}

void Fill(benchmark::State& state, float alpha) {
    MemoryRaster dest(4, kWidth, kHeight);
    Prepare(dest, 3);
    for (auto _ : state) {
        FillArea(&dest, 0, 0, kWidth, kHeight, 0xff336699u, alpha, kModeCopy);
        benchmark::DoNotOptimize(dest.Pixels());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void FillQuarterFastPath(benchmark::State& s) {
    Fill(s, 0.25f);
}
void FillOtherWeight(benchmark::State& s) {
    Fill(s, 0.3f);
}

} // namespace

BENCHMARK(BaselineRowCopy);
BENCHMARK(CopyFullWeight);
BENCHMARK(CopyHalfWeight);
BENCHMARK(SourceAlphaFullWeight);
BENCHMARK(SourceAlphaGrayed);
BENCHMARK(FillQuarterFastPath);
BENCHMARK(FillOtherWeight);
BENCHMARK_MAIN();
