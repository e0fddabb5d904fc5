#pragma once

#include <cstdint>

// A file opened read-only through the operating system, addressed by absolute offsets. Paths
// are UTF-8 (on Windows converted to UTF-16; a path that is not valid UTF-8 is opened as
// given in the system code page).
class NativeFile {
public:
    NativeFile() = default;
    ~NativeFile() { Close(); }
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    bool Open(const char* path);
    void Close();
    bool IsOpen() const { return handle != kInvalid; }
    int64_t Size() const { return size; }
    // Up to count bytes from offset; the count read, 0 at the end or on failure.
    int64_t ReadAt(int64_t offset, void* buffer, int64_t count);

private:
    static constexpr intptr_t kInvalid = -1;
    intptr_t handle = kInvalid;
    int64_t size = 0;
};
