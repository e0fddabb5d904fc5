#include "ImageDecode.h"
#include "MemoryRaster.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace raster {

static FILE* OpenUtf8(const char* fileName) {
#ifdef _WIN32
    wchar_t wide[1024];
    if (MultiByteToWideChar(CP_UTF8, 0, fileName, -1, wide, 1024) > 0) return _wfopen(wide, L"rb");
    return std::fopen(fileName, "rb");
#else
    return std::fopen(fileName, "rb");
#endif
}

bool ReadWholeFile(const char* fileName, unsigned char** outData, size_t* outSize) {
    *outData = nullptr;
    *outSize = 0;
    if (!fileName || !*fileName) return false;
    FILE* file = OpenUtf8(fileName);
    if (!file) return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long length = ok ? std::ftell(file) : -1;
    ok = ok && length > 0 && std::fseek(file, 0, SEEK_SET) == 0;
    unsigned char* data =
        ok ? static_cast<unsigned char*>(std::malloc(static_cast<size_t>(length))) : nullptr;
    ok = data && std::fread(data, 1, static_cast<size_t>(length), file) == static_cast<size_t>(length);
    std::fclose(file);
    if (!ok) {
        std::free(data);
        return false;
    }
    *outData = data;
    *outSize = static_cast<size_t>(length);
    return true;
}

IRaster* TargetBitmap(IRaster* reuse, int width, int height, bool& created) {
    created = false;
    if (reuse) {
        reuse->SetSize(width, height);
        if (reuse->Width() != width || reuse->Height() != height || !reuse->Pixels()) return nullptr;
        return reuse;
    }
    MemoryRaster* fresh = new MemoryRaster(4, width, height);
    if (fresh->Width() != width || fresh->Height() != height || !fresh->Pixels()) {
        delete fresh;
        return nullptr;
    }
    created = true;
    return fresh;
}

} // namespace raster

IRaster* DecodePng(const char* fileName, IRaster* reuse) {
    unsigned char* data = nullptr;
    size_t size = 0;
    if (!raster::ReadWholeFile(fileName, &data, &size)) return nullptr;
    IRaster* result = DecodePng(data, size, reuse);
    std::free(data);
    return result;
}

IRaster* DecodeJpeg(const char* fileName, IRaster* reuse) {
    unsigned char* data = nullptr;
    size_t size = 0;
    if (!raster::ReadWholeFile(fileName, &data, &size)) return nullptr;
    IRaster* result = DecodeJpeg(data, size, reuse);
    std::free(data);
    return result;
}
