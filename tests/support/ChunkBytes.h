#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Builds little-endian state blocks byte by byte, independently of the plug-in's own code.
class ChunkBytes {
public:
    ChunkBytes& Int(int32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(static_cast<uint32_t>(v) >> (8 * i)));
        return *this;
    }
    ChunkBytes& Double(double d) {
        uint64_t u;
        std::memcpy(&u, &d, 8);
        for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<char>(u >> (8 * i)));
        return *this;
    }
    ChunkBytes& Byte(uint8_t b) {
        bytes.push_back(static_cast<char>(b));
        return *this;
    }
    ChunkBytes& Text(const std::string& t) {
        Int(static_cast<int32_t>(t.size()));
        bytes.insert(bytes.end(), t.begin(), t.end());
        return *this;
    }
    ChunkBytes& Header(int32_t version = 0x10000) { return Int(0x70666674).Int(version); }
    std::vector<char> bytes;
};

inline double ReadDouble(const std::vector<char>& bytes, size_t at) {
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= static_cast<uint64_t>(static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)])) << (8 * i);
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}
