#pragma once

#include <string>
#include <vector>

// One preset of a bank: the name shown and the file behind it.
struct PresetEntry {
    std::string name; // the file name up to its last "."
    std::string file; // the file name as listed
};

// The bank folders inside a banks folder, sorted by name; empty when it cannot be read.
std::vector<std::string> ListPresetBanks(const std::string& banksFolder);
// The ".vzp" files of a bank folder (extension in any case), sorted by name.
std::vector<PresetEntry> ListBankPresets(const std::string& bankFolder);
