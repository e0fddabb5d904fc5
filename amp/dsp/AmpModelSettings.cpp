// What each model designs when it is selected and when one of the shared amp knobs moves.
#include "AmpModels.h"
#include "DspBank.h"
#include "DspMath.h"
#include "Waveshapers.h"

#include <cmath>
#include <cstring>

namespace {

// Writes the sections, one-poles and comb lengths of a model at one sample rate.
struct Designer {
    DspBank& bank;
    double rate;

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
    void Row(int row, double seconds) { bank.SetDelayLength(seconds, rate, row); }

    // The low passes in front of the clean models' combs (slots 108..111).
    void CleanCombFilters() {
        LowPass(108, 87, 1.4);
        LowPass(109, 87, 1.4);
        LowPass(110, 161, 1.4);
        LowPass(111, 161, 1.4);
    }
};

// Main drive of most models: about 0.63 at G = 0, 2000 at G = 1.
double ExponentialDrive(double g) {
    return 2000.0 * DspPow(10.0, (0.7 * g + 0.3 - 1.0) * 5.0);
}

// The common peaking gain of the bass, middle and treble knobs.
double KnobDb(double v) {
    return 24.0 * v - 12.0;
}

// Frequency (Hz) and width (octaves) of the knobs that are peaking sections at 24 v - 12 dB in
// slots 64 (bass), 65 (middle) and 66 (treble); width 0 where the knob does something else.
struct PeakKnob {
    double freq;
    double width;
};
constexpr PeakKnob kBassPeak[AmpModels::kModelCount] = {
    {100, 3}, {200, 3}, {100, 3}, {200, 3}, {200, 3}, {1400, 1}, {}, {},
    {380, 3}, {200, 2}, {100, 3}, {120, 3}, {100, 3}, {},        {}, {}};
constexpr PeakKnob kMiddlePeak[AmpModels::kModelCount] = {
    {2000, 3},  {700, 3},    {800, 3},  {1000, 3}, {2000, 3}, {2200, 1}, {}, {},
    {900, 1.5}, {1200, 1.5}, {1800, 3}, {900, 1},  {1600, 2}, {},        {}, {}};
constexpr PeakKnob kTreblePeak[AmpModels::kModelCount] = {
    {10000, 3}, {5000, 3}, {6400, 3}, {4000, 3}, {5000, 3}, {4500, 2}, {5000, 3}, {},
    {8000, 3},  {4000, 3}, {6500, 3}, {2500, 1}, {5600, 1}, {},        {},        {}};

bool Sanitise(double& v) {
    if (!std::isfinite(v)) return false;
    if (v < 0.0) v = 0.0;
    if (v > 1.0) v = 1.0;
    return true;
}

} // namespace

double TaperScale() {
    return 1.0 / (1.0 - static_cast<double>(static_cast<float>(DspExp(-3.0))));
}

double GainTaper(double v) {
    return 1.0 - (1.0 - DspExp(-3.0 * (1.0 - v))) * TaperScale();
}

void AmpModels::Initialise(DspBank& b, double rate) {
    bank = &b;
    sampleRate = rate;
    knobs = Knobs{};
    // Model 14's lines exist from the start, so its shifter never runs on a missing buffer.
    bank->AllocModDelay(0.0, sampleRate, 0);
    bank->AllocModDelay(0.0, sampleRate, 1);
    ResetShifter();
    volume = GainTaper(knobs.volume);
    SetToneResonance(knobs.resonance);
    SetToneFreq(knobs.toneFreq);
    SelectModel(0);
}

void AmpModels::SampleRateChanged(double rate) {
    if (!bank || !(rate > 0.0)) return;
    sampleRate = rate;
    DesignToneFilters();
    // Selection designs every rate-dependent setting of the model, shifter lines included.
    SelectModel(model);
}

bool AmpModels::SelectModel(int m) {
    if (!bank || m < 0 || m >= kModelCount) return false;
    model = m;
    ApplyModelSections();
    // The knob sections follow, with the current values, so the sound always matches the knobs.
    DesignBass();
    DesignMiddle();
    DesignTreble();
    ApplyGain();
    if (model == 14) ResetShifter();
    return true;
}

void AmpModels::SetVolume(double v) {
    if (!Sanitise(v)) return;
    knobs.volume = v;
    volume = GainTaper(v);
}

void AmpModels::SetGain(double v) {
    if (!Sanitise(v)) return;
    knobs.gain = v;
    ApplyGain();
}

void AmpModels::SetToneFreq(double v) {
    if (!Sanitise(v)) return;
    knobs.toneFreq = v;
    toneFreqHz = (0.9 * v + 0.1) * 10000.0;
    toneMix = 1.2 * v - 1.0;
    if (bank) DesignToneFilters();
}

void AmpModels::SetToneResonance(double v) {
    if (!Sanitise(v)) return;
    knobs.resonance = v;
    toneWidth = (1.0 - 0.9 * v) * 2.8;
    const double t = 9.0 * v - 5.0;
    resonanceMix = t > 0.0 ? 9.0 * v * (0.1 * t + 0.08) - 0.42 : 9.0 * v * 0.08 - 0.42;
    if (bank) bank->DesignBiquad(toneFreqHz, toneWidth, 0.0, sampleRate, kBandPass, 71);
}

void AmpModels::SetBass(double v) {
    if (!Sanitise(v)) return;
    knobs.bass = v;
    DesignBass();
}

void AmpModels::SetMiddle(double v) {
    if (!Sanitise(v)) return;
    knobs.middle = v;
    DesignMiddle();
}

void AmpModels::SetTreble(double v) {
    if (!Sanitise(v)) return;
    knobs.treble = v;
    DesignTreble();
    // Model 15's middle section tracks the treble value; design it again so that the result does
    // not depend on the order in which the knobs were moved (or restored).
    if (model == 15) DesignMiddle();
}

void AmpModels::DesignToneFilters() {
    bank->DesignBiquad(toneFreqHz, toneWidth, 0.0, sampleRate, kBandPass, 71);
    bank->DesignBiquad(1.3684 * toneFreqHz + 3300.0, 0.0, 0.004868 * toneFreqHz - 38.75, sampleRate,
                       kHighShelf, 72);
}

void AmpModels::ResetShifter() {
    shifter = Shifter{};
    shifter.rampStep = 4.0 / sampleRate;
    shifter.triangleStep = 8.0 / sampleRate;
    // Fresh one-second lines; the buffers are only made again when the rate changed their size.
    for (int k = 0; k < DspBank::kModDelays; ++k) {
        DspBank::ModDelayLine& line = bank->modDelay[k];
        if (line.buffer && line.length == static_cast<int>(sampleRate)) {
            std::memset(line.buffer.get(), 0, sizeof(double) * static_cast<size_t>(line.length));
            line.position = 0;
        } else {
            bank->AllocModDelay(0.0, sampleRate, k);
        }
    }
}

void AmpModels::ApplyGain() {
    if (!bank) return;
    const double g = knobs.gain;
    drive = ExponentialDrive(g);
    switch (model) {
    case 0:
        bank->DesignBiquad(900.0 * g, 1.4, 0.0, sampleRate, kHighPass, 115);
        break;
    case 3:
        bank->DesignBiquad(425.0 * g, 1.4, 0.0, sampleRate, kHighPass, 115);
        break;
    case 5:
        drive2 = drive + 0.5;
        break;
    case 9:
        drive2 = 0.15 * drive + 3.0;
        break;
    case 13:
        drive = 1.0 + 199.0 * GainTaper(g);
        break;
    case 14:
        drive = 1.0 + 499.0 * GainTaper(g);
        break;
    case 15:
        drive = 10.0 + 490.0 * GainTaper(g);
        break;
    default:
        break;
    }
}

void AmpModels::DesignBass() {
    if (!bank) return;
    Designer d{*bank, sampleRate};
    const double v = knobs.bass;
    const PeakKnob& peak = kBassPeak[model];
    if (peak.width > 0.0) d.Peak(64, peak.freq, peak.width, KnobDb(v));
    switch (model) {
    case 6:
        d.HighPass(64, 500 * v, 1.4);
        break;
    case 7:
        d.BandPass(64, 2100 * v + 400, 3);
        break;
    case 9:
        stageDrive = 38.0 * v + 2.0;
        break;
    case 14:
        d.LowShelf(84, 80, 3, KnobDb(v));
        break;
    case 15:
        d.LowShelf(81, 200, 3, 12.0 * v - 6.0);
        break;
    default:
        break; // model 13 has no bass knob
    }
}

void AmpModels::DesignMiddle() {
    if (!bank) return;
    Designer d{*bank, sampleRate};
    const double v = knobs.middle;
    const PeakKnob& peak = kMiddlePeak[model];
    if (peak.width > 0.0) d.Peak(65, peak.freq, peak.width, KnobDb(v));
    switch (model) {
    case 6:
        d.SoftShelf(65, 800, 1, KnobDb(v));
        break;
    case 7:
        d.Peak(65, 100, 5, 32.0 * v - 16.0);
        break;
    case 13:
        // Turning the knob up closes the low pass from 10 kHz to 1 kHz.
        d.LowPass(64, 1000.0 + 9000.0 * (1.0 - (1.0 - DspExp(-3.0 * v)) * TaperScale()), 2.75);
        break;
    case 14: {
        const double t = GainTaper(v);
        d.Peak(82, 300.0 + 2700.0 * t, 5.75, 3.0 * t + 8.1);
        d.Peak(83, 464, 2.3, -5.5 * t - 4.662);
        break;
    }
    case 15: {
        const double u = DspPow(1.09051, 16.0 * knobs.treble - 8.0);
        double g = 6.0 * v - 3.0;
        if (g < 0.0) g *= 5.0;
        d.Peak(83, 800.0 * u, 1.6 * u, g);
        break;
    }
    default:
        break;
    }
}

void AmpModels::DesignTreble() {
    if (!bank) return;
    Designer d{*bank, sampleRate};
    const double v = knobs.treble;
    const PeakKnob& peak = kTreblePeak[model];
    if (peak.width > 0.0) d.Peak(66, peak.freq, peak.width, KnobDb(v));
    switch (model) {
    case 7:
        d.Peak(66, 1800, 2.7, 27.0 * v - 12.0);
        break;
    case 14:
        modulationOn = v > 0.0;
        break;
    case 15:
        d.HighShelf(84, 1500, 3, 16.0 * v - 8.0);
        break;
    default:
        break; // model 13 has no treble knob
    }
}

void AmpModels::ApplyModelSections() {
    Designer d{*bank, sampleRate};
    switch (model) {
    case 0:
        d.Row(8, 0.002), d.Row(9, 0.00027), d.Row(10, 0.002), d.Row(11, 0.00027);
        d.PoleB(4, 500);
        d.CleanCombFilters();
        d.Peak(112, 6100, 5.1, 16.5);
        d.Peak(113, 200, 2, 18);
        d.Peak(114, 10000, 2, 9.6);
        d.Peak(116, 146, 0.1, -15); // slot 115 follows the gain knob
        break;
    case 1:
        d.Row(8, 0.0024), d.Row(9, 0.00018), d.Row(10, 0.0024), d.Row(11, 0.00018);
        d.PoleB(4, 500);
        d.CleanCombFilters();
        d.Peak(112, 3400, 0.8, 24);
        d.Peak(113, 1000, 2, 0.3);
        d.Peak(114, 15300, 2, 7.2);
        d.Peak(116, 146, 0.1, -15);
        break;
    case 2:
        d.Row(8, 0.0074), d.Row(9, 0.00128), d.Row(10, 0.0074), d.Row(11, 0.00128);
        d.PoleB(4, 500);
        d.CleanCombFilters();
        d.Peak(112, 3200, 3.2, 15.9);
        d.Peak(113, 100, 4.4, 14.1);
        d.Peak(114, 13400, 2, 11.4);
        d.Peak(115, 3800, 1.3, -12);
        d.Peak(116, 7500, 3, 10);
        d.Peak(117, 146, 0.1, -15);
        break;
    case 3:
        d.Row(8, 0.012), d.Row(9, 0.00002), d.Row(10, 0.012), d.Row(11, 0.00002);
        d.PoleB(4, 500);
        d.CleanCombFilters();
        d.Peak(112, 1100, 6.1, 18.9);
        d.Peak(113, 60, 3.2, 24.9);
        d.Peak(114, 17000, 2, 28.8);
        break;
    case 4: {
        static const double kSeconds[14] = {0.0074, 0.0081, 0.0086, 0.0069, 0.0065, 0.0062,  0.0093,
                                            0.006,  0.0057, 0.0053, 0.005,  0.0047, 0.00032, 0.00032};
        for (int row = 0; row < 14; ++row)
            d.Row(row, kSeconds[row]);
        d.PoleB(4, 5000);
        d.LowPass(108, 121, 1.4);
        d.LowPass(109, 210, 1.4);
        d.LowPass(110, 5000, 1.4);
        d.Peak(111, 8800, 3, 30);
        d.SoftShelf(112, 300, 1, -30);
        break;
    }
    case 5:
        d.PoleB(1, 720.4840087890625);
        d.PoleA(1, 2000);
        d.PoleB(2, 723.4310302734375);
        d.PoleA(2, 2700);
        break;
    case 6:
        break;
    case 7:
        d.LowPass(80, 3500, 1.736);
        d.SoftShelf(81, 900, 3.5, 5.1);
        d.Peak(82, 1900, 3, 5.1);
        d.Peak(83, 1200, 5, -1.5);
        break;
    case 8:
        d.PoleA(3, 2750);
        d.PoleA(5, 4950);
        d.HighPass(83, 785, 1.4);
        d.LowPass(84, 4400, 1.4);
        d.LowPass(85, 85, 0.755);
        d.HighPass(86, 2950, 0.85);
        d.LowPass(87, 200, 0.7);
        d.HighPass(95, 180, 1.4);
        d.LowPass(96, 5100, 1.4);
        d.LowPass(97, 160, 0.555);
        break;
    case 9:
        d.Row(0, 0.0051), d.Row(1, 0.00031), d.Row(2, 0.0051), d.Row(3, 0.00031);
        d.PoleB(0, 720.4840087890625);
        d.PoleA(0, 723.4310302734375);
        d.PoleB(1, 720.4840087890625);
        d.PoleA(1, 2000);
        d.PoleB(2, 723.4310302734375);
        d.PoleA(2, 2700);
        d.PoleA(3, 6500);
        d.PoleB(3, 500);
        d.LowPass(80, 650, 1.4);
        d.LowPass(81, 2000, 1.4);
        d.HighShelf(82, 3100, 3, 12);
        d.HighPass(83, 730, 1.4);
        d.LowPass(84, 3600, 1.4);
        d.HighShelf(106, 6220, 1, 8.4);
        d.LowPass(85, 400, 0.755);
        d.HighPass(86, 9700, 0.555);
        d.LowPass(87, 5000, 1.65);
        d.HighShelf(107, 8800, 1, 15);
        d.LowPass(88, 87, 1.4);
        d.LowPass(89, 87, 1.4);
        d.LowPass(90, 120, 1.4);
        d.LowPass(91, 161, 1.4);
        d.Peak(92, 4100, 1.2, 2.7);
        d.Peak(93, 900, 3, 3.6);
        d.Peak(94, 6000, 2, 10.2);
        break;
    case 10:
        d.Row(4, 0.0069), d.Row(5, 0.00031), d.Row(6, 0.0069), d.Row(7, 0.00031);
        d.PoleB(4, 500);
        d.PoleA(3, 2750);
        d.CleanCombFilters();
        d.Peak(112, 3000, 3, 1.5);
        d.Peak(113, 1700, 0.9, 6.6);
        d.Peak(114, 11000, 2, 5.1);
        d.Peak(115, 146, 0.1, -15);
        d.HighPass(83, 555, 1.4);
        d.LowPass(84, 4400, 1.4);
        d.HighPass(85, 3600, 1.9);
        d.BandPass(86, 7900, 1);
        d.LowPass(87, 1320, 0.75);
        d.HighShelf(107, 15000, 1, 10);
        break;
    case 11:
        d.PoleA(4, 3450);
        d.PoleA(5, 5850);
        d.HighPass(98, 710, 1.4);
        d.LowPass(99, 4250, 1.4);
        d.LowPass(100, 455, 0.686);
        d.BandPass(101, 3900, 1);
        d.HighShelf(102, 14000, 1, 10);
        d.HighShelf(103, 7000, 1, 10);
        d.HighPass(95, 660, 1.4);
        d.LowPass(96, 2350, 1.4);
        d.LowPass(97, 2500, 0.462);
        d.HighShelf(104, 5000, 1, 5.6);
        d.HighShelf(105, 10000, 1, 10);
        break;
    case 12:
        d.Row(4, 0.0069), d.Row(5, 0.0005), d.Row(6, 0.0069), d.Row(7, 0.0005);
        d.Row(0, 0.0048), d.Row(1, 0.00012), d.Row(2, 0.0048), d.Row(3, 0.00012);
        d.PoleB(4, 500);
        d.PoleB(3, 500);
        d.CleanCombFilters();
        d.Peak(112, 3000, 1.9, -0.3);
        d.Peak(113, 800, 1, 3.9);
        d.Peak(114, 6000, 2, 0);
        d.Peak(115, 146, 0.1, -15);
        d.LowPass(88, 87, 1.4);
        d.LowPass(89, 87, 1.4);
        d.LowPass(90, 120, 1.4);
        d.LowPass(91, 161, 1.4);
        d.Peak(92, 2400, 3.5, 7.2);
        d.Peak(93, 1000, 1.2, 0);
        d.Peak(94, 10300, 2, 15.6);
        d.HighPass(83, 800, 1.4);
        d.LowPass(84, 4200, 1.4);
        d.LowPass(85, 11300, 3);
        break;
    case 13:
        d.PoleB(0, 400);
        d.Peak(81, 100, 2.85, 2);
        d.HighShelf(82, 900, 3, 4.2);
        break;
    case 14:
        d.HighPass(81, 200, 3);
        d.LowPass(85, 3000, 3);
        break;
    case 15:
        d.PoleB(0, 100);
        d.PoleB(1, 1300);
        d.PoleA(0, 6250);
        d.PoleA(1, 6050);
        d.PoleA(2, 6050);
        d.PoleA(3, 2500);
        d.PoleA(4, 8700);
        d.Peak(82, 1332, 2, -3.84);
        d.BandPass(85, 7000, 1.49);
        break;
    default:
        break;
    }
}
