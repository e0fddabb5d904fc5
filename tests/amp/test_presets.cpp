#include "EditorFixture.h"
#include "ITextControls.h"
#include "VzpFile.h"
#include "WavBytes.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {
// A preset file as the library holds it: magic, five texts, little-endian floats.
std::vector<uint8_t> PresetBytes(const char* magic, const std::vector<float>& values,
                                 const std::string& impulse = "") {
    std::vector<uint8_t> b(magic, magic + 6);
    const std::string texts[5] = {"name", "author", "style", "notes", impulse};
    for (const std::string& t : texts) {
        b.insert(b.end(), t.begin(), t.end());
        b.push_back(0);
    }
    for (float f : values) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        for (int k = 0; k < 4; ++k)
            b.push_back(static_cast<uint8_t>(bits >> (8 * k)));
    }
    return b;
}

// Values i / 100 + 0.1, so each slot is told apart; F4 as given.
std::vector<float> Values(int count, float model) {
    std::vector<float> v(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        v[static_cast<size_t>(i)] = 0.1f + i / 100.0f;
    v[4] = model;
    return v;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
} // namespace

TEST(VzpFileParse, EveryVersionHoldsItsValueCount) {
    const struct {
        const char* magic;
        int count;
    } versions[] = {{"kvzp01", 66}, {"kvzp02", 17}, {"kvzp03", 17}, {"kvzp04", 23}};
    for (const auto& v : versions) {
        const std::vector<uint8_t> bytes = PresetBytes(v.magic, Values(v.count, 0.5f), "x.wav");
        VzpFile file;
        ASSERT_EQ(ParseVzpFile(bytes.data(), bytes.size(), file), VzpStatus::kOk) << v.magic;
        EXPECT_EQ(file.version, v.magic[5] - '0');
        ASSERT_EQ(file.values.size(), static_cast<size_t>(v.count));
        EXPECT_FLOAT_EQ(file.values[7], 0.17f);
        EXPECT_EQ(file.texts[1], "author");
        EXPECT_EQ(file.texts[4], "x.wav");
    }
}

TEST(VzpFileParse, EveryShorterFileIsRejectedUntouched) {
    const std::vector<uint8_t> bytes = PresetBytes("kvzp04", Values(23, 0.5f));
    for (size_t size = 0; size < bytes.size(); ++size) {
        VzpFile file;
        file.version = 9;
        EXPECT_EQ(ParseVzpFile(bytes.data(), size, file), VzpStatus::kTruncated) << size;
        EXPECT_EQ(file.version, 9);
    }
}

TEST(VzpFileParse, UnknownMagicIsANewerVersion) {
    VzpFile file;
    for (const char* magic : {"kvzp05", "kvzp00", "xvzp01"}) {
        const std::vector<uint8_t> bytes = PresetBytes(magic, Values(66, 0.5f));
        EXPECT_EQ(ParseVzpFile(bytes.data(), bytes.size(), file), VzpStatus::kUnknownVersion) << magic;
    }
}

TEST(VzpFileParse, ModelScaleDependsOnVersion) {
    VzpFile file;
    std::vector<uint8_t> bytes = PresetBytes("kvzp02", Values(17, 1.0f));
    ASSERT_EQ(ParseVzpFile(bytes.data(), bytes.size(), file), VzpStatus::kOk);
    EXPECT_EQ(VzpModel(file), 12);
    bytes = PresetBytes("kvzp03", Values(17, 1.0f));
    ASSERT_EQ(ParseVzpFile(bytes.data(), bytes.size(), file), VzpStatus::kOk);
    EXPECT_EQ(VzpModel(file), 15);
}

TEST(VzpFileParse, SettingsFollowTheVersionTable) {
    VzpFile file;
    const std::vector<uint8_t> bytes = PresetBytes("kvzp01", Values(66, 0.2f));
    ASSERT_EQ(ParseVzpFile(bytes.data(), bytes.size(), file), VzpStatus::kOk);
    const std::vector<VzpSetting> settings = VzpSettings(file);
    ASSERT_FALSE(settings.empty());
    auto valueOf = [&](int param) {
        for (const VzpSetting& s : settings)
            if (s.param == param) return s.value;
        return -1.0;
    };
    // 0.2 * 0.8 * 15 + 0.5 = 2.9: model 2.
    EXPECT_NEAR(valueOf(kEqLow), 0.73, 1e-6);
    EXPECT_NEAR(valueOf(kEqHigh), 0.74, 1e-6);
    EXPECT_NEAR(valueOf(kMasterVolume), 0.75, 1e-6);
    EXPECT_NEAR(valueOf(kModelVolume + 2), 0.15, 1e-6);
    EXPECT_NEAR(valueOf(kModelTreble + 2), 0.21, 1e-6);
    EXPECT_EQ(valueOf(kLoudness), -1.0);
    EXPECT_EQ(valueOf(kIrDry), -1.0);
    EXPECT_EQ(settings.back().param, kAmpModel);
    EXPECT_NEAR(settings.back().value, 0.16, 1e-6);
}

class PresetLibraryTest : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        namespace fs = std::filesystem;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        const fs::path dir = fs::temp_directory_path() / ("vulpane-presets-" + std::to_string(stamp));
        ASSERT_TRUE(fs::create_directory(dir));
        sep = static_cast<char>(fs::path::preferred_separator);
        root = dir.string() + sep;
        fs::create_directory(root + "Zeta");
        fs::create_directory(root + "Alpha");
        WriteFile(root + "loose.vzp", PresetBytes("kvzp03", Values(17, 0.5f)));
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::string Bank(const char* name) const { return root + name + sep; }
    void Program(int n) { plugin->ProcessMidi(MidiMessage{0, 0xC0, static_cast<uint8_t>(n), 0}); }
    std::string TextAt(int index) const {
        auto* text = dynamic_cast<ITextControl*>(At(index));
        return text ? text->Text() : std::string("<not text>");
    }

    char sep = '/';
    std::string root;
};

TEST_F(PresetLibraryTest, BanksAndPresetsAreSortedAndOnlyPresetFilesListed) {
    WriteFile(Bank("Alpha") + "b.vzp", PresetBytes("kvzp03", Values(17, 0.5f)));
    WriteFile(Bank("Alpha") + "a.b.vzp", PresetBytes("kvzp03", Values(17, 0.5f)));
    WriteFile(Bank("Alpha") + "readme.txt", {'x'});
    plugin->UsePresetFolder(root);
    ASSERT_EQ(plugin->BankNames(), (std::vector<std::string>{"Alpha", "Zeta"}));
    ASSERT_EQ(plugin->PresetNames().size(), 2u);
    EXPECT_EQ(plugin->PresetNames()[0].name, "a.b");
    EXPECT_EQ(plugin->PresetNames()[1].name, "b");
    EXPECT_EQ(TextAt(kControlBankName), "Alpha");
}

TEST_F(PresetLibraryTest, ProgramChangeLoadsThatPresetOntoTheParameters) {
    WriteFile(Bank("Alpha") + "0 first.vzp", PresetBytes("kvzp02", Values(17, 0.5f)));
    WriteFile(Bank("Alpha") + "1 second.vzp", PresetBytes("kvzp03", Values(17, 1.0f)));
    plugin->UsePresetFolder(root);
    Program(1);
    EXPECT_EQ(plugin->CurrentPreset(), 1);
    EXPECT_EQ(plugin->CurrentModel(), 15);
    EXPECT_NEAR(host->GetParameter(kGateThreshold), 0.11f, 1e-6);
    EXPECT_NEAR(host->GetParameter(kToneFreq), 0.17f, 1e-6);
    EXPECT_NEAR(host->GetParameter(kAmpGain), 0.16f, 1e-6);
    EXPECT_NEAR(host->GetParameter(kModelGain + 15), 0.16f, 1e-6);
    EXPECT_NEAR(host->GetParameter(kMasterVolume), 0.26f, 1e-6);
    EXPECT_EQ(TextAt(kControlPresetName), "1 second");
    EXPECT_EQ(plugin->PresetError(), "");
    // A program past the end of the bank loads its last preset; the first one loads too.
    Program(0);
    EXPECT_EQ(plugin->CurrentPreset(), 0);
    EXPECT_EQ(plugin->CurrentModel(), 6); // 0.5 * 0.8 * 15 + 0.5 = 6.5
    Program(40);
    EXPECT_EQ(plugin->CurrentPreset(), 1);
    EXPECT_EQ(plugin->CurrentModel(), 15);
}

// A program change the host sends on its audio thread moves the parameters and tells the host at
// once, but touches no editor control: the editor shows the preset at its next idle tick.
TEST_F(PresetLibraryTest, ProgramChangeOnTheAudioThreadIsShownAtTheEditorsIdle) {
    WriteFile(Bank("Alpha") + "0 first.vzp", PresetBytes("kvzp02", Values(17, 0.5f)));
    WriteFile(Bank("Alpha") + "1 second.vzp", PresetBytes("kvzp03", Values(17, 1.0f)));
    plugin->UsePresetFolder(root);
    Render(); // this thread now runs the blocks
    Idle();
    const std::string shownBefore = TextAt(kControlPresetName);
    std::vector<unsigned> before;
    for (int i = 0; i < graphics->ControlCount(); ++i)
        before.push_back(At(i)->Changes());

    VstMidiEvent midi{};
    midi.type = kVstMidiType;
    midi.byteSize = sizeof(midi);
    midi.midiData[0] = static_cast<char>(0xC0);
    midi.midiData[1] = 1;
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&midi);
    host->Dispatch(effProcessEvents, 0, 0, &list);

    EXPECT_EQ(plugin->CurrentModel(), 15);
    EXPECT_NEAR(host->GetParameter(kAmpGain), 0.16f, 1e-6);
    EXPECT_NEAR(host->GetParameter(kModelGain + 15), 0.16f, 1e-6);
    for (int i = 0; i < graphics->ControlCount(); ++i)
        EXPECT_EQ(At(i)->Changes(), before[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(TextAt(kControlPresetName), shownBefore);

    Idle();
    EXPECT_EQ(TextAt(kControlPresetName), "1 second");
    // Only the selected model's panel shows, its knobs at the preset's values.
    int panelKnobs = 0;
    for (int i = 0; i < graphics->ControlCount(); ++i) {
        const IControl* control = At(i);
        const int param = control->ParamIdx();
        if (!IsPanelParam(param) || control->IsHidden()) continue;
        EXPECT_EQ((param - kModelSwitch) % kNumModels, 15) << i;
        if (param == kModelGain + 15) {
            EXPECT_NEAR(control->Value(), 0.16, 1e-6);
        }
        ++panelKnobs;
    }
    EXPECT_GT(panelKnobs, 0);
}

TEST_F(PresetLibraryTest, SmallBanksNeverDivideByZero) {
    plugin->UsePresetFolder(root);
    const float before = host->GetParameter(kGate);
    Program(3); // the open bank is empty
    EXPECT_EQ(host->GetParameter(kGate), before);
    WriteFile(Bank("Alpha") + "only.vzp", PresetBytes("kvzp03", Values(17, 0.0f)));
    plugin->UsePresetFolder(root);
    Program(3);
    EXPECT_EQ(plugin->CurrentPreset(), 0);
    EXPECT_NEAR(host->GetParameter(kGate), 0.1f, 1e-6);
}

TEST_F(PresetLibraryTest, DamagedOrNewerFilesChangeNothing) {
    std::vector<uint8_t> cut = PresetBytes("kvzp04", Values(23, 1.0f));
    cut.resize(cut.size() - 3);
    WriteFile(Bank("Alpha") + "a.vzp", cut);
    WriteFile(Bank("Alpha") + "b.vzp", PresetBytes("kvzp05", Values(23, 1.0f)));
    plugin->UsePresetFolder(root);
    const float gate = host->GetParameter(kGateThreshold);
    Program(0);
    EXPECT_EQ(host->GetParameter(kGateThreshold), gate);
    EXPECT_EQ(plugin->CurrentModel(), 0);
    EXPECT_NE(plugin->PresetError(), "");
    Program(1);
    EXPECT_EQ(host->GetParameter(kGateThreshold), gate);
    EXPECT_EQ(plugin->PresetError().rfind("This preset was made with a newer version of\n", 0), 0u);
}

// The banks are read when listed: files changed or deleted since then load as they were, until
// the library is listed again.
TEST_F(PresetLibraryTest, BanksLoadAsListedUntilListedAgain) {
    namespace fs = std::filesystem;
    const auto model = [](int m) { return Values(17, m / static_cast<float>(kLastModel)); };
    WriteFile(Bank("Alpha") + "a.vzp", PresetBytes("kvzp03", model(3)));
    WriteFile(Bank("Alpha") + "b.vzp", PresetBytes("kvzp03", model(5)));
    WriteFile(Bank("Zeta") + "c.vzp", PresetBytes("kvzp03", model(7)));
    WriteFile(Bank("Zeta") + "d.vzp", PresetBytes("kvzp03", model(9)));
    WriteFile(Bank("Alpha") + "f.vzp", PresetBytes("kvzp03", model(15)));
    plugin->UsePresetFolder(root);

    fs::remove(Bank("Alpha") + "a.vzp");
    WriteFile(Bank("Alpha") + "b.vzp", PresetBytes("kvzp03", model(11)));
    // f.vzp can no longer be read (here: it grew past the size a preset file may have, which
    // fails as a read does on every system): the copy read before is kept.
    WriteFile(Bank("Alpha") + "f.vzp", std::vector<uint8_t>(size_t(2) << 20, 0));
    WriteFile(Bank("Zeta") + "c.vzp", {'k', 'v', 'z', 'p', '0', '3', 0});
    fs::remove(Bank("Zeta") + "d.vzp");
    WriteFile(Bank("Zeta") + "e.vzp", PresetBytes("kvzp03", model(13)));

    const struct {
        bool relist; // list the banks again first
        float bank;  // kBankPosition: 0 opens Alpha, 1 Zeta
        int program;
        const char* name; // the preset shown
        int model;        // -1: the file is damaged, the model stays
        size_t presets;   // the open bank's count
    } cases[] = {
        {false, 0.0f, 1, "b", 5, 3},  {false, 0.0f, 0, "a", 3, 3},  {false, 1.0f, 1, "d", 9, 2},
        {false, 1.0f, 0, "c", 7, 2},  {false, 0.0f, 1, "b", 5, 3},  {true, 0.0f, 0, "b", 11, 2},
        {false, 0.0f, 5, "f", 15, 2}, {false, 1.0f, 0, "c", -1, 2}, {false, 1.0f, 1, "e", 13, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.relist ? "relisted " : "") + c.name);
        if (c.relist) plugin->UsePresetFolder(root);
        host->SetParameter(kBankPosition, c.bank);
        EXPECT_EQ(TextAt(kControlBankName), c.bank < 0.5f ? "Alpha" : "Zeta");
        ASSERT_EQ(plugin->PresetNames().size(), c.presets);
        const int before = plugin->CurrentModel();
        Program(c.program);
        EXPECT_EQ(plugin->CurrentPreset(), std::min(c.program, static_cast<int>(c.presets) - 1));
        EXPECT_EQ(TextAt(kControlPresetName), c.name);
        if (c.model < 0) {
            EXPECT_EQ(plugin->CurrentModel(), before);
            EXPECT_EQ(plugin->PresetError(),
                      "This preset file is damaged and cannot be read:\n" + Bank("Zeta") + "c.vzp");
        } else {
            EXPECT_EQ(plugin->CurrentModel(), c.model);
            EXPECT_NEAR(host->GetParameter(kGateThreshold), 0.11f, 1e-6);
            EXPECT_EQ(plugin->PresetError(), "");
        }
    }
    // The browser says which preset is the earlier copy.
    host->SetParameter(kBankPosition, 0.0f);
    Click(kPresetBrowse);
    EXPECT_EQ(TextAt(199), "  1 - b");
    EXPECT_EQ(TextAt(200), "  2 - f  (unreadable: copy read before)");
}

TEST_F(PresetLibraryTest, ImpulseFollowsTheVersion) {
    std::vector<int64_t> impulse(300, 0);
    impulse[0] = 20000;
    WriteFile(Bank("Alpha") + "room.wav", wavtest::MakeWav16(impulse, 44100));
    std::vector<float> v4 = Values(23, 0.5f);
    v4[18] = 0.7f;
    WriteFile(Bank("Alpha") + "a.vzp", PresetBytes("kvzp04", v4, Bank("Alpha") + "room.wav"));
    WriteFile(Bank("Alpha") + "b.vzp", PresetBytes("kvzp03", Values(17, 0.5f)));
    plugin->UsePresetFolder(root);
    Program(0);
    EXPECT_EQ(host->GetParameter(kIrOn), 1.0f);
    EXPECT_NEAR(host->GetParameter(kIrWet), 0.32f, 1e-6);
    EXPECT_EQ(plugin->ImpulseError(), "");
    EXPECT_NE(plugin->ImpulsePath().find("room"), std::string::npos);
    Program(1);
    EXPECT_EQ(host->GetParameter(kIrOn), 0.0f);
}

TEST_F(PresetLibraryTest, NextAndPreviousStepThroughTheBank) {
    for (const char* name : {"a", "b", "c"})
        WriteFile(Bank("Alpha") + name + ".vzp",
                  PresetBytes("kvzp03", Values(17, (name[0] - 'a') / static_cast<float>(kLastModel))));
    plugin->UsePresetFolder(root);
    Click(kPresetNext);
    EXPECT_EQ(plugin->CurrentPreset(), 1);
    EXPECT_EQ(plugin->CurrentModel(), 1);
    Click(kPresetNext);
    Click(kPresetNext); // past the end stays on the last
    EXPECT_EQ(plugin->CurrentPreset(), 2);
    EXPECT_EQ(plugin->CurrentModel(), 2);
    Click(kPresetPrev);
    EXPECT_EQ(plugin->CurrentModel(), 1);
}

TEST_F(PresetLibraryTest, BrowserOpensScrollsAndLoadsAClickedRow) {
    char name[16];
    for (int i = 0; i < 25; ++i) {
        std::snprintf(name, sizeof(name), "p%02d.vzp", i);
        WriteFile(Bank("Alpha") + name,
                  PresetBytes("kvzp03", Values(17, (i % kNumModels) / static_cast<float>(kLastModel))));
    }
    WriteFile(Bank("Zeta") + "z.vzp", PresetBytes("kvzp03", Values(17, 0.0f)));
    plugin->UsePresetFolder(root);
    for (int c : {178, 179, 199, 219, 221})
        EXPECT_TRUE(At(c)->IsHidden()) << c;
    Click(kPresetBrowse);
    for (int c : {178, 179, 198, 199, 218, 219, 220, 221, 222})
        EXPECT_FALSE(At(c)->IsHidden()) << c;
    EXPECT_EQ(TextAt(179), "Alpha");
    EXPECT_EQ(TextAt(180), "Zeta");
    EXPECT_EQ(TextAt(199), "  1 - p00");
    host->SetParameter(kPresetScroll, 0.0f);
    EXPECT_EQ(TextAt(199), "  6 - p05");
    EXPECT_EQ(TextAt(218), " 25 - p24");
    // Row 3 of the scrolled list is preset 8.
    host->SetParameter(kPresetListClick, 3.5f / 20.0f);
    for (int c : {178, 199, 219, 220, 221, 222})
        EXPECT_TRUE(At(c)->IsHidden()) << c;
    EXPECT_EQ(plugin->CurrentPreset(), 8);
    EXPECT_EQ(plugin->CurrentModel(), 8);

    Click(kPresetBrowse);
    host->SetParameter(kBankListClick, 1.5f / 20.0f);
    ASSERT_EQ(plugin->PresetNames().size(), 1u);
    EXPECT_EQ(TextAt(kControlBankName), "Zeta");
    EXPECT_EQ(TextAt(199), "  1 - z");
    EXPECT_EQ(TextAt(200), "");
    Click(kPresetBrowse); // a second press closes without loading
    EXPECT_TRUE(At(178)->IsHidden());
    EXPECT_EQ(plugin->CurrentModel(), 8);
}

TEST_F(PresetLibraryTest, EveryFactoryPresetLoadsItsModelAndCabinet) {
    // CTest gives the source folder; run by hand, from the source or the tests folder.
    const char* source = std::getenv("VULPANE_SOURCE_DIR");
    const std::string dir =
        source ? source : (std::filesystem::exists("presets/make_presets.py") ? "." : "..");
    plugin->UsePresetFolder(dir + "/presets/Vulpane/Presets/");
    ASSERT_EQ(plugin->BankNames(), std::vector<std::string>{"Factory"});
    const struct {
        const char* name;
        int model;
        int cabinet;
    } expected[] = {{"Blues Crunch", 5, 29},
                    {"Clean Sparkle", 1, 9},
                    {"Lead", 10, 16},
                    {"Metal Rhythm", 8, 4},
                    {"Poltergeist Swirl", 14, 5}};
    ASSERT_EQ(plugin->PresetNames().size(), std::size(expected));
    for (int i = 0; i < static_cast<int>(std::size(expected)); ++i) {
        plugin->ProcessMidi(MidiMessage{0, 0xC0, static_cast<uint8_t>(i), 0});
        EXPECT_EQ(plugin->PresetNames()[static_cast<size_t>(i)].name, expected[i].name);
        EXPECT_EQ(plugin->PresetError(), "") << expected[i].name;
        EXPECT_EQ(plugin->CurrentModel(), expected[i].model) << expected[i].name;
        EXPECT_EQ(plugin->CurrentCabinet(), expected[i].cabinet) << expected[i].name;
    }
}

TEST_F(PresetLibraryTest, EveryProgramOfALargeBankSelectsItsOwnPreset) {
    char name[16];
    for (int i = 0; i < 100; ++i) {
        std::snprintf(name, sizeof(name), "p%03d.vzp", i);
        WriteFile(Bank("Alpha") + name,
                  PresetBytes("kvzp03", Values(17, (i % kNumModels) / static_cast<float>(kLastModel))));
    }
    plugin->UsePresetFolder(root);
    for (int i = 0; i < 100; ++i) {
        Program(i);
        ASSERT_EQ(plugin->CurrentPreset(), i);
        ASSERT_EQ(plugin->CurrentModel(), i % 16) << i;
    }
}
