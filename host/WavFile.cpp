// Our own WAV reader and writer, so every platform reads and writes the same bytes.
#include "AudioFile.h"

#include "PresetFile.h"

#include <cstdint>
#include <cstring>

namespace {
uint32_t U32(const char* p) {
    const auto* b = reinterpret_cast<const uint8_t*>(p);
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
           static_cast<uint32_t>(b[3]) << 24;
}
uint16_t U16(const char* p) {
    const auto* b = reinterpret_cast<const uint8_t*>(p);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

double Sample(const char* p, int bits, bool isFloat) {
    const auto* b = reinterpret_cast<const uint8_t*>(p);
    if (isFloat && bits == 32) {
        float f;
        std::memcpy(&f, p, 4);
        return f;
    }
    if (isFloat && bits == 64) {
        double d;
        std::memcpy(&d, p, 8);
        return d;
    }
    switch (bits) {
    case 8:
        return (b[0] - 128) / 128.0;
    case 16:
        return static_cast<int16_t>(U16(p)) / 32768.0;
    case 24: {
        int32_t v = static_cast<int32_t>(static_cast<uint32_t>(b[0]) << 8 | static_cast<uint32_t>(b[1]) << 16 |
                                         static_cast<uint32_t>(b[2]) << 24);
        return (v >> 8) / 8388608.0;
    }
    default:
        return static_cast<int32_t>(U32(p)) / 2147483648.0;
    }
}

// The software tag our writer puts into every WAV (a LIST/INFO chunk), so the host can tell
// its own renders from files it must not write over.
constexpr char kSoftwareTag[] = "vulpane-host"; // 13 bytes with the terminator, padded to 14
constexpr uint32_t kTagChunkSize = 4 + 8 + 14;   // "INFO" + "ISFT" header + padded text

void Put32(std::vector<char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}
void Put16(std::vector<char>& out, uint16_t v) {
    out.push_back(static_cast<char>(v));
    out.push_back(static_cast<char>(v >> 8));
}
} // namespace

bool ParseWav(const std::vector<char>& bytes, AudioBuffer& out, std::string& error) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        error = "not a RIFF/WAVE file";
        return false;
    }
    int channels = 0, bits = 0;
    bool isFloat = false;
    double rate = 0;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const char* id = bytes.data() + pos;
        const size_t size = U32(id + 4);
        const size_t body = pos + 8;
        const size_t available = bytes.size() - body;
        if (std::memcmp(id, "fmt ", 4) == 0 && size >= 16 && available >= 16) {
            uint16_t format = U16(id + 8);
            channels = U16(id + 10);
            rate = U32(id + 12);
            bits = U16(id + 22);
            if (format == 0xFFFE && size >= 40 && available >= 40) format = U16(id + 32);
            if (format != 1 && format != 3) {
                error = "unsupported WAV encoding";
                return false;
            }
            isFloat = format == 3;
        } else if (std::memcmp(id, "data", 4) == 0) {
            const int frameBytes = channels * bits / 8;
            if (channels <= 0 || rate <= 0 || frameBytes <= 0 ||
                !(bits == 8 || bits == 16 || bits == 24 || bits == 32 || (isFloat && bits == 64))) {
                error = "WAV data before a valid format chunk";
                return false;
            }
            const size_t dataBytes = size < available ? size : available; // a truncated file keeps what it has
            const size_t frames = dataBytes / static_cast<size_t>(frameBytes);
            out.sampleRate = rate;
            out.channels.assign(static_cast<size_t>(channels), std::vector<double>(frames));
            for (size_t f = 0; f < frames; ++f)
                for (int c = 0; c < channels; ++c)
                    out.channels[static_cast<size_t>(c)][f] =
                        Sample(bytes.data() + body + f * static_cast<size_t>(frameBytes) +
                                   static_cast<size_t>(c * bits / 8),
                               bits, isFloat);
            return true;
        }
        pos = body + size + (size & 1);
    }
    error = "no audio data in the WAV file";
    return false;
}

bool WriteWavFile(const std::string& path, const AudioBuffer& audio, int bits, std::string& error) {
    const uint16_t channels = static_cast<uint16_t>(audio.channels.size());
    const uint32_t frames = static_cast<uint32_t>(audio.Frames());
    const uint32_t bytesPerSample = bits == 64 ? 8 : 4;
    const uint32_t dataSize = frames * channels * bytesPerSample;
    std::vector<char> out;
    out.reserve(44 + 8 + kTagChunkSize + dataSize);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 36 + 8 + kTagChunkSize + dataSize);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 3);
    Put16(out, channels);
    Put32(out, static_cast<uint32_t>(audio.sampleRate));
    Put32(out, static_cast<uint32_t>(audio.sampleRate) * channels * bytesPerSample);
    Put16(out, static_cast<uint16_t>(channels * bytesPerSample));
    Put16(out, static_cast<uint16_t>(bytesPerSample * 8));
    out.insert(out.end(), {'L', 'I', 'S', 'T'});
    Put32(out, kTagChunkSize);
    out.insert(out.end(), {'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T'});
    Put32(out, sizeof kSoftwareTag);
    out.insert(out.end(), kSoftwareTag, kSoftwareTag + sizeof kSoftwareTag);
    out.push_back('\0');
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, dataSize);
    for (uint32_t f = 0; f < frames; ++f)
        for (uint16_t c = 0; c < channels; ++c) {
            const double v = audio.channels[c][f];
            char raw[8];
            if (bits == 64) {
                std::memcpy(raw, &v, 8);
            } else {
                const float s = static_cast<float>(v);
                std::memcpy(raw, &s, 4);
            }
            out.insert(out.end(), raw, raw + bytesPerSample);
        }
    return WriteFileBytes(path, out, error);
}

bool IsHostRenderedWav(const std::string& path) {
    std::vector<char> head;
    if (!ReadFileHead(path, 128, head)) return false;
    if (head.size() < 44 || std::memcmp(head.data(), "RIFF", 4) != 0 || std::memcmp(head.data() + 8, "WAVE", 4) != 0)
        return false;
    const char* fmt = head.data() + 12;
    if (std::memcmp(fmt, "fmt ", 4) != 0 || U32(fmt + 4) != 16 || U16(fmt + 8) != 3) return false;
    const char* next = fmt + 8 + 16;
    // Tagged, or in the untagged layout of earlier versions: fmt followed by the samples.
    if (std::memcmp(next, "data", 4) == 0) return true;
    const size_t tagAt = static_cast<size_t>(next - head.data()) + 8 + 8 + 4;
    return std::memcmp(next, "LIST", 4) == 0 && head.size() >= tagAt + sizeof kSoftwareTag &&
           std::memcmp(head.data() + tagAt, kSoftwareTag, sizeof kSoftwareTag) == 0;
}
