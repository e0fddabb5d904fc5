#include "FileWriting.h"

#include "WideText.h"

#include <windows.h>

namespace {
std::wstring Wide(const std::string& path) {
    std::wstring wide;
    if (!WideFromUtf8(path.c_str(), wide)) wide.assign(path.begin(), path.end());
    return wide;
}

std::string LastError() {
    const DWORD code = GetLastError();
    char text[256] = {};
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                        sizeof(text), nullptr))
        return "system error " + std::to_string(code);
    std::string message = text;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

class Win32FileSteps : public FileSteps {
public:
    intptr_t Create(const std::string& path, std::string& error) override {
        HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            error = LastError();
            return -1;
        }
        return reinterpret_cast<intptr_t>(file);
    }
    bool Write(intptr_t file, const unsigned char* data, size_t size, std::string& error) override {
        while (size > 0) {
            const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
            DWORD done = 0;
            if (!WriteFile(reinterpret_cast<HANDLE>(file), data, chunk, &done, nullptr) || done == 0) {
                error = LastError();
                return false;
            }
            data += done;
            size -= done;
        }
        return true;
    }
    bool Flush(intptr_t file, std::string& error) override {
        if (FlushFileBuffers(reinterpret_cast<HANDLE>(file))) return true;
        error = LastError();
        return false;
    }
    bool Close(intptr_t file, std::string& error) override {
        if (CloseHandle(reinterpret_cast<HANDLE>(file))) return true;
        error = LastError();
        return false;
    }
    bool Rename(const std::string& from, const std::string& to, std::string& error) override {
        if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        error = LastError();
        return false;
    }
    void Remove(const std::string& path) override { DeleteFileW(Wide(path).c_str()); }
};
} // namespace

FileSteps& SystemFileSteps() {
    static Win32FileSteps steps;
    return steps;
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    for (size_t at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '\\' && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (part.size() == 2 && part[1] == ':') continue; // a drive letter
        CreateDirectoryW(Wide(part).c_str(), nullptr);
    }
    const DWORD attributes = GetFileAttributesW(Wide(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}
