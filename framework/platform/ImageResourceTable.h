#pragma once

#include <cstddef>

// The table of embedded images, generated at build time from amp/img/images.rc.
// On Windows the bytes live in the module's PNG resources, so data is null and size 0.
struct EmbeddedImage {
    int id;
    const char* name;
    const unsigned char* data;
    size_t size;
};

extern const EmbeddedImage kEmbeddedImages[];
extern const int kEmbeddedImageCount;
