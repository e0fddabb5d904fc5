#include "PostEq.h"

#include "DspBank.h"

namespace {

// A 0 dB shelf has b = a, an identity in exact arithmetic; rounding in the difference equation
// would still move the last bit, so such a section passes the sample on exactly (keeping its state
// as the identity would).
double PassFlat(DspBank& bank, double x, int slot) {
    BiquadSection<double> s = bank.biquad.Section(slot);
    s.Advance(x, x);
    bank.biquad.StoreState(slot, s);
    return x;
}

double Shelf(DspBank& bank, double x, int slot, bool flat) {
    return flat ? PassFlat(bank, x, slot) : bank.ProcessBiquad(x, slot);
}

} // namespace

void PostEq::SetEqLow(DspBank& bank, double db, double knob, double sampleRate) {
    bank.DesignBiquad(500.0, 1.0, db, sampleRate, kLowShelf, kLowShelfSlot);
    lowFlat = db == 0.0;
    bank.DesignBiquad(12.0 * db + 500.0, 1.9, 0.0, sampleRate, kBandPass, kLowBandSlot);
    eqLowMix = -0.08 / (knob + 1.0) * db;
}

void PostEq::SetEqHigh(DspBank& bank, double db, double sampleRate) {
    bank.DesignBiquad(3000.0, 1.0, db, sampleRate, kHighShelf, kHighShelfSlot);
    highFlat = db == 0.0;
}

void PostEq::SetLoudness(DspBank& bank, double db, double knob, double sampleRate) {
    bank.DesignBiquad(200.0, 1.0, db, sampleRate, kLowShelf, kLoudnessShelfSlot);
    loudFlat = db == 0.0;
    bank.DesignBiquad(3.83 * db + 200.0, 1.9, 0.0, sampleRate, kBandPass, kLoudnessBandSlot);
    loudnessMix = db * -0.145 * knob;
}

double PostEq::Process(DspBank& bank, double x, double volumeNow) const {
    double a = Shelf(bank, x, kLowShelfSlot, lowFlat);
    double b = bank.ProcessBiquad(a, kLowBandSlot);
    a = eqLowMix * b + a;
    const double c = Shelf(bank, a, kHighShelfSlot, highFlat);
    a = Shelf(bank, c, kLoudnessShelfSlot, loudFlat);
    b = bank.ProcessBiquad(a, kLoudnessBandSlot);
    return (loudnessMix * b + a) * volumeNow;
}
