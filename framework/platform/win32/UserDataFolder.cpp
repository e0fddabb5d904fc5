#include "UserDataFolder.h"

#include "WideText.h"

#include <windows.h>

std::string UserDataFolder() {
    // %APPDATA%: the roaming application data of the user (C:\Users\<name>\AppData\Roaming).
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableW(L"APPDATA", buffer, sizeof(buffer) / sizeof(buffer[0]));
    if (n == 0 || n >= sizeof(buffer) / sizeof(buffer[0])) return std::string();
    std::string folder = Utf8FromWide(buffer);
    if (folder.empty()) return folder;
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}
