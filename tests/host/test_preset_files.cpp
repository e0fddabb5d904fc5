// Standard .fxp / .fxb files: their bytes, and settings that move between processes.
#include "BuiltPlugin.h"
#include "DynamicLibrary.h"
#include "PresetFile.h"

#include <cstdio>
#include <cstdlib>

namespace {
int32_t BigEndian(const std::vector<char>& b, size_t at) {
    const auto* p = reinterpret_cast<const uint8_t*>(b.data() + at);
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                                static_cast<uint32_t>(p[2]) << 8 | p[3]);
}

std::string HostProgram() {
#if defined(_WIN32)
    return ExecutableFolder() + "vulpane-host.exe";
#else
    return ExecutableFolder() + "vulpane-host";
#endif
}

class PresetFiles : public BuiltPluginTest {};

TEST_F(PresetFiles, ProgramFileLayout) {
    const std::vector<char> bytes = FormatPresetFile(CapturePreset(*plugin, false));
    // Header fields, then the chunk with an empty path and a new instance's oversampling record.
    ASSERT_EQ(bytes.size(), 60u + 1328u);
    EXPECT_EQ(std::string(bytes.data(), 4), "CcnK");
    EXPECT_EQ(BigEndian(bytes, 4), static_cast<int32_t>(bytes.size() - 8));
    EXPECT_EQ(std::string(bytes.data() + 8, 4), "FPCh");
    EXPECT_EQ(BigEndian(bytes, 12), 1);
    EXPECT_EQ(std::string(bytes.data() + 16, 4), "vzp2");
    EXPECT_EQ(BigEndian(bytes, 20), 20500);
    EXPECT_EQ(BigEndian(bytes, 24), 1);
    EXPECT_EQ(std::string(bytes.data() + 28), "Default");
    EXPECT_EQ(BigEndian(bytes, 56), 1328);
    EXPECT_EQ(std::vector<char>(bytes.begin() + 60, bytes.end()), plugin->GetChunk(true));
}

TEST_F(PresetFiles, BankFileLayout) {
    const std::vector<char> bytes = FormatPresetFile(CapturePreset(*plugin, true));
    EXPECT_EQ(std::string(bytes.data() + 8, 4), "FBCh");
    EXPECT_EQ(BigEndian(bytes, 12), 2);
    EXPECT_EQ(BigEndian(bytes, 28), 0); // current program
    EXPECT_EQ(BigEndian(bytes, 156), 2640);
    ASSERT_EQ(bytes.size(), 160u + 2640u);
}

TEST_F(PresetFiles, DamagedFilesAreRefusedAndChangeNothing) {
    plugin->SetParameter(16, 0.3f);
    std::vector<char> bytes = FormatPresetFile(CapturePreset(*plugin, false));
    PresetFile file;
    std::string error;
    std::vector<char> cut(bytes.begin(), bytes.begin() + 70);
    EXPECT_FALSE(ParsePresetFile(cut, file, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ParsePresetFile(std::vector<char>(3, 'x'), file, error));
    bytes[19] = 'X'; // another plug-in's id
    ASSERT_TRUE(ParsePresetFile(bytes, file, error));
    EXPECT_FALSE(ApplyPreset(*plugin, file, error));
    EXPECT_EQ(plugin->GetParameter(16), 0.3f);
}

TEST(PresetFileFormat, ParameterListsRoundTrip) {
    PresetFile bank;
    bank.bank = true;
    bank.opaque = false;
    bank.fxId = 0x41424344;
    bank.fxVersion = 3;
    bank.currentProgram = 1;
    bank.programs = {{"one", {0.0f, 0.5f}}, {"two", {1.0f, 0.25f}}};
    PresetFile back;
    std::string error;
    ASSERT_TRUE(ParsePresetFile(FormatPresetFile(bank), back, error)) << error;
    ASSERT_EQ(back.programs.size(), 2u);
    EXPECT_EQ(back.programs[1].name, "two");
    EXPECT_EQ(back.programs[1].params, (std::vector<float>{1.0f, 0.25f}));
    EXPECT_EQ(back.currentProgram, 1);
    PresetFile program = bank;
    program.bank = false;
    program.name = "one";
    program.programs.resize(1);
    ASSERT_TRUE(ParsePresetFile(FormatPresetFile(program), back, error)) << error;
    EXPECT_EQ(back.name, "one");
    EXPECT_EQ(back.programs[0].params, (std::vector<float>{0.0f, 0.5f}));
}

TEST(PresetFileAcrossProcesses, SavedByTheCommandLineHostLoadedHere) {
    const std::string file = ExecutableFolder() + "cross-process.fxp";
    std::remove(file.c_str());
    const std::string command = "\"" + HostProgram() + "\" save-program \"" + BuiltPluginPath() + "\" \"" + file +
                                "\" --quiet --set kMasterVolume=0.25 --set kAmpModel=\"Metal Charter\" --set 100=0.125";
#if defined(_WIN32)
    // cmd.exe drops the first and last quote of a line that starts with one.
    const std::string line = "\"" + command + "\"";
#else
    const std::string& line = command;
#endif
    ASSERT_EQ(std::system(line.c_str()), 0) << line;
    std::vector<char> bytes;
    std::string error;
    ASSERT_TRUE(ReadFileBytes(file, bytes, error)) << error;
    PresetFile preset;
    ASSERT_TRUE(ParsePresetFile(bytes, preset, error)) << error;
    std::unique_ptr<HostedPlugin> plugin = LoadBuiltPlugin();
    ASSERT_TRUE(plugin);
    plugin->Start(44100.0, 256);
    ASSERT_TRUE(ApplyPreset(*plugin, preset, error)) << error;
    EXPECT_EQ(plugin->GetParameter(16), 0.25f);
    EXPECT_EQ(plugin->ParamDisplay(4), "Metal Charter");
    EXPECT_EQ(plugin->GetParameter(100), 0.125f);
    EXPECT_EQ(plugin->GetChunk(true), preset.chunk);
    std::remove(file.c_str());
}
} // namespace
