// The editor's impulse browser and the folder it remembers in the user's settings file.
#include "EditorControls.h"
#include "IEditorGraphics.h"
#include "IFileSelectorControl.h"
#include "ImpulseBrowser.h"
#include "LibraryFolder.h"
#include "UserDataFolder.h"
#include "UserPresets.h"
#include "VulpanePlugin.h"

namespace {
const char* const kImpulseFolderKey = "impulse-folder";
}

void VulpanePlugin::OpenImpulseBrowser() {
    auto* browser =
        graphics ? dynamic_cast<ImpulseBrowser*>(graphics->ControlAt(controls.impulseBrowser)) : nullptr;
    if (!browser) return;
    if (browser->IsOpen()) {
        browser->Close(); // the file button closes the list it opened
        return;
    }
    std::string current, currentPath;
    {
        ScopedLock<PluginLock> hold(pluginLock);
        current = impulses.Folder();
        currentPath = impulses.Path();
    }
    // The folder last chosen from first, then the impulse's own, then the home folder.
    browser->Open({ReadUserSetting(kImpulseFolderKey), current, ParentFolder(currentPath), HomeFolder(),
                   std::string(1, PathSeparator())});
}

void VulpanePlugin::ChooseImpulse(const std::string& path) {
    auto* selector =
        graphics ? dynamic_cast<IFileSelectorControl*>(graphics->ControlAt(controls.fileSelector)) : nullptr;
    if (!selector) return;
    WriteUserSetting(kImpulseFolderKey, ParentFolder(path));
    {
        ScopedLock<PluginLock> hold(pluginLock);
        selector->SetSelectedFile(path.c_str());
    }
    // As the file button does after its dialog: the value toggles, so the change always runs.
    selector->ApplyUserValue(selector->Value() >= 0.5 ? 0.0 : 1.0);
}
