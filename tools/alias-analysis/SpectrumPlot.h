#pragma once

#include <vector>

// Draws spectra (dB per bin, 0 dB at the top, floorDb at the bottom, 0 .. maxHz across) into a
// PNG: a grid every 2 kHz and 20 dB, axis numbers, the first trace red, the second blue.
bool WriteSpectrumPlot(const char* fileName, const std::vector<std::vector<double>>& traces, double binHz,
                       double maxHz, double floorDb);
