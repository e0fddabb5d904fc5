#include "OversamplingControl.h"

#include "VulpanePlugin.h"

IOversamplingControl::IOversamplingControl(VulpanePlugin* plugin, const IRect& rect, const ITextStyle& style)
    : ITextControl(plugin, rect, style, Label(plugin->Oversampling())), owner(plugin) {}

void IOversamplingControl::OnMouseDown(int, int, const IMouseKeys&) {
    const int factor = owner->Oversampling();
    owner->SetOversampling(factor >= 8 ? 1 : 2 * factor);
}

const char* IOversamplingControl::Label(int factor) {
    switch (factor) {
    case 2: return "2x";
    case 4: return "4x";
    case 8: return "8x";
    default: return "1x";
    }
}
