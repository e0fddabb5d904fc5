#include "WavImpulse.h"

#include <cmath>
#include <cstring>
#include <new>

namespace {
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;

uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool IsId(const uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

// One sample as a double in about -1..1. 8-bit samples are unsigned around 127; 24-bit ones
// are read unsigned and folded down by 2 above full scale, which makes them signed.
double ConvertSample(const uint8_t* p, int bits) {
    switch (bits) {
    case 8:
        return p[0] / 127.0 - 1.0;
    case 16:
        return static_cast<int16_t>(U16(p)) * 0.000030517578125;
    case 24: {
        const uint32_t u = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                           static_cast<uint32_t>(p[2]) << 16;
        const double x = u / 8388607.49999;
        return x > 1.0 ? x - 2.0 : x;
    }
    default:
        return static_cast<int32_t>(U32(p)) / 2147483647.49999;
    }
}

struct Format {
    uint16_t tag = 0;
    int channels = 0;
    uint32_t rate = 0;
    int blockAlign = 0;
    int bits = 0;
};

bool ReadFormat(const uint8_t* body, uint32_t size, Format& f) {
    if (size < 16) return false;
    f.tag = U16(body);
    f.channels = U16(body + 2);
    f.rate = U32(body + 4);
    f.blockAlign = U16(body + 12);
    f.bits = U16(body + 14);
    // The extensible layout names its sample type in the first two bytes of its sub-format.
    if (f.tag == kFormatExtensible && size >= 26 && U16(body + 24) != kFormatPcm) return false;
    if (f.tag != kFormatPcm && f.tag != kFormatExtensible) return false;
    if (f.bits != 8 && f.bits != 16 && f.bits != 24 && f.bits != 32) return false;
    return f.channels > 0 && f.rate > 0 && f.blockAlign >= f.channels * (f.bits / 8);
}
} // namespace

const char* WavStatusText(WavStatus status) {
    switch (status) {
    case WavStatus::kOk:
        return "";
    case WavStatus::kNotWav:
        return "Not a WAV file:\n";
    case WavStatus::kUnsupportedFormat:
        return "Unsupported WAV format (8, 16, 24 or 32-bit integer PCM only):\n";
    case WavStatus::kNoData:
        return "WAV file without sample data:\n";
    case WavStatus::kTruncated:
        return "Truncated WAV file:\n";
    case WavStatus::kEmpty:
        return "WAV file holds only silence:\n";
    case WavStatus::kBadRate:
        return "WAV sample rate out of range:\n";
    case WavStatus::kTooLong:
        return "Impulse too long:\n";
    case WavStatus::kNoMemory:
        return "Not enough memory for the impulse:\n";
    }
    return "";
}

WavStatus ParseWav(const uint8_t* bytes, size_t size, WavImpulse& out) {
    if (!bytes || size < 12 || !IsId(bytes, "RIFF") || !IsId(bytes + 8, "WAVE")) return WavStatus::kNotWav;
    // Walk the chunks by their sizes (odd sizes are padded to even), so longer format chunks
    // and chunks before the format are passed over.
    Format format;
    bool haveFormat = false;
    size_t at = 12;
    while (size - at >= 8) {
        const uint8_t* header = bytes + at;
        const uint32_t chunkSize = U32(header + 4);
        const size_t bodyAt = at + 8;
        const size_t available = size - bodyAt;
        if (IsId(header, "fmt ")) {
            if (chunkSize > available) return WavStatus::kTruncated;
            if (!ReadFormat(bytes + bodyAt, chunkSize, format)) return WavStatus::kUnsupportedFormat;
            haveFormat = true;
        } else if (IsId(header, "data")) {
            if (!haveFormat) return WavStatus::kUnsupportedFormat;
            if (chunkSize > available) return WavStatus::kTruncated;
            const size_t frames = chunkSize / static_cast<size_t>(format.blockAlign);
            if (frames == 0 || frames > 0x7FFFFFFF) return WavStatus::kEmpty;
            std::vector<double> samples(frames);
            bool silent = true;
            for (size_t i = 0; i < frames; ++i) {
                samples[i] =
                    ConvertSample(bytes + bodyAt + i * static_cast<size_t>(format.blockAlign), format.bits);
                silent = silent && samples[i] == 0.0;
            }
            if (silent) return WavStatus::kEmpty;
            out.channelCount = format.channels;
            out.bitsPerSample = format.bits;
            out.sampleRate = format.rate;
            out.samples.swap(samples);
            return WavStatus::kOk;
        }
        const size_t skip = static_cast<size_t>(chunkSize) + (chunkSize & 1u);
        if (skip > available) break;
        at = bodyAt + skip;
    }
    return haveFormat ? WavStatus::kNoData : WavStatus::kUnsupportedFormat;
}

std::vector<double> ResampleLinear(const std::vector<double>& in, double fromRate, double toRate) {
    if (fromRate == toRate || !(fromRate > 0.0) || !(toRate > 0.0)) return in;
    const double frames = static_cast<double>(in.size());
    const size_t length = static_cast<size_t>(std::floor(frames * toRate / fromRate));
    const double ratio = fromRate / toRate;
    std::vector<double> out(length);
    for (size_t j = 0; j < length; ++j) {
        const double t = static_cast<double>(j) * ratio;
        const size_t i = static_cast<size_t>(t);
        if (i >= in.size()) break;
        const double next = i + 1 < in.size() ? in[i + 1] : 0.0;
        out[j] = in[i] + (t - static_cast<double>(i)) * (next - in[i]);
    }
    return out;
}

double ImpulseNorm(const std::vector<double>& samples) {
    double energy = 0.0;
    for (double s : samples)
        energy += s * s;
    if (!(energy > 0.0) || !std::isfinite(energy)) return 0.0;
    return 1.0 / (std::sqrt(2.0) * std::sqrt(energy));
}

WavStatus ResampleImpulse(const std::vector<double>& in, double fromRate, double toRate, size_t maxFrames,
                          std::vector<double>& out) {
    if (!(fromRate > 0.0) || !(toRate > 0.0)) return WavStatus::kBadRate;
    const double frames = std::floor(static_cast<double>(in.size()) * toRate / fromRate);
    if (!(frames <= static_cast<double>(maxFrames))) return WavStatus::kTooLong;
    try {
        out = ResampleLinear(in, fromRate, toRate);
    } catch (const std::bad_alloc&) {
        return WavStatus::kNoMemory;
    }
    return WavStatus::kOk;
}
