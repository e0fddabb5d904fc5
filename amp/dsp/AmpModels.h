#pragma once

#include "AmpModelIds.h"
#include "models/ModelState.h"

class DspBank;
struct ModelDescription;
struct ModelDesigner;

// The model and knob values an AmpModels instance designs from, as one value.
struct AmpSettings {
    int model = 0;
    ModelKnobs knobs;
    bool operator==(const AmpSettings& o) const;
};

// The sixteen amplifier models between the gate and the cabinet, with their shared knobs and the
// tone-stack tail every model ends in. Each model is described in its own file under models/
// (docs/models.md); this class selects one, passes the knobs to its laws and runs its graph.
//
// Settings side (change handler, between blocks): SelectModel and the Set* knob operations take the
// raw parameter values 0..1 and design into the DspBank places the layout (BankLayout.h) gives the
// models and the tone stack. A design replaces coefficients and keeps filter state.
//
// Audio side: Process and ProcessBlock run the selected model. They allocate nothing, take no lock
// and do no I/O. ProcessBlock gives bit-identical output to n calls of Process.
class AmpModels {
public:
    static constexpr int kModelCount = AmpModel::kCount;

    AmpModels();

    // Called once at start-up, after the bank's delay lines exist. Designs the first model and the tone
    // stack with every knob at 0.5, so the amp sounds before the first parameter change.
    // With rateFactor k > 1 the models run at sampleRate = k times the host rate: the combs keep
    // the sample counts they have at the host rate times k (see ModelDesigner::Row).
    void Initialise(DspBank& bank, double sampleRate, int rateFactor = 1);
    // Called after the host's sample rate changed and the comb rows were allocated again: designs
    // the tone stack and the current model again at the new rate.
    void SampleRateChanged(double sampleRate);

    // Stores the model and applies its settings with the current knob values. A model outside
    // 0..15 is refused (returns false, nothing changes).
    bool SelectModel(int model);
    // Knob updates with the raw values 0..1 (non-finite values are ignored, others clamped).
    void SetVolume(double v);
    void SetGain(double v);
    void SetToneFreq(double v);
    void SetToneResonance(double v);
    void SetBass(double v);
    void SetMiddle(double v);
    void SetTreble(double v);

    // Another instance that receives every selection and knob change made here (null: none), so
    // that a copy running at another rate keeps the same settings. Not owned.
    void SetFollower(AmpModels* f) { follower = f; }
    AmpModels* Follower() const { return follower; }
    // Takes the model and knob values of `other` and designs them at this instance's rate.
    void CopySettingsFrom(const AmpModels& other) { UseSettings(other.Settings()); }
    // The same from a value: a path made off the audio thread gets the settings it will need there.
    void UseSettings(const AmpSettings& settings);
    AmpSettings Settings() const { return {model, state.knobs}; }
    // What the knob setters make of a raw value: false for a non-finite one (ignored), else clamped
    // to 0..1. For those who keep the settings a chain will have.
    static bool SanitiseKnob(double& v);

    // While designs are deferred (a preset recall on the audio thread), a selection or knob change
    // only stores its value and marks the designs it calls for; they are made once, with the final
    // values, when deferring ends with designNow, or else before this instance next runs. Designs
    // replace coefficients from the model and the knob values alone, so the result is the same as
    // designing at each change. Passed on to the follower, which designs when deferring ends.
    void DeferDesigns(bool defer, bool designNow = true);
    bool DesignsPending() const { return pending != 0; }
    void DesignPending();

    double Process(double x);
    // In place over n samples.
    void ProcessBlock(double* samples, int n);

    int Model() const { return model; }
    double SampleRate() const { return sampleRate; }
    int RateFactor() const { return rateFactor; }
    double Drive() const { return state.drive; }
    double Drive2() const { return state.drive2; }
    double StageDrive() const { return state.stageDrive; }
    double ToneMix() const { return state.toneMix; }
    double ResonanceMix() const { return state.resonanceMix; }
    double Volume() const { return state.volume; }
    bool ModulationOn() const { return state.modulationOn; }
    // The order of antiderivative anti-aliasing the waveshaper stages run with (0: the plain
    // curves, at the host rate), chosen by the rate factor at Initialise.
    int ShaperOrder() const { return state.shaperOrder; }
    // The delay those stages give the selected model on a quiet signal, in whole samples at this
    // instance's rate (a half sample of first order left over is not counted).
    int ShaperDelay() const;
    // The order the stages run with at a rate factor.
    static int ShaperOrderFor(int rateFactor);

private:
    ModelDesigner Designer() const;
    void DesignBass();
    void DesignMiddle();
    void DesignTreble();
    void ApplyGain();
    void DesignToneFilters();
    void ResetShifter();

    enum PendingDesign : unsigned {
        kPendingModel = 1,
        kPendingBass = 2,
        kPendingMiddle = 4,
        kPendingTreble = 8,
        kPendingGain = 16,
        kPendingTone = 32,
    };
    // Designs now, or marks them while deferring.
    bool Defer(unsigned designs) {
        if (!deferring) return false;
        pending |= designs;
        return true;
    }
    void DesignModel();

    DspBank* bank = nullptr;
    bool deferring = false;
    unsigned pending = 0;
    double sampleRate = 44100.0;
    int rateFactor = 1;
    AmpModels* follower = nullptr;
    int model = 0;
    const ModelDescription* description;
    ModelState state;
};
