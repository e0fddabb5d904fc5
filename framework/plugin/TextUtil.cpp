#include "TextUtil.h"

#include <cctype>

void CopyText(char* dest, size_t size, const char* source) {
    if (size == 0) return;
    size_t i = 0;
    if (source)
        for (; i + 1 < size && source[i] != '\0'; ++i) dest[i] = source[i];
    dest[i] = '\0';
}

void CopyLowerText(char* dest, size_t size, const char* source) {
    CopyText(dest, size, source);
    for (size_t i = 0; i < size && dest[i] != '\0'; ++i)
        dest[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(dest[i])));
}
