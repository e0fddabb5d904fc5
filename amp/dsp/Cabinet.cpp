#include "Cabinet.h"

#include "DspBank.h"

const char* CabPresetLabel(int preset) {
    const CabVoicing* v = FindCabVoicing(preset);
    return v ? v->label : "";
}

bool DesignCabVoicing(int preset, double sampleRate, CabDesign& out) {
    const CabVoicing* v = FindCabVoicing(preset);
    if (!v) return false;
    out.count = v->count;
    out.gain = v->gain;
    for (int i = 0; i < v->count; ++i) {
        const CabSection& s = v->sections[i];
        out.sections[i] = DesignBiquadCoefficients(s.freqHz, s.bandwidthOct, s.gainDb, sampleRate, s.type);
    }
    return true;
}

void InstallCabDesign(DspBank& bank, const CabDesign& design) {
    bank.SetCascade(design.count, design.gain);
    for (int i = 0; i < design.count; ++i)
        bank.SetBiquadCoefficients(i, design.sections[i]);
}

bool DesignCabPreset(DspBank& bank, int preset, double sampleRate) {
    CabDesign design;
    if (!DesignCabVoicing(preset, sampleRate, design)) return false;
    InstallCabDesign(bank, design);
    return true;
}
