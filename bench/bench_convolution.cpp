// Convolution engine and FFT costs, each next to a plain baseline in the same run.
//
//   Engine/<impulse length>/<host block>    the zero-latency engine, ns per sample
//   Uniform/<impulse length>/<host block>   uniformly partitioned FFT convolution, 64-sample
//                                           partitions (64 samples of latency), ns per sample
//   EnginePlain/...                         the engine on its plain SSE2 kernels
//   EnginePeak/<impulse length>/<host block>/<rate>  worst and 99.9th-percentile host block
//                                           (thread CPU time) against the block's budget, and
//                                           the worst block position's least time (steady_max_us)
//   Fft/<size>, FftPlain/<size>, Radix2/<size>  the complex FFT family (wide and plain kernels,
//                                           forward + inverse) against a textbook radix-2
//   RealFft/<size>                          a real transform of the same size, for scale
#include "ConvolutionEngine.h"
#include "Fft.h"
#include "FftKernels.h"
#include "ImpulseBuffer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <time.h>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 48000;

std::vector<double> Noise(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-0.5, 0.5);
    std::vector<double> v(count);
    for (double& x : v)
        x = dist(rng);
    return v;
}

// A decaying noise burst, like a measured room or cabinet.
std::vector<double> DecayingImpulse(int length) {
    std::vector<double> h = Noise(length, 99);
    for (int i = 0; i < length; ++i)
        h[i] *= std::exp(-3.0 * i / std::max(1, length));
    return h;
}

// Textbook iterative radix-2 FFT on interleaved doubles: bit-reversal permutation, then
// log2 n butterfly passes with twiddles from one table of size n/2.
class Radix2Fft {
public:
    explicit Radix2Fft(int n) : n(n), cosTable(n / 2), sinTable(n / 2), rev(n) {
        for (int k = 0; k < n / 2; ++k) {
            cosTable[k] = std::cos(2.0 * kPi * k / n);
            sinTable[k] = -std::sin(2.0 * kPi * k / n);
        }
        int bits = 0;
        while ((1 << bits) < n)
            ++bits;
        for (int i = 0; i < n; ++i) {
            int r = 0;
            for (int b = 0; b < bits; ++b)
                if (i & (1 << b)) r |= 1 << (bits - 1 - b);
            rev[i] = r;
        }
    }
    void Forward(double* x) const {
        for (int i = 0; i < n; ++i)
            if (i < rev[i]) {
                std::swap(x[2 * i], x[2 * rev[i]]);
                std::swap(x[2 * i + 1], x[2 * rev[i] + 1]);
            }
        for (int len = 2; len <= n; len *= 2) {
            const int half = len / 2, step = n / len;
            for (int base = 0; base < n; base += len) {
                for (int k = 0; k < half; ++k) {
                    const double wr = cosTable[k * step], wi = sinTable[k * step];
                    double* a = x + 2 * (base + k);
                    double* b = a + 2 * half;
                    const double tr = wr * b[0] - wi * b[1];
                    const double ti = wr * b[1] + wi * b[0];
                    b[0] = a[0] - tr;
                    b[1] = a[1] - ti;
                    a[0] += tr;
                    a[1] += ti;
                }
            }
        }
    }

private:
    int n;
    std::vector<double> cosTable, sinTable;
    std::vector<int> rev;
};

void BM_Fft(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    InitFftTables();
    std::vector<double> data = Noise(2 * n, 1);
    for (auto _ : state) {
        FftForward(data.data(), n);
        FftInverse(data.data(), n);
        // Keeps the data at its level (each round trip scales it).
        for (double& v : data)
            v *= 1.0 / n;
        benchmark::DoNotOptimize(data.data());
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

void BM_FftPlain(benchmark::State& state) {
    AllowWideVectors(false);
    BM_Fft(state);
    AllowWideVectors(true);
}

void BM_Radix2(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Radix2Fft fft(n);
    std::vector<double> data = Noise(2 * n, 1);
    for (auto _ : state) {
        // Forward twice stands in for forward + inverse (the same work).
        fft.Forward(data.data());
        fft.Forward(data.data());
        for (double& v : data)
            v *= 1.0 / n;
        benchmark::DoNotOptimize(data.data());
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

void BM_RealFft(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    InitFftTables();
    std::vector<double> data = Noise(n, 1), re(n / 2), im(n / 2);
    for (auto _ : state) {
        RealFftForward(data.data(), re.data(), im.data(), n);
        RealFftInverse(re.data(), im.data(), data.data(), n);
        for (double& v : data)
            v *= 0.5 / n;
        benchmark::DoNotOptimize(data.data());
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

// Uniformly partitioned overlap-add FFT convolution: 64-sample blocks, 128-point real
// transforms, one frequency-domain delay line over the whole impulse. 64 samples of latency.
class UniformConvolver {
public:
    static constexpr int kBlock = 64;
    static constexpr int kSize = 2 * kBlock;
    static constexpr int kBins = kSize / 2;

    explicit UniformConvolver(const std::vector<double>& h) {
        InitFftTables();
        parts = std::max<int>(1, (h.size() + kBlock - 1) / kBlock);
        spectra.assign(static_cast<size_t>(parts) * 2 * kBins, 0.0f);
        ring.assign(static_cast<size_t>(parts) * 2 * kBins, 0.0);
        std::vector<double> work(kSize), re(kBins), im(kBins);
        for (int j = 0; j < parts; ++j) {
            std::fill(work.begin(), work.end(), 0.0);
            for (int i = 0; i < kBlock && j * kBlock + i < static_cast<int>(h.size()); ++i)
                work[i] = h[j * kBlock + i] / (4.0 * kSize);
            RealFftForward(work.data(), re.data(), im.data(), kSize);
            for (int p = 0; p < kBins; ++p) {
                spectra[static_cast<size_t>(j) * 2 * kBins + p] = static_cast<float>(re[p]);
                spectra[static_cast<size_t>(j) * 2 * kBins + kBins + p] = static_cast<float>(im[p]);
            }
        }
        work_.assign(kSize, 0.0);
        sum.assign(2 * kBins, 0.0);
    }

    // Output lags the input by one block.
    void Process(const double* x, double* y, int n) {
        for (int i = 0; i < n; ++i) {
            queue[queued] = x[i];
            y[i] = ready[queued];
            if (++queued == kBlock) {
                Block();
                queued = 0;
            }
        }
    }

private:
    void Block() {
        newest = (newest + 1) % parts;
        std::copy(queue, queue + kBlock, work_.begin());
        std::fill(work_.begin() + kBlock, work_.end(), 0.0);
        double* xr = &ring[static_cast<size_t>(newest) * 2 * kBins];
        RealFftForward(work_.data(), xr, xr + kBins, kSize, true);
        std::fill(sum.begin(), sum.end(), 0.0);
        double* yr = sum.data();
        double* yi = yr + kBins;
        double dc = 0.0, ny = 0.0;
        for (int j = 0; j < parts; ++j) {
            const double* ar = &ring[static_cast<size_t>((newest - j + parts) % parts) * 2 * kBins];
            const double* ai = ar + kBins;
            const float* hr = &spectra[static_cast<size_t>(j) * 2 * kBins];
            const float* hi = hr + kBins;
            dc += ar[0] * hr[0];
            ny += ai[0] * hi[0];
            for (int p = 0; p < kBins; ++p) {
                yr[p] += ar[p] * hr[p] - ai[p] * hi[p];
                yi[p] += ar[p] * hi[p] + ai[p] * hr[p];
            }
        }
        yr[0] = dc;
        yi[0] = ny;
        RealFftInverse(yr, yi, work_.data(), kSize);
        for (int i = 0; i < kBlock; ++i)
            ready[i] = work_[i] + tail[i];
        std::copy(work_.begin() + kBlock, work_.end(), tail);
    }

    int parts;
    std::vector<float> spectra;
    std::vector<double> ring;
    std::vector<double> work_;
    std::vector<double> sum;
    int newest = 0;
    double queue[kBlock] = {};
    double ready[kBlock] = {};
    double tail[kBlock] = {};
    int queued = 0;
};

void SetPerSample(benchmark::State& state, long long samples) {
    state.SetItemsProcessed(samples);
    state.counters["ns_per_sample"] = benchmark::Counter(
        static_cast<double>(samples) * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Engine/<impulse samples>/<host block>: 65536 samples per iteration, the way the audio path
// calls it.
void BM_Engine(benchmark::State& state) {
    const int length = static_cast<int>(state.range(0));
    const int block = static_cast<int>(state.range(1));
    ConvolutionEngine engine;
    const std::vector<double> h = DecayingImpulse(length);
    engine.LoadImpulse(h.data(), length);
    const int total = 65536;
    const std::vector<double> x = Noise(total, 5);
    std::vector<double> y(total);
    long long samples = 0;
    for (auto _ : state) {
        for (int pos = 0; pos < total; pos += block) {
            const int n = std::min(block, total - pos);
            engine.Process(x.data() + pos, y.data() + pos, n);
        }
        benchmark::DoNotOptimize(y.data());
        samples += total;
    }
    SetPerSample(state, samples);
}

// CPU time of this thread, so that being preempted on a busy machine does not count.
double ThreadMicros() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec * 1e-3;
}

// EnginePeak/<impulse samples>/<host block>/<rate>: the slowest host blocks (the ones in which
// the large stages complete a block or run a step), against the block's real-time budget. The
// run feeds noise for the impulse's length first, so that every partition has input to multiply,
// and then four periods of the largest stage; the figures are over all of it.
// max_us is the slowest single block, which on a shared machine also catches a block that was
// slowed from outside. steady_max_us separates the engine's own peak from that: the schedule
// repeats every 65536 samples, so each block position of that period, once every partition has
// input, is timed several times; the least of its times is its cost, and the figure is the
// dearest position.
void BM_EnginePeak(benchmark::State& state) {
    const int length = static_cast<int>(state.range(0));
    const int block = static_cast<int>(state.range(1));
    const int rate = static_cast<int>(state.range(2));
    ConvolutionEngine engine;
    const std::vector<double> h = DecayingImpulse(length);
    engine.LoadImpulse(h.data(), length);
    const int total = length + 4 * 65536;
    const std::vector<double> x = Noise(total, 5);
    std::vector<double> y(block);
    std::vector<double> times;
    times.reserve(total / block + 1);
    constexpr int kPeriod = 65536;
    std::vector<double> phaseLeast(kPeriod / block, 1e30);
    double worst = 0.0, sumMicros = 0.0;
    long long samples = 0;
    for (auto _ : state) {
        times.clear();
        for (int pos = 0; pos < total; pos += block) {
            const int n = std::min(block, total - pos);
            const double start = ThreadMicros();
            engine.Process(x.data() + pos, y.data(), n);
            benchmark::DoNotOptimize(y[n - 1]);
            times.push_back(ThreadMicros() - start);
            sumMicros += times.back();
            if (samples >= length && samples % block == 0) {
                double& least = phaseLeast[(samples % kPeriod) / block];
                least = std::min(least, times.back());
            }
            samples += n;
        }
        worst = std::max(worst, *std::max_element(times.begin(), times.end()));
    }
    double steadyWorst = 0.0;
    for (double least : phaseLeast)
        if (least < 1e30) steadyWorst = std::max(steadyWorst, least);
    std::sort(times.begin(), times.end());
    state.counters["p99_9_us"] = times[static_cast<size_t>(0.999 * (times.size() - 1))];
    state.counters["max_us"] = worst;
    state.counters["steady_max_us"] = steadyWorst;
    state.counters["mean_ns_per_sample"] = 1e3 * sumMicros / samples;
    state.counters["budget_us"] = 1e6 * block / rate;
}

// 0.1, 1, 3 and 10 s at 48 and 96 kHz in 64-sample blocks, and 10 s in 512-sample blocks.
void PeakCases(benchmark::internal::Benchmark* b) {
    for (int rate : {48000, 96000}) {
        for (int tenths : {1, 10, 30, 100})
            b->Args({rate * tenths / 10, 64, rate});
        b->Args({10 * rate, 512, rate});
    }
}

// The same engine on the plain SSE2 kernels, as 32-bit Windows and older processors run it.
void BM_EnginePlain(benchmark::State& state) {
    AllowWideVectors(false);
    BM_Engine(state);
    AllowWideVectors(true);
}

void BM_Uniform(benchmark::State& state) {
    const int length = static_cast<int>(state.range(0));
    const int block = static_cast<int>(state.range(1));
    UniformConvolver conv(DecayingImpulse(length));
    const int total = 4096;
    const std::vector<double> x = Noise(total, 5);
    std::vector<double> y(total);
    long long samples = 0;
    for (auto _ : state) {
        for (int pos = 0; pos < total; pos += block)
            conv.Process(x.data() + pos, y.data() + pos, std::min(block, total - pos));
        benchmark::DoNotOptimize(y.data());
        samples += total;
    }
    SetPerSample(state, samples);
}

void LengthsAt64(benchmark::internal::Benchmark* b) {
    for (int length : {64, 256, 1024, 4096, 16384, 24000, 48000, 96000, 192000, 240000, 384000, 480000})
        b->Args({length, 64});
}

void BlocksAtOneSecond(benchmark::internal::Benchmark* b) {
    for (int block : {1, 4, 16, 64, 256, 1024, 4096})
        b->Args({kRate, block});
}

BENCHMARK(BM_Engine)->Apply(LengthsAt64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Uniform)->Apply(LengthsAt64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnginePlain)->Apply(LengthsAt64)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnginePeak)->Apply(PeakCases)->Iterations(3);
BENCHMARK(BM_Engine)->Apply(BlocksAtOneSecond)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Uniform)->Apply(BlocksAtOneSecond)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Fft)->RangeMultiplier(4)->Range(64, 32768)->Arg(128)->Arg(512)->Arg(2048)->Arg(8192);
BENCHMARK(BM_FftPlain)->RangeMultiplier(4)->Range(64, 32768)->Arg(128)->Arg(512)->Arg(2048)->Arg(8192);
BENCHMARK(BM_Radix2)->RangeMultiplier(4)->Range(64, 32768)->Arg(128)->Arg(512)->Arg(2048)->Arg(8192);
BENCHMARK(BM_RealFft)->RangeMultiplier(2)->Range(128, 65536);

} // namespace

BENCHMARK_MAIN();
