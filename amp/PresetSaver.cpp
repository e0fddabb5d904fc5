// Saving presets: the settings as a version-4 file, the bank it goes to, the name question in
// the editor's text field and the question before a preset is replaced.
#include "PresetSaver.h"

#include "EditorControls.h"
#include "FileWriting.h"
#include "IEditorGraphics.h"
#include "ITextFieldControl.h"
#include "ImpulseLibrary.h"
#include "LibraryFolder.h"
#include "ParameterIds.h"
#include "PluginServices.h"
#include "PresetBrowser.h"
#include "UserPresets.h"
#include "VzpWriter.h"

#include <cmath>

namespace {
// The text field stands over the preset display while it asks.
const IRect kNameBox(28, 56, 300, 98);

double Normalized(const void* context, int index) {
    return static_cast<const PluginServices*>(context)->ParamNormalized(index);
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

VzpFile PresetSaver::Capture(const std::string& name) {
    ScopedLock<PluginLock> hold(plugin.PluginMutex());
    impulses.TakeWaitingWork();
    const int model = static_cast<int>(std::lround(plugin.ParamValue(kAmpModel)));
    return VzpFromSettings(&Normalized, &plugin, model, name, impulses.Path());
}

bool PresetSaver::WriteFile(const std::string& path, std::string& error, const std::string& name) {
    std::string stem = FileNameOf(path);
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".vzp") == 0) stem.resize(stem.size() - 4);
    const VzpFile file = Capture(name.empty() ? stem : name);
    if (file.texts[4].size() > kVzpMaxText) {
        error = "the impulse file's path is longer than a preset holds (" + std::to_string(kVzpMaxText) +
                " bytes): " + file.texts[4];
        return false;
    }
    return WriteFileSafely(path, FormatVzpFile(file), error);
}

void PresetSaver::Fail(const std::string& message) {
    saveError = message;
    if (IEditorGraphics* graphics = plugin.Graphics()) graphics->ShowMessage(message.c_str(), "Error");
}

PresetSaver::Outcome PresetSaver::Save(const std::string& name, bool replace) {
    std::string bank, bankFolder, banksFolder;
    {
        ScopedLock<PluginLock> hold(plugin.PluginMutex());
        banksFolder = browser.BanksFolder();
        if (browser.OpenBankIsUsers()) {
            bank = browser.OpenBankName();
            bankFolder = browser.OpenBankFolder();
        }
    }
    if (bankFolder.empty()) {
        const std::string banks = UserBanksFolder();
        if (banks.empty()) {
            Fail("The preset cannot be saved: the system names no folder for your own files.");
            return Outcome::kFailed;
        }
        bank = kDefaultUserBank;
        bankFolder = banks + bank + PathSeparator();
    }
    const std::string file = PresetFileStem(name) + ".vzp";
    const std::string path = bankFolder + file;
    if (!replace && PathExists(path)) return Outcome::kExists;
    if (!MakeFolders(bankFolder)) {
        Fail("The preset cannot be saved: the folder " + bankFolder + " cannot be made.");
        return Outcome::kFailed;
    }
    std::string error;
    if (!WriteFile(path, error, name)) {
        Fail("The preset was not saved (nothing was lost):\n" + error);
        return Outcome::kFailed;
    }
    saveError.clear();
    savedPath = path;
    // The banks are listed again before the lock is taken; the listing changes hands by swap.
    PresetBrowser::Listing listing = PresetBrowser::ListBanks(banksFolder);
    ScopedLock<PluginLock> hold(plugin.PluginMutex());
    browser.ShowSaved(listing, bank, file);
    return Outcome::kSaved;
}

void PresetSaver::Begin() {
    std::string name;
    {
        ScopedLock<PluginLock> hold(plugin.PluginMutex());
        name = browser.PresetTitle();
    }
    AskName("Save preset as  (Enter saves, Esc cancels)", name.empty() ? "My Preset" : name, "");
}

void PresetSaver::AskName(const std::string& prompt, const std::string& name,
                          const std::string& replaceStem) {
    IEditorGraphics* graphics = plugin.Graphics();
    auto* field = graphics ? dynamic_cast<ITextFieldControl*>(graphics->TextField()) : nullptr;
    if (!field) return;
    field->Open(kNameBox, prompt, name,
                [this, replaceStem](const std::string& typed) { Typed(typed, replaceStem); });
}

void PresetSaver::Typed(const std::string& name, const std::string& replaceStem) {
    if (name.find_first_not_of(" .") == std::string::npos) {
        AskName("A preset needs a name  (Esc cancels)", name, "");
        return;
    }
    // Only the name the question was about is replaced; another name is asked about anew.
    const std::string stem = PresetFileStem(name);
    if (Save(name, stem == replaceStem) == Outcome::kExists)
        AskName("\"" + stem + "\" exists: Enter replaces it, Esc keeps it", name, stem);
}
