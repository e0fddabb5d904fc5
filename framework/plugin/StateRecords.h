#pragma once

#include "StateChunk.h"

#include <cstdint>
#include <vector>

// Tagged records at the very end of a chunk handed to the host, after the state: the block tag
// "VXTR", an int byte count of the records, then per record a four-character tag, an int length
// and that many bytes. A reader that only knows the state stops before the block; a reader of
// the block skips records whose tag it does not know.

constexpr uint32_t StateTag(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) | static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

// Where one record's bytes lie inside the chunk.
struct StateRecordSpan {
    uint32_t tag = 0;
    int position = 0;
    int length = 0;
};

// Collects records and appends them as one block; nothing at all when no record was added.
class StateRecordWriter {
public:
    void Add(uint32_t tag, const StateChunk& payload);
    // False when the chunk could not hold the block (it is then left as it was).
    bool AppendTo(StateChunk& chunk) const;

private:
    StateChunk records;
};

// The records of the block at position (the end of the state). Empty when no well-formed block
// starts there; a record running past the block ends the list.
std::vector<StateRecordSpan> ReadStateRecords(const StateChunk& chunk, int position);
