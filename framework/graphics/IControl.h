#pragma once

#include "IGraphicsTypes.h"
#include "ISubject.h"

#include <atomic>

class IEditorGraphics;
class IParameter;
class IPluginBase;

// A double that one thread may store while another reads it: each load and store is atomic, so
// the drawing always sees a whole value. Read-modify-write (+=) is for the window thread only.
class SharedDouble {
public:
    SharedDouble(double v = 0.0) : v(v) {}
    SharedDouble(const SharedDouble& o) : v(static_cast<double>(o)) {}
    SharedDouble& operator=(const SharedDouble& o) { return *this = static_cast<double>(o); }
    operator double() const { return v.load(std::memory_order_relaxed); }
    SharedDouble& operator=(double x) {
        v.store(x, std::memory_order_relaxed);
        return *this;
    }
    SharedDouble& operator+=(double x) { return *this = *this + x; }

private:
    std::atomic<double> v;
};

// A widget of the editor: a rectangle it draws into, an optional bound parameter with its
// normalised value, and the mouse handlers. Owned by the graphics object once attached.
// The plug-in stores values and flags from its own threads (the audio thread among them) while
// the window thread draws without the plug-in lock: value, default and flags are atomics, and a
// stored value is clamped before it is published, so a draw never waits and never sees a torn
// or out-of-range value.
class IControl : public ISubject {
public:
    IControl(IPluginBase* plugin, const IRect& rect, int paramIdx = -1, int blendMethod = IBlendSpec::kNone);
    ~IControl() override;

    // Virtual slots, in this order.
    virtual void OnMouseDown(int x, int y, const IMouseKeys& mods);
    virtual void OnMouseUp(int x, int y, const IMouseKeys& mods) {}
    virtual void OnMouseDrag(int x, int y, int dX, int dY, const IMouseKeys& mods) {}
    virtual void OnMouseDblClick(int x, int y, const IMouseKeys& mods);
    virtual void OnMouseWheel(int x, int y, const IMouseKeys& mods, int notches);
    virtual void OnKeyDown(int x, int y, int key) {}
    virtual void OnMouseOver(int x, int y, const IMouseKeys& mods) {}
    virtual void OnMouseOut() {}
    virtual bool Draw(IEditorGraphics* graphics) = 0;
    virtual void AskParameterValue();
    virtual void ApplyPluginValue(double newValue);
    virtual void Hide(bool hide);
    virtual void SetDimmed(bool dim);
    virtual void MoveTo(int x, int y);
    virtual bool HitTest(int x, int y);
    virtual void MarkDirty(bool pushToPlug);
    virtual void MarkClean();
    virtual bool NeedsRedraw();
    virtual void Hook() {}
    // A typed key while the control has the key focus; true when it took the key.
    virtual bool OnTextKey(ITextKey key, uint32_t character) {
        (void)key;
        (void)character;
        return false;
    }

    // A value from the user (text entry, linked parameters): stored and sent when it differs.
    void ApplyUserValue(double newValue);
    // A value the plug-in moved the control to and already sent: stored and drawn, not sent.
    void ShowMovedValue(double newValue);

    IPluginBase* Plugin() const { return plugin; }
    // The plug-in's graphics object, or null while it has none.
    IEditorGraphics* Graphics() const;
    // The bound parameter, or null when unbound or out of the plug-in's range.
    IParameter* BoundParameter() const;

    const IRect& Rect() const { return rect; }
    const IRect& TargetRect() const { return targetRect; }
    void SetTargetRect(const IRect& r) { targetRect = r; }
    int ParamIdx() const { return paramIdx; }
    double Value() const { return value; }
    void SetValue(double v) { value = v; }
    double DefaultValue() const { return defaultValue; }
    void SetDefaultValue(double v) { defaultValue = v; }
    void SetClamp(double low, double high) {
        clampLow = low;
        clampHigh = high;
    }
    bool IsDirty() const { return dirty; }
    // Counts every MarkDirty, so the window thread can tell whether a control changed after it looked.
    unsigned Changes() const { return changes; }
    bool IsHidden() const { return hidden; }
    bool IsGrayed() const { return grayed; }
    bool RedrawAgain() const { return redrawAgain; }
    bool PromptDisabled() const { return promptDisabled; }
    void DisablePrompt(bool disable) { promptDisabled = disable; }
    bool DblClickAsSingle() const { return dblClickAsSingle; }
    void SetDblClickAsSingle(bool single) { dblClickAsSingle = single; }
    // The blend the control draws with: its own, at a quarter weight while dimmed.
    IBlendSpec Blend() const { return IBlendSpec(blend.method, grayed ? 0.25f : 1.0f); }

protected:
    // value clamped into the control's range (NaN to the low end).
    double Clamped(double v) const;

    IPluginBase* plugin;
    IRect rect;
    IRect targetRect;
    int paramIdx;
    SharedDouble value = 0.0;
    SharedDouble defaultValue = -1.0;
    double clampLow = 0.0;
    double clampHigh = 1.0;
    std::atomic<bool> dirty{true};
    std::atomic<bool> hidden{false};
    std::atomic<bool> grayed{false};
    std::atomic<bool> redrawAgain{false};
    std::atomic<unsigned> changes{0};
    bool promptDisabled = false;
    bool dblClickAsSingle = false;
    IBlendSpec blend;
};

// Frame shown for value v of an N-frame strip: 1 + int((N - 1) v + 0.5), capped at N.
int FrameForValue(int frames, double v);
