#pragma once

#include "NativeFile.h"

#include <cstdint>
#include <vector>

// A buffered sequential reader over a NativeFile: reads of any size are served from one
// 32768-byte buffer refilled at 8192-aligned offsets. Used for impulse and preset files.
class FileReader {
public:
    static constexpr int64_t kBlock = 8192;
    static constexpr int64_t kBufferSize = 32768;

    // False when the file cannot be opened (a reader already open is closed first).
    bool Open(const char* path);
    void Close();
    bool IsOpen() const { return file.IsOpen(); }
    // Copies up to count bytes from the position and advances it; fewer at the end of the
    // file, 0 when not open.
    int64_t Read(void* buffer, int64_t count);
    // Moves the position, clamped to 0..Size().
    void Seek(int64_t position);
    int64_t Position() const { return position; }
    int64_t Size() const { return file.Size(); }

private:
    NativeFile file;
    std::vector<unsigned char> buffer;
    int64_t bufferStart = 0; // file offset of buffer[0]
    int64_t bufferFill = 0;  // valid bytes in the buffer
    int64_t position = 0;
};

// The whole file into out (emptied first); false when it cannot be opened or read, or is
// larger than maxBytes.
bool ReadWholeFile(const char* path, int64_t maxBytes, std::vector<unsigned char>& out);
