#pragma once

// The values the amp models' graphs read besides the bank: the shared knobs as set, and what the
// knob laws derive from them. Written between blocks, read by the audio path.
struct ModelKnobs {
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

struct ModelState {
    ModelKnobs knobs;
    double drive = 1.0;        // the main clip's drive
    double drive2 = 1.0;       // the creamer's first clip
    double stageDrive = 21.0;  // the Metal Style's second stage
    double toneMix = -0.4;     // the creamer's tone blend
    double resonanceMix = 0.0; // the tone band pass in the tail
    double volume = 1.0;
    double toneFreqHz = 5500.0;
    double toneWidth = 1.54;
    bool modulationOn = true;
    // How the waveshaper stages run (ModelGraph.h): 0 the plain curves (the host-rate models),
    // 1 or 2 the order of antiderivative anti-aliasing (the oversampled path). AmpModels runs the
    // model's graph compiled for this order; the graph itself does not read it.
    int shaperOrder = 0;
    Shifter shifter;
};
