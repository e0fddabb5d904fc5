#pragma once

#include "IControl.h"

// A control turned by dragging: vertically (direction 0) or horizontally.
class IKnobControl : public IControl {
public:
    IKnobControl(IPluginBase* plugin, const IRect& rect, int paramIdx, int direction = 0,
                 double gearing = 4.0, int blendMethod = IBlendSpec::kNone);
    // Dragging the full height (or width) moves the value by 1 / gearing; shift or control
    // makes it ten times finer.
    void OnMouseDrag(int x, int y, int dX, int dY, const IMouseKeys& mods) override;
    int Direction() const { return direction; }
    double Gearing() const { return gearing; }

protected:
    int direction;
    double gearing;
};

class IKnobMultiControl : public IKnobControl {
public:
    IKnobMultiControl(IPluginBase* plugin, int x, int y, int paramIdx, const IBitmapStrip& strip,
                      int direction = 0, double gearing = 4.0);
    bool Draw(IEditorGraphics* graphics) override;

private:
    IBitmapStrip strip;
};

// A knob drawn as one antialiased needle; angle 0 points up, positive turns clockwise.
class INeedleKnobControl : public IKnobControl {
public:
    INeedleKnobControl(IPluginBase* plugin, const IRect& rect, int paramIdx, const IColorARGB& colour,
                       float innerRadius = 0.0f, float outerRadius = 0.0f, float minAngle = -2.3561945f,
                       float maxAngle = 2.3561945f, int direction = 0, double gearing = 4.0);
    bool Draw(IEditorGraphics* graphics) override;

private:
    IColorARGB colour;
    float minAngle, maxAngle;
    float innerRadius, outerRadius;
};
