#pragma once

#include <string>

// The folder where a user's own data for programs lives, with its trailing separator:
// $XDG_DATA_HOME (or ~/.local/share) on Linux, %APPDATA% on Windows. Empty when the system
// names none.
std::string UserDataFolder();
// The user's home folder, with its trailing separator ($HOME, %USERPROFILE%); empty when unknown.
std::string HomeFolder();
