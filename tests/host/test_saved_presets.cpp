// Presets the plug-in writes itself (.vzp): every model's settings and the impulse come back in a
// fresh instance through a preset file read by path, by MIDI program change from the user's
// bank, and through vulpane-host's save-preset and --preset.
#include "BuiltPlugin.h"
#include "DynamicLibrary.h"
#include "PresetFile.h"
#include "ScopedEnvironment.h"
#include "WavBytes.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {
namespace fs = std::filesystem;
constexpr int kNumModels = 16;
constexpr int kModelVolume = 62, kModelGain = 78, kModelBass = 94, kModelMiddle = 110, kModelTreble = 126;
constexpr int kAmpModelIndex = 4, kBankPosition = 152;
constexpr int32_t kWritePreset = 0x56705376, kReadPreset = 0x56704C64; // 'VpSv', 'VpLd'

// The parameters a preset holds besides the model and its own knobs: gate (3), amp on, tone (2),
// cabinet, EQ low and high, master, impulse dry and wet.
const int kShared[] = {0, 1, 2, 3, 7, 8, 12, 13, 14, 16, 21, 22};

std::unique_ptr<HostedPlugin> Fresh() {
    std::unique_ptr<HostedPlugin> p = LoadBuiltPlugin();
    if (p) p->Start(44100.0, 512);
    return p;
}

std::vector<char> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Contains(const std::vector<char>& bytes, const std::string& text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

intptr_t PathRequest(HostedPlugin& p, int32_t request, const std::string& path) {
    std::vector<char> text(path.begin(), path.end());
    text.push_back('\0');
    return p.Dispatch(effVendorSpecific, request, 0, text.data());
}

class SavedPresets : public ::testing::Test {
protected:
    void SetUp() override {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root = (fs::temp_directory_path() / ("vulpane-saved-" + std::to_string(stamp))).string();
        fs::create_directories(root);
        environment.Set(ScopedEnvironment::UserDataVariable(), root);
        userBank = (fs::path(root) / "Vulpane" / "Presets" / "My Sounds").string();
        impulse = (fs::path(root) / "room.wav").string();
        std::vector<int64_t> samples(64, 0);
        samples[0] = 20000;
        samples[5] = -9000;
        const std::vector<uint8_t> wav = wavtest::MakeWav16(samples);
        std::ofstream(impulse, std::ios::binary)
            .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    // Model m, distinct values in every slot the preset holds, and the impulse switched on.
    void Dial(HostedPlugin& p, int m) {
        // A version-4 preset naming the impulse brings it in, as a user's choice would.
        std::vector<char> seed = {'k', 'v', 'z', 'p', '0', '4', 's', 0, 0, 0, 0};
        seed.insert(seed.end(), impulse.begin(), impulse.end());
        seed.push_back(0);
        for (int i = 0; i < 23; ++i) {
            const float v = i == 18 ? 1.0f : 0.5f;
            const char* b = reinterpret_cast<const char*>(&v);
            seed.insert(seed.end(), b, b + 4);
        }
        const std::string seedPath = root + "/seed.vzp";
        std::ofstream(seedPath, std::ios::binary)
            .write(seed.data(), static_cast<std::streamsize>(seed.size()));
        ASSERT_EQ(PathRequest(p, kReadPreset, seedPath), 1);
        p.SetParameter(kAmpModelIndex, m / 15.0f);
        for (size_t k = 0; k < std::size(kShared); ++k)
            p.SetParameter(kShared[k], kShared[k] == 12
                                           ? ((m * 5 + 3) % 39) / 38.0f
                                           : static_cast<float>(((m * 7 + k * 3) % 17 + 1) / 19.0));
        const int knobs[] = {kModelVolume, kModelGain, kModelBass, kModelMiddle, kModelTreble};
        for (int k = 0; k < 5; ++k)
            p.SetParameter(knobs[k] + m, static_cast<float>(((m * 3 + k * 5) % 13 + 2) / 16.0));
    }
    static std::vector<int> Held(int m) {
        std::vector<int> held(std::begin(kShared), std::end(kShared));
        held.push_back(kAmpModelIndex);
        for (int block : {kModelVolume, kModelGain, kModelBass, kModelMiddle, kModelTreble})
            held.push_back(block + m);
        return held;
    }
    static void ExpectSame(HostedPlugin& saved, HostedPlugin& back, int m) {
        for (int index : Held(m))
            EXPECT_EQ(back.GetParameter(index), saved.GetParameter(index)) << "parameter " << index;
    }

    ScopedEnvironment environment;
    std::string root, userBank, impulse;
};

TEST_F(SavedPresets, EveryModelComesBackByPathAndByProgramChangeWithItsImpulse) {
    fs::create_directories(userBank);
    for (int m = 0; m < kNumModels; ++m) {
        SCOPED_TRACE("model " + std::to_string(m));
        std::unique_ptr<HostedPlugin> saved = Fresh();
        ASSERT_TRUE(saved);
        Dial(*saved, m);
        const std::string file = (fs::path(userBank) / "saved.vzp").string();
        ASSERT_EQ(PathRequest(*saved, kWritePreset, file), 1);
        const std::vector<char> bytes = Bytes(file);
        ASSERT_GE(bytes.size(), 6u);
        EXPECT_EQ(std::string(bytes.data(), 6), "kvzp04"); // the newest version the reader knows
        EXPECT_FALSE(fs::exists(file + ".part"));

        std::unique_ptr<HostedPlugin> byPath = Fresh();
        ASSERT_EQ(PathRequest(*byPath, kReadPreset, file), 1);
        ExpectSame(*saved, *byPath, m);
        EXPECT_TRUE(Contains(byPath->GetChunk(true), impulse)); // the impulse's path is the state's

        // The user's banks follow the factory bank beside the plug-in: the last bank is "My Sounds".
        std::unique_ptr<HostedPlugin> byProgram = Fresh();
        byProgram->SetParameter(kBankPosition, 1.0f);
        VstMidiEvent midi{};
        midi.type = kVstMidiType;
        midi.byteSize = sizeof(midi);
        midi.midiData[0] = static_cast<char>(0xC0);
        VstEvents list{};
        list.numEvents = 1;
        list.events[0] = reinterpret_cast<VstEvent*>(&midi);
        ASSERT_EQ(byProgram->Dispatch(effProcessEvents, 0, 0, &list), 1);
        ExpectSame(*saved, *byProgram, m);
        EXPECT_TRUE(Contains(byProgram->GetChunk(true), impulse));
    }
}

TEST_F(SavedPresets, CommandLineSavesWhatItsSettingsGiveAndPresetRecallsExactly) {
    const std::string host = ExecutableFolder() +
#if defined(_WIN32)
                             "vulpane-host.exe";
#else
                             "vulpane-host";
#endif
    const std::string first = root + "/first.vzp", again = root + "/again.vzp";
    const auto run = [&](const std::string& arguments) {
        std::string line = "\"" + host + "\" " + arguments;
#if defined(_WIN32)
        line = "\"" + line + "\""; // cmd.exe drops the first and last quote of a line that starts with one
#endif
        return std::system(line.c_str());
    };
    ASSERT_EQ(run("save-preset \"" + BuiltPluginPath() + "\" \"" + first +
                  "\" --quiet --set kAmpModel=\"Metal Charter\" --set kModelGain+7=0.8 --set "
                  "kCabPreset=\"Marsall 1960\""
                  " --set kMasterVolume=0.25"),
              0);
    // Recalled with --preset and saved again, the file is the same but for its name.
    ASSERT_EQ(
        run("save-preset \"" + BuiltPluginPath() + "\" \"" + again + "\" --quiet --preset \"" + first + "\""),
        0);
    const std::vector<char> a = Bytes(first), b = Bytes(again);
    ASSERT_GT(a.size(), 12u);
    EXPECT_EQ(std::vector<char>(a.begin() + 12, a.end()),
              std::vector<char>(b.begin() + 12, b.end())); // "first\0" / "again\0"
    // An existing file is replaced only with --overwrite.
    EXPECT_NE(
        run("save-preset \"" + BuiltPluginPath() + "\" \"" + first + "\" --quiet --set kMasterVolume=1"), 0);
    EXPECT_EQ(Bytes(first), a);
    EXPECT_EQ(run("save-preset \"" + BuiltPluginPath() + "\" \"" + first +
                  "\" --quiet --overwrite --set kMasterVolume=1"),
              0);
    EXPECT_NE(Bytes(first), a);

    std::unique_ptr<HostedPlugin> back = Fresh();
    ASSERT_EQ(PathRequest(*back, kReadPreset, again), 1);
    EXPECT_EQ(back->ParamDisplay(kAmpModelIndex), "Metal Charter");
    EXPECT_EQ(back->ParamDisplay(12), "Marsall 1960");
    EXPECT_EQ(back->GetParameter(kModelGain + 7), 0.8f);
    EXPECT_EQ(back->GetParameter(16), 0.25f);
}
} // namespace
