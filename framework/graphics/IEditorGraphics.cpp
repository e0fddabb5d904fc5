#include "IEditorGraphics.h"
#include "IControl.h"
#include "IPluginBase.h"
#include "ImageCache.h"

#include <utility>

IEditorGraphics::IEditorGraphics(IPluginBase* owner, int w, int h, int fps)
    : plugin(owner), drawRect(0, 0, w, h), width(w), height(h), frameRate(fps <= 0 ? 24 : fps) {}

IEditorGraphics::~IEditorGraphics() {
    DeleteControls();
}

void IEditorGraphics::DeleteControls() {
    keyFocus = nullptr;
    textField = nullptr;
    for (IControl* control : controls)
        delete control;
    controls.clear();
}

int IEditorGraphics::AddControl(IControl* control) {
    if (!control) return -1;
    if (controls.size() == controls.capacity())
        controls.reserve(controls.capacity() + 4096 / sizeof(IControl*));
    controls.push_back(control);
    return static_cast<int>(controls.size()) - 1;
}

IControl* IEditorGraphics::ControlAt(int index) const {
    return index >= 0 && index < ControlCount() ? controls[static_cast<size_t>(index)] : nullptr;
}

void IEditorGraphics::SetBackground(IControl* background) {
    if (!background) return;
    controls.insert(controls.begin(), background);
    if (captureIdx >= 0) ++captureIdx;
    if (hoverIdx >= 0) ++hoverIdx;
}

void IEditorGraphics::CacheImage(const IBitmapStrip& strip) {
    ImageCache::Add(-1, strip.image);
}

void IEditorGraphics::UncacheImage(const IBitmapStrip& strip) {
    ImageCache::Remove(strip.image);
}

void IEditorGraphics::Resize(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    captureIdx = -1;
    hoverIdx = -1;
    if (plugin) plugin->Mirror().Clear(); // its slots name the controls that go now
    DeleteControls();
    if (plugin) plugin->ResizeEditor(newWidth, newHeight);
}

void IEditorGraphics::DrawFrame(const IBitmapStrip& strip, const IRect& dest, int frame,
                                const IBlendSpec* blend) {
    DrawBitmap(strip, dest, 0, strip.FrameTop(frame), blend);
}

void IEditorGraphics::PushParameterValue(int paramIdx, double value, bool isNormalized) {
    if (!isNormalized) {
        const IParameter* param = plugin && paramIdx >= 0 ? plugin->ParamAt(paramIdx) : nullptr;
        if (!param) return;
        value = param->ToNormalized(value);
    }
    for (IControl* control : controls)
        if (control->ParamIdx() == paramIdx) control->ApplyPluginValue(value);
}

void IEditorGraphics::PushControlValue(int controlIdx, double normalizedValue) {
    if (IControl* control = ControlAt(controlIdx)) control->ApplyPluginValue(normalizedValue);
}

void IEditorGraphics::MoveParameterControls(int paramIdx, double normalizedValue) {
    for (IControl* control : controls)
        if (control->ParamIdx() == paramIdx) control->ApplyUserValue(normalizedValue);
}

void IEditorGraphics::MarkAllDirty() {
    for (IControl* control : controls)
        control->MarkDirty(false);
}

void IEditorGraphics::HideParam(int paramIdx, bool hide) {
    for (IControl* control : controls)
        if (control->ParamIdx() == paramIdx) control->Hide(hide);
}

void IEditorGraphics::BindControlMirror() {
    if (!plugin) return;
    std::vector<ControlMirror::Slot> slots;
    for (size_t i = 0; i < controls.size(); ++i) {
        const IControl* control = controls[i];
        if (control->ParamIdx() < 0 || control->ParamIdx() >= plugin->ParamCount()) continue;
        ControlMirror::Slot slot;
        slot.control = control;
        slot.controlIndex = static_cast<int>(i);
        slot.param = control->ParamIdx();
        slot.held = control->Value();
        slots.push_back(slot);
    }
    plugin->Mirror().Bind(plugin->ParamCount(), std::move(slots));
}

void IEditorGraphics::ApplyControlMirror() {
    if (!plugin) return;
    plugin->Mirror().TakePending([this](int controlIndex, double value, bool pushed) {
        IControl* control = ControlAt(controlIndex);
        if (!control) return;
        if (pushed)
            control->ApplyPluginValue(value);
        else
            control->ShowMovedValue(value);
    });
}

bool IEditorGraphics::NeedsRedraw(IRect& outRect) {
    // The window thread's tick, without the plug-in lock: the plug-in's moment for messages.
    if (plugin) plugin->OnIdleHook();
    outRect = IRect();
    bool any = false;
    scannedChanges.resize(controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        IControl* control = controls[i];
        scannedChanges[i] = control->Changes();
        control->NotifyObservers();
        if (control->NeedsRedraw()) {
            outRect = outRect.Union(control->Rect());
            any = true;
        }
    }
    return any;
}

bool IEditorGraphics::Draw(const IRect& rect) {
    if (controls.empty()) return true;
    CreateDrawSurfaces();
    drawRect = rect;
    // A control is cleaned before it is drawn: a value stored meanwhile from another thread
    // marks it dirty again, so the next tick draws it. One outside rect is cleaned too, unless
    // it changed after the last dirty scan (that change is drawn at the next tick).
    for (size_t i = 0; i < controls.size(); ++i) {
        IControl* control = controls[i];
        if (!rect.Intersects(control->Rect())) {
            if (i >= scannedChanges.size() || scannedChanges[i] == control->Changes()) control->MarkClean();
            continue;
        }
        control->MarkClean();
        if (!control->IsHidden()) control->Draw(this);
    }
    return PresentRect(rect);
}

int IEditorGraphics::FindControlAt(int x, int y) const {
    if (captureIdx >= 0 && captureIdx < ControlCount()) return captureIdx;
    for (int i = ControlCount() - 1; i >= 0; --i) {
        IControl* control = controls[static_cast<size_t>(i)];
        if (!control->IsHidden() && !control->IsGrayed() && control->HitTest(x, y)) return i;
    }
    return -1;
}

void IEditorGraphics::OnMouseDown(int x, int y, const IMouseKeys& mods) {
    captureIdx = -1;
    lastX = lastY = -1;
    if (keyFocus && !keyFocus->HitTest(x, y)) {
        // A click beside an open text field cancels it and does nothing else.
        IControl* focus = keyFocus;
        keyFocus = nullptr;
        focus->OnTextKey(ITextKey::kEscape, 0);
        return;
    }
    const int index = FindControlAt(x, y);
    if (index < 0) return;
    IControl* control = controls[static_cast<size_t>(index)];
    captureIdx = index;
    lastX = x;
    lastY = y;
    // The edit begins before the control reacts: a switch sends its new value on the press,
    // and the host must see that value inside the gesture.
    if (control->ParamIdx() >= 0 && plugin) plugin->BeginEdit(control->ParamIdx());
    control->OnMouseDown(x, y, mods);
}

void IEditorGraphics::OnMouseUp(int x, int y, const IMouseKeys& mods) {
    const int index = FindControlAt(x, y);
    captureIdx = -1;
    lastX = lastY = -1;
    if (index < 0) return;
    IControl* control = controls[static_cast<size_t>(index)];
    control->OnMouseUp(x, y, mods);
    if (control->ParamIdx() >= 0 && plugin) plugin->EndEdit(control->ParamIdx());
}

void IEditorGraphics::OnMouseDrag(int x, int y, const IMouseKeys& mods) {
    IControl* control = ControlAt(captureIdx);
    if (!control) return;
    if (x == lastX && y == lastY) return;
    const int dX = x - lastX, dY = y - lastY;
    lastX = x;
    lastY = y;
    control->OnMouseDrag(x, y, dX, dY, mods);
}

bool IEditorGraphics::OnMouseDblClick(int x, int y, const IMouseKeys& mods) {
    captureIdx = -1;
    lastX = lastY = -1;
    const int index = FindControlAt(x, y);
    if (index < 0) return false;
    IControl* control = controls[static_cast<size_t>(index)];
    if (!control->DblClickAsSingle()) {
        control->OnMouseDblClick(x, y, mods);
        return false;
    }
    captureIdx = index;
    lastX = x;
    lastY = y;
    control->OnMouseDown(x, y, mods);
    return true;
}

void IEditorGraphics::OnMouseWheel(int x, int y, const IMouseKeys& mods, int notches) {
    if (IControl* control = ControlAt(FindControlAt(x, y))) control->OnMouseWheel(x, y, mods, notches);
}

void IEditorGraphics::OnKeyDown(int x, int y, int key) {
    if (IControl* control = ControlAt(FindControlAt(x, y))) control->OnKeyDown(x, y, key);
}

bool IEditorGraphics::OnTextKey(ITextKey key, uint32_t character) {
    return keyFocus && keyFocus->OnTextKey(key, character);
}

bool IEditorGraphics::OnMouseOver(int x, int y, const IMouseKeys& mods) {
    if (!hoverTracking) return false;
    const int index = FindControlAt(x, y);
    if (index < 0) return true;
    lastX = x;
    lastY = y;
    controls[static_cast<size_t>(index)]->OnMouseOver(x, y, mods);
    if (hoverIdx >= 0 && hoverIdx != index && hoverIdx < ControlCount())
        controls[static_cast<size_t>(hoverIdx)]->OnMouseOut();
    hoverIdx = index;
    return true;
}

void IEditorGraphics::OnMouseOut() {
    for (IControl* control : controls)
        control->OnMouseOut();
    hoverIdx = -1;
}
