#include "DynamicLibrary.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

void* OpenDynamicLibrary(const char* path, std::string& error) {
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* message = dlerror();
        error = message ? message : "cannot load library";
    }
    return library;
}

void* FindLibrarySymbol(void* library, const char* name) { return library ? dlsym(library, name) : nullptr; }

void CloseDynamicLibrary(void* library) {
    if (library) dlclose(library);
}

std::string ExecutableFolder() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0) return "./";
    std::string full(path, static_cast<size_t>(n));
    return full.substr(0, full.find_last_of('/') + 1);
}
