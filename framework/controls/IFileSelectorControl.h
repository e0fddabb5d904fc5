#pragma once

#include "IControl.h"

#include <functional>
#include <string>

// Opens the file dialog when clicked; each use toggles the value so the parameter always
// changes, and the change handler reads the chosen name.
class IFileSelectorControl : public IControl {
public:
    enum Action { kOpen = 0, kSave = 1 };
    enum State { kIdle = 0, kDialogOpen = 1, kChosen = 2 };

    IFileSelectorControl(IPluginBase* plugin, const IRect& rect, int paramIdx, const IBitmapStrip& strip,
                         int action = kOpen, const char* folder = "", const char* extension = "wav");
    void OnMouseDown(int x, int y, const IMouseKeys& mods) override;
    bool Draw(IEditorGraphics* graphics) override;
    // True when dirty; after a choice, true once more.
    bool NeedsRedraw() override;

    // Where the system offers no file dialog (IEditorGraphics::HasFileDialog), a click calls
    // this instead, when set.
    void SetNoDialogAction(std::function<void()> action) { noDialog = std::move(action); }
    void SelectedFile(std::string& out) const { out = fileName; }
    void SetSelectedFile(const char* name) { fileName = name ? name : ""; }
    int State() const { return state; }

private:
    IBitmapStrip strip;
    std::string folder;
    std::string fileName;
    std::string extension;
    int action;
    int state = kIdle;
    std::function<void()> noDialog;
};
