#include "UserDataFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    if (!home || home[0] != '/') return std::string();
    std::string folder = home;
    return folder.back() == '/' ? folder : folder + '/';
}

std::string UserDataFolder() {
    // The XDG base directory rule: an absolute $XDG_DATA_HOME, else ~/.local/share.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') {
        std::string folder = data;
        if (folder.back() != '/') folder += '/';
        return folder;
    }
    const std::string home = HomeFolder();
    return home.empty() ? home : home + ".local/share/";
}
