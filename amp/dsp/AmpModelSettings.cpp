// What each model designs when it is selected and when one of the shared amp knobs moves.
#include "AmpDesigner.h"
#include "AmpModels.h"
#include "DspBank.h"
#include "DspMath.h"
#include "Waveshapers.h"

#include <cmath>
#include <cstring>

namespace {

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

void AmpModels::Initialise(DspBank& b, double rate, int factor) {
    bank = &b;
    sampleRate = rate;
    rateFactor = factor < 1 ? 1 : factor;
    knobs = Knobs{};
    // The Poltergeist's lines exist from the start, so its shifter never runs on a missing buffer.
    ResetShifter();
    volume = GainTaper(knobs.volume);
    SetToneResonance(knobs.resonance);
    SetToneFreq(knobs.toneFreq);
    SelectModel(AmpModel::kClean1);
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
    if (follower) follower->SelectModel(m);
    model = m;
    ApplyModelSections();
    // The knob sections follow, with the current values, so the sound always matches the knobs.
    DesignBass();
    DesignMiddle();
    DesignTreble();
    ApplyGain();
    if (model == AmpModel::kPoltergeist) ResetShifter();
    return true;
}

void AmpModels::CopySettingsFrom(const AmpModels& other) {
    const Knobs k = other.knobs;
    SetVolume(k.volume);
    SetToneResonance(k.resonance);
    SetToneFreq(k.toneFreq);
    SetGain(k.gain);
    SetBass(k.bass);
    SetMiddle(k.middle);
    SetTreble(k.treble);
    SelectModel(other.model);
}

void AmpModels::SetVolume(double v) {
    if (!Sanitise(v)) return;
    if (follower) follower->SetVolume(v);
    knobs.volume = v;
    volume = GainTaper(v);
}

void AmpModels::SetGain(double v) {
    if (!Sanitise(v)) return;
    if (follower) follower->SetGain(v);
    knobs.gain = v;
    ApplyGain();
}

void AmpModels::SetToneFreq(double v) {
    if (!Sanitise(v)) return;
    if (follower) follower->SetToneFreq(v);
    knobs.toneFreq = v;
    toneFreqHz = (0.9 * v + 0.1) * 10000.0;
    toneMix = 1.2 * v - 1.0;
    if (bank) DesignToneFilters();
}

void AmpModels::SetToneResonance(double v) {
    if (!Sanitise(v)) return;
    if (follower) follower->SetToneResonance(v);
    knobs.resonance = v;
    toneWidth = (1.0 - 0.9 * v) * 2.8;
    const double t = 9.0 * v - 5.0;
    resonanceMix = t > 0.0 ? 9.0 * v * (0.1 * t + 0.08) - 0.42 : 9.0 * v * 0.08 - 0.42;
    if (bank) DesignModelSection(*bank, toneFreqHz, toneWidth, 0.0, sampleRate, rateFactor, kBandPass, 71);
}

void AmpModels::SetBass(double v) {
    if (!Sanitise(v)) return;
    if (follower) follower->SetBass(v);
    knobs.bass = v;
    DesignBass();
}

void AmpModels::SetMiddle(double v) {
    if (!Sanitise(v)) return;
    if (follower) follower->SetMiddle(v);
    knobs.middle = v;
    DesignMiddle();
}

void AmpModels::SetTreble(double v) {
    if (!Sanitise(v)) return;
    if (follower) follower->SetTreble(v);
    knobs.treble = v;
    DesignTreble();
    // The Noise Soldier's middle section tracks the treble value; design it again so that the result does
    // not depend on the order in which the knobs were moved (or restored).
    if (model == AmpModel::kNoiseSoldier) DesignMiddle();
}

void AmpModels::DesignToneFilters() {
    DesignModelSection(*bank, toneFreqHz, toneWidth, 0.0, sampleRate, rateFactor, kBandPass, 71);
    DesignModelSection(*bank, 1.3684 * toneFreqHz + 3300.0, 0.0, 0.004868 * toneFreqHz - 38.75, sampleRate,
                       rateFactor, kHighShelf, 72);
}

void AmpModels::ResetShifter() {
    shifter = Shifter{};
    shifter.rampStep = 4.0 / sampleRate;
    shifter.triangleStep = 8.0 / sampleRate;
    // Fresh lines as deep as the ramps read; the buffers are only made again when the rate changed
    // their size.
    for (int k = 0; k < DspBank::kModDelays; ++k) bank->AllocModDelay(shifter.depth, sampleRate, k);
}

void AmpModels::ApplyGain() {
    if (!bank) return;
    const double g = knobs.gain;
    drive = ExponentialDrive(g);
    switch (model) {
    case AmpModel::kClean1:
        DesignModelSection(*bank, 900.0 * g, 1.4, 0.0, sampleRate, rateFactor, kHighPass, 115);
        break;
    case AmpModel::kClean4:
        DesignModelSection(*bank, 425.0 * g, 1.4, 0.0, sampleRate, rateFactor, kHighPass, 115);
        break;
    case AmpModel::kTubeCreamer:
        drive2 = drive + 0.5;
        break;
    case AmpModel::kMetalStyle:
        drive2 = 0.15 * drive + 3.0;
        break;
    case AmpModel::kBat:
        drive = 1.0 + 199.0 * GainTaper(g);
        break;
    case AmpModel::kPoltergeist:
        drive = 1.0 + 499.0 * GainTaper(g);
        break;
    case AmpModel::kNoiseSoldier:
        drive = 10.0 + 490.0 * GainTaper(g);
        break;
    default:
        break;
    }
}

void AmpModels::DesignBass() {
    if (!bank) return;
    ModelDesigner d{*bank, sampleRate, rateFactor};
    const double v = knobs.bass;
    const PeakKnob& peak = kBassPeak[model];
    if (peak.width > 0.0) d.Peak(64, peak.freq, peak.width, KnobDb(v));
    switch (model) {
    case AmpModel::kFuzzz:
        d.HighPass(64, 500 * v, 1.4);
        break;
    case AmpModel::kMetalCharter:
        d.BandPass(64, 2100 * v + 400, 3);
        break;
    case AmpModel::kMetalStyle:
        stageDrive = 38.0 * v + 2.0;
        break;
    case AmpModel::kPoltergeist:
        d.LowShelf(84, 80, 3, KnobDb(v));
        break;
    case AmpModel::kNoiseSoldier:
        d.LowShelf(81, 200, 3, 12.0 * v - 6.0);
        break;
    default:
        break; // the Bat has no bass knob
    }
}

void AmpModels::DesignMiddle() {
    if (!bank) return;
    ModelDesigner d{*bank, sampleRate, rateFactor};
    const double v = knobs.middle;
    const PeakKnob& peak = kMiddlePeak[model];
    if (peak.width > 0.0) d.Peak(65, peak.freq, peak.width, KnobDb(v));
    switch (model) {
    case AmpModel::kFuzzz:
        d.SoftShelf(65, 800, 1, KnobDb(v));
        break;
    case AmpModel::kMetalCharter:
        d.Peak(65, 100, 5, 32.0 * v - 16.0);
        break;
    case AmpModel::kBat:
        // Turning the knob up closes the low pass from 10 kHz to 1 kHz.
        d.LowPass(64, 1000.0 + 9000.0 * (1.0 - (1.0 - DspExp(-3.0 * v)) * TaperScale()), 2.75);
        break;
    case AmpModel::kPoltergeist: {
        const double t = GainTaper(v);
        d.Peak(82, 300.0 + 2700.0 * t, 5.75, 3.0 * t + 8.1);
        d.Peak(83, 464, 2.3, -5.5 * t - 4.662);
        break;
    }
    case AmpModel::kNoiseSoldier: {
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
    ModelDesigner d{*bank, sampleRate, rateFactor};
    const double v = knobs.treble;
    const PeakKnob& peak = kTreblePeak[model];
    if (peak.width > 0.0) d.Peak(66, peak.freq, peak.width, KnobDb(v));
    switch (model) {
    case AmpModel::kMetalCharter:
        d.Peak(66, 1800, 2.7, 27.0 * v - 12.0);
        break;
    case AmpModel::kPoltergeist:
        modulationOn = v > 0.0;
        break;
    case AmpModel::kNoiseSoldier:
        d.HighShelf(84, 1500, 3, 16.0 * v - 8.0);
        break;
    default:
        break; // the Bat has no treble knob
    }
}
