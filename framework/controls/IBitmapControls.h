#pragma once

#include "IControl.h"

// Shows the frame of its strip that matches its value.
class IBitmapControl : public IControl {
public:
    IBitmapControl(IPluginBase* plugin, int x, int y, int paramIdx, const IBitmapStrip& strip,
                   int blendMethod = IBlendSpec::kNone);
    IBitmapControl(IPluginBase* plugin, int x, int y, const IBitmapStrip& strip)
        : IBitmapControl(plugin, x, y, -1, strip) {}
    bool Draw(IEditorGraphics* graphics) override;
    const IBitmapStrip& Strip() const { return strip; }

protected:
    IBitmapStrip strip;
};

// Makes the image resource the editor's background: control 0, drawn with the clobber blend.
void SetBackgroundImage(IEditorGraphics& graphics, int resourceId, const char* resourceName);

// Each click steps to the next frame's value, wrapping to 0 after 1.
class ISwitchControl : public IBitmapControl {
public:
    using IBitmapControl::IBitmapControl;
    void OnMouseDown(int x, int y, const IMouseKeys& mods) override;
};

// A momentary button: 1 while held, 0 on release.
class IContactControl : public ISwitchControl {
public:
    using ISwitchControl::ISwitchControl;
    void OnMouseUp(int x, int y, const IMouseKeys& mods) override;
};

// An image shown over others while on; while off only its off rectangle is hit.
class IBitmapOverlayControl : public ISwitchControl {
public:
    IBitmapOverlayControl(IPluginBase* plugin, int x, int y, int paramIdx, const IBitmapStrip& strip,
                          const IRect& offTarget, int blendMethod = IBlendSpec::kNone);
    bool Draw(IEditorGraphics* graphics) override;
    // The hit area follows the value at once, not only at the next draw.
    bool HitTest(int x, int y) override;
    const IRect& OffTarget() const { return offTarget; }

private:
    IRect offTarget;
};

// Shows frame 2 while the mouse is held and toggles its value on release.
class IButtonSwitchControl : public IBitmapControl {
public:
    using IBitmapControl::IBitmapControl;
    void OnMouseDown(int x, int y, const IMouseKeys& mods) override;
    void OnMouseUp(int x, int y, const IMouseKeys& mods) override;
    bool Draw(IEditorGraphics* graphics) override;
    bool Pressed() const { return pressed; }

private:
    bool pressed = false;
};
