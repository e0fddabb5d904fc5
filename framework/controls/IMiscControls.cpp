#include "IMiscControls.h"
#include "IEditorGraphics.h"

ISliderControl::ISliderControl(IPluginBase* owner, int x, int y, int len, int param, const IBitmapStrip& h,
                               int dir)
    : IControl(owner,
               dir == kHorizontal ? IRect(x, y, x + len, y + h.FrameHeight())
                                  : IRect(x, y, x + h.width, y + len),
               param),
      length(len), handleSize(dir == kHorizontal ? h.width : h.FrameHeight()), handle(h), direction(dir) {}

void ISliderControl::OnMouseDown(int x, int y, const IMouseKeys& mods) {
    if (mods.right) {
        AskParameterValue();
        return;
    }
    SnapTo(x, y);
}

void ISliderControl::OnMouseDrag(int x, int y, int, int, const IMouseKeys&) {
    SnapTo(x, y);
}

void ISliderControl::SnapTo(int x, int y) {
    const int travel = length - handleSize;
    if (travel <= 0) return;
    if (direction == kHorizontal) {
        value = static_cast<double>(x - rect.left - handleSize / 2) / travel;
    } else {
        value = 1.0 - static_cast<double>(y - rect.top - handleSize / 2) / travel;
    }
    MarkDirty(true);
}

bool ISliderControl::Draw(IEditorGraphics* graphics) {
    const int travel = length - handleSize;
    const int h = handle.FrameHeight();
    const double shown = value;
    IRect place;
    if (direction == kHorizontal) {
        const int offset = static_cast<int>(travel * shown);
        place = IRect(rect.left + offset, rect.top, rect.left + offset + handle.width, rect.top + h);
    } else {
        const int offset = static_cast<int>(travel * (1.0 - shown));
        place = IRect(rect.left, rect.top + offset, rect.left + handle.width, rect.top + offset + h);
    }
    const IBlendSpec blend = Blend();
    graphics->DrawFrame(handle, place, 1, &blend);
    return true;
}

IHotspotToggleControl::IHotspotToggleControl(IPluginBase* owner, const IRect& r, int param)
    : IControl(owner, r, param, IBlendSpec::kClobber) {
    promptDisabled = true;
}

void IHotspotToggleControl::OnMouseDown(int, int, const IMouseKeys&) {
    value = value < 0.5 ? 1.0 : 0.0;
    MarkDirty(true);
}

IVerticalPickControl::IVerticalPickControl(IPluginBase* owner, const IRect& r, int param)
    : IControl(owner, r, param, IBlendSpec::kClobber), top(r.top), height(r.H()) {
    promptDisabled = true;
}

void IVerticalPickControl::OnMouseUp(int, int y, const IMouseKeys&) {
    if (height <= 0) return;
    value = static_cast<double>(y - top) / height;
    MarkDirty(true);
}
