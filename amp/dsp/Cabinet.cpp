#include "Cabinet.h"

#include "DspBank.h"

const char* CabPresetLabel(int preset) {
    const CabVoicing* v = FindCabVoicing(preset);
    return v ? v->label : "";
}

bool DesignCabPreset(DspBank& bank, int preset, double sampleRate) {
    const CabVoicing* v = FindCabVoicing(preset);
    if (!v) return false;
    bank.SetCascade(v->count, v->gain);
    for (int i = 0; i < v->count; ++i) {
        const CabSection& s = v->sections[i];
        bank.DesignBiquad(s.freqHz, s.bandwidthOct, s.gainDb, sampleRate, s.type, i);
    }
    return true;
}
