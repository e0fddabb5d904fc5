#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Impulse responses from WAV files: the bytes of a RIFF/WAVE file with integer PCM samples of
// 8, 16, 24 or 32 bits become the first channel as doubles; then resampling to the plug-in's
// rate and the gain that normalises the convolved level. Pure functions, no file access.

enum class WavStatus {
    kOk,
    kNotWav,            // no "RIFF" ... "WAVE" header
    kUnsupportedFormat, // not integer PCM of 8/16/24/32 bits, or a broken format chunk
    kNoData,            // no "data" chunk before the end of the file
    kTruncated,         // the data chunk runs past the end of the file
    kEmpty,             // no frames, or only zero samples
    kBadRate,           // a sample rate outside what an impulse can have
    kTooLong,           // longer than the convolution engine takes, at the file's or the host's rate
    kNoMemory,          // the memory for the samples could not be had
};

// The text shown to the user for a status.
const char* WavStatusText(WavStatus status);

struct WavImpulse {
    int channelCount = 0;
    int bitsPerSample = 0;
    double sampleRate = 0.0;
    std::vector<double> samples; // channel 0, one per frame
};

// Reads the file's bytes into out. On any status but kOk, out is left unchanged.
WavStatus ParseWav(const uint8_t* bytes, size_t size, WavImpulse& out);

// Linear-interpolation resampling from fromRate to toRate: floor(frames * toRate / fromRate)
// samples; sample j interpolates the input at j * fromRate / toRate, with zero after the last
// input sample. Equal rates copy.
std::vector<double> ResampleLinear(const std::vector<double>& in, double fromRate, double toRate);

// Resamples an impulse from fromRate to toRate into out. The resulting length is checked against
// maxFrames before anything is allocated (kTooLong), a failed allocation is kNoMemory, and equal
// rates copy the samples unchanged. On any status but kOk, out is left unchanged.
WavStatus ResampleImpulse(const std::vector<double>& in, double fromRate, double toRate, size_t maxFrames,
                          std::vector<double>& out);

// The gain applied to the convolved signal: 1 / (sqrt(2) * sqrt(sum of squares)); 0 when the
// impulse holds no energy.
double ImpulseNorm(const std::vector<double>& samples);
