#include "SessionFiles.h"

#include "ChunkBytes.h"
#include "WavBytes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {
constexpr int kParams = 162;
constexpr int kIrOnIndex = 18;

bool WriteImpulse(const std::string& file, int frames, uint32_t rate, double decay, double turn) {
    std::vector<int64_t> words;
    words.reserve(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i)
        words.push_back(static_cast<int64_t>(6000000.0 * std::exp(-i / decay) * std::cos(turn * i)));
    wavtest::WavFormat format;
    format.bits = 24;
    format.rate = rate;
    const std::vector<uint8_t> bytes = wavtest::MakeWav(format, words);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}
} // namespace

bool SessionFiles::Create(const std::string& pluginPath, std::string& error) {
    char pattern[] = "/tmp/vulpane-session-XXXXXX";
    if (!mkdtemp(pattern)) {
        error = "cannot make a temporary folder";
        return false;
    }
    root = pattern;
    std::error_code failed;
    const fs::path factory = fs::path(pluginPath).parent_path() / "Vulpane" / "Presets" / "Factory";
    for (const auto& entry : fs::directory_iterator(factory, failed))
        if (entry.path().extension() == ".vzp") factoryPresets.push_back(entry.path().string());
    std::sort(factoryPresets.begin(), factoryPresets.end());
    if (factoryPresets.empty()) {
        error = "no factory presets in " + factory.string();
        return false;
    }
    const fs::path banks = fs::path(root) / "data" / "Vulpane" / "Presets";
    const char* bankNames[] = {"Session A", "Session B"};
    for (size_t b = 0; b < userBanks; ++b) {
        const fs::path bank = banks / bankNames[b];
        fs::create_directories(bank, failed);
        for (size_t i = 0; i < factoryPresets.size(); ++i) {
            const size_t from = b == 0 ? i : factoryPresets.size() - 1 - i;
            char name[64];
            std::snprintf(name, sizeof name, "%02zu %s", i + 1,
                          fs::path(factoryPresets[from]).filename().c_str());
            fs::copy_file(factoryPresets[from], bank / name, failed);
        }
    }
    setenv("XDG_DATA_HOME", (fs::path(root) / "data").c_str(), 1);

    fs::create_directories(fs::path(root) / "rooms", failed);
    fs::create_directories(fs::path(root) / "hall", failed);
    fs::create_directories(fs::path(root) / "carried", failed);
    roomA = (fs::path(root) / "rooms" / "room-a.wav").string();
    roomB = (fs::path(root) / "rooms" / "room-b.wav").string();
    hall = (fs::path(root) / "hall" / "hall-96k.wav").string();
    carried = (fs::path(root) / "carried" / "plate.wav").string();
    if (!WriteImpulse(roomA, 12000, 48000, 2400.0, 0.45) || !WriteImpulse(roomB, 24000, 48000, 4800.0, 0.3) ||
        !WriteImpulse(hall, 960000, 96000, 96000.0, 0.2) ||
        !WriteImpulse(carried, 960000, 96000, 48000.0, 0.6)) {
        error = "cannot write the impulse files in " + root;
        return false;
    }
    return true;
}

SessionFiles::~SessionFiles() {
    if (root.empty()) return;
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

std::vector<char> StateNamingImpulse(const std::vector<char>& from, const std::string& path) {
    // The values follow the header and the path text; tagged records may follow them.
    int32_t pathLength = 0;
    if (from.size() < 12) return {};
    std::memcpy(&pathLength, from.data() + 8, sizeof pathLength);
    if (pathLength < 0 || from.size() < 12 + static_cast<size_t>(pathLength) + kParams * 8) return {};
    ChunkBytes state;
    state.Header().Text(path);
    for (int i = 0; i < kParams; ++i) {
        const double v = ReadDouble(from, 12 + static_cast<size_t>(pathLength) + static_cast<size_t>(i) * 8);
        state.Double(i == kIrOnIndex ? 1.0 : v);
    }
    return state.bytes;
}

bool CarriesImpulse(const std::vector<char>& chunk) {
    static const char tag[] = "VXTR";
    return std::search(chunk.begin(), chunk.end(), tag, tag + 4) != chunk.end();
}
