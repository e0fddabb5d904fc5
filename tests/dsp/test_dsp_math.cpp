#include "Cabinet.h"
#include "DspBank.h"
#include "DspMath.h"
#include "DspTestUtil.h"
#include "SignalChain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

// Distance in units of the last place of the reference.
double Ulps(double value, double reference) {
    if (value == reference) return 0.0;
    const double ulp = std::nextafter(std::fabs(reference), HUGE_VAL) - std::fabs(reference);
    return std::fabs(value - reference) / ulp;
}

// Deterministic arguments spread over lo..hi.
template <typename F, typename R>
double WorstUlps(F f, R reference, double lo, double hi, int count = 200000) {
    double worst = 0.0;
    uint32_t seed = 99;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double x = lo + (hi - lo) * (seed / 4294967296.0);
        worst = std::fmax(worst, Ulps(f(x), reference(x)));
    }
    return worst;
}

uint64_t Hash(uint64_t h, double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    for (int i = 0; i < 8; ++i) {
        h ^= (bits >> (8 * i)) & 0xff;
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace

// glibc's functions are accurate to within an ulp and serve as the reference; other C libraries
// (the 32-bit Windows one uses the x87 unit) are not, which is why these functions exist.
TEST(DspMath, AgreesWithTheCLibraryToAboutAnUlp) {
#if !defined(__GLIBC__)
    GTEST_SKIP() << "the C library here is no accurate reference";
#endif
    EXPECT_LE(WorstUlps(
                  DspSin, [](double x) { return std::sin(x); }, 0.0, 3.2),
              1.0);
    EXPECT_LE(WorstUlps(
                  DspSin, [](double x) { return std::sin(x); }, -100.0, 100.0),
              1.0);
    EXPECT_LE(WorstUlps(
                  DspCos, [](double x) { return std::cos(x); }, 0.0, 3.2),
              1.0);
    EXPECT_LE(WorstUlps(
                  DspCos, [](double x) { return std::cos(x); }, -100.0, 100.0),
              1.0);
    EXPECT_LE(WorstUlps(
                  DspExp, [](double x) { return std::exp(x); }, -1.0, 1.0),
              1.0);
    EXPECT_LE(WorstUlps(
                  DspExp, [](double x) { return std::exp(x); }, -745.0, 709.0),
              1.0);
    EXPECT_LE(WorstUlps(
                  DspSinh, [](double x) { return std::sinh(x); }, -1e-3, 1e-3),
              1.0);
    EXPECT_LE(WorstUlps(
                  DspSinh, [](double x) { return std::sinh(x); }, -3.0, 3.0),
              2.0);
    EXPECT_LE(WorstUlps(
                  DspSinh, [](double x) { return std::sinh(x); }, 0.0, 700.0),
              2.0);
    EXPECT_LE(WorstUlps([](double e) { return DspPow(10.0, e); }, [](double e) { return std::pow(10.0, e); },
                        -300.0, 300.0),
              1.0);
    EXPECT_LE(WorstUlps([](double e) { return DspPow(2.0, e); }, [](double e) { return std::pow(2.0, e); },
                        -20.0, 20.0),
              1.0);
    EXPECT_LE(WorstUlps([](double b) { return DspPow(b, -4.8); }, [](double b) { return std::pow(b, -4.8); },
                        1e-3, 1e3),
              1.0);
}

TEST(DspMath, ExactAndSpecialCases) {
    EXPECT_EQ(DspPow(10.0, 0.0), 1.0);
    EXPECT_EQ(DspPow(10.0, 2.0), 100.0);
    EXPECT_EQ(DspPow(2.0, 10.0), 1024.0);
    EXPECT_EQ(DspPow(1.0, 1e300), 1.0);
    EXPECT_EQ(DspPow(0.0, 2.0), 0.0);
    EXPECT_EQ(DspPow(10.0, 400.0), HUGE_VAL);
    EXPECT_EQ(DspPow(10.0, -400.0), 0.0);
    EXPECT_TRUE(std::isnan(DspPow(std::nan(""), 2.0)));
    EXPECT_EQ(DspExp(0.0), 1.0);
    EXPECT_EQ(DspExp(-1000.0), 0.0);
    EXPECT_EQ(DspExp(1000.0), HUGE_VAL);
    EXPECT_TRUE(std::isnan(DspExp(std::nan(""))));
    EXPECT_EQ(DspSin(0.0), 0.0);
    EXPECT_EQ(DspCos(0.0), 1.0);
    EXPECT_TRUE(std::isnan(DspSin(HUGE_VAL)));
    EXPECT_EQ(DspSinh(0.0), 0.0);
    EXPECT_EQ(DspSinh(-800.0), -HUGE_VAL);
    EXPECT_GT(DspExp(-745.0), 0.0); // subnormal results are kept
}

// Coefficients and a rendered block are the same bits on every platform: these digests were
// taken on x86-64 Linux and must come out the same from the Windows builds.
TEST(DspMath, DesignsAndRenderingAreThePlatformsSameBits) {
    uint64_t designs = 1469598103934665603ull;
    for (double rate : {44100.0, 48000.0, 96000.0})
        for (int p = 0; p < kCabPresetCount; ++p) {
            DspBank bank;
            DesignCabPreset(bank, p, rate);
            for (int i = 0; i < bank.CascadeCount(); ++i) {
                const BiquadCoefficients c = bank.GetBiquadCoefficients(i);
                designs = Hash(Hash(Hash(Hash(Hash(designs, c.b0), c.b1), c.b2), c.a1), c.a2);
            }
        }

    auto chain = std::make_unique<SignalChain>();
    chain->Initialise(48000.0);
    chain->SetGateEnabled(true);
    // The units the parameter laws give for knobs at 0.4, 0.3, 0.65, 0.4, 0.3 and 0.7.
    chain->SetGateThreshold(100.0 * 0.4 - 100.0);
    chain->SetGateRelease(EnvelopeSeconds(0.3));
    chain->SetCabPreset(27);
    chain->SetEqLow(24.0 * 0.65 - 12.0, 0.65);
    chain->SetEqHigh(24.0 * 0.4 - 12.0);
    chain->SetLoudness(-30.0 * 0.3, 0.3);
    chain->SetMasterVolume(0.7);
    const auto in0 = Noise(4096, 0.5, 3);
    const auto in1 = Noise(4096, 0.1, 4);
    std::vector<double> out0(4096), out1(4096);
    chain->ProcessBlock(in0.data(), in1.data(), out0.data(), out1.data(), 4096);
    uint64_t rendered = 1469598103934665603ull;
    for (double y : out0)
        rendered = Hash(rendered, y);

    EXPECT_EQ(designs, 0xab3b5068ff8ccc27ull) << std::hex << designs;
    EXPECT_EQ(rendered, 0x1e10d63820f422c9ull) << std::hex << rendered;
}
