#pragma once

#include "VzpFile.h"

#include <string>
#include <vector>

// One preset of a bank, read and parsed when the banks were listed, so that loading it later
// touches no file.
struct PresetEntry {
    std::string name;                 // the file name up to its last "."
    std::string file;                 // the file name as listed
    bool readable = false;            // the file could be read when listed
    std::string error;                // the message its load shows ("" when it parsed)
    VzpFile data;                     // the parsed file, when readable and error is ""
    std::vector<VzpSetting> settings; // VzpSettings(data), worked out once
    bool kept = false;                // unreadable when listed again: the copy read before stays
};

// The bank folders inside a banks folder, sorted by name; empty when it cannot be read.
std::vector<std::string> ListPresetBanks(const std::string& banksFolder);
// Reads and parses one preset file into entry (its name and file stay as they are).
void ReadPreset(const std::string& path, PresetEntry& entry);
// The ".vzp" files of a bank folder (extension in any case), sorted by name, each read and
// parsed (bankFolder ends with its separator).
std::vector<PresetEntry> ReadBankPresets(const std::string& bankFolder);
