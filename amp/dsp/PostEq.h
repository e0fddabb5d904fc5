#pragma once

#include "BankLayout.h"

class DspBank;

// The post EQ after the cabinet: a low band (a shelf with a band pass mixed in), a high shelf, a
// loudness low cut (a shelf with a band pass mixed in), then the output volume.
class PostEq {
public:
    static constexpr int kLowShelfSlot = layout::PostEq::lowShelf.index;
    static constexpr int kHighShelfSlot = layout::PostEq::highShelf.index;
    static constexpr int kLoudnessShelfSlot = layout::PostEq::loudnessShelf.index;
    static constexpr int kLowBandSlot = layout::PostEq::lowBand.index;
    static constexpr int kLoudnessBandSlot = layout::PostEq::loudnessBand.index;

    // Shelf gains in dB (low and high -12..12, loudness -30..0). The band passes mixed into the
    // low band and the loudness follow their knob positions 0..1 as well as the gains.
    void SetEqLow(DspBank& bank, double db, double knob, double sampleRate);
    void SetEqHigh(DspBank& bank, double db, double sampleRate);
    void SetLoudness(DspBank& bank, double db, double knob, double sampleRate);
    void SetVolume(double gain) { volume = gain; }

    double EqLowMix() const { return eqLowMix; }
    double LoudnessMix() const { return loudnessMix; }
    double Volume() const { return volume; }

    // One sample of the cascade output through the five sections and the given volume.
    double Process(DspBank& bank, double x, double volumeNow) const;
    double Process(DspBank& bank, double x) const { return Process(bank, x, volume); }
    // In place over n samples with the given volume; bit-identical to n calls of Process.
    void ProcessBlock(DspBank& bank, double* samples, int n, double volumeNow) const;

private:
    double eqLowMix = 0.0;
    double loudnessMix = 0.0;
    double volume = 1.0;
    // Shelves designed at exactly 0 dB, passed through exactly.
    bool lowFlat = false;
    bool highFlat = false;
    bool loudFlat = false;
};
