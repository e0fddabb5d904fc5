#pragma once

#include "DspBank.h"

// Writes the sections, one-poles and comb lengths of a model at one sample rate. With rowScale
// k > 1 the model runs at k times the host rate (rate is that rate): a comb gets exactly k times
// the samples it has at the host rate, so its loop lasts as long, in a buffer of 1/32 s.
struct ModelDesigner {
    DspBank& bank;
    double rate;
    int rowScale = 1;

    void Section(int slot, int type, double freq, double width, double gainDb = 0.0) {
        bank.DesignBiquad(freq, width, gainDb, rate, type, slot);
    }
    void LowPass(int slot, double freq, double width) { Section(slot, kLowPass, freq, width); }
    void HighPass(int slot, double freq, double width) { Section(slot, kHighPass, freq, width); }
    void BandPass(int slot, double freq, double width) { Section(slot, kBandPass, freq, width); }
    void Peak(int slot, double freq, double width, double gainDb) {
        Section(slot, kPeak, freq, width, gainDb);
    }
    void HighShelf(int slot, double freq, double width, double gainDb) {
        Section(slot, kHighShelf, freq, width, gainDb);
    }
    void LowShelf(int slot, double freq, double width, double gainDb) {
        Section(slot, kLowShelf, freq, width, gainDb);
    }
    void SoftShelf(int slot, double freq, double width, double gainDb) {
        Section(slot, kSoftLowShelf, freq, width, gainDb);
    }
    void PoleA(int slot, double freq) { bank.SetOnePoleA(freq, rate, slot); }
    void PoleB(int slot, double freq) { bank.SetOnePoleB(freq, rate, slot); }
    void Row(int row, double seconds) {
        if (rowScale == 1) {
            bank.SetDelayLength(seconds, rate, row);
            return;
        }
        const int delay = rowScale * CombDelaySamples(seconds, rate / rowScale);
        bank.SetDelaySamples(delay, static_cast<int>(rate / 32.0) + 1, row);
    }

    // The low passes in front of the clean models' combs (slots 108..111).
    void CleanCombFilters() {
        LowPass(108, 87, 1.4);
        LowPass(109, 87, 1.4);
        LowPass(110, 161, 1.4);
        LowPass(111, 161, 1.4);
    }
};
