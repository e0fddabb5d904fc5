#include "IRasterGraphics.h"
#include "ImageCache.h"
#include "ImageDecode.h"
#include "ImageResources.h"
#include "LazyPngRaster.h"
#include "MemoryRaster.h"
#include "RasterOps.h"
#include "SystemRaster.h"

#include <cctype>
#include <cstring>

namespace {

// Copy, add or dodge without the source alpha: the pixel operations of PlotPoint.
int PointMode(const IBlendSpec* blend) {
    if (!blend) return kModeCopy;
    if (blend->method == IBlendSpec::kAdd) return kModeAdd;
    if (blend->method == IBlendSpec::kColorDodge) return kModeDodge;
    return kModeCopy;
}

bool EqualsNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

struct ResourceRequest {
    IRasterGraphics* graphics;
    const char* name;
};

IRaster* DecodeRequested(int id, void* context) {
    const ResourceRequest* request = static_cast<const ResourceRequest*>(context);
    return request->graphics->DecodeImageResource(id, request->name);
}

} // namespace

ImageKind ImageKindOf(const char* name) {
    if (!name) return ImageKind::kNone;
    const char* dot = std::strrchr(name, '.');
    if (!dot) return ImageKind::kNone;
    if (EqualsNoCase(dot + 1, "png")) return ImageKind::kPng;
    if (EqualsNoCase(dot + 1, "jpg") || EqualsNoCase(dot + 1, "jpeg")) return ImageKind::kJpeg;
    return ImageKind::kNone;
}

IRasterGraphics::IRasterGraphics(IPluginBase* owner, int w, int h, int fps)
    : IEditorGraphics(owner, w, h, fps) {}

IRasterGraphics::~IRasterGraphics() {
    delete drawBitmap;
    delete scratch;
}

IRaster* IRasterGraphics::DrawBitmapSurface() {
    CreateDrawSurfaces();
    return drawBitmap;
}

void IRasterGraphics::CreateDrawSurfaces() {
    if (!drawBitmap) drawBitmap = new SystemRaster(width, height);
    if (!scratch) scratch = new MemoryRaster(4, 0, 0);
}

bool IRasterGraphics::DrawBitmap(const IBitmapStrip& strip, const IRect& dest, int srcX, int srcY,
                                 const IBlendSpec* blend) {
    if (!strip.image || !drawBitmap) return true;
    const IRect visible = dest.Intersect(drawRect);
    if (visible.Empty()) return true;
    srcX += visible.left - dest.left;
    srcY += visible.top - dest.top;
    CopyRect(drawBitmap, strip.image, visible.left, visible.top, srcX, srcY, visible.W(), visible.H(),
             BlitAlphaOf(blend), BlitModeOf(blend));
    return true;
}

bool IRasterGraphics::BlitRotated(const IBitmapStrip& strip, int centreX, int centreY, double angle,
                                  int yOffsetAtZero, const IBlendSpec* blend) {
    if (!strip.image || !drawBitmap) return true;
    const int w = strip.image->Width(), h = strip.image->Height();
    RotateRect(drawBitmap, strip.image, centreX - w / 2, centreY - h / 2, w, h, 0, 0, w, h,
               static_cast<float>(angle), true, BlitAlphaOf(blend), BlitModeOf(blend) | kModeBilinear,
               static_cast<float>(centreX), static_cast<float>(centreY + yOffsetAtZero));
    return true;
}

bool IRasterGraphics::BlitRotatedMasked(const IBitmapStrip& base, const IBitmapStrip& mask,
                                        const IBitmapStrip& top, int x, int y, double angleDegrees,
                                        const IBlendSpec* blend) {
    if (!base.image || !drawBitmap || !scratch) return true;
    const int w = base.image->Width(), h = base.image->Height();
    const float angle = static_cast<float>(angleDegrees * 3.14159265358979 / 180.0);
    const float cx = static_cast<float>(w) / 2.0f, cy = static_cast<float>(h) / 2.0f;
    CloneRaster(scratch, base.image);
    MaskArea(scratch, 0, 0, w, h, 0xff000000u, 0);
    const int rotated = kModeBilinear | kModeSourceAlpha;
    if (mask.image)
        RotateRect(scratch, mask.image, 0, 0, w, h, 0, 0, mask.image->Width(), mask.image->Height(), angle,
                   true, 1.0f, kModeAdd | rotated, cx, cy);
    if (top.image)
        RotateRect(scratch, top.image, 0, 0, w, h, 0, 0, top.image->Width(), top.image->Height(), angle, true,
                   1.0f, kModeCopy | rotated, cx, cy);
    const IRect dest = IRect(x, y, x + w, y + h);
    const IRect visible = dest.Intersect(drawRect);
    if (visible.Empty()) return true;
    CopyRect(drawBitmap, scratch, visible.left, visible.top, visible.left - x, visible.top - y, visible.W(),
             visible.H(), BlitAlphaOf(blend), BlitModeOf(blend));
    return true;
}

bool IRasterGraphics::PlotPoint(const IColorARGB& colour, float x, float y, const IBlendSpec* blend, bool) {
    SetPixelAt(drawBitmap, static_cast<int>(x + 0.5f), static_cast<int>(y + 0.5f), colour.Packed(),
               BlitAlphaOf(blend), PointMode(blend));
    return true;
}

bool IRasterGraphics::WritePixel(const IColorARGB& colour, int x, int y) {
    if (!drawBitmap || x < 0 || y < 0 || x >= drawBitmap->Width() || y >= drawBitmap->Height()) return true;
    drawBitmap->Row(y)[x] = colour.Packed();
    return true;
}

bool IRasterGraphics::DrawLine(const IColorARGB& colour, float x1, float y1, float x2, float y2,
                               const IBlendSpec* blend, bool antialias) {
    StrokeLine(drawBitmap, static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
               static_cast<int>(y2), colour.Packed(), BlitAlphaOf(blend), BlitModeOf(blend), antialias);
    return true;
}

bool IRasterGraphics::DrawArc(const IColorARGB& colour, float cx, float cy, float radius, float minAngle,
                              float maxAngle, const IBlendSpec* blend, bool antialias) {
    StrokeArc(drawBitmap, cx, cy, radius, minAngle, maxAngle, colour.Packed(), BlitAlphaOf(blend),
              BlitModeOf(blend), antialias);
    return true;
}

bool IRasterGraphics::DrawCircle(const IColorARGB& colour, float cx, float cy, float radius,
                                 const IBlendSpec* blend, bool antialias) {
    StrokeCircle(drawBitmap, cx, cy, radius, colour.Packed(), BlitAlphaOf(blend), BlitModeOf(blend),
                 antialias);
    return true;
}

bool IRasterGraphics::FillRect(const IColorARGB& colour, const IRect& rect, const IBlendSpec* blend) {
    FillArea(drawBitmap, rect.left, rect.top, rect.W(), rect.H(), colour.Packed(), BlitAlphaOf(blend),
             BlitModeOf(blend));
    return true;
}

IColorARGB IRasterGraphics::ReadPixel(int x, int y) {
    return IColorARGB::FromPacked(PixelAt(drawBitmap, x, y));
}

uint32_t* IRasterGraphics::PixelBuffer() {
    return drawBitmap ? drawBitmap->Pixels() : nullptr;
}

void IRasterGraphics::Resize(int newWidth, int newHeight) {
    IEditorGraphics::Resize(newWidth, newHeight);
    if (drawBitmap) drawBitmap->SetSize(newWidth, newHeight);
    drawRect = IRect(0, 0, newWidth, newHeight);
}

IBitmapStrip IRasterGraphics::LoadImageFile(const char* fileName, int frames) {
    IRaster* image = DecodeImageFile(fileName);
    if (!image) return IBitmapStrip(nullptr, 0, 0, frames < 1 ? 1 : frames);
    ImageCache::Add(-1, image);
    return IBitmapStrip(image, image->Width(), image->Height(), frames < 1 ? 1 : frames);
}

IBitmapStrip IRasterGraphics::LoadImageResource(int resourceId, const char* resourceName, int frames) {
    ResourceRequest request{this, resourceName};
    IRaster* image = ImageCache::FindOrAdd(resourceId, DecodeRequested, &request);
    const int n = frames < 1 ? 1 : frames;
    if (!image) return IBitmapStrip(nullptr, 0, 0, n);
    return IBitmapStrip(image, image->Width(), image->Height(), n);
}

IBitmapStrip IRasterGraphics::ScaledCopy(const IBitmapStrip& strip, int newWidth, int newHeight) {
    if (!strip.image || newWidth <= 0 || newHeight <= 0) return IBitmapStrip(nullptr, 0, 0, strip.frames);
    MemoryRaster* copy = new MemoryRaster(4, newWidth, newHeight);
    ResampleRect(copy, strip.image, 0, 0, newWidth, newHeight, 0, 0, strip.image->Width(),
                 strip.image->Height(), 1.0f, kModeCopy | kModeBilinear);
    ImageCache::Add(-1, copy);
    return IBitmapStrip(copy, newWidth, newHeight, strip.frames);
}

IBitmapStrip IRasterGraphics::CroppedCopy(const IBitmapStrip& strip, const IRect& area) {
    if (!strip.image || area.W() <= 0 || area.H() <= 0) return IBitmapStrip(nullptr, 0, 0, strip.frames);
    MemoryRaster* copy = new MemoryRaster(4, area.W(), area.H());
    FillArea(copy, 0, 0, area.W(), area.H(), 0, 1.0f, kModeCopy);
    CopyRect(copy, strip.image, 0, 0, area.left, area.top, area.W(), area.H(), 1.0f, kModeCopy);
    ImageCache::Add(-1, copy);
    return IBitmapStrip(copy, area.W(), area.H(), strip.frames);
}

void IRasterGraphics::DrawVerticalLine(const IColorARGB& colour, int x, int yLow, int yHigh) {
    if (!drawBitmap || drawBitmap->Width() <= 0 || drawBitmap->Height() <= 0) return;
    const int maxX = drawBitmap->Width() - 1, maxY = drawBitmap->Height() - 1;
    x = x < 0 ? 0 : (x > maxX ? maxX : x);
    yLow = yLow < 0 ? 0 : (yLow > maxY ? maxY : yLow);
    yHigh = yHigh < 0 ? 0 : (yHigh > maxY ? maxY : yHigh);
    const uint32_t packed = colour.Packed();
    for (int y = yLow; y <= yHigh; ++y)
        drawBitmap->Row(y)[x] = packed;
}

void IRasterGraphics::DrawHorizontalLine(const IColorARGB& colour, int y, int xLow, int xHigh) {
    if (!drawBitmap || drawBitmap->Width() <= 0 || drawBitmap->Height() <= 0) return;
    const int maxX = drawBitmap->Width() - 1, maxY = drawBitmap->Height() - 1;
    y = y < 0 ? 0 : (y > maxY ? maxY : y);
    xLow = xLow < 0 ? 0 : (xLow > maxX ? maxX : xLow);
    xHigh = xHigh < 0 ? 0 : (xHigh > maxX ? maxX : xHigh);
    const uint32_t packed = colour.Packed();
    uint32_t* row = drawBitmap->Row(y);
    for (int x = xLow; x <= xHigh; ++x)
        row[x] = packed;
}

IRaster* IRasterGraphics::DecodeImageFile(const char* fileName) {
    switch (ImageKindOf(fileName)) {
    case ImageKind::kPng:
        return DecodePng(fileName);
    case ImageKind::kJpeg:
        return DecodeJpeg(fileName);
    default:
        return nullptr;
    }
}

IRaster* IRasterGraphics::DecodeImageResource(int resourceId, const char* resourceName) {
    switch (ImageKindOf(resourceName)) {
    case ImageKind::kPng: {
        // Embedded PNGs decode when first drawn: an instance that never shows its editor never pays.
        const unsigned char* data = nullptr;
        size_t size = 0;
        if (FindImageResource(resourceId, &data, &size))
            if (IRaster* lazy = LazyPngRaster::FromData(data, size)) return lazy;
        return DecodePngResource(moduleHandle, resourceId);
    }
    case ImageKind::kJpeg:
        return DecodeJpegResource(moduleHandle, resourceId);
    default:
        return nullptr;
    }
}
