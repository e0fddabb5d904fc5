#pragma once

#include "IRaster.h"

#include <cstddef>

// Image decoding into bitmaps. Each returns the bitmap given to reuse (it must take exactly
// the image's size) or a new MemoryRaster owned by the caller; null when the data is not a
// decodable image. File names are UTF-8.
IRaster* DecodePng(const unsigned char* data, size_t size, IRaster* reuse = nullptr);
IRaster* DecodePng(const char* fileName, IRaster* reuse = nullptr);
// Embedded images are found through FindImageResource; module is the library that holds
// them (unused: the lookup knows its own module).
IRaster* DecodePngResource(void* module, int resourceId, IRaster* reuse = nullptr);

IRaster* DecodeJpeg(const unsigned char* data, size_t size, IRaster* reuse = nullptr);
IRaster* DecodeJpeg(const char* fileName, IRaster* reuse = nullptr);
IRaster* DecodeJpegResource(void* module, int resourceId, IRaster* reuse = nullptr);

namespace raster {
// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const char* fileName, unsigned char** outData, size_t* outSize);
// Gives the decoder a bitmap of exactly width x height: the reused one, or a new one.
IRaster* TargetBitmap(IRaster* reuse, int width, int height, bool& created);
} // namespace raster
