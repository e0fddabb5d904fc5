#include "IControl.h"
#include "IEditorGraphics.h"
#include "IPluginBase.h"

#include <climits>

IControl::IControl(IPluginBase* owner, const IRect& r, int param, int blendMethod)
    : plugin(owner), rect(r), targetRect(r), paramIdx(param), blend(blendMethod, 1.0f) {}

IControl::~IControl() = default;

IEditorGraphics* IControl::Graphics() const {
    return plugin ? dynamic_cast<IEditorGraphics*>(plugin->Editor()) : nullptr;
}

IParameter* IControl::BoundParameter() const {
    if (!plugin || paramIdx < 0 || paramIdx >= plugin->ParamCount()) return nullptr;
    return plugin->ParamAt(paramIdx);
}

void IControl::OnMouseDown(int, int, const IMouseKeys& mods) {
    if (mods.right) AskParameterValue();
}

void IControl::OnMouseDblClick(int, int, const IMouseKeys&) {
    if (defaultValue >= 0.0) {
        value = defaultValue;
        MarkDirty(true);
    }
}

void IControl::OnMouseWheel(int, int, const IMouseKeys& mods, int notches) {
    value += notches * (mods.shift || mods.control ? 0.001 : 0.01);
    MarkDirty(true);
}

void IControl::AskParameterValue() {
    if (promptDisabled) return;
    IParameter* param = BoundParameter();
    IEditorGraphics* graphics = Graphics();
    if (!param || !graphics) return;
    graphics->AskParameterValue(this, param);
    redrawAgain = true;
}

void IControl::ApplyPluginValue(double newValue) {
    newValue = Clamped(newValue);
    if (defaultValue < 0.0) {
        defaultValue = newValue;
    } else if (newValue == value) {
        return;
    }
    value = newValue;
    MarkDirty(false);
    redrawAgain = true;
}

void IControl::Hide(bool hide) {
    hidden = hide;
    redrawAgain = true;
    MarkDirty(false);
}

void IControl::SetDimmed(bool dim) {
    grayed = dim;
    MarkDirty(false);
}

void IControl::MoveTo(int x, int y) {
    const int w = rect.W(), h = rect.H();
    rect = IRect(x, y, x + w, y + h);
    targetRect = rect;
    MarkDirty(false);
}

bool IControl::HitTest(int x, int y) {
    return targetRect.Contains(x, y);
}

double IControl::Clamped(double v) const {
    if (!(v >= clampLow)) return clampLow; // also catches NaN
    return v > clampHigh ? clampHigh : v;
}

void IControl::MarkDirty(bool pushToPlug) {
    const double current = value;
    if (Clamped(current) != current) value = Clamped(current);
    dirty = true;
    ++changes;
    SetChanged();
    if (pushToPlug && BoundParameter()) plugin->SetParameterFromControl(this, paramIdx, Clamped(current));
}

void IControl::MarkClean() {
    dirty = redrawAgain.exchange(false);
}

bool IControl::NeedsRedraw() {
    return dirty;
}

void IControl::ApplyUserValue(double newValue) {
    newValue = Clamped(newValue);
    if (newValue == value) return;
    value = newValue;
    MarkDirty(true);
    redrawAgain = true;
}

void IControl::ShowMovedValue(double newValue) {
    newValue = Clamped(newValue);
    if (newValue == value) return;
    value = newValue;
    MarkDirty(false);
    redrawAgain = true;
}

int FrameForValue(int frames, double v) {
    if (frames < 2) return 1;
    const double position = (frames - 1) * v + 0.5;
    if (!(position >= 0.0) || position >= static_cast<double>(INT_MAX)) return 1;
    const int frame = 1 + static_cast<int>(position);
    return frame > frames ? frames : frame;
}
