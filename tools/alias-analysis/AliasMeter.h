#pragma once

#include <vector>

// Measures how much an amp model folds: a sine at -18 dBFS through the signal chain at 48 kHz
// (gate off, cabinet off, post EQ flat, master volume 1; model 14 with its modulation off, so
// that its pitch-shifted sidebands are not counted), Kaiser-windowed spectrum of 65536 samples
// after 1.5 s of settling. Partials are the multiples of the sine's frequency; every other
// component from 20 Hz to 20 kHz counts as folded.
struct AliasCase {
    int model = 0;
    int factor = 1;
    double freqHz = 1109.0;
    double gain = 1.0; // kAmpGain's raw value
};

struct AliasResult {
    double foldedDb = 0.0;    // strongest folded component relative to the strongest partial
    double foldedHz = 0.0;    // where it is
    double nsPerSample = 0.0; // chain time per host sample while measuring
    // With keepSpectrum: dB relative to the strongest partial per bin, 0 .. 24 kHz.
    std::vector<double> spectrumDb;
    double binHz = 0.0;
};

constexpr double kAliasRate = 48000.0;
constexpr double kAliasLevelDb = -18.0;
constexpr double kAliasBandHz = 20000.0;

AliasResult MeasureAlias(const AliasCase& c, bool keepSpectrum = false);
