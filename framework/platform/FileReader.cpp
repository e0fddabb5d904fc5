#include "FileReader.h"

#include <algorithm>
#include <cstring>

bool FileReader::Open(const char* path) {
    Close();
    if (!file.Open(path)) return false;
    buffer.assign(static_cast<size_t>(kBufferSize), 0);
    return true;
}

void FileReader::Close() {
    file.Close();
    bufferStart = bufferFill = position = 0;
}

int64_t FileReader::Read(void* out, int64_t count) {
    if (!file.IsOpen() || !out || count <= 0) return 0;
    auto* dest = static_cast<unsigned char*>(out);
    int64_t done = 0;
    while (done < count && position < file.Size()) {
        if (position < bufferStart || position >= bufferStart + bufferFill) {
            bufferStart = position - position % kBlock;
            bufferFill = file.ReadAt(bufferStart, buffer.data(), kBufferSize);
            if (position >= bufferStart + bufferFill) break; // a failed read ends the call
        }
        const int64_t n = std::min(count - done, bufferStart + bufferFill - position);
        std::memcpy(dest + done, buffer.data() + (position - bufferStart), static_cast<size_t>(n));
        done += n;
        position += n;
    }
    return done;
}

void FileReader::Seek(int64_t to) {
    position = std::clamp<int64_t>(to, 0, file.Size());
}

bool ReadWholeFile(const char* path, int64_t maxBytes, std::vector<unsigned char>& out) {
    out.clear();
    FileReader reader;
    if (!reader.Open(path) || reader.Size() > maxBytes) return false;
    out.resize(static_cast<size_t>(reader.Size()));
    return reader.Read(out.data(), reader.Size()) == reader.Size();
}
