#include "ImageResourceTable.h"
#include "ImageResources.h"

#include <cstring>

int FindImageResourceId(const char* name) {
    if (name == nullptr) return -1;
    for (int i = 0; i < kEmbeddedImageCount; ++i) {
        if (std::strcmp(kEmbeddedImages[i].name, name) == 0) return kEmbeddedImages[i].id;
    }
    return -1;
}
