#include "NativeFile.h"

#include "WideText.h"

#include <windows.h>

namespace {
HANDLE OpenShared(const char* path, DWORD share) {
    std::wstring wide;
    if (WideFromUtf8(path, wide))
        return CreateFileW(wide.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    return CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}
} // namespace

bool NativeFile::Open(const char* path) {
    Close();
    if (!path || !*path) return false;
    HANDLE file = OpenShared(path, FILE_SHARE_READ);
    // Another program writing the file (an editor, a recorder) still lets us read it.
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION)
        file = OpenShared(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file, &fileSize)) {
        CloseHandle(file);
        return false;
    }
    handle = reinterpret_cast<intptr_t>(file);
    size = fileSize.QuadPart;
    return true;
}

void NativeFile::Close() {
    if (handle != kInvalid) CloseHandle(reinterpret_cast<HANDLE>(handle));
    handle = kInvalid;
    size = 0;
}

int64_t NativeFile::ReadAt(int64_t offset, void* buffer, int64_t count) {
    if (handle == kInvalid || offset < 0 || count <= 0) return 0;
    HANDLE file = reinterpret_cast<HANDLE>(handle);
    LARGE_INTEGER to;
    to.QuadPart = offset;
    if (!SetFilePointerEx(file, to, nullptr, FILE_BEGIN)) return 0;
    int64_t done = 0;
    while (done < count) {
        const DWORD want = static_cast<DWORD>(count - done > 0x40000000 ? 0x40000000 : count - done);
        DWORD got = 0;
        if (!ReadFile(file, static_cast<char*>(buffer) + done, want, &got, nullptr) || got == 0) break;
        done += got;
    }
    return done;
}
