#pragma once

// What the plug-in base needs from its editor. The graphics object implements it;
// the base never sees a window or a control.
class IEditorLink {
public:
    virtual ~IEditorLink() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Stores a value into every control bound to the parameter (no change handler runs).
    virtual void PushParameterValue(int paramIndex, double value, bool normalized) = 0;
    // Moves the controls of a parameter as a user would, so the change handler runs.
    virtual void MoveParameterControls(int paramIndex, double normalizedValue) = 0;
    // Makes the surfaces drawing needs, if not made yet: done on the editor's thread when it
    // first opens or draws, so an editor never shown holds none.
    virtual void CreateDrawSurfaces() = 0;
    // parent: the host's window handle. Returns non-zero when the window opened.
    virtual int CreateEditorWindow(void* parent) = 0;
    virtual void DestroyEditorWindow() = 0;
    // Pumps window events on hosts that drive the editor through effEditIdle.
    virtual void Idle() {}
};
