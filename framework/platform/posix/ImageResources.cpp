#include "ImageResources.h"
#include "ImageResourceTable.h"

bool FindImageResource(int id, const unsigned char** data, size_t* size) {
    for (int i = 0; i < kEmbeddedImageCount; ++i) {
        const EmbeddedImage& image = kEmbeddedImages[i];
        if (image.id != id) continue;
        if (data != nullptr) *data = image.data;
        if (size != nullptr) *size = image.size;
        return true;
    }
    return false;
}
