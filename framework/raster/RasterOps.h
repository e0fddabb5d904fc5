#pragma once

#include "IRaster.h"

#include <cstdint>

// Blit mode word: low byte the operation, plus flags.
enum RasterMode : int {
    kModeCopy = 0,
    kModeAdd = 1,
    kModeDodge = 2,
    kModeMultiply = 3,
    kModeDarken = 4,
    kModeLighten = 5,
    kModeChannelCopy = 240, // low 2 bits: source channel, next 2 bits: destination channel
    kModeBilinear = 0x100,
    kModeSourceAlpha = 0x10000,
};

inline uint32_t PackARGB(int a, int r, int g, int b) {
    return (static_cast<uint32_t>(a & 255) << 24) | (static_cast<uint32_t>(r & 255) << 16) |
           (static_cast<uint32_t>(g & 255) << 8) | static_cast<uint32_t>(b & 255);
}

// Every operation clips to the destination; a missing bitmap or zero weight does nothing.
// The weight is int(alpha * 256).
void CopyRect(IRaster* dest, IRaster* src, int destX, int destY, int srcX, int srcY, int width, int height,
              float alpha, int mode);
void ResampleRect(IRaster* dest, IRaster* src, int destX, int destY, int destW, int destH, int srcX, int srcY,
                  int srcW, int srcH, float alpha, int mode);
// Angle in radians, positive clockwise, about (rotationCentreX, rotationCentreY) in
// destination pixels. With clipToSource only the source rectangle is sampled, otherwise
// the whole source bitmap.
void RotateRect(IRaster* dest, IRaster* src, int destX, int destY, int destW, int destH, int srcX, int srcY,
                int srcW, int srcH, float angle, bool clipToSource, float alpha, int mode,
                float rotationCentreX, float rotationCentreY);
void CloneRaster(IRaster* dest, IRaster* src);
// With kModeSourceAlpha the weight is also scaled by the colour's alpha.
void FillArea(IRaster* dest, int x, int y, int width, int height, uint32_t colour, float alpha, int mode);
void MaskArea(IRaster* dest, int x, int y, int width, int height, uint32_t mask, uint32_t orBits);
void SetPixelAt(IRaster* dest, int x, int y, uint32_t colour, float alpha, int mode);
uint32_t PixelAt(IRaster* src, int x, int y);

void StrokeLine(IRaster* dest, int x1, int y1, int x2, int y2, uint32_t colour, float alpha, int mode,
                bool antialias);
// Angles in radians, 0 straight up, positive clockwise.
void StrokeArc(IRaster* dest, float cx, float cy, float r, float minAngle, float maxAngle, uint32_t colour,
               float alpha, int mode, bool antialias);
void StrokeCircle(IRaster* dest, float cx, float cy, float r, uint32_t colour, float alpha, int mode,
                  bool antialias);
