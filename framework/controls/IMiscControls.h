#pragma once

#include "IControl.h"

// A handle that follows the mouse along a track.
class ISliderControl : public IControl {
public:
    enum { kVertical = 0, kHorizontal = 1 };

    ISliderControl(IPluginBase* plugin, int x, int y, int length, int paramIdx, const IBitmapStrip& handle,
                   int direction = kVertical);
    void OnMouseDown(int x, int y, const IMouseKeys& mods) override;
    void OnMouseDrag(int x, int y, int dX, int dY, const IMouseKeys& mods) override;
    bool Draw(IEditorGraphics* graphics) override;

private:
    void SnapTo(int x, int y);

    int length;
    int handleSize;
    IBitmapStrip handle;
    int direction;
};

// An invisible area that toggles its parameter between 0 and 1 on every click.
class IHotspotToggleControl : public IControl {
public:
    IHotspotToggleControl(IPluginBase* plugin, const IRect& rect, int paramIdx);
    void OnMouseDown(int x, int y, const IMouseKeys& mods) override;
    bool Draw(IEditorGraphics*) override { return true; }
};

// An invisible area whose value is the height at which the mouse is released (0 at the top).
class IVerticalPickControl : public IControl {
public:
    IVerticalPickControl(IPluginBase* plugin, const IRect& rect, int paramIdx);
    void OnMouseUp(int x, int y, const IMouseKeys& mods) override;
    bool Draw(IEditorGraphics*) override { return true; }

private:
    int top;
    int height;
};
