#pragma once

#include "IControl.h"

#include <functional>
#include <string>

// A small labelled button drawn by the editor (no image, no parameter): a press calls action
// on the window thread.
class ITextButtonControl : public IControl {
public:
    ITextButtonControl(IPluginBase* plugin, const IRect& rect, const char* label,
                       std::function<void()> action);
    void OnMouseDown(int x, int y, const IMouseKeys& mods) override;
    void OnMouseUp(int x, int y, const IMouseKeys& mods) override;
    void OnMouseDblClick(int x, int y, const IMouseKeys& mods) override { OnMouseDown(x, y, mods); }
    void OnMouseWheel(int, int, const IMouseKeys&, int) override {}
    bool Draw(IEditorGraphics* graphics) override;

private:
    std::string label;
    std::function<void()> action;
    bool pressed = false;
};
