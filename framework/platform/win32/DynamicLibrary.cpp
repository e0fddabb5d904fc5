#include "DynamicLibrary.h"

#include <windows.h>

void* OpenDynamicLibrary(const char* path, std::string& error) {
    HMODULE library = LoadLibraryA(path);
    if (!library) error = "cannot load library (error " + std::to_string(GetLastError()) + ")";
    return reinterpret_cast<void*>(library);
}

void* FindLibrarySymbol(void* library, const char* name) {
    if (!library) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseDynamicLibrary(void* library) {
    if (library) FreeLibrary(static_cast<HMODULE>(library));
}

std::string ExecutableFolder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, n);
    return full.substr(0, full.find_last_of("\\/") + 1);
}
