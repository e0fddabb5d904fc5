#pragma once

#include <cstdint>

class IRaster;

// A pixel rectangle, right and bottom exclusive. All four members 0 is the empty rectangle.
struct IRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    IRect() = default;
    IRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}

    bool Empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    int W() const { return right - left; }
    int H() const { return bottom - top; }
    bool operator==(const IRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const IRect& o) const { return !(*this == o); }
    bool Contains(int x, int y) const { return !Empty() && x >= left && x < right && y >= top && y < bottom; }
    bool Intersects(const IRect& o) const {
        return !Empty() && !o.Empty() && right >= o.left && left < o.right && bottom >= o.top &&
               top < o.bottom;
    }
    IRect Union(const IRect& o) const {
        if (Empty()) return o;
        if (o.Empty()) return *this;
        return IRect(left < o.left ? left : o.left, top < o.top ? top : o.top,
                     right > o.right ? right : o.right, bottom > o.bottom ? bottom : o.bottom);
    }
    IRect Intersect(const IRect& o) const {
        if (!Intersects(o)) return IRect();
        return IRect(left > o.left ? left : o.left, top > o.top ? top : o.top,
                     right < o.right ? right : o.right, bottom < o.bottom ? bottom : o.bottom);
    }
};

struct IColorARGB {
    int A = 255, R = 0, G = 0, B = 0;

    IColorARGB() = default;
    IColorARGB(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
    bool operator==(const IColorARGB& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
    bool operator!=(const IColorARGB& o) const { return !(*this == o); }
    uint32_t Packed() const {
        return (uint32_t(A & 255) << 24) | (uint32_t(R & 255) << 16) | (uint32_t(G & 255) << 8) |
               uint32_t(B & 255);
    }
    static IColorARGB FromPacked(uint32_t p) {
        return IColorARGB(int(p >> 24), int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255));
    }
};

struct ITextStyle {
    enum { kNormal = 0, kBold = 1, kItalic = 2 };
    enum { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };

    char face[32] = "Arial";
    int size = 14;
    IColorARGB colour;
    int style = kNormal;
    int align = kAlignCentre;
    int orientation = 0; // degrees

    ITextStyle() = default;
    ITextStyle(int size, const IColorARGB* colour = nullptr, const char* face = nullptr, int style = kNormal,
               int align = kAlignCentre, int orientation = 0);
};

struct IBlendSpec {
    enum Method { kNone = 0, kClobber = 1, kAdd = 2, kColorDodge = 3 };

    int method = kNone;
    float weight = 1.0f;

    IBlendSpec() = default;
    IBlendSpec(int m, float w = 1.0f) : method(m), weight(w) {}
};

// The raster blit mode for a blend: clobber is a plain copy, add and dodge use the source
// alpha, anything else is a copy with source alpha. No blend means that at weight 1.
int BlitModeOf(const IBlendSpec* blend);
float BlitAlphaOf(const IBlendSpec* blend);

// A cached image (not owned) cut into N frames stacked vertically.
struct IBitmapStrip {
    IRaster* image = nullptr;
    int width = 0;
    int height = 0;
    int frames = 1;

    IBitmapStrip() = default;
    IBitmapStrip(IRaster* img, int w, int h, int n) : image(img), width(w), height(h), frames(n) {}
    // First source row of frame k (1-based).
    int FrameTop(int k) const;
    int FrameHeight() const { return frames > 1 ? height / frames : height; }
};

struct IMouseKeys {
    bool left = false, right = false, shift = false, control = false, alt = false;
};

// A key for a text being typed: a character (its Unicode code point alongside) or an editing key.
enum class ITextKey { kCharacter, kEnter, kEscape, kBackspace, kDelete, kLeft, kRight, kHome, kEnd };
