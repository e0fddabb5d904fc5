#pragma once

#include "IEditorGraphics.h"

class MemoryRaster;
class SystemRaster;

// The graphics object's pixel layer: the off-screen draw bitmap (and a scratch bitmap) and
// every drawing, image loading, scaling and cropping operation on them.
class IRasterGraphics : public IEditorGraphics {
public:
    IRasterGraphics(IPluginBase* plugin, int width, int height, int frameRate = 0);
    ~IRasterGraphics() override;

    void CreateDrawSurfaces() override;
    bool DrawBitmap(const IBitmapStrip& strip, const IRect& dest, int srcX, int srcY,
                    const IBlendSpec* blend) override;
    bool BlitRotated(const IBitmapStrip& strip, int centreX, int centreY, double angle, int yOffsetAtZero,
                     const IBlendSpec* blend) override;
    bool BlitRotatedMasked(const IBitmapStrip& base, const IBitmapStrip& mask, const IBitmapStrip& top, int x,
                           int y, double angleDegrees, const IBlendSpec* blend) override;
    bool PlotPoint(const IColorARGB& colour, float x, float y, const IBlendSpec* blend,
                   bool antialias) override;
    bool WritePixel(const IColorARGB& colour, int x, int y) override;
    bool DrawLine(const IColorARGB& colour, float x1, float y1, float x2, float y2, const IBlendSpec* blend,
                  bool antialias) override;
    bool DrawArc(const IColorARGB& colour, float cx, float cy, float radius, float minAngle, float maxAngle,
                 const IBlendSpec* blend, bool antialias) override;
    bool DrawCircle(const IColorARGB& colour, float cx, float cy, float radius, const IBlendSpec* blend,
                    bool antialias) override;
    bool FillRect(const IColorARGB& colour, const IRect& rect, const IBlendSpec* blend) override;
    IColorARGB ReadPixel(int x, int y) override;
    uint32_t* PixelBuffer() override;
    void Resize(int newWidth, int newHeight) override;

    IBitmapStrip LoadImageFile(const char* fileName, int frames) override;
    IBitmapStrip LoadImageResource(int resourceId, const char* resourceName, int frames) override;
    IBitmapStrip ScaledCopy(const IBitmapStrip& strip, int newWidth, int newHeight) override;
    IBitmapStrip CroppedCopy(const IBitmapStrip& strip, const IRect& area) override;
    void DrawVerticalLine(const IColorARGB& colour, int x, int yLow, int yHigh) override;
    void DrawHorizontalLine(const IColorARGB& colour, int y, int xLow, int xHigh) override;
    IRaster* DecodeImageFile(const char* fileName) override;
    IRaster* DecodeImageResource(int resourceId, const char* resourceName) override;

    // The library module that holds the image resources (Windows instance handle).
    void SetModuleHandle(void* module) { moduleHandle = module; }
    void* ModuleHandle() const { return moduleHandle; }
    IRaster* DrawBitmapSurface();

protected:
    SystemRaster* drawBitmap = nullptr;
    MemoryRaster* scratch = nullptr;
    void* moduleHandle = nullptr;
};

// The decoder for a name: by the text after its last full stop, compared without case.
enum class ImageKind { kNone, kPng, kJpeg };
ImageKind ImageKindOf(const char* name);
