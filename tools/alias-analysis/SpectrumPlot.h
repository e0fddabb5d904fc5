#pragma once

#include <string>
#include <vector>

struct SpectrumTrace {
    std::vector<double> db; // dB per bin
    std::string label;      // its legend entry
};

// Draws spectra (dB per bin, 0 dB at the top, floorDb at the bottom, 0 .. maxHz across) into a
// PNG under a title: a grid every 2 kHz and 20 dB with numbers, the axis titles "frequency (kHz)"
// and "level (dB)", the first trace red, the second blue, and a legend naming them.
bool WriteSpectrumPlot(const char* fileName, const std::string& title, const std::vector<SpectrumTrace>& traces,
                       double binHz, double maxHz, double floorDb);
