#include "UserPresets.h"

#include "FileReader.h"
#include "FileWriting.h"
#include "LibraryFolder.h"
#include "UserDataFolder.h"

#include <vector>

const char* const kDefaultUserBank = "My Sounds";

namespace {
constexpr int64_t kMaxSettingsBytes = 1 << 16;

std::string VulpaneFolder() {
    const std::string data = UserDataFolder();
    return data.empty() ? data : data + "Vulpane" + PathSeparator();
}

std::vector<std::string> SettingsLines() {
    std::vector<unsigned char> bytes;
    std::vector<std::string> lines;
    const std::string file = UserSettingsFile();
    if (file.empty() || !ReadWholeFile(file.c_str(), kMaxSettingsBytes, bytes)) return lines;
    std::string line;
    for (unsigned char c : bytes) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}
} // namespace

std::string UserBanksFolder() {
    const std::string folder = VulpaneFolder();
    return folder.empty() ? folder : folder + "Presets" + PathSeparator();
}

std::string UserSettingsFile() {
    const std::string folder = VulpaneFolder();
    return folder.empty() ? folder : folder + "settings.txt";
}

std::string ReadUserSetting(const std::string& key) {
    for (const std::string& line : SettingsLines())
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == '=')
            return line.substr(key.size() + 1);
    return std::string();
}

bool WriteUserSetting(const std::string& key, const std::string& value) {
    const std::string file = UserSettingsFile();
    if (file.empty() || value.find('\n') != std::string::npos || !MakeFolders(VulpaneFolder())) return false;
    std::string text;
    for (const std::string& line : SettingsLines())
        if (line.compare(0, key.size() + 1, key + "=") != 0) text += line + "\n";
    text += key + "=" + value + "\n";
    std::string error;
    return WriteFileSafely(file, std::vector<unsigned char>(text.begin(), text.end()), error);
}
