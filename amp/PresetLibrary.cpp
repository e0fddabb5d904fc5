#include "PresetLibrary.h"

#include "FolderListing.h"

#include <algorithm>
#include <cctype>

namespace {
bool HasPresetExtension(const std::string& name) {
    if (name.size() <= 4) return false;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".vzp";
}
} // namespace

std::vector<std::string> ListPresetBanks(const std::string& banksFolder) {
    std::vector<FolderEntry> entries;
    std::vector<std::string> banks;
    if (!ListFolder(banksFolder.c_str(), entries)) return banks;
    for (const FolderEntry& entry : entries)
        if (entry.isDirectory) banks.push_back(entry.name);
    std::sort(banks.begin(), banks.end());
    return banks;
}

std::vector<PresetEntry> ListBankPresets(const std::string& bankFolder) {
    std::vector<FolderEntry> entries;
    std::vector<PresetEntry> presets;
    if (!ListFolder(bankFolder.c_str(), entries)) return presets;
    for (const FolderEntry& entry : entries) {
        if (entry.isDirectory || !HasPresetExtension(entry.name)) continue;
        presets.push_back({entry.name.substr(0, entry.name.find_last_of('.')), entry.name});
    }
    std::sort(presets.begin(), presets.end(),
              [](const PresetEntry& a, const PresetEntry& b) { return a.file < b.file; });
    return presets;
}
