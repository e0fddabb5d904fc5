#pragma once

#include "AmpModelIds.h"

class DspBank;

// The sixteen amplifier models between the gate and the cabinet, with their shared knobs and the
// tone-stack tail every model ends in.
//
// Settings side (change handler, between blocks): SelectModel and the Set* knob operations take the
// raw parameter values 0..1 and design into the DspBank: biquad slots 64..66, 71, 72, 80..117,
// one-pole slots A0..A5 and B0..B4, comb rows 0..13 and the two modulated delay lines. A design
// replaces coefficients and keeps filter state.
//
// Audio side: Process and ProcessBlock run the selected model. They allocate nothing, take no lock
// and do no I/O. ProcessBlock gives bit-identical output to n calls of Process.
class AmpModels {
public:
    static constexpr int kModelCount = AmpModel::kCount;

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
    void CopySettingsFrom(const AmpModels& other);

    double Process(double x);
    // In place over n samples.
    void ProcessBlock(double* samples, int n);

    int Model() const { return model; }
    double SampleRate() const { return sampleRate; }
    int RateFactor() const { return rateFactor; }
    double Drive() const { return drive; }
    double Drive2() const { return drive2; }
    double StageDrive() const { return stageDrive; }
    double ToneMix() const { return toneMix; }
    double ResonanceMix() const { return resonanceMix; }
    double Volume() const { return volume; }
    bool ModulationOn() const { return modulationOn; }

private:
    struct Knobs {
        double volume = 0.5;
        double gain = 0.5;
        double toneFreq = 0.5;
        double resonance = 0.5;
        double bass = 0.5;
        double middle = 0.5;
        double treble = 0.5;
    };
    // The Poltergeist's two-tap pitch shifter: 4 Hz delay ramps half a period apart, crossfaded by a
    // triangle locked to the first ramp.
    struct Shifter {
        double phase1 = 0.0;
        double phase2 = 0.5;
        double triangle = 0.0;
        double depth = 0.125;
        double rampStep = 0.0;
        double triangleStep = 0.0;
    };

    // Settings (AmpModelSettings.cpp).
    void ApplyModelSections();
    void DesignBass();
    void DesignMiddle();
    void DesignTreble();
    void ApplyGain();
    void DesignToneFilters();
    void ResetShifter();

    // Audio (AmpModelStages.h): the per-sample stages.
    double RunModel(double u);
    static constexpr int kChunk = 64; // samples per pass of the block path
    void RunChunk(double* x, int n);  // AmpModelsBlock.cpp
    // The heavier models as section networks (AmpModelsNetworks.cpp): writes the model output
    // before its post sections to w and names those sections; false for the other models.
    bool RunNetwork(const double* x, double* w, int n, const int*& post, int& postCount);
    double Tail(double w);
    struct CleanCombs {
        double c8;
        double c10;
        double room; // the mean of the two long combs
    };
    CleanCombs RunCleanCombs(double u);
    double CleanOneOrTwo(double u, bool clipsThroughHighPass);
    double CleanThree(double u);
    double CleanFour(double u);
    double Piezo(double u);
    double Creamer(double u);
    double MachineOne(double u);
    double MachineTwo(double u);
    double MachineThree(double u);
    double StyleOne(double u);
    double StyleTwo(double u);
    double StyleFour(double u);
    double Jgm(double u);
    double DirtyOne(double u);
    double DirtyTwo(double u);
    double Darktorsion(double u);
    double DarkBody(double j);
    double Bat(double u);
    double Poltergeist(double u);
    double Soldier(double u);
    double SoldierBody(double u);
    double PitchShifter(double a);

    DspBank* bank = nullptr;
    double sampleRate = 44100.0;
    int rateFactor = 1;
    AmpModels* follower = nullptr;
    int model = 0;
    Knobs knobs;

    double drive = 1.0;        // D
    double drive2 = 1.0;       // D2, the creamer's first clip
    double stageDrive = 21.0;  // D9, the Metal Style's second stage
    double toneMix = -0.4;     // M
    double resonanceMix = 0.0; // K
    double volume = 1.0;       // V
    double toneFreqHz = 5500.0;
    double toneWidth = 1.54;
    bool modulationOn = true;
    Shifter shifter;
};
