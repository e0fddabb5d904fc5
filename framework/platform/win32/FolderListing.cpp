#include "FolderListing.h"

#include "WideText.h"

#include <windows.h>

bool ListFolder(const char* folder, std::vector<FolderEntry>& out) {
    out.clear();
    if (!folder || !*folder) return false;
    std::string pattern(folder);
    if (pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    pattern += '*';
    std::wstring wide;
    if (!WideFromUtf8(pattern.c_str(), wide)) return false;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(wide.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        const std::string name = Utf8FromWide(found.cFileName);
        if (name.empty() || name == "." || name == "..") continue;
        out.push_back(FolderEntry{name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return true;
}
