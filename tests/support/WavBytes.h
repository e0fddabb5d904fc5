#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Builds WAV files byte by byte for the impulse tests, independently of the parser.
namespace wavtest {

inline void Put(std::vector<uint8_t>& b, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void PutId(std::vector<uint8_t>& b, const char* id) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(id[i]));
}

constexpr uint16_t kPcm = 1;
constexpr uint16_t kFloat = 3;
constexpr uint16_t kExtensible = 0xFFFE;

struct WavFormat {
    int bits = 16; // of the container
    int channels = 1;
    uint32_t rate = 44100;
    uint16_t formatTag = kPcm;
    uint32_t formatSize = 16;     // bytes of the format chunk: 16, 18 (cbSize 0) or 40 (extensible)
    uint16_t subFormat = kPcm;    // the extensible layout's sample type
    int validBits = 0;            // the extensible layout's valid bits (0: all of the container)
    bool extraChunkFirst = false; // an odd-sized "LIST" chunk between format and data
    std::vector<std::string> chunksBeforeFormat, chunksBeforeData, chunksAfterData; // filler chunk ids
    int64_t statedDataSize = -1; // the data chunk's size field, when not the true size
};

// A filler chunk whose body has 3 + n bytes (odd sizes get their pad byte).
inline void PutFiller(std::vector<uint8_t>& b, const std::string& id, size_t n) {
    PutId(b, id.c_str());
    const uint32_t size = static_cast<uint32_t>(3 + n);
    Put(b, size, 4);
    for (uint32_t i = 0; i < size; ++i)
        b.push_back(static_cast<uint8_t>('a' + i % 26));
    if (size & 1u) b.push_back(0);
}

// raw holds interleaved sample words as stored: 8-bit unsigned, wider ones two's complement,
// floats as their bit patterns (FloatWord, DoubleWord).
inline std::vector<uint8_t> MakeWav(const WavFormat& format, const std::vector<int64_t>& raw) {
    const int bytesPer = format.bits / 8;
    const uint32_t dataSize = static_cast<uint32_t>(raw.size()) * static_cast<uint32_t>(bytesPer);
    std::vector<uint8_t> b;
    PutId(b, "RIFF");
    Put(b, 0, 4); // patched below
    PutId(b, "WAVE");
    for (size_t i = 0; i < format.chunksBeforeFormat.size(); ++i)
        PutFiller(b, format.chunksBeforeFormat[i], i);
    PutId(b, "fmt ");
    Put(b, format.formatSize, 4);
    Put(b, format.formatTag, 2);
    Put(b, static_cast<uint32_t>(format.channels), 2);
    Put(b, format.rate, 4);
    Put(b, format.rate * static_cast<uint32_t>(format.channels * bytesPer), 4);
    Put(b, static_cast<uint32_t>(format.channels * bytesPer), 2);
    Put(b, static_cast<uint32_t>(format.bits), 2);
    if (format.formatSize >= 18) Put(b, format.formatSize >= 40 ? 22 : 0, 2); // cbSize
    if (format.formatSize >= 40) {
        Put(b, static_cast<uint32_t>(format.validBits ? format.validBits : format.bits), 2);
        Put(b, (1u << format.channels) - 1, 4); // channel mask
        Put(b, format.subFormat, 2);
        for (uint8_t byte :
             {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71})
            b.push_back(byte);
    }
    for (uint32_t i = format.formatSize >= 40   ? 40
                      : format.formatSize >= 18 ? 18
                                                : 16;
         i < format.formatSize; ++i)
        b.push_back(0);
    if (format.extraChunkFirst) {
        PutId(b, "LIST");
        Put(b, 3, 4);
        for (char c : {'a', 'b', 'c', '\0'}) // three bytes and the pad byte
            b.push_back(static_cast<uint8_t>(c));
    }
    for (size_t i = 0; i < format.chunksBeforeData.size(); ++i)
        PutFiller(b, format.chunksBeforeData[i], i);
    PutId(b, "data");
    Put(b, format.statedDataSize >= 0 ? static_cast<uint64_t>(format.statedDataSize) : dataSize, 4);
    for (int64_t v : raw)
        Put(b, static_cast<uint64_t>(v), bytesPer);
    if (dataSize & 1u) b.push_back(0);
    for (size_t i = 0; i < format.chunksAfterData.size(); ++i)
        PutFiller(b, format.chunksAfterData[i], i);
    const uint32_t riffSize = static_cast<uint32_t>(b.size() - 8);
    for (int i = 0; i < 4; ++i)
        b[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(riffSize >> (8 * i));
    return b;
}

inline int64_t FloatWord(float v) {
    uint32_t w;
    std::memcpy(&w, &v, sizeof(w));
    return static_cast<int64_t>(w);
}

inline int64_t DoubleWord(double v) {
    uint64_t w;
    std::memcpy(&w, &v, sizeof(w));
    return static_cast<int64_t>(w);
}

// A 16-bit mono file at rate from samples given as 16-bit integers.
inline std::vector<uint8_t> MakeWav16(const std::vector<int64_t>& samples, uint32_t rate = 44100) {
    WavFormat format;
    format.rate = rate;
    return MakeWav(format, samples);
}

} // namespace wavtest
