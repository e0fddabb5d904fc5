#include "FileWriting.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
class PosixFileSteps : public FileSteps {
public:
    intptr_t Create(const std::string& path, std::string& error) override {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) error = std::strerror(errno);
        return fd;
    }
    bool Write(intptr_t file, const unsigned char* data, size_t size, std::string& error) override {
        while (size > 0) {
            const ssize_t n = ::write(static_cast<int>(file), data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error = std::strerror(n < 0 ? errno : ENOSPC);
                return false;
            }
            data += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }
    bool Flush(intptr_t file, std::string& error) override {
        if (::fsync(static_cast<int>(file)) == 0) return true;
        error = std::strerror(errno);
        return false;
    }
    bool Close(intptr_t file, std::string& error) override {
        if (::close(static_cast<int>(file)) == 0) return true;
        error = std::strerror(errno);
        return false;
    }
    bool Rename(const std::string& from, const std::string& to, std::string& error) override {
        if (::rename(from.c_str(), to.c_str()) != 0) {
            error = std::strerror(errno);
            return false;
        }
        // The new name itself reaches the disk with its folder.
        const size_t slash = to.find_last_of('/');
        const std::string folder =
            slash == std::string::npos ? "." : (slash == 0 ? "/" : to.substr(0, slash));
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
        return true;
    }
    void Remove(const std::string& path) override { ::unlink(path.c_str()); }
};
} // namespace

FileSteps& SystemFileSteps() {
    static PosixFileSteps steps;
    return steps;
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    for (size_t at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat info;
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PathExists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}
