// The declarations of the 162 parameters, in the order that fixes their types.
#include "VulpanePlugin.h"

void VulpanePlugin::DeclareParameters() {
    auto knob = [this](int index, double defaultValue) {
        ParamAt(index)->DeclareDouble("", defaultValue, 0.0, 1.0, 0.001, "");
    };
    auto toggle = [this](int index) { ParamAt(index)->DeclareDouble("", 0.0, 0.0, 1.0, 1.0, ""); };

    for (int index : {kMasterVolume, kEqLow, kEqHigh, kToneFreq, kToneResonance, kLoudness, kGateRelease,
                      kGateThreshold, kAmpVolume, kAmpGain, kAmpBass, kAmpMiddle, kAmpTreble})
        knob(index, 0.5);
    knob(kIrDry, 0.0);
    knob(kIrWet, 0.5);
    toggle(kGateLed);
    toggle(kGate);
    toggle(kAmpOn);
    ParamAt(kAmpModel)->DeclareInt("", 0, 0, kNumModels - 1, "");
    ParamAt(kCabPreset)->DeclareInt("", 0, 0, kNumCabinets - 1, "");
    knob(kPresetListClick, 0.0);
    knob(kPresetScroll, 0.5);
    knob(kBankListClick, 0.0);
    knob(kBankScroll, 0.5);
    knob(kBankPosition, 0.0);
    knob(kPresetPosition, 0.0);
    knob(kPresetBrowse, 0.0);
    toggle(kTunerToggle);
    toggle(kTuningNext);
    ParamAt(kTuning)->DeclareInt("", 0, 0, 11, "");
    for (int index = kModelSwitch; index < kModelTreble + kNumModels; ++index) knob(index, 0.5);

    // Declared a second time: the integer type stays, name, range and texts come from here.
    ParamAt(kAmpModel)->DeclareEnum("Dst/Amp Preset", 0, kNumModels);
    for (int m = 0; m < kNumModels; ++m) ParamAt(kAmpModel)->SetDisplayText(m, kModelNames[m]);
    ParamAt(kCabPreset)->DeclareEnum("Cab Preset", 0, kNumCabinets);
    for (int c = 0; c < kNumCabinets; ++c) ParamAt(kCabPreset)->SetDisplayText(c, kCabinetNames[c]);
}
