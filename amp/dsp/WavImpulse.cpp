#include "WavImpulse.h"

#include "ConvolutionEngine.h"

#include <cmath>
#include <cstring>
#include <new>

namespace {
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The extensible layout's sub-format GUIDs: the plain format tag, then these 14 bytes.
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

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

struct Format {
    bool isFloat = false;
    int channels = 0;
    uint32_t rate = 0;
    uint32_t blockAlign = 0;
    int bits = 0; // of the container
};

WavStatus ReadFormat(const uint8_t* body, uint32_t size, Format& f) {
    if (size < 16) return WavStatus::kUnsupportedFormat;
    uint16_t tag = U16(body);
    f.channels = U16(body + 2);
    f.rate = U32(body + 4);
    f.blockAlign = U16(body + 12);
    f.bits = U16(body + 14);
    if (tag == kFormatExtensible) {
        if (size < 40 || U16(body + 16) < 22) return WavStatus::kUnsupportedFormat;
        const int validBits = U16(body + 18); // 0 when the writer left it out
        if (validBits > f.bits || std::memcmp(body + 26, kSubFormatTail, sizeof(kSubFormatTail)) != 0)
            return WavStatus::kUnsupportedFormat;
        tag = U16(body + 24);
    }
    f.isFloat = tag == kFormatFloat;
    const bool known =
        f.isFloat ? f.bits == 32 || f.bits == 64
                  : tag == kFormatPcm && (f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32);
    if (!known || f.channels == 0 || f.blockAlign < static_cast<uint32_t>(f.channels * (f.bits / 8)))
        return WavStatus::kUnsupportedFormat;
    if (f.rate < kMinWavRate || f.rate > kMaxWavRate) return WavStatus::kBadRate;
    return WavStatus::kOk;
}

// One sample as a double in about -1..1. 8-bit samples are unsigned around 127; 24-bit ones
// are read unsigned and folded down by 2 above full scale, which makes them signed. Samples in
// wider containers than their valid bits sit in the high bits, so the container's scale fits.
double ConvertSample(const uint8_t* p, const Format& f) {
    if (f.isFloat) {
        double x;
        if (f.bits == 32) {
            float v;
            const uint32_t word = U32(p);
            std::memcpy(&v, &word, sizeof(v));
            x = v;
        } else {
            const uint64_t word = U32(p) | static_cast<uint64_t>(U32(p + 4)) << 32;
            std::memcpy(&x, &word, sizeof(x));
        }
        return std::isfinite(x) ? x : 0.0;
    }
    switch (f.bits) {
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
} // namespace

const char* WavStatusText(WavStatus status) {
    switch (status) {
    case WavStatus::kOk:
        return "";
    case WavStatus::kNotWav:
        return "Not a WAV file:\n";
    case WavStatus::kUnsupportedFormat:
        return "Unsupported WAV format (8, 16, 24 or 32-bit integer or 32 or 64-bit float PCM only):\n";
    case WavStatus::kNoData:
        return "WAV file without sample data:\n";
    case WavStatus::kTruncated:
        return "Truncated WAV file:\n";
    case WavStatus::kEmpty:
        return "WAV file holds only silence:\n";
    case WavStatus::kBadRate:
        return "WAV sample rate out of range (1000 to 768000 Hz):\n";
    case WavStatus::kTooLong:
        return "Impulse too long:\n";
    case WavStatus::kNoMemory:
        return "Not enough memory for the impulse:\n";
    }
    return "";
}

WavStatus ParseWav(const uint8_t* bytes, size_t size, WavImpulse& out) {
    if (!bytes || size < 12 || !IsId(bytes, "RIFF") || !IsId(bytes + 8, "WAVE")) return WavStatus::kNotWav;
    // Walk the chunks by their sizes (odd sizes are padded to even) in 64 bits, so no size
    // wraps on a 32-bit system. A data chunk longer than the rest of the file ends the walk.
    const uint64_t end = size;
    const uint8_t* formatBody = nullptr;
    uint32_t formatSize = 0;
    const uint8_t* data = nullptr;
    uint64_t dataSize = 0;
    uint64_t dataStated = 0;
    uint64_t at = 12;
    while (end - at >= 8) {
        const uint8_t* header = bytes + at;
        const uint64_t chunkSize = U32(header + 4);
        const uint64_t bodyAt = at + 8;
        const uint64_t available = end - bodyAt;
        if (IsId(header, "fmt ") && !formatBody) {
            if (chunkSize > available) return WavStatus::kTruncated;
            formatBody = bytes + bodyAt;
            formatSize = static_cast<uint32_t>(chunkSize);
        } else if (IsId(header, "data") && !data) {
            data = bytes + bodyAt;
            dataStated = chunkSize;
            dataSize = chunkSize < available ? chunkSize : available;
            if (chunkSize > available) break;
        }
        const uint64_t skip = chunkSize + (chunkSize & 1u);
        if (skip > available) break;
        at = bodyAt + skip;
    }
    if (!formatBody) return WavStatus::kUnsupportedFormat;
    if (!data) return WavStatus::kNoData;
    Format format;
    const WavStatus formatStatus = ReadFormat(formatBody, formatSize, format);
    if (formatStatus != WavStatus::kOk) return formatStatus;

    const uint64_t frames = dataSize / format.blockAlign;
    if (frames == 0) return dataStated >= format.blockAlign ? WavStatus::kTruncated : WavStatus::kEmpty;
    if (frames > static_cast<uint64_t>(ConvolutionEngine::kMaxImpulseLength)) return WavStatus::kTooLong;
    std::vector<double> samples;
    try {
        samples.resize(static_cast<size_t>(frames));
    } catch (const std::bad_alloc&) {
        return WavStatus::kNoMemory;
    }
    bool silent = true;
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = ConvertSample(data + i * static_cast<size_t>(format.blockAlign), format);
        silent = silent && samples[i] == 0.0;
    }
    if (silent) return WavStatus::kEmpty;
    out.channelCount = format.channels;
    out.bitsPerSample = format.bits;
    out.isFloat = format.isFloat;
    out.sampleRate = format.rate;
    out.samples.swap(samples);
    return WavStatus::kOk;
}

double ImpulseNorm(const std::vector<double>& samples) {
    double energy = 0.0;
    for (double s : samples)
        energy += s * s;
    if (!(energy > 0.0) || !std::isfinite(energy)) return 0.0;
    return 1.0 / (std::sqrt(2.0) * std::sqrt(energy));
}
