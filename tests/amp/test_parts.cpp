// The plug-in's parts on their own, through a plug-in without an editor: what they keep and
// what they ask the plug-in to move.
#include "EditorControls.h"
#include "EditorFeedback.h"
#include "FileReader.h"
#include "ImpulseLibrary.h"
#include "ParameterIds.h"
#include "PluginServices.h"
#include "PresetBrowser.h"
#include "SignalChain.h"
#include "VzpFile.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {
// A plug-in without an editor whose parameters only record what the parts move.
class HeadlessPlugin : public PluginServices {
public:
    HeadlessPlugin() { chain.Initialise(44100.0); }
    PluginLock& PluginMutex() override { return lock; }
    ChainChanges& Changes() override { return changes; }
    ChainChanges::Route ChainRoute() const override { return ChainChanges::Route::kIdle; }
    const SignalChain& ChainSettings() const override { return chain; }
    IEditorGraphics* Graphics() const override { return nullptr; }
    const EditorControls& Controls() const override { return controls; }
    double ParamValue(int index) const override { return values[static_cast<size_t>(index)]; }
    double ParamNormalized(int index) const override { return values[static_cast<size_t>(index)]; }
    void MoveParameter(int index, double v) override {
        values[static_cast<size_t>(index)] = v;
        moved.push_back({index, v});
    }
    void MoveControls(int, double) override {} // no editor, so no controls
    const ControlMirror& ControlsMirror() const override { return mirror; }
    bool Restoring() const override { return false; }
    bool OnAudioThread() const override { return false; }

    ControlMirror mirror;
    std::vector<VzpSetting> moved;
    PluginLock lock;
    RecursiveLock audioLock;
    SignalChain chain;
    ChainChanges changes{chain, audioLock};
    EditorControls controls;
    std::array<double, kNumParams> values{};
    EditorFeedback feedback{*this};
    ImpulseLibrary impulses{*this};
    PresetBrowser presets{*this, feedback, impulses};
};

std::vector<int64_t> Words(int length, double phase) {
    std::vector<int64_t> words;
    for (int i = 0; i < length; ++i)
        words.push_back(static_cast<int64_t>(20000.0 * std::exp(-i / 30.0) * std::cos(0.9 * i + phase)));
    return words;
}

// 1 / (sqrt 2 * ||h||) of the 16-bit words as fractions.
double NormOf(const std::vector<int64_t>& words) {
    double energy = 0.0;
    for (int64_t w : words)
        energy += (w / 32768.0) * (w / 32768.0);
    return 1.0 / (std::sqrt(2.0) * std::sqrt(energy));
}

TEST(ImpulseFilesWithoutEditor, RecallLoadsStepsAndMarksAMissingFile) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() /
        ("vulpane-parts-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    ASSERT_TRUE(fs::create_directory(dir));
    const std::string folder = dir.string() + static_cast<char>(fs::path::preferred_separator);
    const std::vector<int64_t> a = Words(200, 0.0), b = Words(500, 1.0);
    for (const auto& [name, words] : {std::make_pair("a.wav", a), std::make_pair("b.wav", b)}) {
        const std::vector<uint8_t> bytes = wavtest::MakeWav16(words, 44100);
        std::ofstream(folder + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    {
        HeadlessPlugin plugin;
        ImpulseLibrary& library = plugin.impulses;
        library.Recall(folder + "a.wav");
        library.WaitForLoads();
        EXPECT_EQ(library.Error(), "");
        EXPECT_EQ(library.Path(), folder + "a.wav");
        EXPECT_EQ(library.Folder(), folder);
        EXPECT_EQ(library.Names(), (std::vector<std::string>{"a", "b"}));
        EXPECT_EQ(library.Index(), 0);
        EXPECT_NEAR(plugin.chain.IrNorm(), NormOf(a), 1e-12 * NormOf(a));

        library.Change(kIrNext, 1.0);
        library.WaitForLoads();
        EXPECT_EQ(library.Index(), 1);
        EXPECT_EQ(library.Path(), folder + "b.wav");
        EXPECT_NEAR(plugin.chain.IrNorm(), NormOf(b), 1e-12 * NormOf(b));

        // A missing file stays the stored path; the impulse and listing stay as they were.
        library.Recall(folder + "gone.wav");
        library.WaitForLoads();
        library.ShowQueuedMessage(); // no editor to show it in
        EXPECT_EQ(library.Error(), "File not found:\n" + folder + "gone.wav");
        EXPECT_EQ(library.Path(), folder + "gone.wav");
        EXPECT_EQ(library.Index(), 1);
        EXPECT_NEAR(plugin.chain.IrNorm(), NormOf(b), 1e-12 * NormOf(b));
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

// A program change with no editor: the browser moves the position that selects the preset and
// then every setting the file holds, in the file's order.
TEST(PresetBrowserWithoutEditor, ProgramChangeMovesTheFilesSettings) {
    const char* source = std::getenv("VULPANE_SOURCE_DIR");
    const std::string banks = std::string(source ? source : ".") + "/presets/Vulpane/Presets/";
    HeadlessPlugin plugin;
    plugin.presets.UseFolder(banks);
    ASSERT_FALSE(plugin.presets.BankNames().empty());
    const std::string bank = banks + plugin.presets.BankNames()[0] + "/";
    const std::vector<PresetEntry> presets = plugin.presets.PresetNames();
    ASSERT_GE(presets.size(), 2u);
    for (int program : {static_cast<int>(presets.size()) - 1, 0, 1}) {
        SCOPED_TRACE(presets[static_cast<size_t>(program)].name);
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(
            ReadWholeFile((bank + presets[static_cast<size_t>(program)].file).c_str(), 1 << 20, bytes));
        VzpFile file;
        ASSERT_EQ(ParseVzpFile(bytes.data(), bytes.size(), file), VzpStatus::kOk);
        std::vector<VzpSetting> expected = VzpSettings(file);
        expected.push_back({kIrOn, VzpImpulseOn(file) ? 1.0 : 0.0});

        plugin.moved.clear();
        plugin.presets.SelectProgram(program);
        EXPECT_EQ(plugin.presets.CurrentPreset(), program);
        ASSERT_EQ(plugin.moved.size(), expected.size() + 1);
        EXPECT_EQ(plugin.moved[0].param, kPresetPosition);
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(plugin.moved[i + 1].param, expected[i].param) << i;
            EXPECT_EQ(plugin.moved[i + 1].value, expected[i].value) << i;
        }
        EXPECT_EQ(plugin.presets.PresetError(), "");
    }
}
} // namespace
