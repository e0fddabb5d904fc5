#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Impulse responses from WAV files: the bytes of a RIFF/WAVE file become the first channel as
// doubles; then band-limited resampling to the plug-in's rate and the gain that normalises the
// convolved level. Pure functions, no file access.
//
// Read: integer PCM of 8, 16, 24 or 32 bits, IEEE float of 32 or 64 bits, both also in the
// extensible layout (with fewer valid bits than the container holds); format chunks of 16, 18
// or 40 bytes; any other chunks before or after the data, odd sizes with their pad byte; a data
// chunk that runs past the end of the file gives the whole frames that are there.

enum class WavStatus {
    kOk,
    kNotWav,            // no "RIFF" ... "WAVE" header
    kUnsupportedFormat, // none of the sample formats read, or a broken format chunk
    kNoData,            // no "data" chunk in the file
    kTruncated,         // the format chunk, or the first frame, runs past the end of the file
    kEmpty,             // no frames, or only zero samples
    kBadRate,           // a sample rate outside kMinWavRate..kMaxWavRate, or not a rate
    kTooLong,           // longer than the convolution engine takes, at the file's or the host's rate
    kNoMemory,          // the memory for the samples could not be had
};

constexpr uint32_t kMinWavRate = 1000;
constexpr uint32_t kMaxWavRate = 768000;

// The text shown to the user for a status.
const char* WavStatusText(WavStatus status);

struct WavImpulse {
    int channelCount = 0;
    int bitsPerSample = 0; // the container's bits
    bool isFloat = false;
    double sampleRate = 0.0;
    std::vector<double> samples; // channel 0, one per frame; non-finite samples become 0
};

// Reads the file's bytes into out; files of more frames than the convolution engine takes are
// kTooLong before anything is allocated. On any status but kOk, out is left unchanged.
WavStatus ParseWav(const uint8_t* bytes, size_t size, WavImpulse& out);

// Resamples an impulse from fromRate to toRate into out: floor(frames * toRate / fromRate)
// samples, band-limited (libsamplerate's best sinc converter), sample j at the input's time
// j / toRate. The resulting length is checked against maxFrames before anything is allocated
// (kTooLong), an impulse of which not one sample would be left is kEmpty, a failed allocation is
// kNoMemory, and equal rates copy the samples unchanged. On any status but kOk, out is left
// unchanged.
WavStatus ResampleImpulse(const std::vector<double>& in, double fromRate, double toRate, size_t maxFrames,
                          std::vector<double>& out);

// The gain applied to the convolved signal: 1 / (sqrt(2) * sqrt(sum of squares)); 0 when the
// impulse holds no energy.
double ImpulseNorm(const std::vector<double>& samples);
