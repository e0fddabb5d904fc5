#pragma once

#include "DspBank.h"

// The loudspeaker-cabinet voicings: each preset is a fixed cascade of up to twenty sections,
// designed into biquad slots 0..count-1, followed by a linear gain.

constexpr int kCabPresetCount = 39;

struct CabSection {
    int type; // BiquadType
    double freqHz;
    double bandwidthOct;
    double gainDb;
};

struct CabVoicing {
    const char* label;
    int count;
    double gain;
    CabSection sections[20];
};

// The voicing of preset 0..38, or nullptr for any other number.
const CabVoicing* FindCabVoicing(int preset);

// The preset's display label, or "" for a number outside 0..38.
const char* CabPresetLabel(int preset);

// Designs the preset's sections at sampleRate and sets the cascade count and gain. A number
// outside 0..38 changes nothing and returns false. Slots above the count keep their state.
bool DesignCabPreset(DspBank& bank, int preset, double sampleRate);

// A preset's sections designed at one rate, put into a bank later in constant time (a program
// change on the audio thread): the same coefficients DesignCabPreset gives.
struct CabDesign {
    int count = 0;
    double gain = 1.0;
    BiquadCoefficients sections[20];
};
// False, and `out` unchanged, for a number outside 0..38.
bool DesignCabVoicing(int preset, double sampleRate, CabDesign& out);
void InstallCabDesign(DspBank& bank, const CabDesign& design);
