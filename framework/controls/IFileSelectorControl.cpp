#include "IFileSelectorControl.h"
#include "IEditorGraphics.h"

IFileSelectorControl::IFileSelectorControl(IPluginBase* owner, const IRect& r, int param,
                                           const IBitmapStrip& s, int act, const char* startFolder,
                                           const char* ext)
    : IControl(owner, r, param), strip(s), folder(startFolder ? startFolder : ""), extension(ext ? ext : ""),
      action(act) {}

void IFileSelectorControl::OnMouseDown(int, int, const IMouseKeys&) {
    IEditorGraphics* graphics = Graphics();
    if (!graphics) return;
    state = kDialogOpen;
    MarkDirty(false);
    graphics->AskForFile(fileName, action, folder.c_str(), extension.c_str());
    value += 1.0;
    if (value > 1.0) value = 0.0;
    state = kChosen;
    MarkDirty(true);
}

bool IFileSelectorControl::Draw(IEditorGraphics* graphics) {
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
