#pragma once

#include <string>
#include <vector>

struct FolderEntry {
    std::string name; // UTF-8, without the folder
    bool isDirectory = false;
};

// The entries of a folder (UTF-8 path, with or without a trailing separator), "." and ".."
// left out, in the order the system gives them. False when the folder cannot be read.
bool ListFolder(const char* folder, std::vector<FolderEntry>& out);
