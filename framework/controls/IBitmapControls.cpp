#include "IBitmapControls.h"
#include "IEditorGraphics.h"

IBitmapControl::IBitmapControl(IPluginBase* owner, int x, int y, int param, const IBitmapStrip& s,
                               int blendMethod)
    : IControl(owner, IRect(x, y, x + s.width, y + s.FrameHeight()), param, blendMethod), strip(s) {}

bool IBitmapControl::Draw(IEditorGraphics* graphics) {
    const IBlendSpec blend = Blend();
    graphics->DrawFrame(strip, rect, FrameForValue(strip.frames, value), &blend);
    return true;
}

void ISwitchControl::OnMouseDown(int, int, const IMouseKeys& mods) {
    if (mods.right) {
        AskParameterValue();
    } else {
        value += strip.frames < 2 ? 1.0 : 1.0 / (strip.frames - 1);
    }
    if (value > 1.001) value = 0.0;
    MarkDirty(true);
}

void IContactControl::OnMouseUp(int, int, const IMouseKeys&) {
    value = 0.0;
    MarkDirty(true);
}

IBitmapOverlayControl::IBitmapOverlayControl(IPluginBase* owner, int x, int y, int param,
                                             const IBitmapStrip& s, const IRect& off, int blendMethod)
    : ISwitchControl(owner, x, y, param, s, blendMethod), offTarget(off) {}

bool IBitmapOverlayControl::HitTest(int x, int y) {
    return (value < 0.5 ? offTarget : rect).Contains(x, y);
}

bool IBitmapOverlayControl::Draw(IEditorGraphics* graphics) {
    const double shown = value;
    if (shown < 0.5) return true;
    const IBlendSpec blend = Blend();
    graphics->DrawFrame(strip, rect, FrameForValue(strip.frames, shown), &blend);
    return true;
}

void IButtonSwitchControl::OnMouseDown(int, int, const IMouseKeys&) {
    pressed = true;
    MarkDirty(true);
}

void IButtonSwitchControl::OnMouseUp(int, int, const IMouseKeys&) {
    pressed = false;
    value = value < 0.5 ? 1.0 : 0.0;
    MarkDirty(true);
}

bool IButtonSwitchControl::Draw(IEditorGraphics* graphics) {
    const IBlendSpec blend = Blend();
    graphics->DrawFrame(strip, rect, pressed ? 2 : 1, &blend);
    return true;
}

void SetBackgroundImage(IEditorGraphics& graphics, int resourceId, const char* resourceName) {
    const IBitmapStrip strip = graphics.LoadImageResource(resourceId, resourceName, 1);
    graphics.SetBackground(new IBitmapControl(graphics.Plugin(), 0, 0, -1, strip, IBlendSpec::kClobber));
}
