#include "ITextButtonControl.h"

#include "IEditorGraphics.h"

ITextButtonControl::ITextButtonControl(IPluginBase* owner, const IRect& r, const char* text,
                                       std::function<void()> act)
    : IControl(owner, r), label(text ? text : ""), action(std::move(act)) {}

void ITextButtonControl::OnMouseDown(int, int, const IMouseKeys& mods) {
    if (!mods.left) return;
    pressed = true;
    MarkDirty(false);
    if (action) action();
}

void ITextButtonControl::OnMouseUp(int, int, const IMouseKeys&) {
    pressed = false;
    MarkDirty(false);
}

bool ITextButtonControl::Draw(IEditorGraphics* graphics) {
    // The look of the editor's push buttons: a dark face with a light rim and grey lettering.
    const IColorARGB face = pressed ? IColorARGB(255, 20, 20, 20) : IColorARGB(255, 46, 46, 48);
    const IColorARGB rim(255, 96, 96, 100), ink(255, 200, 200, 200);
    graphics->FillRect(face, IRect(rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1), nullptr);
    graphics->DrawHorizontalLine(rim, rect.top, rect.left + 1, rect.right - 2);
    graphics->DrawHorizontalLine(IColorARGB(255, 10, 10, 10), rect.bottom - 1, rect.left + 1, rect.right - 2);
    graphics->DrawVerticalLine(rim, rect.left, rect.top + 1, rect.bottom - 2);
    graphics->DrawVerticalLine(IColorARGB(255, 10, 10, 10), rect.right - 1, rect.top + 1, rect.bottom - 2);
    const ITextStyle style(9, &ink, "Arial", ITextStyle::kBold, ITextStyle::kAlignCentre);
    graphics->DrawText(style, label.c_str(), IRect(rect.left, rect.top + 1, rect.right, rect.bottom));
    return true;
}
