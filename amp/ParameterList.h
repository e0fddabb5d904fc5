#pragma once

// The one table of the plug-in's parameters. Everything else is made from it: the enum
// (ParameterIds.h), the identifiers tools name parameters by (ParameterIds.cpp), the
// declarations, the editor's value texts and the units handed to the DSP (ParameterTable.cpp).
// docs/parameters.md says how to add a parameter.
//
// Columns of a row:
//   identifier, index, host name (at most 15 characters), label, type (Double, Int, or None:
//   never declared, only named), minimum, maximum, step, default, display law (what the editor's
//   value text shows), DSP law (the unit the signal chain takes; None: the DSP takes the value
//   itself or a switch), editor control, display texts (Int lists only).
// The laws are named in ParameterLaws.h. Rows are in declaration order: the singles, then the
// per-model blocks, then the lists again as enumerations with their texts. 23..29 are free.

// clang-format off
#define VULPANE_PARAMETERS(X) \
    X(kGate,            0,   "Gate",          "", Double, 0, 1,  1,     0,   OnOff,          None,           Switch,       nullptr) \
    X(kGateThreshold,   1,   "Gate Thresh",   "", Double, 0, 1,  0.001, 0.5, GateDb,         GateDb,         Knob,         nullptr) \
    X(kGateRelease,     2,   "Gate Release",  "", Double, 0, 1,  0.001, 0.5, Tenths,         ReleaseSeconds, Knob,         nullptr) \
    X(kAmpOn,           3,   "Amp On",        "", Double, 0, 1,  1,     0,   OnOff,          None,           Hidden,       nullptr) \
    X(kAmpModel,        4,   "Amp Model",     "", Int,    0, 15, 1,     0,   None,           None,           ListBox,      kModelNames) \
    X(kAmpVolume,       5,   "Amp Volume",    "", Double, 0, 1,  0.001, 0.5, None,           None,           Hidden,       nullptr) \
    X(kAmpGain,         6,   "Drive",         "", Double, 0, 1,  0.001, 0.5, None,           None,           Hidden,       nullptr) \
    X(kToneFreq,        7,   "Tone Freq",     "", Double, 0, 1,  0.001, 0.5, Tenths,         None,           Knob,         nullptr) \
    X(kToneResonance,   8,   "Tone Reso",     "", Double, 0, 1,  0.001, 0.5, Tenths,         None,           Knob,         nullptr) \
    X(kAmpBass,         9,   "Bass",          "", Double, 0, 1,  0.001, 0.5, None,           None,           Hidden,       nullptr) \
    X(kAmpMiddle,       10,  "Middle",        "", Double, 0, 1,  0.001, 0.5, None,           None,           Hidden,       nullptr) \
    X(kAmpTreble,       11,  "Treble",        "", Double, 0, 1,  0.001, 0.5, None,           None,           Hidden,       nullptr) \
    X(kCabPreset,       12,  "Cab",           "", Int,    0, 38, 1,     0,   None,           None,           ListBox,      kCabinetNames) \
    X(kEqLow,           13,  "EQ Low",        "", Double, 0, 1,  0.001, 0.5, EqDb,           EqDb,           Knob,         nullptr) \
    X(kEqHigh,          14,  "EQ High",       "", Double, 0, 1,  0.001, 0.5, EqDb,           EqDb,           Knob,         nullptr) \
    X(kLoudness,        15,  "Loudness",      "", Double, 0, 1,  0.001, 0.5, ReversedTenths, LoudnessDb,     Knob,         nullptr) \
    X(kMasterVolume,    16,  "Master",        "", Double, 0, 1,  0.001, 0.5, Tenths,         Linear,         Knob,         nullptr) \
    X(kGateLed,         17,  "Gate LED",      "", Double, 0, 1,  1,     0,   None,           None,           Indicator,    nullptr) \
    X(kIrOn,            18,  "IR On",         "", None,   0, 1,  1,     0,   None,           None,           Indicator,    nullptr) \
    X(kIrPanelLed,      19,  "IR Panel LED",  "", None,   0, 1,  1,     0,   None,           None,           Indicator,    nullptr) \
    X(kIrToggle,        20,  "IR Toggle",     "", None,   0, 1,  1,     0,   OnOff,          None,           Momentary,    nullptr) \
    X(kIrDry,           21,  "IR Dry",        "", Double, 0, 1,  0.001, 0,   DryDb,          DryDb,          Knob,         nullptr) \
    X(kIrWet,           22,  "IR Wet",        "", Double, 0, 1,  0.001, 0.5, WetDb,          WetDb,          Knob,         nullptr) \
    X(kModelPrev,       142, "Model Prev",    "", None,   0, 1,  1,     0,   None,           None,           Momentary,    nullptr) \
    X(kModelNext,       143, "Model Next",    "", None,   0, 1,  1,     0,   None,           None,           Momentary,    nullptr) \
    X(kCabPrev,         144, "Cab Prev",      "", None,   0, 1,  1,     0,   None,           None,           Momentary,    nullptr) \
    X(kCabNext,         145, "Cab Next",      "", None,   0, 1,  1,     0,   None,           None,           Momentary,    nullptr) \
    X(kPresetPosition,  146, "Preset Pos",    "", Double, 0, 1,  0.001, 0,   None,           None,           Hidden,       nullptr) \
    X(kPresetBrowse,    147, "Preset Browse", "", Double, 0, 1,  0.001, 0,   None,           None,           Momentary,    nullptr) \
    X(kPresetListClick, 148, "Preset Click",  "", Double, 0, 1,  0.001, 0,   None,           None,           NameList,     nullptr) \
    X(kPresetPrev,      149, "Preset Prev",   "", None,   0, 1,  1,     0,   None,           None,           Momentary,    nullptr) \
    X(kPresetNext,      150, "Preset Next",   "", None,   0, 1,  1,     0,   None,           None,           Momentary,    nullptr) \
    X(kPresetScroll,    151, "Preset Scroll", "", Double, 0, 1,  0.001, 0.5, None,           None,           Fader,        nullptr) \
    X(kBankPosition,    152, "Bank Pos",      "", Double, 0, 1,  0.001, 0,   None,           None,           Hidden,       nullptr) \
    X(kBankListClick,   153, "Bank Click",    "", Double, 0, 1,  0.001, 0,   None,           None,           NameList,     nullptr) \
    X(kBankScroll,      154, "Bank Scroll",   "", Double, 0, 1,  0.001, 0.5, None,           None,           Fader,        nullptr) \
    X(kTunerToggle,     155, "Tuner",         "", Double, 0, 1,  1,     0,   None,           None,           Momentary,    nullptr) \
    X(kTuningNext,      156, "Tuning Next",   "", Double, 0, 1,  1,     0,   None,           None,           Momentary,    nullptr) \
    X(kTuning,          157, "Tuning",        "", Int,    0, 11, 1,     0,   None,           None,           NoControl,    nullptr) \
    X(kIrFile,          158, "IR File",       "", None,   0, 1,  1,     0,   None,           None,           FileSelector, nullptr) \
    X(kIrPrev,          159, "IR Prev",       "", None,   0, 1,  1,     0,   None,           None,           Momentary,    nullptr) \
    X(kIrNext,          160, "IR Next",       "", None,   0, 1,  1,     0,   None,           None,           Momentary,    nullptr) \
    X(kIrPanel,         161, "IR Panel",      "", None,   0, 1,  1,     0,   None,           None,           Momentary,    nullptr)

// Each model's own block of 16 indices, first + model; the host name is "<model> <role>"
// ("JGM900 Gain"). While the model is selected a block's value is copied to its shared index
// (ParameterDispatch.cpp).
//   identifier, first index, role, label, type, minimum, maximum, step, default, display law,
//   editor control.
#define VULPANE_MODEL_BLOCKS(B) \
    B(kModelSwitch, 30,  "On",   "", Double, 0, 1, 0.001, 0.5, OnOff,         Switch) \
    B(kModelLed,    46,  "LED",  "", Double, 0, 1, 0.001, 0.5, None,          Indicator) \
    B(kModelVolume, 62,  "Vol",  "", Double, 0, 1, 0.001, 0.5, Tenths,        Knob) \
    B(kModelGain,   78,  "Gain", "", Double, 0, 1, 0.001, 0.5, Tenths,        Knob) \
    B(kModelBass,   94,  "Bass", "", Double, 0, 1, 0.001, 0.5, CentredTenths, Knob) \
    B(kModelMiddle, 110, "Mid",  "", Double, 0, 1, 0.001, 0.5, CentredTenths, Knob) \
    B(kModelTreble, 126, "Treb", "", Double, 0, 1, 0.001, 0.5, CentredTenths, Knob)

// Models whose knob in a block is a switch and shows another law: block, model, display law.
#define VULPANE_MODEL_EXCEPTIONS(E) \
    E(kModelBass,   AmpModel::kPoltergeist, SwitchDb)  /* a three-position low-shelf switch */ \
    E(kModelTreble, AmpModel::kPoltergeist, OnAboveZero) /* the modulation switch */
// clang-format on
