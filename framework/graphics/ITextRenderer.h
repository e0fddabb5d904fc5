#pragma once

// windows.h maps DrawText to DrawTextA; the graphics object keeps its own name.
#ifdef DrawText
#undef DrawText
#endif

#include "IGraphicsTypes.h"

#include <memory>

class IRaster;

// Draws a text into a bitmap with the system's font engine: aligned horizontally in rect,
// from its top, not clipped to rect but to clip.
class ITextRenderer {
public:
    virtual ~ITextRenderer() = default;
    virtual bool DrawText(IRaster* target, const IRect& clip, const ITextStyle& style, const char* text,
                          const IRect& rect) = 0;
    // The text's width in pixels as DrawText would set it, or -1 when it cannot be measured.
    virtual int TextWidth(IRaster* target, const ITextStyle& style, const char* text) = 0;
};

// FreeType and fontconfig on Linux; GDI on Windows.
std::unique_ptr<ITextRenderer> NewSystemTextRenderer();
