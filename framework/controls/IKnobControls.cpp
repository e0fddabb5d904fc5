#include "IKnobControls.h"
#include "IEditorGraphics.h"

#include <cmath>

IKnobControl::IKnobControl(IPluginBase* owner, const IRect& r, int param, int dir, double gear,
                           int blendMethod)
    : IControl(owner, r, param, blendMethod), direction(dir), gearing(gear) {}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, const IMouseKeys& mods) {
    double g = gearing;
    if (mods.shift || mods.control) g *= 10.0;
    if (g == 0.0) return;
    if (direction == 0) {
        if (rect.top == rect.bottom) return;
        value += static_cast<double>(dY) / (rect.top - rect.bottom) / g;
    } else {
        if (rect.right == rect.left) return;
        value += static_cast<double>(dX) / (rect.right - rect.left) / g;
    }
    MarkDirty(true);
}

IKnobMultiControl::IKnobMultiControl(IPluginBase* owner, int x, int y, int param, const IBitmapStrip& s,
                                     int dir, double gear)
    : IKnobControl(owner, IRect(x, y, x + s.width, y + s.FrameHeight()), param, dir, gear), strip(s) {}

bool IKnobMultiControl::Draw(IEditorGraphics* graphics) {
    const IBlendSpec blend = Blend();
    graphics->DrawFrame(strip, rect, FrameForValue(strip.frames, value), &blend);
    return true;
}

INeedleKnobControl::INeedleKnobControl(IPluginBase* owner, const IRect& r, int param, const IColorARGB& c,
                                       float inner, float outer, float minA, float maxA, int dir, double gear)
    : IKnobControl(owner, r, param, dir, gear, IBlendSpec::kClobber), colour(c), minAngle(minA),
      maxAngle(maxA), innerRadius(inner),
      outerRadius(outer == 0.0f ? static_cast<float>(r.W()) / 2.0f : outer) {}

bool INeedleKnobControl::Draw(IEditorGraphics* graphics) {
    const float a = minAngle + (maxAngle - minAngle) * static_cast<float>(value);
    const float cx = static_cast<float>(rect.left + rect.right) / 2.0f;
    const float cy = static_cast<float>(rect.top + rect.bottom) / 2.0f;
    const float s = std::sin(a), c = std::cos(a);
    const IBlendSpec blend = Blend();
    graphics->DrawLine(colour, cx + innerRadius * s, cy - innerRadius * c, cx + outerRadius * s,
                       cy - outerRadius * c, &blend, true);
    return true;
}
