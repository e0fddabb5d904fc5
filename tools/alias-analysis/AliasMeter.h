#pragma once

#include <vector>

// Measures how much an amp model folds: a fresh signal chain at 48 kHz (amp on, gate off, cabinet
// off, post EQ flat, loudness off, master volume 1, the model's knobs at their defaults but the
// gain; model 14 with its modulation off, so that its pitch-shifted sidebands are not counted)
// takes a sine at -18 dBFS. After 0.5 s of warm-up, 1 s is analysed with a 4-term
// Blackman-Harris window. The harmonics are the multiples of the sine's frequency below Nyquist;
// every bin farther than 12 Hz from all of them is inharmonic (folded back by sampling).
struct AliasCase {
    int model = 0;
    int factor = 1;
    double freqHz = 1109.0;
    double gain = 1.0; // kAmpGain's raw value
};

struct AliasResult {
    double foldedDb = 0.0;     // strongest inharmonic peak above 20 Hz relative to the strongest peak
    double foldedHz = 0.0;     // where it is
    double foldedAudibleDb = 0.0; // the same up to 20 kHz only (the resamplers' pass band)
    double inharmonicDb = 0.0; // inharmonic power from 20 Hz to 5 kHz relative to the total power above 20 Hz
    double nsPerSample = 0.0;  // chain time per host sample while measuring
    // With keepSpectrum: dB relative to the strongest peak per bin, 0 .. 24 kHz.
    std::vector<double> spectrumDb;
    double binHz = 0.0;
};

constexpr double kAliasRate = 48000.0;
constexpr double kAliasLevelDb = -18.0;
constexpr int kAliasWarmUp = 24000;   // 0.5 s
constexpr int kAliasAnalysed = 48000; // 1 s
constexpr double kAliasGuardHz = 12.0;
constexpr double kAliasLowHz = 20.0;
constexpr double kAliasInharmonicTopHz = 5000.0;
constexpr double kAliasAudibleTopHz = 20000.0;

AliasResult MeasureAlias(const AliasCase& c, bool keepSpectrum = false);
// The figures of kAliasAnalysed samples at kAliasRate of any signal driven by a sine of freqHz.
AliasResult AnalyseAlias(const double* signal, double freqHz, bool keepSpectrum = false);
