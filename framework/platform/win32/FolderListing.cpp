#include "FolderListing.h"

#include "WideText.h"

#include <windows.h>

namespace {
// A folder named in UTF-8 is listed through the wide calls and its names come back in UTF-8;
// one named in the system code page (as the ANSI file dialog returns it) stays in that page.
template <class FindData, class Convert>
void Collect(HANDLE find, FindData& found, BOOL(WINAPI* next)(HANDLE, FindData*), Convert convert,
             std::vector<FolderEntry>& out) {
    do {
        const std::string name = convert(found.cFileName);
        if (name.empty() || name == "." || name == "..") continue;
        out.push_back(FolderEntry{name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (next(find, &found));
    FindClose(find);
}
} // namespace

bool ListFolder(const char* folder, std::vector<FolderEntry>& out) {
    out.clear();
    if (!folder || !*folder) return false;
    std::string pattern(folder);
    if (pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    pattern += '*';
    std::wstring wide;
    if (WideFromUtf8(pattern.c_str(), wide)) {
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW(wide.c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return false;
        Collect(
            find, found, &FindNextFileW, [](const wchar_t* name) { return Utf8FromWide(name); }, out);
        return true;
    }
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return false;
    Collect(
        find, found, &FindNextFileA, [](const char* name) { return std::string(name); }, out);
    return true;
}
