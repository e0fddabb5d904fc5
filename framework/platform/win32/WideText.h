#pragma once

#include <string>

// UTF-8 to UTF-16 and back for the wide Win32 file calls. WideFromUtf8 is false for text
// that is not well-formed UTF-8.
bool WideFromUtf8(const char* text, std::wstring& out);
std::string Utf8FromWide(const wchar_t* text);
