#include "UserDataFolder.h"

#include "WideText.h"

#include <windows.h>

namespace {
std::string FolderVariable(const wchar_t* name) {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableW(name, buffer, sizeof(buffer) / sizeof(buffer[0]));
    if (n == 0 || n >= sizeof(buffer) / sizeof(buffer[0])) return std::string();
    std::string folder = Utf8FromWide(buffer);
    if (folder.empty()) return folder;
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}
} // namespace

// %APPDATA%: the roaming application data of the user (C:\Users\<name>\AppData\Roaming).
std::string UserDataFolder() {
    return FolderVariable(L"APPDATA");
}

std::string HomeFolder() {
    return FolderVariable(L"USERPROFILE");
}
