#include "ConvolutionEngine.h"
#include "Fft.h"
#include "FftKernels.h"
#include "Noise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace {

// A decaying noise impulse, the shape of a measured cabinet or room.
std::vector<double> TestImpulse(int length, unsigned seed) {
    std::vector<double> h = Noise(length, 1.0, seed);
    for (int i = 0; i < length; ++i)
        h[i] *= std::exp(-2.0 * i / std::max(1, length));
    return h;
}

// Brute-force linear convolution in double precision, the first `count` output samples.
std::vector<double> DirectConvolution(const std::vector<double>& x, const std::vector<double>& h, int count) {
    std::vector<double> y(count, 0.0);
    for (int i = 0; i < std::min<int>(count, x.size()); ++i) {
        if (x[i] == 0.0) continue;
        const int taps = std::min<int>(h.size(), count - i);
        for (int k = 0; k < taps; ++k)
            y[i + k] += x[i] * h[k];
    }
    return y;
}

// Runs the engine the way the audio path does, block by block; every block must come back
// complete (zero latency). blockSize 0 picks random sizes in 1..4096.
std::vector<double> RunEngine(ConvolutionEngine& engine, const std::vector<double>& x, int blockSize,
                              unsigned seed = 1) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> sizes(1, 4096);
    std::vector<double> y;
    y.reserve(x.size());
    for (size_t pos = 0; pos < x.size();) {
        const int n = std::min<int>(blockSize > 0 ? blockSize : sizes(rng), x.size() - pos);
        y.resize(pos + n);
        const int ready = engine.Process(x.data() + pos, y.data() + pos, n);
        EXPECT_EQ(ready, n) << "block at " << pos << " came back short";
        if (ready < n) return y;
        pos += n;
    }
    return y;
}

double Peak(const std::vector<double>& v) {
    double p = 0.0;
    for (double s : v)
        p = std::max(p, std::abs(s));
    return p;
}

void ExpectClose(const std::vector<double>& got, const std::vector<double>& want, double tolerance,
                 const char* what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < got.size(); ++i)
        ASSERT_NEAR(got[i], want[i], tolerance) << what << ": sample " << i;
}

TEST(ConvolutionPlan, PiecesTileTheImpulseAndHideEveryBlockDelay) {
    for (int length :
         {1, 63, 64, 65, 100, 191, 192, 500, 1000, 4097, 20000, 100000, 163840, 163841, 960000}) {
        const std::vector<ConvolutionEngine::Piece> plan = ConvolutionEngine::Plan(length);
        int next = 0;
        for (const ConvolutionEngine::Piece& p : plan) {
            EXPECT_EQ(p.offset, next) << "length " << length;
            EXPECT_GT(p.length, 0);
            if (p.offset == 0) {
                EXPECT_EQ(p.fftSize, 0) << "the head is direct, length " << length;
                EXPECT_LE(p.length, 64);
            } else {
                EXPECT_GT(p.fftSize, 0) << "length " << length;
                EXPECT_LE(p.fftSize / 2, p.offset) << "block longer than its offset, length " << length;
                EXPECT_LE(p.fftSize, 65536);
            }
            next += p.length;
        }
        EXPECT_EQ(next, length);
    }
    const std::vector<ConvolutionEngine::Piece> p500 = ConvolutionEngine::Plan(500);
    ASSERT_EQ(p500.size(), 2u);
    EXPECT_EQ(p500[1].offset, 64);
    EXPECT_EQ(p500[1].fftSize, 128);
    const std::vector<ConvolutionEngine::Piece> p100 = ConvolutionEngine::Plan(100);
    ASSERT_EQ(p100.size(), 2u);
    EXPECT_EQ(p100[0].length, 64);
    EXPECT_EQ(p100[1].length, 36);
    // The 32768-point stage starts at 24576, half a block later than its block needs, and up to
    // 24576 + 524288 samples takes the whole rest; beyond, one 65536-point stage from offset
    // 73728 on does.
    const std::vector<ConvolutionEngine::Piece> pMid = ConvolutionEngine::Plan(24576 + 524288);
    EXPECT_EQ(pMid.back().offset, 24576);
    EXPECT_EQ(pMid.back().fftSize, 32768);
    const std::vector<ConvolutionEngine::Piece> pLong = ConvolutionEngine::Plan(24576 + 524289);
    ASSERT_EQ(pLong.size(), 7u);
    EXPECT_EQ(pLong[4].offset, 4096);
    EXPECT_EQ(pLong[4].length, 20480);
    EXPECT_EQ(pLong[5].offset, 24576);
    EXPECT_EQ(pLong[5].length, 49152);
    EXPECT_EQ(pLong.back().offset, 73728);
    EXPECT_EQ(pLong.back().fftSize, 65536);
    for (const ConvolutionEngine::Piece& p : pLong) {
        if (p.fftSize < 32768) continue;
        EXPECT_GE(2 * p.offset, 3 * (p.fftSize / 2)) << "no slack at " << p.offset;
    }
}

TEST(ConvolutionEngine, MatchesDirectConvolutionWithRandomBlocksFromTheFirstSample) {
    for (int length : {1, 63, 64, 65, 100, 191, 192, 500, 1000, 4097, 20000, 100000}) {
        const std::vector<double> h = TestImpulse(length, length);
        // Long impulses get a short burst of noise followed by silence to ring out in.
        const int signal = length > 20000 ? 3000 : 3 * length + 9000;
        std::vector<double> x = Noise(signal, 1.0, 7 + length);
        x.resize(signal + length + 5000, 0.0);
        ConvolutionEngine engine;
        engine.LoadImpulse(h.data(), length);
        const std::vector<double> want = DirectConvolution(x, h, x.size());
        const std::vector<double> got = RunEngine(engine, x, 0, length);
        ExpectClose(got, want, 1e-6 * Peak(want), ("impulse length " + std::to_string(length)).c_str());
    }
}

// The plain SSE2 kernels (what 32-bit Windows and older processors run) against the same
// brute force, whichever kernels this machine would choose.
TEST(ConvolutionEngine, PlainKernelsMatchDirectConvolution) {
    struct PlainKernels {
        PlainKernels() { AllowWideVectors(false); }
        ~PlainKernels() { AllowWideVectors(true); }
    } plain;
    for (int length : {65, 1000, 12000}) {
        const std::vector<double> h = TestImpulse(length, 70 + length);
        std::vector<double> x = Noise(length + 9000, 1.0, 71);
        x.resize(2 * length + 9000, 0.0);
        ConvolutionEngine engine;
        engine.LoadImpulse(h.data(), length);
        const std::vector<double> want = DirectConvolution(x, h, x.size());
        ExpectClose(RunEngine(engine, x, 0, 72), want, 1e-6 * Peak(want), "plain kernels");
        ConvolutionEngine a, b;
        a.LoadImpulse(h.data(), length);
        b.LoadImpulse(h.data(), length);
        EXPECT_EQ(RunEngine(a, x, 1), RunEngine(b, x, 4096)) << "length " << length;
    }
}

TEST(ConvolutionEngine, UnitImpulseAtZeroReproducesTheInputExactly) {
    for (int length : {1, 5000}) {
        std::vector<double> h(length, 0.0);
        h[0] = 1.0;
        ConvolutionEngine engine;
        engine.LoadImpulse(h.data(), length);
        const std::vector<double> x = Noise(20000, 1.0, 3);
        EXPECT_EQ(RunEngine(engine, x, 0), x) << "length " << length;
    }
}

TEST(ConvolutionEngine, UnitImpulseAtThousandDelaysByThousand) {
    std::vector<double> h(1001, 0.0);
    h[1000] = 1.0;
    ConvolutionEngine engine;
    engine.LoadImpulse(h.data(), static_cast<int>(h.size()));
    const std::vector<double> x = Noise(12000, 1.0, 4);
    const std::vector<double> y = RunEngine(engine, x, 0);
    ASSERT_EQ(y.size(), x.size());
    for (int i = 0; i < 1000; ++i)
        ASSERT_NEAR(y[i], 0.0, 1e-6) << i;
    for (size_t i = 1000; i < y.size(); ++i)
        ASSERT_NEAR(y[i], x[i - 1000], 1e-6) << i;
    // Only the stage whose piece holds position 1000 multiplies anything: the others transform
    // no input and run no inverse.
    for (int s = 0; s < engine.StageCount(); ++s) {
        const ConvolutionEngineStage& st = engine.Stage(s);
        const bool holds = st.Offset() <= 1000 && 1000 < st.Offset() + st.Length();
        EXPECT_EQ(st.Transforms() > 0, holds && !st.IsDirect()) << "stage at " << st.Offset();
    }
}

TEST(ConvolutionEngine, SilentImpulseGivesSilenceWithoutTransforms) {
    std::vector<double> h(30000, 1e-17);
    ConvolutionEngine engine;
    engine.LoadImpulse(h.data(), static_cast<int>(h.size()));
    const std::vector<double> y = RunEngine(engine, Noise(50000, 1.0, 5), 0);
    // The direct head convolves whatever it is given; the FFT stages skip everything.
    EXPECT_LT(Peak(y), 1e-15);
    EXPECT_EQ(engine.TransformCount(), 0);
}

TEST(ConvolutionEngine, SilenceAfterSignalRingsOutThenStops) {
    const int length = 4097;
    const std::vector<double> h = TestImpulse(length, 9);
    std::vector<double> x = Noise(6000, 1.0, 10);
    // Below the silence threshold of an input block, so whole blocks of it count as silent.
    for (int i = 0; i < 40000; ++i)
        x.push_back(i % 2 ? 1e-7 : -1e-7);
    ConvolutionEngine engine;
    engine.LoadImpulse(h.data(), length);
    std::vector<double> signalPart(x.begin(), x.begin() + 6000);
    const std::vector<double> want = DirectConvolution(signalPart, h, 6000 + length);
    const std::vector<double> y = RunEngine(engine, x, 64);
    // The tail rings out (the direct head keeps convolving the tiny residue)...
    for (int i = 0; i < 6000 + length; ++i)
        ASSERT_NEAR(y[i], want[i], 1e-6 * Peak(want)) << i;
    // ...and then only the head's response to the residue remains.
    for (size_t i = 6000 + length + 8192; i < y.size(); ++i)
        ASSERT_LT(std::abs(y[i]), 1e-5) << i;
    // Once the tails are out the FFT stages transform nothing more.
    const long long before = engine.TransformCount();
    RunEngine(engine, std::vector<double>(20000, 1e-7), 512);
    EXPECT_EQ(engine.TransformCount(), before);
}

TEST(ConvolutionEngine, BlockSizesOneAnd4096GiveIdenticalStreams) {
    for (int length : {65, 192, 5000, 40000}) {
        const std::vector<double> h = TestImpulse(length, 20 + length);
        const std::vector<double> x = Noise(3 * 4096 + length, 1.0, 21);
        ConvolutionEngine a, b;
        a.LoadImpulse(h.data(), length);
        b.LoadImpulse(h.data(), length);
        EXPECT_EQ(RunEngine(a, x, 1), RunEngine(b, x, 4096)) << "length " << length;
    }
}

TEST(ConvolutionEngine, BlocksLargerThanTheReserveStillComeBackWhole) {
    const int length = 3000;
    const std::vector<double> h = TestImpulse(length, 30);
    const std::vector<double> x = Noise(50000, 1.0, 31);
    ConvolutionEngine engine;
    engine.LoadImpulse(h.data(), length);
    const std::vector<double> want = DirectConvolution(x, h, x.size());
    ExpectClose(RunEngine(engine, x, 10000), want, 1e-6 * Peak(want), "10000-sample blocks");
}

TEST(ConvolutionEngine, TenSecondImpulseAt96kHz) {
    const int length = 960000;
    const std::vector<double> h = TestImpulse(length, 40);
    std::vector<double> x = Noise(20000, 1.0, 41);
    x.resize(length + 30000, 0.0);
    ConvolutionEngine engine;
    engine.LoadImpulse(h.data(), length);
    EXPECT_EQ(engine.Stage(engine.StageCount() - 1).FftSize(), 65536);
    const std::vector<double> y = RunEngine(engine, x, 0);
    ASSERT_EQ(y.size(), x.size());
    double peak = 0.0;
    std::vector<std::pair<int, double>> checks;
    for (int i = 0; i < static_cast<int>(x.size()); i += 1999) {
        double s = 0.0;
        for (int k = std::max(0, i - length + 1); k <= std::min(i, 19999); ++k)
            s += x[k] * h[i - k];
        checks.push_back({i, s});
        peak = std::max(peak, std::abs(s));
    }
    for (const auto& c : checks)
        ASSERT_NEAR(y[c.first], c.second, 1e-6 * peak) << c.first;
}

// The real transforms run step by step (as the spread stages run them), whole steps or steps cut
// into parts, give exactly the whole transforms, on both kernel families.
TEST(RealFftSteps, StepByStepEqualsTheWholeTransform) {
    for (bool wide : {true, false}) {
        AllowWideVectors(wide);
        for (int n = kRealFftMinSize; n <= kRealFftMaxSize; n *= 2) {
            for (bool upperZero : {false, true}) {
                std::vector<double> x = Noise(n, 1.0, n);
                if (upperZero) std::fill(x.begin() + n / 2, x.end(), 0.0);
                std::vector<double> a = x, b = x, ar(n / 2), ai(n / 2), br(n / 2), bi(n / 2);
                RealFftForward(a.data(), ar.data(), ai.data(), n, upperZero);
                for (int s = 0; s < RealFftStepCount(n); ++s)
                    RealFftForwardStep(b.data(), br.data(), bi.data(), n, s, upperZero);
                ASSERT_EQ(ar, br) << "n " << n;
                ASSERT_EQ(ai, bi) << "n " << n;
                // Steps cut into parts, run last part first.
                for (int parts : {2, 3, 8, 64}) {
                    std::vector<double> c = x, cr(n / 2), ci(n / 2);
                    for (int s = 0; s < RealFftStepCount(n); ++s)
                        for (int part = parts - 1; part >= 0; --part)
                            RealFftForwardStepPart(c.data(), cr.data(), ci.data(), n, s, part, parts,
                                                   upperZero);
                    ASSERT_EQ(cr, ar) << "n " << n << ", " << parts << " parts";
                    ASSERT_EQ(ci, ai) << "n " << n << ", " << parts << " parts";
                    for (int s = 0; s < RealFftStepCount(n); ++s)
                        for (int part = parts - 1; part >= 0; --part)
                            RealFftInverseStepPart(cr.data(), ci.data(), c.data(), n, s, part, parts);
                    std::vector<double> whole(n);
                    RealFftInverse(ar.data(), ai.data(), whole.data(), n);
                    ASSERT_EQ(c, whole) << "n " << n << ", " << parts << " parts";
                }
                RealFftInverse(ar.data(), ai.data(), a.data(), n);
                for (int s = 0; s < RealFftStepCount(n); ++s)
                    RealFftInverseStep(br.data(), bi.data(), b.data(), n, s);
                ASSERT_EQ(a, b) << "n " << n;
            }
        }
    }
    AllowWideVectors(true);
}

// The fronts (forward run as its input arrives, inverse as its output is taken) give exactly the
// whole transforms however the samples come and go: one at a time, in odd runs, in one go.
TEST(RealFftFronts, ArrivalOrderNeverChangesTheBits) {
    for (bool wide : {true, false}) {
        AllowWideVectors(wide);
        for (int n = 16; n <= kRealFftMaxSize; n *= 2) {
            std::vector<double> x = Noise(n, 1.0, n + 3);
            std::fill(x.begin() + n / 2, x.end(), 0.0);
            std::vector<double> a = x, ar(n / 2), ai(n / 2);
            RealFftForward(a.data(), ar.data(), ai.data(), n, true);
            std::vector<double> inverse(n);
            RealFftInverse(ar.data(), ai.data(), inverse.data(), n);
            for (int run : {1, 37, 64, n / 2}) {
                // Garbage in the upper half and beyond the samples in place: never read.
                std::vector<double> b(n, 1e300), br(n / 2), bi(n / 2);
                RealFftForwardFront forward;
                forward.Reset(n);
                for (int ready = 0; ready < n / 2;) {
                    const int step = std::min(run, n / 2 - ready);
                    std::copy(x.begin() + ready, x.begin() + ready + step, b.begin() + ready);
                    ready += step;
                    forward.Advance(b.data(), ready);
                }
                forward.Finish(b.data(), br.data(), bi.data());
                ASSERT_EQ(br, ar) << "n " << n << ", run " << run;
                ASSERT_EQ(bi, ai) << "n " << n << ", run " << run;
                std::vector<double> c(n, 1e300);
                RealFftInverseFront back;
                back.Start(br.data(), bi.data(), c.data(), n);
                int final = 0;
                for (int needed = 0; !back.Finished();) {
                    needed = std::min(n, needed + run);
                    const int before = final;
                    final = back.Advance(c.data(), needed);
                    ASSERT_GE(final, needed);
                    // What is reported final already holds the whole transform's values.
                    for (int i = before; i < final; ++i)
                        ASSERT_EQ(c[i], inverse[i]) << "n " << n << ", run " << run << ", sample " << i;
                }
                ASSERT_EQ(final, n);
                ASSERT_EQ(c, inverse) << "n " << n << ", run " << run;
            }
        }
    }
    AllowWideVectors(true);
}

// Impulses long enough for the stages that spread their work over host calls: the 8192-point
// stage runs its transforms as fronts, the 32768-point stage and the 65536-point stage of the
// longest defer whole blocks. Every host block pattern (single samples, odd, large, random
// 1..8192 changing every call) gives the same stream, and that stream is the direct convolution.
TEST(ConvolutionEngine, SpreadStagesMatchDirectConvolutionForEveryBlockPattern) {
    using Spread = ConvolutionEngineStage::Spread;
    for (int length : {60000, 200000, 600000}) {
        const std::vector<double> h = TestImpulse(length, 90 + length);
        const int signal = 80000;
        std::vector<double> x = Noise(signal, 1.0, 91);
        x.resize(signal + length + 20000, 0.0);
        std::vector<std::vector<double>> runs;
        for (int pattern : {1, 37, 8192, 0}) {
            ConvolutionEngine engine;
            engine.LoadImpulse(h.data(), length);
            std::mt19937 rng(pattern + length);
            std::uniform_int_distribution<int> sizes(1, 8192);
            std::vector<double> y(x.size());
            for (size_t pos = 0; pos < x.size();) {
                const int n = std::min<int>(pattern > 0 ? pattern : sizes(rng), x.size() - pos);
                ASSERT_EQ(engine.Process(x.data() + pos, y.data() + pos, n), n) << "block at " << pos;
                pos += n;
            }
            runs.push_back(y);
            if (pattern != 1) continue;
            int fronts = 0, deferred = 0;
            for (int s = 0; s < engine.StageCount(); ++s) {
                fronts += engine.Stage(s).SpreadMode() == Spread::TransformsAsFed;
                deferred += engine.Stage(s).SpreadMode() == Spread::WholeBlockDeferred;
            }
            EXPECT_EQ(fronts, 1) << "length " << length;
            EXPECT_EQ(deferred, length > 24576 + 524288 ? 2 : 1) << "length " << length;
        }
        for (size_t r = 1; r < runs.size(); ++r)
            EXPECT_EQ(runs[r], runs[0]) << "length " << length << ", pattern " << r;
        std::vector<std::pair<int, double>> checks;
        double peak = 0.0;
        for (int i = 0; i < static_cast<int>(x.size()); i += 997) {
            double s = 0.0;
            for (int k = std::max(0, i - length + 1); k <= std::min(i, signal - 1); ++k)
                s += x[k] * h[i - k];
            checks.push_back({i, s});
            peak = std::max(peak, std::abs(s));
        }
        for (const auto& c : checks)
            ASSERT_NEAR(runs[0][c.first], c.second, 1e-6 * peak)
                << "length " << length << ", sample " << c.first;
    }
}

// FNV-1a hash over the bits of the engine's output for a fixed render: a decaying noise impulse
// (decay by repeated multiplication, so no library function enters) convolved with noise, in
// 64-sample blocks, on the plain kernels.
[[maybe_unused]] uint64_t RenderHash(int length) {
    std::vector<double> h = Noise(length, 1.0, 700 + length);
    double gain = 1.0;
    const double decay = 1.0 - 4.0 / length;
    for (double& v : h) {
        v *= gain;
        gain *= decay;
    }
    std::vector<double> x = Noise(length + 2 * 65536, 0.5, 701);
    // A stretch of silence, which the stages skip.
    std::fill(x.begin() + length / 2, x.begin() + length / 2 + 40000, 0.0);
    AllowWideVectors(false);
    ConvolutionEngine engine;
    engine.LoadImpulse(h.data(), length);
    std::vector<double> y(x.size());
    for (size_t pos = 0; pos < x.size(); pos += 64)
        engine.Process(x.data() + pos, y.data() + pos, std::min<int>(64, x.size() - pos));
    AllowWideVectors(true);
    uint64_t hash = 1469598103934665603ull;
    for (double v : y) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int b = 0; b < 8; ++b) {
            hash ^= (bits >> (8 * b)) & 0xff;
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

// How the stages cut their work over host calls must not change a bit of the output: the hashes
// were taken from an engine that did each middle stage's block whole in the call completing it,
// so they pin the arithmetic, not the schedule. The plain kernels are SSE2 on every x86-64
// build; the wide kernels depend on the processor, so they are left to the direct-convolution
// checks. The transforms' twiddles come from the C library's cos and sin, whose last bits differ
// between C libraries, so the hashes hold for the Linux build only.
TEST(ConvolutionEngine, SpreadingKeepsEveryBitOfTheOutput) {
#if defined(__x86_64__) && defined(__linux__)
    const std::pair<int, uint64_t> renders[] = {
        {3000, 0x08139c834e1d7598ull},
        {20000, 0x5df7b6bfb2edfaa1ull},
        {48000, 0x328814ab2a586f0full},
        {600000, 0xe465cf6f630338c6ull},
    };
    for (const auto& r : renders)
        EXPECT_EQ(RenderHash(r.first), r.second) << "length " << r.first;
#else
    GTEST_SKIP() << "hashes are for the x86-64 Linux build";
#endif
}

TEST(ConvolutionEngine, EmptyImpulseConvolvesToSilenceInPlace) {
    ConvolutionEngine engine;
    engine.LoadImpulse(ImpulseBuffer{});
    EXPECT_EQ(engine.StageCount(), 0); // no impulse, no stage to hold
    // In place, and longer than the engine's reserve, which runs in pieces.
    std::vector<double> x = Noise(ConvolutionEngine::kReserveBlock + 100, 1.0, 50);
    EXPECT_EQ(engine.Process(x.data(), x.data(), static_cast<int>(x.size())), static_cast<int>(x.size()));
    EXPECT_EQ(Peak(x), 0.0);
    EXPECT_EQ(engine.Process(x.data(), x.data(), 0), 0);
    EXPECT_EQ(engine.Process(nullptr, x.data(), 10), 0);
}

TEST(ConvolutionEngine, NonFiniteImpulseSamplesCountAsSilence) {
    std::vector<double> h = TestImpulse(3000, 80);
    std::vector<double> clean = h;
    h[5] = std::nan("");
    h[2000] = std::numeric_limits<double>::infinity();
    clean[5] = clean[2000] = 0.0;
    ConvolutionEngine engine;
    EXPECT_TRUE(engine.LoadImpulse(h.data(), static_cast<int>(h.size())));
    const std::vector<double> x = Noise(8000, 1.0, 81);
    const std::vector<double> want = DirectConvolution(x, clean, x.size());
    ExpectClose(RunEngine(engine, x, 0), want, 1e-6 * Peak(want), "non-finite samples");
}

TEST(ConvolutionEngine, ImpulseBufferUsesChannelZero) {
    ImpulseBuffer buffer;
    buffer.Resize(2, 300);
    EXPECT_EQ(buffer.Length(), 300);
    buffer.channels[0][7] = 0.5;
    buffer.channels[1][3] = 1.0;
    ConvolutionEngine engine;
    engine.LoadImpulse(buffer);
    std::vector<double> x = Noise(2000, 1.0, 60);
    const std::vector<double> y = RunEngine(engine, x, 0);
    for (size_t i = 7; i < x.size(); ++i)
        ASSERT_NEAR(y[i], 0.5 * x[i - 7], 1e-7) << i;
}

} // namespace
