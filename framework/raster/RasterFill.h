#pragma once

#include "IRaster.h"

#include <cstdint>

// Building blocks of the fills and primitives (internal to the library).
namespace raster {

// The integer weight of a primitive; with the source-alpha flag scaled by the colour's alpha.
int PrimitiveWeight(float alpha, uint32_t colour, int mode);
// Fills a clipped rectangle at integer weight w, with the copy-mode fast paths.
void FillSpan(IRaster* dest, int x, int y, int width, int height, uint32_t colour, int w, int mode);
// Blends one pixel (skipped when outside) with operation op at coverage k (0..256).
void PlotCoverage(IRaster* dest, int x, int y, uint32_t colour, int op, int k);

} // namespace raster
