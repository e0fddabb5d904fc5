#include "AllocationCounter.h"
#include "ConvolutionEngine.h"
#include "DspTestUtil.h"
#include "WavBytes.h"
#include "WavImpulse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>

namespace {
using wavtest::DoubleWord;
using wavtest::FloatWord;
using wavtest::MakeWav;
using wavtest::WavFormat;
constexpr size_t kCap = static_cast<size_t>(ConvolutionEngine::kMaxImpulseLength);

WavImpulse Parse(const std::vector<uint8_t>& bytes, WavStatus expected = WavStatus::kOk) {
    WavImpulse wav;
    EXPECT_EQ(ParseWav(bytes.data(), bytes.size(), wav), expected);
    return wav;
}

WavFormat Format(uint16_t tag, int bits, int channels = 1, uint32_t formatSize = 16) {
    WavFormat f;
    f.formatTag = tag;
    f.bits = bits;
    f.channels = channels;
    f.formatSize = tag == wavtest::kExtensible ? 40 : formatSize;
    return f;
}

WavFormat Extensible(uint16_t subFormat, int bits, int validBits = 0, int channels = 1) {
    WavFormat f = Format(wavtest::kExtensible, bits, channels);
    f.subFormat = subFormat;
    f.validBits = validBits;
    return f;
}

struct FormatCase {
    const char* name;
    WavFormat format;
    std::vector<int64_t> words;   // as stored, interleaved
    std::vector<double> expected; // channel 0
    double tolerance;
    size_t cut = 0; // bytes taken off the end of the file
};

// A row of float samples, stored as their bit patterns and read back exactly.
template <typename T>
FormatCase FloatCase(const char* name, const WavFormat& format, const std::vector<T>& values) {
    FormatCase c{name, format, {}, {}, 0.0};
    for (T v : values) {
        c.words.push_back(sizeof(T) == 4 ? FloatWord(static_cast<float>(v))
                                         : DoubleWord(static_cast<double>(v)));
        for (int channel = 1; channel < format.channels; ++channel)
            c.words.push_back(DoubleWord(-9.0)); // other channels are not read
        c.expected.push_back(static_cast<double>(v));
    }
    return c;
}

std::vector<FormatCase> FormatCases() {
    using wavtest::kFloat;
    using wavtest::kPcm;
    const std::vector<float> f = {0.0f, 0.5f, -0.25f, 1.5f, -1e-30f, 3.0e-8f};
    const std::vector<double> d = {0.1, -0.7, 1e-300, 2.5, -1.0 / 3.0};
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<FormatCase> cases;
    cases.push_back(
        {"8-bit", Format(kPcm, 8), {127, 0, 255, 128}, {0.0, -1.0, 128.0 / 127.0, 1.0 / 127.0}, 1e-15});
    cases.push_back({"16-bit, 18-byte format",
                     Format(kPcm, 16, 1, 18),
                     {0, 1, -1, 32767, -32768},
                     {0.0, 1 / 32768.0, -1 / 32768.0, 32767 / 32768.0, -1.0},
                     0.0});
    cases.push_back({"24-bit",
                     Format(kPcm, 24),
                     {1, 8388607, -8388608, -1},
                     {1 / 8388608.0, 8388607 / 8388608.0, -1.0, -1 / 8388608.0},
                     2e-7});
    cases.push_back({"32-bit",
                     Format(kPcm, 32),
                     {1, 2147483647, -2147483647 - 1, 1073741824},
                     {1 / 2147483648.0, 2147483647 / 2147483648.0, -1.0, 0.5},
                     1e-9});
    cases.push_back(FloatCase("32-bit float, 18-byte format", Format(kFloat, 32, 1, 18), f));
    cases.push_back(FloatCase("64-bit float", Format(kFloat, 64), d));
    FormatCase nonFinite = FloatCase("non-finite floats are silence", Format(kFloat, 32),
                                     std::vector<float>{std::nanf(""), 0.5f, inf, -inf});
    nonFinite.expected = {0.0, 0.5, 0.0, 0.0};
    cases.push_back(nonFinite);
    cases.push_back({"extensible 16-bit PCM", Extensible(kPcm, 16), {16384, -16384}, {0.5, -0.5}, 0.0});
    // 24 valid bits in the high bits of a 32-bit container.
    cases.push_back({"extensible 24 bits in 32",
                     Extensible(kPcm, 32, 24),
                     {4194304LL * 256, -8388608LL * 256, 256},
                     {0.5, -1.0, 1 / 8388608.0},
                     1e-9});
    cases.push_back(FloatCase("extensible 32-bit float", Extensible(kFloat, 32), f));
    cases.push_back(FloatCase("extensible 64-bit float, stereo", Extensible(kFloat, 64, 0, 2), d));
    FormatCase six{"six channels of 24-bit extensible", Extensible(kPcm, 24, 24, 6), {}, {}, 2e-7};
    for (int frame = 0; frame < 4; ++frame)
        for (int channel = 0; channel < 6; ++channel)
            six.words.push_back(channel == 0 ? frame * 1000000 - 2000000 : 7777);
    six.expected = {-2000000 / 8388608.0, -1000000 / 8388608.0, 0.0, 1000000 / 8388608.0};
    cases.push_back(six);
    // Chunks around the format and the data, of odd and even sizes, and an odd-sized data chunk.
    FormatCase chunks{"chunks before and after the data", Format(kPcm, 8, 1, 18), {200, 54, 127}, {}, 1e-15};
    chunks.format.chunksBeforeFormat = {"JUNK", "bext"};
    chunks.format.chunksBeforeData = {"LIST", "fact"};
    chunks.format.chunksAfterData = {"cue ", "smpl", "LIST"};
    chunks.expected = {200 / 127.0 - 1.0, 54 / 127.0 - 1.0, 0.0};
    cases.push_back(chunks);
    // A data size past the end of the file, as recorders that never finish the header write it.
    FormatCase open{"data size past the end of the file", Format(kPcm, 16), {100, 200, 300}, {}, 0.0};
    open.format.statedDataSize = 0xFFFFFFFF;
    open.expected = {100 / 32768.0, 200 / 32768.0, 300 / 32768.0};
    cases.push_back(open);
    FormatCase unpadded = open;
    unpadded.name = "data size past the end, half a frame at the end";
    unpadded.format.bits = 24;
    unpadded.tolerance = 2e-7;
    unpadded.cut = 2; // the pad byte and half of the third frame
    unpadded.expected = {100 / 8388608.0, 200 / 8388608.0};
    cases.push_back(unpadded);
    return cases;
}

TEST(WavParse, EveryFormatAndChunkLayoutReadsTheFirstChannelSampleForSample) {
    for (const FormatCase& c : FormatCases()) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = MakeWav(c.format, c.words);
        bytes.resize(bytes.size() - c.cut);
        const WavImpulse wav = Parse(bytes);
        EXPECT_EQ(wav.channelCount, c.format.channels);
        EXPECT_EQ(wav.sampleRate, 44100.0);
        ASSERT_EQ(wav.samples.size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) {
            if (c.tolerance == 0.0)
                EXPECT_EQ(wav.samples[i], c.expected[i]) << i;
            else
                EXPECT_NEAR(wav.samples[i], c.expected[i], c.tolerance) << i;
        }
    }
}

TEST(WavParse, LongFormatChunksAndChunksBeforeTheDataArePassedOver) {
    WavFormat format;
    format.formatSize = 18;
    format.extraChunkFirst = true;
    const WavImpulse wav = Parse(MakeWav(format, {16384, -16384}));
    ASSERT_EQ(wav.samples.size(), 2u);
    EXPECT_EQ(wav.samples[0], 0.5);
    EXPECT_EQ(wav.samples[1], -0.5);
}

TEST(WavParse, BadFilesAreRejectedAndLeaveTheResultUntouched) {
    const std::vector<uint8_t> good = wavtest::MakeWav16({1000, 2000, 3000, 4000});
    const size_t header = good.size() - 8;
    // Every cut of a valid file before its first whole frame is refused; later cuts give the
    // whole frames that are there.
    for (size_t n = 0; n < good.size(); ++n) {
        WavImpulse wav;
        wav.samples = {7.0};
        const WavStatus status = ParseWav(good.data(), n, wav);
        if (n < header + 2) {
            EXPECT_NE(status, WavStatus::kOk) << n;
            EXPECT_EQ(wav.samples, std::vector<double>{7.0}) << n;
        } else {
            EXPECT_EQ(status, WavStatus::kOk) << n;
            EXPECT_EQ(wav.samples.size(), (n - header) / 2) << n;
        }
    }
    Parse(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(header) + 1),
          WavStatus::kTruncated);

    std::vector<uint8_t> notRiff = good;
    notRiff[0] = 'X';
    Parse(notRiff, WavStatus::kNotWav);
    std::vector<uint8_t> notWave = good;
    notWave[8] = 'X';
    Parse(notWave, WavStatus::kNotWav);
    std::vector<uint8_t> noData = good;
    noData[36] = 'X'; // the "data" id
    Parse(noData, WavStatus::kNoData);

    WavFormat format;
    format.bits = 12;
    Parse(MakeWav(format, {}), WavStatus::kUnsupportedFormat);
    format = Format(wavtest::kFloat, 16); // no 16-bit floats
    Parse(MakeWav(format, {1}), WavStatus::kUnsupportedFormat);
    format = Extensible(wavtest::kPcm, 16, 20); // more valid bits than the container
    Parse(MakeWav(format, {1}), WavStatus::kUnsupportedFormat);
    format = Extensible(2, 16); // ADPCM
    Parse(MakeWav(format, {1}), WavStatus::kUnsupportedFormat);
    format = Extensible(wavtest::kPcm, 16);
    format.formatSize = 18; // extensible without its extension
    Parse(MakeWav(format, {1}), WavStatus::kUnsupportedFormat);
    std::vector<uint8_t> noAlign = good;
    noAlign[32] = noAlign[33] = 0; // block align 0
    Parse(noAlign, WavStatus::kUnsupportedFormat);

    Parse(wavtest::MakeWav16({}), WavStatus::kEmpty);
    Parse(wavtest::MakeWav16({0, 0, 0}), WavStatus::kEmpty);

    std::vector<uint8_t> garbage(4096);
    uint32_t state = 12345;
    for (uint8_t& byte : garbage) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    Parse(garbage, WavStatus::kNotWav);
    // A RIFF/WAVE header over garbage chunk sizes stops at the end of the buffer.
    for (size_t i = 0; i < 12; ++i)
        garbage[i] = good[i];
    WavImpulse wav;
    EXPECT_NE(ParseWav(garbage.data(), garbage.size(), wav), WavStatus::kOk);
    EXPECT_NE(ParseWav(nullptr, 100, wav), WavStatus::kOk);
}

// Headers that would ask for unbounded work are refused before anything is allocated, and the
// previous result stays.
TEST(WavBounds, RatesAndLengthsBeyondTheLimitsAreRefusedWithoutAllocating) {
    struct RateCase {
        uint32_t rate;
        WavStatus expected;
    };
    for (const RateCase& c :
         {RateCase{1, WavStatus::kBadRate}, RateCase{999, WavStatus::kBadRate},
          RateCase{1000, WavStatus::kOk}, RateCase{768000, WavStatus::kOk},
          RateCase{768001, WavStatus::kBadRate}, RateCase{1000000, WavStatus::kBadRate}}) {
        const std::vector<uint8_t> bytes = wavtest::MakeWav16(std::vector<int64_t>(50000, 1000), c.rate);
        WavImpulse wav;
        wav.samples = {7.0};
        AllocationCounter counter;
        EXPECT_EQ(ParseWav(bytes.data(), bytes.size(), wav), c.expected) << c.rate;
        if (c.expected != WavStatus::kOk) {
            EXPECT_EQ(counter.Allocations(), 0) << c.rate;
            EXPECT_EQ(wav.samples, std::vector<double>{7.0}) << c.rate;
        }
    }
    // One frame more than the engine takes, as 8-bit mono.
    WavFormat format = Format(wavtest::kPcm, 8);
    std::vector<uint8_t> tooLong = MakeWav(format, {200});
    tooLong.resize(tooLong.size() - 2); // the sample and its pad
    tooLong.resize(tooLong.size() + kCap + 1, 200);
    for (size_t i = 0; i < 4; ++i)
        tooLong[tooLong.size() - kCap - 5 + i] = static_cast<uint8_t>((kCap + 1) >> (8 * i));
    WavImpulse wav;
    AllocationCounter counter;
    EXPECT_EQ(ParseWav(tooLong.data(), tooLong.size(), wav), WavStatus::kTooLong);
    EXPECT_EQ(counter.Allocations(), 0);
}

TEST(WavBounds, ResampledLengthsAreCheckedInSixtyFourBitsBeforeAllocating) {
    struct LengthCase {
        const char* name;
        size_t frames;
        double fromRate, toRate;
        WavStatus expected;
    };
    const std::vector<LengthCase> cases = {
        // 4.8e9 frames: more than 32 bits hold, so a narrowed count would wrap to a small one.
        {"1-Hz header", 100000, 1.0, 48000.0, WavStatus::kTooLong},
        {"10 s at 96 kHz into 1 MHz", 960000, 96000.0, 1e6, WavStatus::kTooLong},
        {"just over the cap", kCap / 2 + 1, 24000.0, 48000.0, WavStatus::kTooLong},
        {"zero rate", 100, 0.0, 48000.0, WavStatus::kBadRate},
        {"NaN rate", 100, 48000.0, std::nan(""), WavStatus::kBadRate},
        {"infinite rate", 100, std::numeric_limits<double>::infinity(), 48000.0, WavStatus::kBadRate},
        {"negative rate", 100, 48000.0, -44100.0, WavStatus::kBadRate},
        // Nothing would be left of it: an impulse that plays as silence is no success.
        {"too short for the new rate", 1, 768000.0, 8000.0, WavStatus::kEmpty},
    };
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<double> in(c.frames, 0.25);
        std::vector<double> out = {7.0};
        AllocationCounter counter;
        EXPECT_EQ(ResampleImpulse(in, c.fromRate, c.toRate, kCap, out), c.expected);
        EXPECT_EQ(counter.Allocations(), 0);
        EXPECT_EQ(out, std::vector<double>{7.0});
    }
}

// The spectrum of x (at rate) at frequency f, summed directly.
std::complex<double> Dft(const std::vector<double>& x, double f, double rate) {
    const std::complex<double> step = std::polar(1.0, -2.0 * dsptest::kPi * f / rate);
    std::complex<double> w = 1.0, sum = 0.0;
    for (double s : x) {
        sum += s * w;
        w *= step;
    }
    return sum;
}

// Mean square per sample, so signals of the same duration at different rates compare.
double MeanSquareDb(const std::vector<double>& x) {
    double e = 0.0;
    for (double s : x)
        e += s * s;
    return 10.0 * std::log10(e / static_cast<double>(x.size()));
}

std::vector<double> HannTone(double f, double rate, size_t n) {
    std::vector<double> x(n);
    for (size_t i = 0; i < n; ++i)
        x[i] = std::sin(2.0 * dsptest::kPi * f * i / rate) *
               (0.5 - 0.5 * std::cos(2.0 * dsptest::kPi * i / static_cast<double>(n - 1)));
    return x;
}

std::vector<double> Resampled(const std::vector<double>& in, double fromRate, double toRate) {
    std::vector<double> out;
    EXPECT_EQ(ResampleImpulse(in, fromRate, toRate, kCap, out), WavStatus::kOk);
    EXPECT_EQ(out.size(), static_cast<size_t>(std::floor(in.size() * toRate / fromRate)));
    return out;
}

TEST(WavResample, DownsamplingRemovesWhatLiesAboveTheNewNyquistAndKeepsWhatIsBelow) {
    // A 96-kHz impulse holding a 30-kHz tone, loaded at 48 kHz: nothing may fold back to 18 kHz.
    const std::vector<double> high = HannTone(30000.0, 96000.0, 9600);
    const double kept = MeanSquareDb(Resampled(high, 96000.0, 48000.0)) - MeanSquareDb(high);
    EXPECT_LE(kept, -90.0);
    const std::vector<double> low = HannTone(10000.0, 96000.0, 9600);
    EXPECT_NEAR(MeanSquareDb(Resampled(low, 96000.0, 48000.0)), MeanSquareDb(low), 0.01);
}

TEST(WavResample, UpsamplingAWhiteImpulseStaysFlatAndInTimeTo19kHz) {
    // Noise between silent margins, 9408 samples at 44.1 kHz: exactly 10240 at 48 kHz, so the
    // DFT bins of both lie at the same frequencies (4.6875 Hz apart).
    std::vector<double> in(9408, 0.0);
    const std::vector<double> noise = dsptest::Noise(7360, 0.5);
    std::copy(noise.begin(), noise.end(), in.begin() + 1024);
    const std::vector<double> out = Resampled(in, 44100.0, 48000.0);
    ASSERT_EQ(out.size(), 10240u);
    double worstDb = 0.0, worstPhase = 0.0;
    for (int bin = 4; bin * 4.6875 <= 19000.0; bin += 3) {
        const double f = bin * 4.6875;
        // Samples of one band-limited signal: spectra scale with the number of samples per second.
        const std::complex<double> ratio = Dft(out, f, 48000.0) / Dft(in, f, 44100.0) * (44100.0 / 48000.0);
        worstDb = std::fmax(worstDb, std::fabs(20.0 * std::log10(std::abs(ratio))));
        worstPhase = std::fmax(worstPhase, std::fabs(std::arg(ratio)));
    }
    EXPECT_LE(worstDb, 0.1);
    EXPECT_LE(worstPhase, 0.01); // no delay: sample j is the input at time j / 48000
}

TEST(WavResample, LengthsAndValuesAcrossRatiosAndEqualRatesBitExact) {
    // A low sine at any pair of rates stays the same sine, in time, away from the ends; ratios
    // beyond 256 take more than one pass.
    struct RatioCase {
        double fromRate, toRate;
    };
    for (const RatioCase& c :
         {RatioCase{48000.0, 44100.0}, RatioCase{44100.0, 96000.0}, RatioCase{192000.0, 8000.0},
          RatioCase{1000.0, 384000.0}, RatioCase{768000.0, 2000.0}}) {
        SCOPED_TRACE(testing::Message() << c.fromRate << " -> " << c.toRate);
        const double f = 0.05 * std::fmin(c.fromRate, c.toRate);
        const size_t frames = static_cast<size_t>(c.fromRate / f * 30.0); // 30 periods
        std::vector<double> in(frames);
        for (size_t i = 0; i < frames; ++i)
            in[i] = std::sin(2.0 * dsptest::kPi * f * i / c.fromRate);
        const std::vector<double> out = Resampled(in, c.fromRate, c.toRate);
        double worst = 0.0;
        for (size_t j = out.size() / 4; j < out.size() * 3 / 4; ++j)
            worst = std::fmax(worst, std::fabs(out[j] - std::sin(2.0 * dsptest::kPi * f * j / c.toRate)));
        EXPECT_LT(worst, 1e-5);
    }
    std::vector<double> in = dsptest::Noise(5000, 1.0);
    in[10] = 1e-300;
    in[11] = -0.0;
    std::vector<double> same;
    ASSERT_EQ(ResampleImpulse(in, 48000.0, 48000.0, kCap, same), WavStatus::kOk);
    ASSERT_EQ(same.size(), in.size());
    EXPECT_EQ(std::memcmp(same.data(), in.data(), in.size() * sizeof(double)), 0);
}

TEST(WavResample, NormIsInverseRootTwiceTheEnergy) {
    EXPECT_DOUBLE_EQ(ImpulseNorm({3.0, 4.0}), 1.0 / (std::sqrt(2.0) * 5.0));
    EXPECT_EQ(ImpulseNorm({0.0, 0.0}), 0.0);
    EXPECT_EQ(ImpulseNorm({}), 0.0);
}
} // namespace
