#include "LibraryFolder.h"

#include <dlfcn.h>

std::string LibraryFolder() {
    static const int anchor = 0;
    Dl_info info{};
    if (!dladdr(&anchor, &info) || !info.dli_fname) return std::string();
    const std::string path = info.dli_fname;
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

char PathSeparator() {
    return '/';
}
