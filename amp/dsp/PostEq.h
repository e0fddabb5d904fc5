#pragma once

class DspBank;

// The post EQ after the cabinet: a low band (shelf 68 with band pass 73 mixed in), a high shelf
// (69), a loudness low cut (shelf 70 with band pass 74 mixed in), then the output volume.
class PostEq {
public:
    static constexpr int kLowShelfSlot = 68;
    static constexpr int kHighShelfSlot = 69;
    static constexpr int kLoudnessShelfSlot = 70;
    static constexpr int kLowBandSlot = 73;
    static constexpr int kLoudnessBandSlot = 74;

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
