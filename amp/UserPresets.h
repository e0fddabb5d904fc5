#pragma once

#include <string>

// Where the user's own presets and settings live: <user data>/Vulpane/Presets/<Bank>/ for the
// banks and <user data>/Vulpane/settings.txt beside them ($XDG_DATA_HOME or ~/.local/share on
// Linux, %APPDATA% on Windows). Empty when the system names no user data folder.
std::string UserBanksFolder();
std::string UserSettingsFile();

// The user bank a save goes to while a factory bank is open.
extern const char* const kDefaultUserBank;

// One "key=value" line of the settings file ("" when the file or the key is missing), and
// writing one (the other lines kept; the file replaced safely). False when it cannot be written.
std::string ReadUserSetting(const std::string& key);
bool WriteUserSetting(const std::string& key, const std::string& value);
