#include "IFileSelectorControl.h"
#include "IEditorGraphics.h"
#include "IPluginBase.h"

IFileSelectorControl::IFileSelectorControl(IPluginBase* owner, const IRect& r, int param,
                                           const IBitmapStrip& s, int act, const char* startFolder,
                                           const char* ext)
    : IControl(owner, r, param), strip(s), folder(startFolder ? startFolder : ""), extension(ext ? ext : ""),
      action(act) {}

void IFileSelectorControl::OnMouseDown(int, int, const IMouseKeys&) {
    IEditorGraphics* graphics = Graphics();
    if (!graphics) return;
    if (noDialog && !graphics->HasFileDialog()) {
        noDialog();
        return;
    }
    state = kDialogOpen;
    MarkDirty(false);
    // The dialog runs without the plug-in lock; the name is stored under it, since restoring a
    // state sets it from the host's thread.
    std::string chosen;
    graphics->AskForFile(chosen, action, folder.c_str(), extension.c_str());
    {
        ScopedLock<PluginLock> hold(plugin->Lock());
        fileName = chosen;
    }
    value += 1.0;
    if (value > 1.0) value = 0.0;
    state = kChosen;
    MarkDirty(true);
}

bool IFileSelectorControl::Draw(IEditorGraphics* graphics) {
    const IBlendSpec blend = Blend();
    if (strip.frames == 2) {
        graphics->DrawFrame(strip, rect, state == kDialogOpen ? 2 : 1, &blend);
    } else if (state == kDialogOpen) {
        graphics->DrawBitmap(strip, rect, 0, 0, &blend);
    }
    return true;
}

bool IFileSelectorControl::NeedsRedraw() {
    if (dirty) return true;
    if (state == kChosen) {
        state = kIdle;
        return true;
    }
    return false;
}
