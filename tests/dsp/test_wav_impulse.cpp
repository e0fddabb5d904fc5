#include "WavBytes.h"
#include "WavImpulse.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
using wavtest::MakeWav;
using wavtest::WavFormat;

WavImpulse Parse(const std::vector<uint8_t>& bytes, WavStatus expected = WavStatus::kOk) {
    WavImpulse wav;
    EXPECT_EQ(ParseWav(bytes.data(), bytes.size(), wav), expected);
    return wav;
}

TEST(WavParse, SixteenBitSamplesAreExactFractionsOf32768) {
    const std::vector<int64_t> raw = {0, 1, -1, 32767, -32768, 1234};
    const WavImpulse wav = Parse(wavtest::MakeWav16(raw, 48000));
    ASSERT_EQ(wav.samples.size(), raw.size());
    EXPECT_EQ(wav.sampleRate, 48000.0);
    EXPECT_EQ(wav.channelCount, 1);
    for (size_t i = 0; i < raw.size(); ++i)
        EXPECT_EQ(wav.samples[i], static_cast<double>(raw[i]) / 32768.0) << i;
}

TEST(WavParse, EightBitIsUnsignedAround127) {
    WavFormat format;
    format.bits = 8;
    const WavImpulse wav = Parse(MakeWav(format, {127, 0, 255}));
    ASSERT_EQ(wav.samples.size(), 3u);
    EXPECT_EQ(wav.samples[0], 0.0);
    EXPECT_EQ(wav.samples[1], -1.0);
    EXPECT_DOUBLE_EQ(wav.samples[2], 128.0 / 127.0);
}

TEST(WavParse, TwentyFourAndThirtyTwoBitAreSignedFullScale) {
    WavFormat format;
    format.bits = 24;
    const std::vector<int64_t> raw24 = {1, 8388607, -8388608, -1, 4194304};
    const WavImpulse w24 = Parse(MakeWav(format, raw24));
    ASSERT_EQ(w24.samples.size(), raw24.size());
    for (size_t i = 0; i < raw24.size(); ++i)
        EXPECT_NEAR(w24.samples[i], static_cast<double>(raw24[i]) / 8388608.0, 2e-7) << i;
    format.bits = 32;
    const std::vector<int64_t> raw32 = {1, 2147483647, -2147483647 - 1, -1, 1073741824};
    const WavImpulse w32 = Parse(MakeWav(format, raw32));
    ASSERT_EQ(w32.samples.size(), raw32.size());
    for (size_t i = 0; i < raw32.size(); ++i)
        EXPECT_NEAR(w32.samples[i], static_cast<double>(raw32[i]) / 2147483648.0, 1e-9) << i;
}

TEST(WavParse, StereoUsesTheLeftChannelOverAllFrames) {
    WavFormat format;
    format.channels = 2;
    const WavImpulse wav = Parse(MakeWav(format, {100, -5, 200, -5, 300, -5}));
    EXPECT_EQ(wav.channelCount, 2);
    ASSERT_EQ(wav.samples.size(), 3u);
    EXPECT_EQ(wav.samples[2], 300.0 / 32768.0);
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
    // Every cut of a valid file is refused.
    for (size_t n = 0; n < good.size(); ++n) {
        WavImpulse wav;
        wav.samples = {7.0};
        EXPECT_NE(ParseWav(good.data(), n, wav), WavStatus::kOk) << n;
        EXPECT_EQ(wav.samples, std::vector<double>{7.0}) << n;
    }
    std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    Parse(cut, WavStatus::kTruncated);

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
    format.bits = 32;
    format.formatTag = 3; // float samples
    Parse(MakeWav(format, {0x3F800000}), WavStatus::kUnsupportedFormat);
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

TEST(WavResample, DownsamplingGivesFloorLengthAndLinearValues) {
    // 48 kHz to 44.1 kHz: a ramp stays a ramp at the new spacing, and a quadratic's samples
    // are the chords between its neighbouring input samples.
    const size_t frames = 1000;
    std::vector<double> ramp(frames), square(frames);
    for (size_t i = 0; i < frames; ++i) {
        ramp[i] = static_cast<double>(i);
        square[i] = static_cast<double>(i * i);
    }
    const std::vector<double> r = ResampleLinear(ramp, 48000.0, 44100.0);
    const std::vector<double> q = ResampleLinear(square, 48000.0, 44100.0);
    ASSERT_EQ(r.size(), static_cast<size_t>(std::floor(frames * 44100.0 / 48000.0)));
    ASSERT_EQ(r.size(), 918u);
    for (size_t j = 0; j < r.size(); ++j) {
        const double t = j * 48000.0 / 44100.0;
        EXPECT_NEAR(r[j], t, 1e-9) << j;
        const double lo = std::floor(t);
        // Chord of x^2 between lo and lo+1 at t: t^2 + (t - lo)(lo + 1 - t).
        EXPECT_NEAR(q[j], t * t + (t - lo) * (lo + 1.0 - t), 1e-6) << j;
    }
}

TEST(WavResample, UpsamplingFadesToZeroAfterTheLastSampleAndEqualRatesCopy) {
    const std::vector<double> in = {1.0, 1.0, 1.0, 1.0};
    const std::vector<double> up = ResampleLinear(in, 22050.0, 44100.0);
    ASSERT_EQ(up.size(), 8u);
    EXPECT_EQ(up[5], 1.0);
    EXPECT_EQ(up[6], 1.0);
    EXPECT_EQ(up[7], 0.5); // halfway to the zero after the end
    EXPECT_EQ(ResampleLinear(in, 44100.0, 44100.0), in);
}

TEST(WavResample, NormIsInverseRootTwiceTheEnergy) {
    EXPECT_DOUBLE_EQ(ImpulseNorm({3.0, 4.0}), 1.0 / (std::sqrt(2.0) * 5.0));
    EXPECT_EQ(ImpulseNorm({0.0, 0.0}), 0.0);
    EXPECT_EQ(ImpulseNorm({}), 0.0);
}
} // namespace
