#pragma once

#include "ITextControls.h"

class VulpanePlugin;

// The amp models' quality setting in the editor: a small "2x" beside the amp model label. A click
// steps it 1x -> 2x -> 4x -> 8x -> 1x. The setting is no host parameter, so the control calls the
// plug-in, which shows the factor in effect back here.
class IOversamplingControl : public ITextControl {
public:
    IOversamplingControl(VulpanePlugin* plugin, const IRect& rect, const ITextStyle& style);
    void OnMouseDown(int x, int y, const IMouseKeys& mods) override;

    static const char* Label(int factor);

private:
    VulpanePlugin* owner;
};
