#include "StateStore.h"

#include "HostedPlugin.h"
#include "PresetFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool Exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool MakeFolders(const std::string& folder, std::string& error) {
    if (folder.empty() || Exists(folder)) return true;
    if (!MakeFolders(FolderOf(folder), error)) return false;
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot make " + folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool WriteAll(int fd, const std::vector<char>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}
} // namespace

std::string DefaultStatePath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config && config[0] == '/') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home && home[0] ? home : ".") + "/.config";
    }
    return folder + "/vulpane/last.state";
}

StateLoad LoadState(HostedPlugin& plugin, const std::string& path, std::string& message) {
    if (!Exists(path)) return StateLoad::Absent;
    std::vector<char> bytes;
    std::string error;
    if (ReadFileBytes(path, bytes, error)) {
        if (!bytes.empty() && plugin.SetChunk(true, bytes) == 1) return StateLoad::Loaded;
        error = bytes.empty() ? "it is empty" : "the plug-in did not accept it";
    }
    std::string aside = path + ".bad";
    for (int n = 2; Exists(aside); ++n) aside = path + ".bad." + std::to_string(n);
    if (::rename(path.c_str(), aside.c_str()) != 0) {
        message = "cannot read the saved state " + path + " (" + error + ") nor move it aside: " + std::strerror(errno);
        return StateLoad::MovedAside;
    }
    message = "the saved state " + path + " could not be used (" + error + "); it was moved to " + aside +
              " and Vulpane starts from its defaults";
    return StateLoad::MovedAside;
}

bool SaveState(HostedPlugin& plugin, const std::string& path, std::string& error) {
    const std::vector<char> bytes = plugin.GetChunk(true);
    if (bytes.empty()) {
        error = "the plug-in gave no state";
        return false;
    }
    const std::string folder = FolderOf(path);
    if (!MakeFolders(folder, error)) return false;
    const std::string temporary = path + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot write " + temporary + ": " + std::strerror(errno);
        return false;
    }
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeErrno = errno;
    if (::close(fd) != 0 || !written) {
        error = "cannot write " + temporary + ": " + std::strerror(written ? errno : writeErrno);
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}
