#include "IGraphicsTypes.h"
#include "RasterOps.h"

#include <cstring>

ITextStyle::ITextStyle(int textSize, const IColorARGB* textColour, const char* textFace, int textStyle,
                       int textAlign, int textOrientation)
    : size(textSize), style(textStyle), align(textAlign), orientation(textOrientation) {
    if (textColour) colour = *textColour;
    if (textFace) {
        std::strncpy(face, textFace, sizeof face - 1);
        face[sizeof face - 1] = 0;
    }
}

int BlitModeOf(const IBlendSpec* blend) {
    if (!blend) return kModeCopy | kModeSourceAlpha;
    switch (blend->method) {
    case IBlendSpec::kClobber:
        return kModeCopy;
    case IBlendSpec::kAdd:
        return kModeAdd | kModeSourceAlpha;
    case IBlendSpec::kColorDodge:
        return kModeDodge | kModeSourceAlpha;
    default:
        return kModeCopy | kModeSourceAlpha;
    }
}

float BlitAlphaOf(const IBlendSpec* blend) {
    return blend ? blend->weight : 1.0f;
}

int IBitmapStrip::FrameTop(int k) const {
    if (frames < 2 || k <= 1) return 0;
    return static_cast<int>(static_cast<double>(height) * (k - 1) / frames + 0.5);
}
