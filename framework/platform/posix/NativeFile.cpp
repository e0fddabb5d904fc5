#include "NativeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool NativeFile::Open(const char* path) {
    Close();
    if (!path) return false;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    handle = fd;
    size = static_cast<int64_t>(info.st_size);
    return true;
}

void NativeFile::Close() {
    if (handle != kInvalid) ::close(static_cast<int>(handle));
    handle = kInvalid;
    size = 0;
}

int64_t NativeFile::ReadAt(int64_t offset, void* buffer, int64_t count) {
    if (handle == kInvalid || offset < 0 || count <= 0) return 0;
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(static_cast<int>(handle), static_cast<char*>(buffer) + done,
                                  static_cast<size_t>(count - done), static_cast<off_t>(offset + done));
        if (n <= 0) break;
        done += n;
    }
    return done;
}
