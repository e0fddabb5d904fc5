#pragma once

#include <cstddef>

// Finds the bytes of one of the editor's embedded images (ids 100..155).
// Returns false for an unknown id.
bool FindImageResource(int id, const unsigned char** data, size_t* size);

// The resource id of an embedded image by the name the editor uses ("img/background.png"),
// or -1 when no image has that name.
int FindImageResourceId(const char* name);
