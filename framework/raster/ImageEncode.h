#pragma once

#include "IRaster.h"

#include <vector>

// Writes a bitmap as an 8-bit RGBA PNG (used for headless renders and screenshots).
// With opaque set every alpha byte is written as 255. Returns false on any failure.
bool EncodePng(IRaster* bitmap, std::vector<unsigned char>& out, bool opaque = false);
bool EncodePng(IRaster* bitmap, const char* fileName, bool opaque = false);
