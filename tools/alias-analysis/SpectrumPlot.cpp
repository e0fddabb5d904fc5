#include "SpectrumPlot.h"

#include "ImageEncode.h"
#include "MemoryRaster.h"
#include "RasterOps.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kWidth = 860;
constexpr int kHeight = 420;
constexpr int kLeft = 50, kRight = 10, kTop = 10, kBottom = 30;

// 3 x 5 pixel digits and a minus sign, one row of three bits per line, top first.
const unsigned char kGlyphs[11][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {0, 0, 7, 0, 0},
};

void DrawText(IRaster* r, int x, int y, const char* text, uint32_t colour) {
    for (; *text; ++text, x += 8) {
        const int g = *text == '-' ? 10 : (*text >= '0' && *text <= '9' ? *text - '0' : -1);
        if (g < 0) continue;
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (kGlyphs[g][row] & (4 >> col)) FillArea(r, x + 2 * col, y + 2 * row, 2, 2, colour, 1.0f, kModeCopy);
    }
}

} // namespace

bool WriteSpectrumPlot(const char* fileName, const std::vector<std::vector<double>>& traces, double binHz,
                       double maxHz, double floorDb) {
    MemoryRaster raster(4, kWidth, kHeight);
    IRaster* r = &raster;
    const int plotW = kWidth - kLeft - kRight, plotH = kHeight - kTop - kBottom;
    FillArea(r, 0, 0, kWidth, kHeight, PackARGB(255, 255, 255, 255), 1.0f, kModeCopy);
    const uint32_t grid = PackARGB(255, 215, 215, 215), ink = PackARGB(255, 60, 60, 60);
    char label[16];
    for (int khz = 0; khz * 1000.0 <= maxHz; khz += 2) {
        const int x = kLeft + static_cast<int>(plotW * khz * 1000.0 / maxHz);
        StrokeLine(r, x, kTop, x, kTop + plotH, grid, 1.0f, kModeCopy, false);
        std::snprintf(label, sizeof label, "%d", khz);
        DrawText(r, x - 4 * static_cast<int>(std::strlen(label)), kTop + plotH + 8, label, ink);
    }
    for (int db = 0; db >= floorDb; db -= 20) {
        const int y = kTop + static_cast<int>(plotH * db / floorDb);
        StrokeLine(r, kLeft, y, kLeft + plotW, y, grid, 1.0f, kModeCopy, false);
        std::snprintf(label, sizeof label, "%d", db);
        DrawText(r, kLeft - 8 - 8 * static_cast<int>(std::strlen(label)), y - 5, label, ink);
    }
    const uint32_t colours[2] = {PackARGB(255, 220, 40, 30), PackARGB(255, 30, 70, 220)};
    for (size_t t = 0; t < traces.size() && t < 2; ++t) {
        const std::vector<double>& s = traces[t];
        int lastX = -1, lastY = 0;
        // Each pixel column shows the largest bin it covers, so narrow components stay visible.
        for (int px = 0; px < plotW; ++px) {
            const int b0 = static_cast<int>(maxHz * px / plotW / binHz);
            const int b1 = static_cast<int>(maxHz * (px + 1) / plotW / binHz);
            double peak = -1e9;
            for (int b = b0; b <= b1 && b < static_cast<int>(s.size()); ++b)
                if (s[static_cast<size_t>(b)] > peak) peak = s[static_cast<size_t>(b)];
            if (peak < floorDb) peak = floorDb;
            if (peak > 0) peak = 0;
            const int x = kLeft + px, y = kTop + static_cast<int>(plotH * peak / floorDb);
            if (lastX >= 0) StrokeLine(r, lastX, lastY, x, y, colours[t], 1.0f, kModeCopy, true);
            lastX = x, lastY = y;
        }
    }
    StrokeLine(r, kLeft, kTop, kLeft, kTop + plotH, ink, 1.0f, kModeCopy, false);
    StrokeLine(r, kLeft, kTop + plotH, kLeft + plotW, kTop + plotH, ink, 1.0f, kModeCopy, false);
    return EncodePng(r, fileName, true);
}
