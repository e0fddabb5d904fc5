#include "FolderListing.h"

#include <dirent.h>
#include <sys/stat.h>

bool ListFolder(const char* folder, std::vector<FolderEntry>& out) {
    out.clear();
    if (!folder || !*folder) return false;
    DIR* dir = ::opendir(folder);
    if (!dir) return false;
    std::string prefix(folder);
    if (prefix.back() != '/') prefix += '/';
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name(entry->d_name);
        if (name == "." || name == "..") continue;
        struct stat info;
        // Links count as what they point to, as a file dialog shows them.
        const bool isDirectory = ::stat((prefix + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        out.push_back(FolderEntry{name, isDirectory});
    }
    ::closedir(dir);
    return true;
}
