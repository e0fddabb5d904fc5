#include "ImageResources.h"

#include <windows.h>

namespace {

// The images are resources of the binary this code is linked into (the plug-in DLL, or a test
// program), which is not the host's executable: find that module from an address inside it.
HMODULE OwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&OwnModule), &module);
    return module;
}

} // namespace

bool FindImageResource(int id, const unsigned char** data, size_t* size) {
    if (id < 0 || id > 0xFFFF) return false;
    HMODULE module = OwnModule();
    if (module == nullptr) return false;
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), "PNG");
    if (info == nullptr) return false;
    HGLOBAL handle = LoadResource(module, info);
    if (handle == nullptr) return false;
    const void* bytes = LockResource(handle);
    DWORD length = SizeofResource(module, info);
    if (bytes == nullptr || length == 0) return false;
    if (data != nullptr) *data = static_cast<const unsigned char*>(bytes);
    if (size != nullptr) *size = length;
    return true;
}
