#include "PresetLibrary.h"

#include "FileReader.h"
#include "FolderListing.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {
constexpr int64_t kMaxPresetFileBytes = 1 << 20;

bool HasPresetExtension(const std::string& name) {
    if (name.size() <= 4) return false;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".vzp";
}
} // namespace

void ReadPreset(const std::string& path, PresetEntry& entry) {
    std::vector<unsigned char> bytes;
    entry.readable = ReadWholeFile(path.c_str(), kMaxPresetFileBytes, bytes);
    if (!entry.readable) return;
    const VzpStatus status = ParseVzpFile(bytes.data(), bytes.size(), entry.data);
    if (status == VzpStatus::kUnknownVersion)
        entry.error = kVzpNewerVersionMessage;
    else if (status != VzpStatus::kOk)
        entry.error = "This preset file is damaged and cannot be read:\n" + path;
    else
        entry.settings = VzpSettings(entry.data);
}

std::vector<std::string> ListPresetBanks(const std::string& banksFolder) {
    std::vector<FolderEntry> entries;
    std::vector<std::string> banks;
    if (!ListFolder(banksFolder.c_str(), entries)) return banks;
    for (const FolderEntry& entry : entries)
        if (entry.isDirectory) banks.push_back(entry.name);
    std::sort(banks.begin(), banks.end());
    return banks;
}

std::vector<PresetEntry> ReadBankPresets(const std::string& bankFolder) {
    std::vector<FolderEntry> entries;
    std::vector<PresetEntry> presets;
    if (!ListFolder(bankFolder.c_str(), entries)) return presets;
    for (const FolderEntry& entry : entries) {
        if (entry.isDirectory || !HasPresetExtension(entry.name)) continue;
        PresetEntry preset;
        preset.name = entry.name.substr(0, entry.name.find_last_of('.'));
        preset.file = entry.name;
        presets.push_back(std::move(preset));
    }
    std::sort(presets.begin(), presets.end(),
              [](const PresetEntry& a, const PresetEntry& b) { return a.file < b.file; });
    for (PresetEntry& preset : presets)
        ReadPreset(bankFolder + preset.file, preset);
    return presets;
}
