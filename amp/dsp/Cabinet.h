#pragma once

class DspBank;

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
