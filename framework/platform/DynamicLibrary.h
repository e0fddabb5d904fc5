#pragma once

#include <string>

// Loading a shared library (a .so or a .dll) and finding its exported functions.
void* OpenDynamicLibrary(const char* path, std::string& error);
void* FindLibrarySymbol(void* library, const char* name);
void CloseDynamicLibrary(void* library);

// The folder of the running program, ending with the path separator.
std::string ExecutableFolder();
