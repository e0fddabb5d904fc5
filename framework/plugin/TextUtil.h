#pragma once

#include <cstddef>

// Copies text into a fixed field of `size` bytes, always terminated; null copies as "".
void CopyText(char* dest, size_t size, const char* source);
// Lower-case copy of text into a fixed field.
void CopyLowerText(char* dest, size_t size, const char* source);
