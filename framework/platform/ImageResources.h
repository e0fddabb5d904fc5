#pragma once

#include <cstddef>

// Finds the bytes of one of the editor's embedded images (ids 100..149).
// Returns false for an unknown id.
bool FindImageResource(int id, const unsigned char** data, size_t* size);
