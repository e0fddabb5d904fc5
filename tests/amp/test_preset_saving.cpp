// Saving from the editor: SAVE asks for a name in the editor's own text field (prefilled with the
// preset's name), the file goes into the user bank "My Sounds" while a factory bank is open, the
// browser shows it at once, a name taken is replaced only when confirmed, a failed write keeps
// the old file and says so, and the factory folder is never written to.
#include "EditorFixture.h"
#include "FileWriting.h"
#include "ITextFieldControl.h"
#include "ScopedEnvironment.h"
#include "VzpFile.h"
#include "VzpWriter.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace {
namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file under a folder with its bytes.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        out[entry.path().string()] = entry.is_regular_file() ? Read(entry.path()) : "<folder>";
    return out;
}

class PresetSaving : public EditorFixture {
protected:
    void SetUp() override {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root = fs::temp_directory_path() / ("vulpane-saving-" + std::to_string(stamp));
        factory = root / "factory";
        fs::create_directories(factory / "Factory");
        environment.Set(ScopedEnvironment::UserDataVariable(), (root / "data").string());
        userBank = root / "data" / "Vulpane" / "Presets" / "My Sounds";
        // One factory preset (Metal Charter, cabinet 31), then the factory folder made read-only.
        VzpFile seed;
        seed.version = 3;
        seed.texts[0] = "Crunchy";
        seed.values.assign(17, 0.5f);
        seed.values[4] = 7.0f / 15.0f;
        seed.values[12] = 31.0f / 38.0f;
        const std::vector<unsigned char> bytes = FormatVzpFile(seed);
        std::ofstream(factory / "Factory" / "Crunchy.vzp", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        fs::permissions(factory / "Factory", fs::perms::owner_read | fs::perms::owner_exec);
        fs::permissions(factory, fs::perms::owner_read | fs::perms::owner_exec);
        factoryBefore = Contents(factory);
        EditorFixture::SetUp();
        plugin->UsePresetFolder(factory.string() + "/");
        plugin->ProcessMidi(MidiMessage{0, 0xC0, 0, 0});
        ASSERT_EQ(plugin->CurrentModel(), 7);
    }
    void TearDown() override {
        EditorFixture::TearDown();
        EXPECT_EQ(Contents(factory), factoryBefore) << "the factory folder was written to";
        std::error_code ignored;
        fs::permissions(factory, fs::perms::owner_all, ignored);
        fs::permissions(factory / "Factory", fs::perms::owner_all, ignored);
        fs::remove_all(root, ignored);
    }

    ITextFieldControl* Field() const { return dynamic_cast<ITextFieldControl*>(At(kControlTextField)); }
    void PressSave() {
        const IRect& r = At(kControlSave)->Rect();
        IMouseKeys left;
        left.left = true;
        graphics->OnMouseDown((r.left + r.right) / 2, (r.top + r.bottom) / 2, left);
        graphics->OnMouseUp((r.left + r.right) / 2, (r.top + r.bottom) / 2, IMouseKeys());
    }
    void Type(const std::string& text) {
        for (unsigned char c : text)
            EXPECT_TRUE(graphics->OnTextKey(ITextKey::kCharacter, c));
    }
    void Key(ITextKey key, int times = 1) {
        for (int i = 0; i < times; ++i)
            EXPECT_TRUE(graphics->OnTextKey(key, 0));
    }
    std::string TextOf(int index) const { return static_cast<ITextControl*>(At(index))->Text(); }

    fs::path root, factory, userBank;
    ScopedEnvironment environment;
    std::map<std::string, std::string> factoryBefore;
};

TEST_F(PresetSaving, ATypedNameIsSavedIntoMySoundsAndShownSelected) {
    EXPECT_TRUE(Field()->IsHidden());
    PressSave();
    ASSERT_TRUE(Field()->IsOpen());
    EXPECT_FALSE(Field()->IsHidden());
    EXPECT_EQ(graphics->KeyFocus(), Field());
    EXPECT_EQ(Field()->Text(), "Crunchy"); // the current preset's name
    Key(ITextKey::kBackspace, 2);
    Type("hy/Lead?");
    EXPECT_EQ(Field()->Text(), "Crunchy/Lead?");
    host->SetParameter(kMasterVolume, 0.25f);
    Key(ITextKey::kEnter);
    EXPECT_FALSE(Field()->IsOpen());
    EXPECT_EQ(graphics->KeyFocus(), nullptr);

    const fs::path saved = userBank / "Crunchy_Lead_.vzp"; // characters a file name cannot hold replaced
    ASSERT_TRUE(fs::exists(saved)) << plugin->Saver().SaveError();
    EXPECT_EQ(plugin->Saver().SaveError(), "");
    EXPECT_EQ(plugin->BankNames(), (std::vector<std::string>{"Factory", "My Sounds"}));
    ASSERT_EQ(plugin->PresetNames().size(), 1u);
    EXPECT_EQ(plugin->PresetNames()[0].name, "Crunchy_Lead_");
    EXPECT_EQ(plugin->CurrentPreset(), 0);
    Idle();
    EXPECT_EQ(TextOf(kControlBankName), "My Sounds");
    EXPECT_EQ(TextOf(kControlPresetName), "Crunchy_Lead_");

    const std::string text = Read(saved);
    VzpFile file;
    ASSERT_EQ(ParseVzpFile(reinterpret_cast<const uint8_t*>(text.data()), text.size(), file), VzpStatus::kOk);
    EXPECT_EQ(file.version, 4);
    EXPECT_EQ(file.texts[0], "Crunchy/Lead?");
    EXPECT_EQ(file.values[kMasterVolume], 0.25f);
    EXPECT_EQ(VzpModel(file), 7);

    // Opened in the browser, the user bank follows the factory bank.
    Click(kPresetBrowse);
    EXPECT_EQ(TextOf(kControlBankRows), "Factory");
    EXPECT_EQ(TextOf(kControlBankRows + 1), "My Sounds");
    EXPECT_EQ(TextOf(kControlPresetRows), "  1 - Crunchy_Lead_");
    // A click on it recalls what was saved.
    host->SetParameter(kMasterVolume, 0.9f);
    SelectModel(2);
    host->SetParameter(kPresetListClick, 0.5f / 20.0f);
    EXPECT_EQ(plugin->CurrentModel(), 7);
    EXPECT_EQ(host->GetParameter(kMasterVolume), 0.25f);
}

TEST_F(PresetSaving, ATakenNameIsReplacedOnlyWhenConfirmedAndEscapeSavesNothing) {
    PressSave();
    Key(ITextKey::kEnter); // "Crunchy" into My Sounds
    const fs::path saved = userBank / "Crunchy.vzp";
    ASSERT_TRUE(fs::exists(saved));
    const std::string first = Read(saved);

    host->SetParameter(kMasterVolume, 0.75f);
    PressSave();
    EXPECT_EQ(Field()->Text(), "Crunchy");
    Key(ITextKey::kEnter);
    ASSERT_TRUE(Field()->IsOpen()) << "a taken name asks first";
    EXPECT_NE(Field()->Prompt().find("exists"), std::string::npos);
    EXPECT_EQ(Read(saved), first);
    Key(ITextKey::kEscape);
    EXPECT_FALSE(Field()->IsOpen());
    EXPECT_EQ(Read(saved), first);

    PressSave();
    Key(ITextKey::kEnter);
    Key(ITextKey::kEnter); // confirmed
    EXPECT_FALSE(Field()->IsOpen());
    EXPECT_NE(Read(saved), first);

    // A click beside the open field cancels it and reaches nothing else.
    PressSave();
    Type("Other");
    IMouseKeys left;
    left.left = true;
    graphics->OnMouseDown(600, 420, left);
    EXPECT_FALSE(Field()->IsOpen());
    EXPECT_FALSE(fs::exists(userBank / "CrunchyOther.vzp"));
}

TEST_F(PresetSaving, AFailedWriteKeepsTheOldFileAndShowsAnError) {
    PressSave();
    Key(ITextKey::kEnter);
    const fs::path saved = userBank / "Crunchy.vzp";
    const std::string first = Read(saved);
    // A folder where the write's temporary file goes: the system refuses it, as root too.
    fs::create_directory(TemporaryNameFor(saved.string()));
    host->SetParameter(kMasterVolume, 0.75f);
    PressSave();
    Key(ITextKey::kEnter);
    Key(ITextKey::kEnter);
    EXPECT_EQ(Read(saved), first);
    EXPECT_NE(plugin->Saver().SaveError().find("nothing was lost"), std::string::npos)
        << plugin->Saver().SaveError();
    EXPECT_NE(plugin->Saver().SaveError().find("Crunchy.vzp"), std::string::npos);
}

TEST_F(PresetSaving, TheTextFieldIsTheValueEntryOfPlatformsWithoutOne) {
    IControl* master = nullptr;
    for (int i = 0; i < graphics->ControlCount(); ++i)
        if (At(i)->ParamIdx() == kMasterVolume) master = At(i);
    ASSERT_NE(master, nullptr);
    ASSERT_TRUE(AskValueInTextField(graphics, master, plugin->ParamAt(kMasterVolume)));
    EXPECT_EQ(Field()->Prompt(), "Master:");
    EXPECT_EQ(Field()->Text(), host->ParamDisplay(kMasterVolume)); // the value as the host shows it
    Key(ITextKey::kEnd);
    Key(ITextKey::kBackspace, 12);
    Type("3");
    Key(ITextKey::kEnter);
    EXPECT_NEAR(plugin->ParamAt(kMasterVolume)->Normalized(), 0.3, 1e-9);
    // Text that is no number changes nothing.
    AskValueInTextField(graphics, master, plugin->ParamAt(kMasterVolume));
    Key(ITextKey::kHome);
    Type("loud");
    Key(ITextKey::kDelete, 8);
    EXPECT_EQ(Field()->Text(), "loud");
    Key(ITextKey::kEnter);
    EXPECT_NEAR(plugin->ParamAt(kMasterVolume)->Normalized(), 0.3, 1e-9);
}

TEST(PresetFileStem, CharactersNoFileNameHoldsAreReplaced) {
    EXPECT_EQ(PresetFileStem("a/b\\c:d*e?f\"g<h>i|j"), "a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(PresetFileStem("  .Lead. "), "Lead");
    EXPECT_EQ(PresetFileStem("tab\there"), "tab_here");
    EXPECT_EQ(PresetFileStem("..."), "Preset");
    EXPECT_EQ(PresetFileStem("con"), "Preset");
    EXPECT_EQ(PresetFileStem("Über Crunch"), "Über Crunch");
}
} // namespace
