#pragma once

#include "VzpFile.h"

#include <string>

class ImpulseLibrary;
class PluginServices;
class PresetBrowser;

// Saving the current settings as a preset file: to a path the command line names, or under a
// name typed into the editor's text field, into the open user bank (the user bank "My Sounds"
// while a factory bank is open). Files are written safely (a failure leaves an old file as it
// was) and never into the factory banks. Calls come without the plug-in lock, which it takes
// only to read the settings and to show the saved preset; messages are shown without it.
class PresetSaver {
public:
    PresetSaver(PluginServices& plugin, PresetBrowser& browser, ImpulseLibrary& impulses)
        : plugin(plugin), browser(browser), impulses(impulses) {}

    enum class Outcome { kSaved, kExists, kFailed };

    // Writes the current settings to path, named name (by default after the file's name);
    // false with error set.
    bool WriteFile(const std::string& path, std::string& error, const std::string& name = "");
    // Saves under name (made fit for a file name) into the bank a save goes to. kExists writes
    // nothing: the name is taken and replace was false. On kFailed the error is shown.
    Outcome Save(const std::string& name, bool replace);
    // The SAVE button: opens the editor's text field with the current preset's name.
    void Begin();

    // The file of the last save and the last save's error ("" after a good save).
    const std::string& SavedPath() const { return savedPath; }
    const std::string& SaveError() const { return saveError; }

private:
    VzpFile Capture(const std::string& name);
    void AskName(const std::string& prompt, const std::string& name, const std::string& replaceStem);
    void Typed(const std::string& name, const std::string& replaceStem);
    void Fail(const std::string& message);

    PluginServices& plugin;
    PresetBrowser& browser;
    ImpulseLibrary& impulses;
    std::string savedPath;
    std::string saveError;
};
