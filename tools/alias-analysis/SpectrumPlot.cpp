#include "SpectrumPlot.h"

#include "ITextRenderer.h"
#include "ImageEncode.h"
#include "MemoryRaster.h"
#include "RasterOps.h"

#include <cstdio>

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 480;
constexpr int kLeft = 64, kRight = 14, kTop = 44, kBottom = 52;

struct Labeller {
    ITextRenderer* text;
    IRaster* raster;
    IRect clip{0, 0, kWidth, kHeight};

    void Put(const char* s, int x, int y, int size, int align, const IColorARGB& colour, int style = ITextStyle::kNormal) {
        if (!text) return;
        const ITextStyle st(size, &colour, "DejaVu Sans", style, align);
        const int w = 400;
        const int left = align == ITextStyle::kAlignLeft ? x : (align == ITextStyle::kAlignRight ? x - w : x - w / 2);
        text->DrawText(raster, clip, st, s, IRect(left, y, left + w, y + size + 6));
    }
};

} // namespace

bool WriteSpectrumPlot(const char* fileName, const std::string& title, const std::vector<SpectrumTrace>& traces,
                       double binHz, double maxHz, double floorDb) {
    MemoryRaster raster(4, kWidth, kHeight);
    IRaster* r = &raster;
    const std::unique_ptr<ITextRenderer> text = NewSystemTextRenderer();
    Labeller put{text.get(), r};
    const int plotW = kWidth - kLeft - kRight, plotH = kHeight - kTop - kBottom;
    FillArea(r, 0, 0, kWidth, kHeight, PackARGB(255, 255, 255, 255), 1.0f, kModeCopy);
    const uint32_t grid = PackARGB(255, 215, 215, 215), ink = PackARGB(255, 60, 60, 60);
    const IColorARGB inkText(255, 40, 40, 40);
    char label[32];
    for (int khz = 0; khz * 1000.0 <= maxHz; khz += 2) {
        const int x = kLeft + static_cast<int>(plotW * khz * 1000.0 / maxHz);
        StrokeLine(r, x, kTop, x, kTop + plotH, grid, 1.0f, kModeCopy, false);
        std::snprintf(label, sizeof label, "%d", khz);
        put.Put(label, x, kTop + plotH + 4, 11, ITextStyle::kAlignCentre, inkText);
    }
    for (int db = 0; db >= floorDb; db -= 20) {
        const int y = kTop + static_cast<int>(plotH * db / floorDb);
        StrokeLine(r, kLeft, y, kLeft + plotW, y, grid, 1.0f, kModeCopy, false);
        std::snprintf(label, sizeof label, "%d", db);
        put.Put(label, kLeft - 6, y - 8, 11, ITextStyle::kAlignRight, inkText);
    }
    put.Put(title.c_str(), kWidth / 2, 8, 14, ITextStyle::kAlignCentre, inkText, ITextStyle::kBold);
    put.Put("frequency (kHz)", kLeft + plotW / 2, kTop + plotH + 24, 12, ITextStyle::kAlignCentre, inkText);
    put.Put("level (dB)", 6, kTop - 20, 12, ITextStyle::kAlignLeft, inkText);

    const uint32_t colours[2] = {PackARGB(255, 220, 40, 30), PackARGB(255, 30, 70, 220)};
    const IColorARGB textColours[2] = {IColorARGB(255, 200, 30, 20), IColorARGB(255, 30, 70, 220)};
    for (size_t t = 0; t < traces.size() && t < 2; ++t) {
        const std::vector<double>& s = traces[t].db;
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
    // The legend, on white in the top right corner of the plot.
    const int legendW = 330, legendX = kLeft + plotW - legendW - 8, legendY = kTop + 8;
    const int legendH = 10 + 20 * static_cast<int>(traces.size() < 2 ? traces.size() : 2);
    FillArea(r, legendX, legendY, legendW, legendH, PackARGB(255, 255, 255, 255), 1.0f, kModeCopy);
    StrokeLine(r, legendX, legendY, legendX + legendW, legendY, ink, 1.0f, kModeCopy, false);
    StrokeLine(r, legendX, legendY + legendH, legendX + legendW, legendY + legendH, ink, 1.0f, kModeCopy, false);
    StrokeLine(r, legendX, legendY, legendX, legendY + legendH, ink, 1.0f, kModeCopy, false);
    StrokeLine(r, legendX + legendW, legendY, legendX + legendW, legendY + legendH, ink, 1.0f, kModeCopy, false);
    for (size_t t = 0; t < traces.size() && t < 2; ++t) {
        const int y = legendY + 14 + 20 * static_cast<int>(t);
        FillArea(r, legendX + 10, y - 1, 24, 3, colours[t], 1.0f, kModeCopy);
        put.Put(traces[t].label.c_str(), legendX + 42, y - 8, 12, ITextStyle::kAlignLeft, textColours[t]);
    }
    StrokeLine(r, kLeft, kTop, kLeft, kTop + plotH, ink, 1.0f, kModeCopy, false);
    StrokeLine(r, kLeft, kTop + plotH, kLeft + plotW, kTop + plotH, ink, 1.0f, kModeCopy, false);
    return EncodePng(r, fileName, true);
}
