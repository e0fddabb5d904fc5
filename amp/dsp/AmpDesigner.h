#pragma once

#include "BankLayout.h"
#include "DspBank.h"

#include <cmath>

// A model's section at rate = factor x the host rate: designed at the host rate and carried over
// by RateScaledSection, so that it sounds as the host-rate design does. Factor 1 is DesignBiquad.
inline void DesignModelSection(DspBank& bank, double freq, double width, double gainDb, double rate,
                               int factor, int type, BiquadSlot s) {
    const int slot = s.index;
    if (factor <= 1) {
        bank.DesignBiquad(freq, width, gainDb, rate, type, slot);
        return;
    }
    if (slot < 0 || slot >= DspBank::kBiquadSlots) return;
    const BiquadCoefficients host = DesignBiquadCoefficients(freq, width, gainDb, rate / factor, type);
    bank.SetBiquadCoefficients(slot, RateScaledSection(host, factor));
}

// Writes the sections, one-poles and comb lengths of a model at one sample rate. With rowScale
// k > 1 the model runs at k times the host rate (rate is that rate): sections are carried over
// from their host-rate designs, one-poles keep their corners, and a comb gets exactly k times the samples it
// has at the host rate, so its loop lasts as long, in a buffer of 1/64 s (OversampledCombRoom).
struct ModelDesigner {
    DspBank& bank;
    double rate;
    int rowScale = 1;

    void Section(BiquadSlot slot, int type, double freq, double width, double gainDb = 0.0) {
        DesignModelSection(bank, freq, width, gainDb, rate, rowScale, type, slot);
    }
    void LowPass(BiquadSlot slot, double freq, double width) { Section(slot, kLowPass, freq, width); }
    void HighPass(BiquadSlot slot, double freq, double width) { Section(slot, kHighPass, freq, width); }
    void BandPass(BiquadSlot slot, double freq, double width) { Section(slot, kBandPass, freq, width); }
    void Peak(BiquadSlot slot, double freq, double width, double gainDb) {
        Section(slot, kPeak, freq, width, gainDb);
    }
    void HighShelf(BiquadSlot slot, double freq, double width, double gainDb) {
        Section(slot, kHighShelf, freq, width, gainDb);
    }
    void LowShelf(BiquadSlot slot, double freq, double width, double gainDb) {
        Section(slot, kLowShelf, freq, width, gainDb);
    }
    void SoftShelf(BiquadSlot slot, double freq, double width, double gainDb) {
        Section(slot, kSoftLowShelf, freq, width, gainDb);
    }
    void PoleA(PoleASlot slot, double freq) { bank.SetOnePoleA(PoleFreq(freq), rate, slot.index); }
    void PoleB(PoleBSlot slot, double freq) { bank.SetOnePoleB(PoleFreq(freq), rate, slot.index); }
    // The frequency that gives a one-pole at `rate` the low-frequency corner its host-rate design
    // has: (1 - p) / p per sample is the corner in radians, so it scales with the rate.
    double PoleFreq(double freq) const {
        if (rowScale == 1) return freq;
        const double hostRate = rate / rowScale;
        const double p = OnePoleFeedback(freq, hostRate);
        if (!(p > 0.0 && p < 1.0)) return freq;
        const double scaled = 1.0 / (1.0 + (1.0 - p) / (rowScale * p));
        return -std::log(scaled) * rate / 6.283185307179586;
    }
    void Row(CombRow r, double seconds) {
        const int row = r.index;
        if (rowScale == 1) {
            bank.SetDelayLength(seconds, rate, row);
            return;
        }
        const int delay = rowScale * CombDelaySamples(seconds, rate / rowScale);
        bank.SetDelaySamples(delay, OversampledCombRoom(rate), row);
    }
};
