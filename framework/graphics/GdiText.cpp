#ifdef _WIN32

#include "IRaster.h"
#include "ITextRenderer.h"
#include "TextUtil.h"

#include <windows.h>
// windows.h renames DrawText to DrawTextA; our interface keeps its own name.
#undef DrawText

#include <cstring>
#include <vector>

namespace {

// Text through GDI into the draw bitmap's device context, one font per face, size and style.
class GdiText : public ITextRenderer {
public:
    ~GdiText() override {
        for (Font& f : fonts)
            DeleteObject(f.handle);
    }

    bool DrawText(IRaster* target, const IRect& clip, const ITextStyle& style, const char* text,
                  const IRect& rect) override {
        HDC dc = target ? static_cast<HDC>(target->DeviceContext()) : nullptr;
        if (!dc || !text || !*text) return true;
        HFONT font = FontFor(style);
        HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(style.colour.R, style.colour.G, style.colour.B));
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
        RECT r = {rect.left, rect.top, rect.right, rect.bottom};
        UINT format = DT_NOCLIP | DT_LEFT;
        if (style.align == ITextStyle::kAlignCentre)
            format = DT_NOCLIP | DT_CENTER;
        else if (style.align == ITextStyle::kAlignRight)
            format = DT_NOCLIP | DT_RIGHT;
        ::DrawTextA(dc, text, -1, &r, format);
        RestoreDC(dc, saved);
        if (previous) SelectObject(dc, previous);
        GdiFlush();
        return true;
    }

    int TextWidth(IRaster* target, const ITextStyle& style, const char* text) override {
        HDC dc = target ? static_cast<HDC>(target->DeviceContext()) : nullptr;
        if (!dc || !text) return -1;
        HFONT font = FontFor(style);
        HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
        SIZE size = {};
        const BOOL measured = GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
        if (previous) SelectObject(dc, previous);
        return measured ? static_cast<int>(size.cx) : -1;
    }

private:
    struct Font {
        char face[32];
        int size, style, orientation;
        HFONT handle;
    };

    HFONT FontFor(const ITextStyle& s) {
        for (const Font& f : fonts)
            if (f.size == s.size && f.style == s.style && f.orientation == s.orientation &&
                std::strcmp(f.face, s.face) == 0)
                return f.handle;
        HFONT handle =
            CreateFontA(s.size, 0, s.orientation * 10, s.orientation * 10,
                        s.style == ITextStyle::kBold ? FW_BOLD : FW_DONTCARE, s.style == ITextStyle::kItalic,
                        FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, s.face);
        if (!handle) return nullptr;
        Font f = {};
        CopyText(f.face, sizeof f.face, s.face);
        f.size = s.size;
        f.style = s.style;
        f.orientation = s.orientation;
        f.handle = handle;
        fonts.push_back(f);
        return handle;
    }

    std::vector<Font> fonts;
};

} // namespace

std::unique_ptr<ITextRenderer> NewSystemTextRenderer() {
    return std::make_unique<GdiText>();
}

#endif
