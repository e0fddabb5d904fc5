#pragma once

#include "PresetLibrary.h"

#include <string>
#include <vector>

class EditorFeedback;
class ImpulseLibrary;
class PluginServices;

// The preset library: the factory banks of a banks folder, then the user's own banks (which
// the save flow writes into), the open bank's presets, loading a preset file by moving the
// editor's controls, and the browser panel with its two lists. Calls come under the plug-in lock.
class PresetBrowser {
public:
    // What a listing of the banks read: their names and folders, the factory banks first, and
    // every bank's presets, parsed.
    struct Listing {
        std::string banksFolder;
        std::vector<std::string> bankNames;
        std::vector<std::string> bankFolders; // each bank's folder, with its trailing separator
        std::vector<std::vector<PresetEntry>> bankPresets;
        size_t factoryBanks = 0;
    };
    // Reads the banks of a banks folder ("" for the library beside the plug-in) and the user's
    // banks: the slow part of a listing, which needs no lock.
    static Listing ListBanks(const std::string& banksFolder);

    // The shown name has room for any preset file's name, so a load on the audio thread copies
    // it without allocating.
    PresetBrowser(PluginServices& plugin, EditorFeedback& feedback, ImpulseLibrary& impulses)
        : plugin(plugin), feedback(feedback), impulses(impulses) {
        shownName.reserve(256);
    }

    // The banks found, the open bank's presets, the preset the next load reads, and the last
    // preset error shown ("" after a good load).
    const std::vector<std::string>& BankNames() const { return bankNames; }
    const std::vector<PresetEntry>& PresetNames() const;
    int CurrentPreset() const { return currentPreset; }
    const std::string& PresetError() const { return presetError; }
    // The open bank's name and folder (with its trailing separator; "" without a bank), and
    // whether it is one of the user's banks; the name of the preset last loaded or saved.
    std::string OpenBankName() const;
    const std::string& OpenBankFolder() const;
    bool OpenBankIsUsers() const;
    const std::string& PresetTitle() const { return shownName; }
    // After a save: takes the banks listed again (as UseListing does), opens the user bank
    // `bank` and selects its preset file `file` without loading it.
    void ShowSaved(Listing& listing, const std::string& bank, const std::string& file);
    const std::string& BanksFolder() const { return banksFolder; }

    // Reads the library from the banks folder (with its trailing separator; "" for the library
    // beside the plug-in), every preset file of every bank included, and opens the bank
    // kBankPosition selects. Only listing reads files: opening a bank or loading its presets
    // (as the audio thread may) uses what was read then.
    void UseFolder(const std::string& folder);
    // The same with a listing read before: taken by swap (the one it replaces comes back in
    // `listing`, to be freed after the lock is released).
    void UseListing(Listing& listing);
    // kPresetPosition, kPresetBrowse, kPresetListClick, kPresetPrev, kPresetNext, kPresetScroll,
    // kBankPosition, kBankListClick and kBankScroll changed to v.
    void Change(int index, double v);
    // A program change: loads the preset with that index in the open bank (nothing when empty).
    void SelectProgram(int program);
    // Reads a preset file and applies it, as a host asks.
    bool ReadPresetFile(const char* path);
    // While a state is restored the browser's position loads nothing: Suspend returns whether a
    // load was pending, Resume brings that back.
    bool SuspendLoad();
    void ResumeLoad(bool wasPending) { loadPending = wasPending; }
    // Writes the list rows and shows the error a change left for the editor (the plug-in lock
    // held, off the audio thread): their texts are made here, not by the change.
    void ShowPending();

private:
    void TakeListing(Listing& listing);
    void KeepEarlierCopies(Listing& earlier);
    // Opens the listed bank kBankPosition selects.
    void OpenBank();
    bool LoadPresetFile();
    bool ApplyPreset(const PresetEntry& preset);
    // Moves kPresetPosition and, when that changed nothing, loads the pending preset itself.
    void SelectPresetPosition(double v);
    void ShowBrowser(bool shown);
    // The rows are written when shown (ShowPending).
    void FillPresetRows();
    void FillBankRows();
    void WritePresetRows();
    void WriteBankRows();
    void ShowPresetError(const std::string& text);

    PluginServices& plugin;
    EditorFeedback& feedback;
    ImpulseLibrary& impulses;
    std::string banksFolder;
    std::vector<std::string> bankNames;
    std::vector<std::string> bankFolders;              // each bank's folder, with its trailing separator
    std::vector<std::vector<PresetEntry>> bankPresets; // each bank's presets, as listed
    size_t factoryBanks = 0;                           // the factory banks come first
    int openBank = -1;
    std::string presetError;
    std::string shownName;
    int currentPreset = 0;
    int firstPresetRow = 0;
    int firstBankRow = 0;
    bool loadPending = false;
    bool browserShown = false;
    bool presetRowsPending = false;
    bool bankRowsPending = false;
    bool errorPending = false;
};
