#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// A growable little-endian byte buffer for state blocks. Every read takes a byte
// position and returns the next one, or -1 on failure; a read at -1 fails again,
// so a chain of reads reports the first failure at its end.
class StateChunk {
public:
    static constexpr int32_t kMagic = 0x70666674; // bytes "tffp"
    static constexpr int32_t kVersion = 0x10000;

    int Size() const { return static_cast<int>(bytes.size()); }
    const uint8_t* Data() const { return bytes.data(); }
    uint8_t* Data() { return bytes.data(); }
    void Clear() { bytes.clear(); }
    void Resize(int size);
    void Assign(const void* data, int size);

    int PutBytes(const void* data, int size);
    int GetBytes(void* out, int size, int position) const;

    template <class T> int PutValue(const T& value) { return PutBytes(&value, sizeof(T)); }
    template <class T> int GetValue(T& out, int position) const { return GetBytes(&out, sizeof(T), position); }

    int PutString(const char* text);
    int GetString(std::string& outText, int position) const;

    // Appends the other chunk's bytes.
    int PutChunk(const StateChunk& other) { return PutBytes(other.Data(), other.Size()); }

    static void WriteHeader(StateChunk& chunk);
    static int ReadHeader(const StateChunk& chunk, int& position);

private:
    std::vector<uint8_t> bytes;
};
