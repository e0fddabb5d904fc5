#include "WideText.h"

#include <windows.h>

bool WideFromUtf8(const char* text, std::wstring& out) {
    out.clear();
    if (!text) return false;
    if (!*text) return true;
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<size_t>(n));
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, &out[0], n) != n) return false;
    out.resize(static_cast<size_t>(n - 1));
    return true;
}

std::string Utf8FromWide(const wchar_t* text) {
    std::string out;
    if (!text || !*text) return out;
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return out;
    out.resize(static_cast<size_t>(n));
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}
