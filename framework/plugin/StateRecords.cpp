#include "StateRecords.h"

namespace {
constexpr uint32_t kBlockTag = StateTag('V', 'X', 'T', 'R');
constexpr int kHeaderSize = 8;
} // namespace

void StateRecordWriter::Add(uint32_t tag, const StateChunk& payload) {
    records.PutValue(tag);
    records.PutValue(static_cast<int32_t>(payload.Size()));
    records.PutChunk(payload);
}

bool StateRecordWriter::AppendTo(StateChunk& chunk) const {
    if (records.Size() == 0) return true;
    if (chunk.Size() > 0x7fffffff - kHeaderSize - records.Size()) return false;
    chunk.PutValue(kBlockTag);
    chunk.PutValue(static_cast<int32_t>(records.Size()));
    chunk.PutChunk(records);
    return true;
}

std::vector<StateRecordSpan> ReadStateRecords(const StateChunk& chunk, int position) {
    std::vector<StateRecordSpan> spans;
    uint32_t tag = 0;
    int32_t size = 0;
    if (chunk.GetValue(tag, position) < 0 || tag != kBlockTag) return spans;
    if (chunk.GetValue(size, position + 4) < 0 || size < 0 || size > chunk.Size() - position - kHeaderSize)
        return spans;
    int at = position + kHeaderSize;
    const int end = at + size;
    while (end - at >= kHeaderSize) {
        StateRecordSpan span;
        int32_t length = 0;
        chunk.GetValue(span.tag, at);
        chunk.GetValue(length, at + 4);
        if (length < 0 || length > end - at - kHeaderSize) break;
        span.position = at + kHeaderSize;
        span.length = length;
        spans.push_back(span);
        at = span.position + length;
    }
    return spans;
}
