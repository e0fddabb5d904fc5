#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds WAV files byte by byte for the impulse tests, independently of the parser.
namespace wavtest {

inline void Put(std::vector<uint8_t>& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void PutId(std::vector<uint8_t>& b, const char* id) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(id[i]));
}

struct WavFormat {
    int bits = 16;
    int channels = 1;
    uint32_t rate = 44100;
    uint16_t formatTag = 1;
    uint32_t formatSize = 16;     // bytes of the format chunk (extra bytes are zero)
    bool extraChunkFirst = false; // an odd-sized "LIST" chunk between format and data
};

// raw holds interleaved sample words as stored: 8-bit unsigned, wider ones two's complement.
inline std::vector<uint8_t> MakeWav(const WavFormat& format, const std::vector<int64_t>& raw) {
    const int bytesPer = format.bits / 8;
    const uint32_t dataSize = static_cast<uint32_t>(raw.size()) * static_cast<uint32_t>(bytesPer);
    std::vector<uint8_t> b;
    PutId(b, "RIFF");
    Put(b, 0, 4); // patched below
    PutId(b, "WAVE");
    PutId(b, "fmt ");
    Put(b, format.formatSize, 4);
    Put(b, format.formatTag, 2);
    Put(b, static_cast<uint32_t>(format.channels), 2);
    Put(b, format.rate, 4);
    Put(b, format.rate * static_cast<uint32_t>(format.channels * bytesPer), 4);
    Put(b, static_cast<uint32_t>(format.channels * bytesPer), 2);
    Put(b, static_cast<uint32_t>(format.bits), 2);
    for (uint32_t i = 16; i < format.formatSize; ++i)
        b.push_back(0);
    if (format.extraChunkFirst) {
        PutId(b, "LIST");
        Put(b, 3, 4);
        for (char c : {'a', 'b', 'c', '\0'}) // three bytes and the pad byte
            b.push_back(static_cast<uint8_t>(c));
    }
    PutId(b, "data");
    Put(b, dataSize, 4);
    for (int64_t v : raw)
        Put(b, static_cast<uint32_t>(static_cast<uint64_t>(v)), bytesPer);
    const uint32_t riffSize = static_cast<uint32_t>(b.size() - 8);
    for (int i = 0; i < 4; ++i)
        b[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(riffSize >> (8 * i));
    return b;
}

// A 16-bit mono file at rate from samples given as 16-bit integers.
inline std::vector<uint8_t> MakeWav16(const std::vector<int64_t>& samples, uint32_t rate = 44100) {
    WavFormat format;
    format.rate = rate;
    return MakeWav(format, samples);
}

} // namespace wavtest
