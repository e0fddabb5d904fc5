// The preset library: bank and preset scans (factory banks, then the user's) that read every preset
// file, loading a read preset by moving the editor's controls, and the browser panel with its two lists.
#include "PresetBrowser.h"

#include "EditorControls.h"
#include "EditorFeedback.h"
#include "EditorIndices.h"
#include "IEditorGraphics.h"
#include "ImpulseLibrary.h"
#include "LibraryFolder.h"
#include "ParameterIds.h"
#include "PluginServices.h"
#include "SignalChain.h"
#include "UserPresets.h"
#include "VzpFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr int kListRows = EditorControls::kListRows;

bool Press(double v) {
    return v > 0.5;
}
bool Release(double v) {
    return v < 0.5;
}

// The first row shown by a list scrolled to v (1 shows the start of the list).
int FirstRow(double v, int count) {
    if (count < kListRows) return 0;
    return static_cast<int>((1.0 - v) * (count - kListRows));
}

// The position of kPresetPosition or kBankPosition that selects entry `at` of `count`.
double PositionOf(int at, int count) {
    if (count < 2) return 0.0;
    return std::min(1.0, (at + 0.2) / (count - 1));
}

// The entry a position selects (0 for an empty list, which the load refuses).
int EntryAt(double v, int count) {
    if (count <= 0) return 0;
    return std::clamp(static_cast<int>(std::floor((count - 1) * v)), 0, count - 1);
}

// The position at / (count - 1), nudged up when rounding would select the entry before.
double ExactPositionOf(int at, int count) {
    if (count < 2) return 0.0;
    const double v = std::min(1.0, static_cast<double>(at) / (count - 1));
    return EntryAt(v, count) < at ? PositionOf(at, count) : v;
}
} // namespace

void PresetBrowser::UseFolder(const std::string& folder) {
    Listing listing = ListBanks(folder);
    UseListing(listing);
}

void PresetBrowser::UseListing(Listing& listing) {
    TakeListing(listing);
    OpenBank();
}

const std::vector<PresetEntry>& PresetBrowser::PresetNames() const {
    static const std::vector<PresetEntry> none;
    return openBank >= 0 ? bankPresets[static_cast<size_t>(openBank)] : none;
}

const std::string& PresetBrowser::OpenBankFolder() const {
    static const std::string none;
    return openBank >= 0 ? bankFolders[static_cast<size_t>(openBank)] : none;
}

PresetBrowser::Listing PresetBrowser::ListBanks(const std::string& folder) {
    Listing listing;
    listing.banksFolder = folder;
    if (listing.banksFolder.empty()) {
        const std::string library = LibraryFolder();
        const char sep = PathSeparator();
        if (!library.empty()) listing.banksFolder = library + "Vulpane" + sep + "Presets" + sep;
    }
    if (!listing.banksFolder.empty()) listing.bankNames = ListPresetBanks(listing.banksFolder);
    for (const std::string& name : listing.bankNames)
        listing.bankFolders.push_back(listing.banksFolder + name + PathSeparator());
    listing.factoryBanks = listing.bankNames.size();
    const std::string user = UserBanksFolder();
    if (!user.empty() && user != listing.banksFolder)
        for (const std::string& name : ListPresetBanks(user)) {
            listing.bankNames.push_back(name);
            listing.bankFolders.push_back(user + name + PathSeparator());
        }
    for (const std::string& bankFolder : listing.bankFolders)
        listing.bankPresets.push_back(ReadBankPresets(bankFolder));
    return listing;
}

void PresetBrowser::TakeListing(Listing& listing) {
    // The open bank stays open by its folder (a relisting may insert banks before it).
    const std::string wasOpen = OpenBankFolder();
    banksFolder.swap(listing.banksFolder);
    bankNames.swap(listing.bankNames);
    bankFolders.swap(listing.bankFolders);
    bankPresets.swap(listing.bankPresets);
    std::swap(factoryBanks, listing.factoryBanks);
    openBank = -1;
    for (size_t i = 0; i < bankFolders.size(); ++i)
        if (bankFolders[i] == wasOpen) openBank = static_cast<int>(i);
    firstBankRow = 0;
    KeepEarlierCopies(listing);
}

// A preset file that can no longer be read (gone offline, its permissions changed) keeps the copy
// read at an earlier listing, marked so the browser says so.
void PresetBrowser::KeepEarlierCopies(Listing& earlier) {
    for (size_t b = 0; b < bankFolders.size(); ++b) {
        const auto bank = std::find(earlier.bankFolders.begin(), earlier.bankFolders.end(), bankFolders[b]);
        if (bank == earlier.bankFolders.end()) continue;
        std::vector<PresetEntry>& before =
            earlier.bankPresets[static_cast<size_t>(bank - earlier.bankFolders.begin())];
        for (PresetEntry& entry : bankPresets[b]) {
            if (entry.readable) continue;
            for (PresetEntry& old : before)
                if (old.file == entry.file && old.readable) {
                    entry = std::move(old);
                    entry.kept = true;
                    break;
                }
        }
    }
}

void PresetBrowser::OpenBank() {
    const int bank = bankNames.empty()
                         ? -1
                         : EntryAt(plugin.ParamValue(kBankPosition), static_cast<int>(bankNames.size()));
    feedback.ShowText(plugin.Controls().bankName,
                      bank >= 0 ? bankNames[static_cast<size_t>(bank)].c_str() : "");
    openBank = bank;
    if (currentPreset < 0 || currentPreset >= static_cast<int>(PresetNames().size())) currentPreset = 0;
    firstPresetRow = 0;
}

std::string PresetBrowser::OpenBankName() const {
    return openBank >= 0 ? bankNames[static_cast<size_t>(openBank)] : std::string();
}

bool PresetBrowser::OpenBankIsUsers() const {
    return openBank >= static_cast<int>(factoryBanks);
}

void PresetBrowser::ShowSaved(Listing& listing, const std::string& bank, const std::string& file) {
    TakeListing(listing);
    const int banks = static_cast<int>(bankNames.size());
    int at = -1;
    for (int i = static_cast<int>(factoryBanks); i < banks; ++i)
        if (bankNames[static_cast<size_t>(i)] == bank) at = i;
    if (at < 0) return;
    loadPending = false;
    plugin.MoveParameter(kBankPosition, ExactPositionOf(at, banks));
    OpenBank();
    const std::vector<PresetEntry>& presets = PresetNames();
    const int count = static_cast<int>(presets.size());
    for (int i = 0; i < count; ++i)
        if (presets[static_cast<size_t>(i)].file == file) currentPreset = i;
    if (count > 0) plugin.MoveParameter(kPresetPosition, ExactPositionOf(currentPreset, count));
    if (currentPreset < count) {
        const PresetEntry& entry = presets[static_cast<size_t>(currentPreset)];
        shownName = entry.name;
        feedback.ShowText(plugin.Controls().presetName, entry.name.c_str());
    }
    if (browserShown) {
        FillBankRows();
        FillPresetRows();
    }
}

void PresetBrowser::ShowPresetError(const std::string& text) {
    presetError = text;
    errorPending = plugin.Graphics() != nullptr;
}

bool PresetBrowser::LoadPresetFile() {
    const std::vector<PresetEntry>& presets = PresetNames();
    if (currentPreset < 0 || currentPreset >= static_cast<int>(presets.size())) return false;
    return ApplyPreset(presets[static_cast<size_t>(currentPreset)]);
}

bool PresetBrowser::ReadPresetFile(const char* path) {
    PresetEntry preset;
    preset.name = path;
    const size_t slash = preset.name.find_last_of("/\\");
    if (slash != std::string::npos) preset.name.erase(0, slash + 1);
    if (preset.name.size() > 4 && preset.name.compare(preset.name.size() - 4, 4, ".vzp") == 0)
        preset.name.resize(preset.name.size() - 4);
    ReadPreset(path, preset);
    return ApplyPreset(preset);
}

bool PresetBrowser::ApplyPreset(const PresetEntry& preset) {
    feedback.ShowText(plugin.Controls().presetName, preset.name.c_str());
    if (!preset.readable) return false;
    if (!preset.error.empty()) {
        ShowPresetError(preset.error);
        return false;
    }
    const VzpFile& file = preset.data;
    presetError.clear();
    shownName = preset.name;
    // The amp's filters are designed once, for the preset's final values, not for each setting.
    plugin.ChangeChain(ChainChanges::Op::kDeferDesigns, 1.0);

    // The preset's impulse is loaded as a restored state's is: a missing file is only marked.
    if (file.version == 4) impulses.Recall(file.texts[4]);

    for (const VzpSetting& setting : preset.settings)
        plugin.MoveParameter(setting.param, setting.value);

    const bool on = VzpImpulseOn(file);
    plugin.ChangeChain(ChainChanges::Op::kConvolutionEnabled, on);
    plugin.MoveParameter(kIrOn, on ? 1.0 : 0.0);
    plugin.ChangeChain(ChainChanges::Op::kDeferDesigns, 0.0);
    feedback.ShowLamp(plugin.Controls().lampImpulse, on);
    if (file.version == 4) feedback.Show(kStripIrToggle, on ? 1.0 : 0.0, on ? "ON" : "OFF");
    return true;
}

void PresetBrowser::SelectPresetPosition(double v) {
    v = std::clamp(v, 0.0, 1.0);
    plugin.MoveParameter(kPresetPosition, v);
    if (!loadPending) return;
    // The position already stood there, so its change handler did not run.
    currentPreset = EntryAt(v, static_cast<int>(PresetNames().size()));
    LoadPresetFile();
    loadPending = false;
}

void PresetBrowser::SelectProgram(int program) {
    const int count = static_cast<int>(PresetNames().size());
    if (count == 0) return;
    currentPreset = std::clamp(program, 0, count - 1);
    loadPending = true;
    SelectPresetPosition(ExactPositionOf(currentPreset, count));
}

bool PresetBrowser::SuspendLoad() {
    const bool wasPending = loadPending;
    loadPending = false;
    return wasPending;
}

void PresetBrowser::FillPresetRows() {
    presetRowsPending = plugin.Graphics() != nullptr;
}

void PresetBrowser::FillBankRows() {
    bankRowsPending = plugin.Graphics() != nullptr;
}

void PresetBrowser::ShowPending() {
    if (presetRowsPending) {
        presetRowsPending = false;
        WritePresetRows();
    }
    if (bankRowsPending) {
        bankRowsPending = false;
        WriteBankRows();
    }
    if (errorPending) {
        errorPending = false;
        if (IEditorGraphics* graphics = plugin.Graphics())
            graphics->ShowMessage(presetError.c_str(), "Error");
    }
}

void PresetBrowser::WritePresetRows() {
    const std::vector<PresetEntry>& presets = PresetNames();
    char text[128];
    for (int k = 0; k < kListRows; ++k) {
        const int at = firstPresetRow + k;
        if (at < static_cast<int>(presets.size()))
            std::snprintf(text, sizeof(text), "%3d - %s%s", at + 1,
                          presets[static_cast<size_t>(at)].name.c_str(),
                          presets[static_cast<size_t>(at)].kept ? "  (unreadable: copy read before)" : "");
        else
            text[0] = '\0';
        feedback.ShowText(plugin.Controls().PresetRow(k), text);
    }
}

void PresetBrowser::WriteBankRows() {
    for (int k = 0; k < kListRows; ++k) {
        const int at = firstBankRow + k;
        const char* name =
            at < static_cast<int>(bankNames.size()) ? bankNames[static_cast<size_t>(at)].c_str() : "";
        feedback.ShowText(plugin.Controls().BankRow(k), name);
    }
}

void PresetBrowser::ShowBrowser(bool shown) {
    browserShown = shown;
    const EditorControls& controls = plugin.Controls();
    feedback.ShowControl(controls.browser, shown);
    for (int k = 0; k < kListRows; ++k) {
        feedback.ShowControl(controls.BankRow(k), shown);
        feedback.ShowControl(controls.PresetRow(k), shown);
    }
    feedback.ShowControl(controls.bankPick, shown);
    feedback.ShowControl(controls.presetPick, shown);
    feedback.ShowControl(controls.oversampling, !shown); // it lies under the browser's bank list
    feedback.HideParam(kPresetScroll, !shown);
    feedback.HideParam(kBankScroll, !shown);
}

void PresetBrowser::Change(int index, double v) {
    const int count = static_cast<int>(PresetNames().size());
    const int banks = static_cast<int>(bankNames.size());
    switch (index) {
    case kPresetPosition:
        currentPreset = EntryAt(v, count);
        if (loadPending) {
            LoadPresetFile();
            loadPending = false;
        }
        return;
    case kPresetPrev:
    case kPresetNext:
        if (Press(v)) {
            currentPreset =
                std::clamp(currentPreset + (index == kPresetNext ? 1 : -1), 0, std::max(count - 1, 0));
            loadPending = count > 0;
        } else if (Release(v) && loadPending) {
            SelectPresetPosition(PositionOf(currentPreset, count));
        }
        return;
    case kBankPosition:
        OpenBank();
        return;
    case kPresetBrowse:
        if (!Press(v)) break;
        if (browserShown) {
            // A second press closes the browser without loading anything.
            ShowBrowser(false);
            loadPending = false;
            plugin.MoveParameter(kPresetBrowse, 0.0);
            return;
        }
        loadPending = true;
        plugin.MoveParameter(kPresetBrowse, 0.0);
        break;
    default:
        break;
    }
    if (!loadPending) return;

    switch (index) {
    case kPresetBrowse:
        if (browserShown) return;
        FillBankRows();
        FillPresetRows();
        ShowBrowser(true);
        plugin.MoveParameter(kPresetScroll,
                             count > 0 ? 1.0 - static_cast<double>(currentPreset) / count : 1.0);
        break;
    case kPresetListClick: {
        ShowBrowser(false);
        const int row = firstPresetRow + std::clamp(static_cast<int>(kListRows * v), 0, kListRows - 1);
        if (row >= count) {
            loadPending = false; // a click below the last preset loads nothing
            return;
        }
        currentPreset = row;
        SelectPresetPosition(ExactPositionOf(row, count));
        break;
    }
    case kPresetScroll: {
        const int first = FirstRow(v, count);
        if (first != firstPresetRow) {
            firstPresetRow = first;
            FillPresetRows();
        }
        break;
    }
    case kBankListClick: {
        const int row = firstBankRow + std::clamp(static_cast<int>(kListRows * v), 0, kListRows - 1);
        if (row >= banks) return;
        plugin.MoveParameter(kBankPosition, ExactPositionOf(row, banks));
        plugin.MoveParameter(kPresetScroll, 1.0);
        OpenBank();
        currentPreset = 0;
        FillPresetRows();
        break;
    }
    case kBankScroll: {
        const int first = FirstRow(v, banks);
        if (first != firstBankRow) {
            firstBankRow = first;
            FillBankRows();
        }
        break;
    }
    default:
        break;
    }
}
