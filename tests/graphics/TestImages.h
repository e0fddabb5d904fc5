#pragma once

#include "IRaster.h"

// The pictures behind the test image table (ids 100 and 101), for expected values.
void PaintBackground(IRaster& image);
void PaintKnobStrip(IRaster& image, int frames);
