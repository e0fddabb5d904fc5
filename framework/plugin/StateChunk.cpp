#include "StateChunk.h"

static_assert(sizeof(int32_t) == 4 && sizeof(double) == 8, "state layout needs 4-byte ints and 8-byte doubles");

namespace {
constexpr size_t kGrowStep = 4096;

void Reserve(std::vector<uint8_t>& bytes, size_t size) {
    if (size > bytes.capacity()) bytes.reserve((size + kGrowStep - 1) / kGrowStep * kGrowStep);
}
} // namespace

void StateChunk::Resize(int size) {
    Reserve(bytes, static_cast<size_t>(size));
    bytes.resize(static_cast<size_t>(size));
}

void StateChunk::Assign(const void* data, int size) {
    Resize(size);
    if (size > 0) std::memcpy(bytes.data(), data, static_cast<size_t>(size));
}

int StateChunk::PutBytes(const void* data, int size) {
    const size_t old = bytes.size();
    Reserve(bytes, old + static_cast<size_t>(size));
    bytes.resize(old + static_cast<size_t>(size));
    if (size > 0) std::memcpy(bytes.data() + old, data, static_cast<size_t>(size));
    return Size();
}

int StateChunk::GetBytes(void* out, int size, int position) const {
    if (position < 0 || size < 0 || position > Size() - size) return -1;
    std::memcpy(out, bytes.data() + position, static_cast<size_t>(size));
    return position + size;
}

int StateChunk::PutString(const char* text) {
    const int32_t length = text ? static_cast<int32_t>(std::strlen(text)) : 0;
    PutValue(length);
    return PutBytes(text, length);
}

int StateChunk::GetString(std::string& outText, int position) const {
    int32_t length = 0;
    if (GetValue(length, position) < 0) return -1;
    // A negative length is damage, never a step backwards.
    if (length < 0) return -1;
    const int64_t next = static_cast<int64_t>(position) + 4 + length;
    if (length > 0 && next <= Size())
        outText.assign(reinterpret_cast<const char*>(bytes.data()) + position + 4, static_cast<size_t>(length));
    return next > 0x7fffffff ? -1 : static_cast<int>(next);
}

void StateChunk::WriteHeader(StateChunk& chunk) {
    chunk.Clear();
    chunk.PutValue(kMagic);
    chunk.PutValue(kVersion);
}

int StateChunk::ReadHeader(const StateChunk& chunk, int& position) {
    int32_t magic = 0;
    if (chunk.GetValue(magic, position) < 0 || magic != kMagic) return 0;
    int32_t version = 0;
    if (chunk.GetValue(version, position + 4) < 0) {
        position = -1;
        return 0;
    }
    position += 8;
    return version;
}
