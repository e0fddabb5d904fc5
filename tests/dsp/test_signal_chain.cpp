#include "Cabinet.h"
#include "DspTestUtil.h"
#include "SignalChain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>
#define TEST_HAS_MXCSR 1
#endif

namespace {

constexpr double kRate = 48000.0;

struct Rendered {
    std::vector<double> out0, out1;
};

// Runs the whole input through the chain in blocks of `block` samples.
Rendered Render(SignalChain& chain, const std::vector<double>& in0, const std::vector<double>& in1, int block,
                bool sampleBySample = false) {
    const int n = static_cast<int>(in0.size());
    Rendered r{std::vector<double>(in0.size()), std::vector<double>(in0.size())};
    for (int pos = 0; pos < n; pos += block) {
        const int len = std::min(block, n - pos);
        if (sampleBySample)
            chain.ProcessBlockSampleBySample(&in0[pos], &in1[pos], &r.out0[pos], &r.out1[pos], len);
        else
            chain.ProcessBlock(&in0[pos], &in1[pos], &r.out0[pos], &r.out1[pos], len);
    }
    return r;
}

std::unique_ptr<SignalChain> MakeChain(double rate = kRate) {
    auto chain = std::make_unique<SignalChain>();
    chain->Initialise(rate);
    return chain;
}

// Every stage doing something: gate, amp hook, a 20-section cabinet, a non-flat post EQ.
void Busy(SignalChain& chain) {
    chain.SetGateEnabled(true);
    chain.SetGateThreshold(-70.0);
    chain.SetGateRelease(EnvelopeSeconds(0.2));
    chain.SetAmpEnabled(true);
    chain.SetCabPreset(36);
    chain.SetEqLow(4.8, 0.7);
    chain.SetEqHigh(-3.6);
    chain.SetLoudness(-12.0, 0.4);
    chain.SetMasterVolume(0.8);
}

void Flat(SignalChain& chain) {
    chain.SetCabPreset(0);
    chain.SetEqLow(0.0, 0.5);
    chain.SetEqHigh(0.0);
    chain.SetLoudness(0.0, 0.0);
    chain.SetMasterVolume(1.0);
    chain.SetGateEnabled(false);
    chain.SetAmpEnabled(false);
}

double Peak(const std::vector<double>& v, size_t from, size_t to) {
    double p = 0.0;
    for (size_t i = from; i < to && i < v.size(); ++i)
        p = std::fmax(p, std::fabs(v[i]));
    return p;
}

} // namespace

TEST(SignalChain, CabinetOffWithFlatSettingsOutputsTheSumExactly) {
    auto chain = MakeChain();
    Flat(*chain);
    const auto in0 = Noise(10000, 0.5, 1);
    const auto in1 = Noise(10000, 0.5, 2);
    const Rendered r = Render(*chain, in0, in1, 64);
    for (size_t i = 0; i < in0.size(); ++i) {
        ASSERT_EQ(r.out0[i], in0[i] + in1[i]) << i;
        ASSERT_EQ(r.out1[i], in0[i] + in1[i]) << i;
    }
}

TEST(SignalChain, ProcessesInPlace) {
    auto chain = MakeChain();
    Busy(*chain);
    auto reference = MakeChain();
    Busy(*reference);
    const auto in0 = Noise(3000, 0.3, 3);
    const auto in1 = Noise(3000, 0.3, 4);
    const Rendered expected = Render(*reference, in0, in1, 100);
    std::vector<double> b0 = in0, b1 = in1;
    for (int pos = 0; pos < 3000; pos += 100)
        chain->ProcessBlock(&b0[pos], &b1[pos], &b0[pos], &b1[pos], 100);
    EXPECT_EQ(b0, expected.out0);
    EXPECT_EQ(b1, expected.out1);
}

TEST(SignalChain, OutputDoesNotDependOnTheBlockSize) {
    const auto in0 = Noise(48000, 0.4, 5);
    const auto in1 = Noise(48000, 0.2, 6);
    auto one = MakeChain();
    auto big = MakeChain();
    auto plain = MakeChain();
    Busy(*one);
    Busy(*big);
    Busy(*plain);
    const Rendered a = Render(*one, in0, in1, 1);
    const Rendered b = Render(*big, in0, in1, 4096);
    const Rendered c = Render(*plain, in0, in1, 333, true);
    for (size_t i = 0; i < in0.size(); ++i) {
        ASSERT_TRUE(dsptest::SameBits(a.out0[i], b.out0[i])) << i;
        ASSERT_TRUE(dsptest::SameBits(a.out0[i], c.out0[i])) << i;
        ASSERT_TRUE(dsptest::SameBits(b.out1[i], b.out0[i])) << i;
    }
    EXPECT_GT(Peak(a.out0, 0, a.out0.size()), 0.01);
}

TEST(SignalChain, GateOpensOnABurstAndClosesAfterIt) {
    auto chain = MakeChain();
    Flat(*chain);
    chain->SetGateEnabled(true);
    chain->SetGateThreshold(-50.0);
    chain->SetGateRelease(0.0098);
    const int n = 48000;
    std::vector<double> in0(n), in1(n, 0.0);
    const auto hiss = Noise(n, 1e-4, 8); // -80 dB, below the threshold
    for (int i = 0; i < n; ++i) {
        const bool burst = i >= 9600 && i < 19200;
        in0[i] = burst ? 0.5 * std::sin(2.0 * dsptest::kPi * 220.0 * i / kRate) : hiss[i];
    }
    const Rendered r = Render(*chain, in0, in1, 128);
    EXPECT_LT(Peak(r.out0, 0, 9600), 1e-12) << "closed before the burst";
    // Open within the attack time (about 10 ms) and passing the burst unchanged.
    for (int i = 9600 + 960; i < 19200; ++i)
        ASSERT_NEAR(r.out0[i], in0[i], 1e-12) << i;
    // Closed again once the release (about 10 ms) has run after the level fell.
    EXPECT_GT(Peak(r.out0, 19200, 19300), 1e-5) << "the hiss passes while the level falls";
    EXPECT_LT(Peak(r.out0, 19200 + 2400, n), 1e-12);
}

TEST(SignalChain, GateOffAddsNoOffsetAndAmpOffGoesStraightToTheCabinet) {
    auto chain = MakeChain();
    Flat(*chain);
    std::vector<double> zero(256, 0.0), impulse(256, 0.0);
    impulse[0] = 1.0;
    const Rendered r = Render(*chain, impulse, zero, 256);
    for (int i = 1; i < 256; ++i)
        EXPECT_EQ(r.out0[i], 0.0);
    // With the gate on, the anti-denormal offset is tiny and positive.
    chain->SetGateEnabled(true);
    chain->SetGateThreshold(-100.0);
    const Rendered g = Render(*chain, impulse, zero, 256);
    for (int i = 1; i < 256; ++i) {
        EXPECT_GT(g.out0[i], 0.0);
        EXPECT_LT(g.out0[i], 6e-16);
    }
}

TEST(SignalChain, TunerViewPassesEachInputToItsOutput) {
    auto chain = MakeChain();
    Busy(*chain);
    chain->SetTunerView(true);
    const auto in0 = Noise(1000, 0.5, 10);
    const auto in1 = Noise(1000, 0.5, 11);
    const Rendered r = Render(*chain, in0, in1, 100);
    EXPECT_EQ(r.out0, in0);
    EXPECT_EQ(r.out1, in1);
}

TEST(SignalChain, BadBuffersAndCountsAreSafe) {
    auto chain = MakeChain();
    std::vector<double> a(16, 1.0), b(16, 1.0);
    chain->ProcessBlock(a.data(), a.data(), b.data(), b.data(), 0);
    chain->ProcessBlock(a.data(), a.data(), b.data(), b.data(), -5);
    EXPECT_EQ(b[0], 1.0);
    chain->ProcessBlock(nullptr, a.data(), b.data(), a.data(), 16);
    EXPECT_EQ(b[3], 0.0);
    chain->ProcessBlock(a.data(), a.data(), nullptr, b.data(), 16);
}

TEST(SignalChain, RecoversFromANonFiniteInput) {
    auto chain = MakeChain();
    Busy(*chain);
    std::vector<double> in0 = Noise(256, 0.5), in1(256, 0.0), o0(256), o1(256);
    in0[100] = std::nan("");
    chain->ProcessBlock(in0.data(), in1.data(), o0.data(), o1.data(), 256);
    for (double y : o0)
        EXPECT_EQ(y, 0.0);
    in0[100] = 0.1;
    chain->ProcessBlock(in0.data(), in1.data(), o0.data(), o1.data(), 256);
    for (double y : o0)
        ASSERT_TRUE(std::isfinite(y));
    EXPECT_GT(Peak(o0, 0, 256), 0.0);
}

TEST(SignalChain, SettersIgnoreNaNAndClampTheRange) {
    auto chain = MakeChain();
    chain->SetGateThreshold(0.0);
    chain->SetGateThreshold(std::nan(""));
    EXPECT_EQ(chain->GateThreshold(), 1.0);
    chain->SetGateThreshold(7.0);
    EXPECT_EQ(chain->GateThreshold(), 1.0);
    chain->SetMasterVolume(-1.0);
    EXPECT_EQ(chain->GetPostEq().Volume(), 0.0);
    chain->SetEqLow(std::nan(""), 0.5);
    EXPECT_EQ(chain->GetPostEq().EqLowMix(), 0.0);
    chain->SetEqLow(-12.0, std::nan(""));
    EXPECT_EQ(chain->GetPostEq().EqLowMix(), 0.0);
    chain->SetCabPreset(77);
    EXPECT_EQ(chain->CabPreset(), 77);
    EXPECT_EQ(chain->Bank().CascadeCount(), 0);
}

TEST(SignalChain, RateChangeRedesignsEverythingRateDependent) {
    auto chain = MakeChain(44100.0);
    chain->SetCabPreset(5);
    chain->SetEqLow(24.0 * 0.8 - 12.0, 0.8);
    chain->SetEqHigh(24.0 * 0.1 - 12.0);
    chain->SetLoudness(-18.0, 0.6);
    chain->SetGateRelease(EnvelopeSeconds(0.3));
    chain->Reset(96000.0);
    EXPECT_EQ(chain->SampleRate(), 96000.0);
    const DspBank& bank = chain->Bank();
    const CabVoicing* v = FindCabVoicing(5);
    for (int i = 0; i < v->count; ++i) {
        const CabSection& s = v->sections[i];
        const BiquadCoefficients c =
            DesignBiquadCoefficients(s.freqHz, s.bandwidthOct, s.gainDb, 96000.0, s.type);
        EXPECT_EQ(bank.GetBiquadCoefficients(i).b0, c.b0) << i;
        EXPECT_EQ(bank.GetBiquadCoefficients(i).a1, c.a1) << i;
    }
    EXPECT_EQ(bank.GetBiquadCoefficients(68).a1,
              DesignBiquadCoefficients(500.0, 1.0, 24.0 * 0.8 - 12.0, 96000.0, kLowShelf).a1);
    EXPECT_EQ(bank.GetBiquadCoefficients(69).a1,
              DesignBiquadCoefficients(3000.0, 1.0, 24.0 * 0.1 - 12.0, 96000.0, kHighShelf).a1);
    EXPECT_EQ(bank.GetBiquadCoefficients(74).a1,
              DesignBiquadCoefficients(3.83 * -18.0 + 200.0, 1.9, 0.0, 96000.0, kBandPass).a1);
    EXPECT_EQ(bank.follower.attack[0], FollowerCoefficient(8.0, 96000.0));
    EXPECT_EQ(bank.follower.release[0], FollowerCoefficient(7.0, 96000.0));
    // The gate release set before the change still holds, now timed at the new rate.
    EXPECT_DOUBLE_EQ(bank.envelope.releaseStep, 1.0 / (96000.0 * EnvelopeSeconds(0.3)));
    EXPECT_DOUBLE_EQ(bank.envelope.sustainLevel, 1.0);
    for (int row = 0; row < SignalChain::kCombRows; ++row)
        EXPECT_EQ(bank.delayLine[row].size, 96000) << row;
    EXPECT_EQ(bank.delayLine[12].lastIndex, static_cast<int>(0.0032 * 96000.0 - 1.0));
}

// A preset change puts the sections designed when the rate was set: every preset, at the first
// rate and after a new one, carries the coefficients its table entries design at that rate.
TEST(SignalChain, EveryCabinetPresetCarriesItsDesignsAtTheCurrentRate) {
    auto chain = MakeChain(44100.0);
    for (double rate : {44100.0, 96000.0}) {
        if (rate != chain->SampleRate()) chain->Reset(rate);
        for (int preset : {5, 0, 38, 17, 1}) {
            chain->SetCabPreset(preset);
            const CabVoicing* v = FindCabVoicing(preset);
            for (int i = 0; i < v->count; ++i) {
                const CabSection& s = v->sections[i];
                const BiquadCoefficients c =
                    DesignBiquadCoefficients(s.freqHz, s.bandwidthOct, s.gainDb, rate, s.type);
                const BiquadCoefficients got = chain->Bank().GetBiquadCoefficients(i);
                EXPECT_TRUE(got.b0 == c.b0 && got.b1 == c.b1 && got.b2 == c.b2 && got.a1 == c.a1 &&
                            got.a2 == c.a2)
                    << rate << " preset " << preset << " section " << i;
            }
        }
    }
}

TEST(SignalChain, ResetWithTheSameOrABadRateChangesNothing) {
    auto chain = MakeChain(48000.0);
    chain->SetCabPreset(2);
    std::vector<double> in(512), zero(512, 0.0), o0(512), o1(512);
    in = Noise(512, 0.5);
    chain->ProcessBlock(in.data(), zero.data(), o0.data(), o1.data(), 512);
    const double state = chain->Bank().biquad.y1[3];
    for (double rate : {48000.0, 0.0, -44100.0, std::nan(""), 1e12}) {
        chain->Reset(rate);
        EXPECT_EQ(chain->SampleRate(), 48000.0);
    }
    EXPECT_EQ(chain->Bank().biquad.y1[3], state);
}

TEST(SilenceDetector, BlocksThatStartWithZeroAreStillProcessed) {
    auto chain = MakeChain();
    Flat(*chain);
    // First samples 0.25, -0.25 and 0 sum to nothing; the blocks carry signal all the same.
    for (double first : {0.25, -0.25, 0.0, 0.0, 0.0, 0.0}) {
        std::vector<double> in0 = Noise(64, 0.5), in1(64, 0.0), o0(64), o1(64);
        in0[0] = first;
        chain->ProcessBlock(in0.data(), in1.data(), o0.data(), o1.data(), 64);
        for (int i = 0; i < 64; ++i)
            ASSERT_EQ(o0[i], in0[i]);
        EXPECT_FALSE(chain->IsQuiet());
    }
}

TEST(SilenceDetector, RingingTailIsNotCut) {
    auto chain = MakeChain();
    Flat(*chain);
    chain->SetCabPreset(35);
    auto reference = MakeChain();
    Flat(*reference);
    reference->SetCabPreset(35);
    // A burst, then digital silence: the cabinet rings on, exactly as the bank alone computes it.
    const int n = 48000;
    std::vector<double> in0(n, 0.0), in1(n, 0.0);
    const auto burst = Noise(2000, 0.5, 21);
    std::copy(burst.begin(), burst.end(), in0.begin());
    const Rendered r = Render(*chain, in0, in1, 64);
    for (int i = 0; i < n; ++i) {
        const double expected =
            reference->GetPostEq().Process(reference->Bank(), reference->Bank().ProcessCascade(in0[i]));
        if (r.out0[i] == expected) continue;
        // Only once the tail has decayed for a long while may the detector stop processing.
        ASSERT_EQ(r.out0[i], 0.0) << i;
        ASSERT_LE(std::fabs(expected), 1e-9) << i;
        ASSERT_GE(i, 2000 + 24000) << i;
    }
    EXPECT_GT(Peak(r.out0, 2000, 4000), 1e-4);
}

TEST(SilenceDetector, GoesQuietAfterDecayedSilenceAndWakesAtTheFirstSample) {
    auto chain = MakeChain();
    Busy(*chain);
    const int block = 256;
    std::vector<double> in0 = Noise(block, 0.5), zero(block, 0.0), o0(block), o1(block);
    chain->ProcessBlock(in0.data(), zero.data(), o0.data(), o1.data(), block);
    int blocks = 0;
    while (!chain->IsQuiet() && blocks < 2000) {
        chain->ProcessBlock(zero.data(), zero.data(), o0.data(), o1.data(), block);
        ++blocks;
    }
    ASSERT_TRUE(chain->IsQuiet());
    // Not before half a second of silence, and not long after the tail decayed.
    EXPECT_GE(blocks * block, 24000);
    EXPECT_LT(blocks * block, 5 * 48000);

    // While quiet: zeros out, no state moves.
    const double state = chain->Bank().biquad.y1[0];
    chain->ProcessBlock(zero.data(), zero.data(), o0.data(), o1.data(), block);
    EXPECT_EQ(Peak(o0, 0, block), 0.0);
    EXPECT_EQ(chain->Bank().biquad.y1[0], state);

    // Negative zeros are silence too.
    std::vector<double> negativeZero(block, -0.0);
    chain->ProcessBlock(negativeZero.data(), zero.data(), o0.data(), o1.data(), block);
    EXPECT_TRUE(chain->IsQuiet());

    // The first non-zero sample wakes it and is processed in the same block.
    Flat(*chain);
    std::vector<double> wake(block, 0.0);
    wake[17] = 0.5;
    chain->ProcessBlock(zero.data(), wake.data(), o0.data(), o1.data(), block);
    EXPECT_FALSE(chain->IsQuiet());
    for (int i = 0; i < block; ++i)
        EXPECT_EQ(o0[i], wake[i]) << i;
}

TEST(SilenceDetector, NeverQuietWhileTheInputCarriesSound) {
    auto chain = MakeChain();
    Flat(*chain);
    std::vector<double> in0(64, 0.0), zero(64, 0.0), o0(64), o1(64);
    for (int k = 0; k < 3000; ++k) {
        in0[63] = k % 2 ? 1e-6 : 0.0; // one non-zero sample in every other block
        chain->ProcessBlock(in0.data(), zero.data(), o0.data(), o1.data(), 64);
        ASSERT_FALSE(chain->IsQuiet()) << k;
    }
}

#if TEST_HAS_MXCSR
TEST(SignalChain, FlushesDenormalsInsideABlockAndRestoresTheCallersMode) {
    auto chain = MakeChain();
    Flat(*chain);
    const unsigned int before = _mm_getcsr() & ~0x3fu; // without the sticky exception flags
    std::vector<double> in0(8, 1e-310), zero(8, 0.0), o0(8), o1(8);
    chain->ProcessBlock(in0.data(), zero.data(), o0.data(), o1.data(), 8);
    EXPECT_EQ(o0[0], 0.0) << "a denormal input reads as zero inside the block";
    EXPECT_EQ(_mm_getcsr() & ~0x3fu, before);
    volatile double tiny = 1e-310;
    EXPECT_NE(tiny + 0.0, 0.0) << "and outside it denormals are back";

    // A caller that runs with both flags already keeps them.
    const unsigned int original = _mm_getcsr();
    _mm_setcsr(original | 0x8040u);
    chain->ProcessBlock(in0.data(), zero.data(), o0.data(), o1.data(), 8);
    EXPECT_EQ(_mm_getcsr() & 0x8040u, 0x8040u);
    _mm_setcsr(original);
}
#endif
