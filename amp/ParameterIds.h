#pragma once

// The plug-in's 162 parameter indices: the contract shared by the state chunk,
// the change handler, the editor layout and the preset files.
enum ParameterId : int {
    kGate = 0,
    kGateThreshold = 1,
    kGateRelease = 2,
    kAmpOn = 3,
    kAmpModel = 4,
    kAmpVolume = 5,
    kAmpGain = 6,
    kToneFreq = 7,
    kToneResonance = 8,
    kAmpBass = 9,
    kAmpMiddle = 10,
    kAmpTreble = 11,
    kCabPreset = 12,
    kEqLow = 13,
    kEqHigh = 14,
    kLoudness = 15,
    kMasterVolume = 16,
    kGateLed = 17,
    kIrOn = 18,
    kIrPanelLed = 19,
    kIrToggle = 20,
    kIrDry = 21,
    kIrWet = 22,
    // 23..29 are free.
    kModelSwitch = 30,
    kModelLed = 46,
    kModelVolume = 62,
    kModelGain = 78,
    kModelBass = 94,
    kModelMiddle = 110,
    kModelTreble = 126,
    kModelPrev = 142,
    kModelNext = 143,
    kCabPrev = 144,
    kCabNext = 145,
    kPresetPosition = 146,
    kPresetBrowse = 147,
    kPresetListClick = 148,
    kPresetPrev = 149,
    kPresetNext = 150,
    kPresetScroll = 151,
    kBankPosition = 152,
    kBankListClick = 153,
    kBankScroll = 154,
    kTunerToggle = 155,
    kTuningNext = 156,
    kTuning = 157,
    kIrFile = 158,
    kIrPrev = 159,
    kIrNext = 160,
    kIrPanel = 161,
    kNumParams = 162,
};

constexpr int kNumModels = 16;
constexpr int kNumCabinets = 39;
// The last entries of the two lists: a list parameter's normalised value is its entry / last.
constexpr int kLastModel = kNumModels - 1;
constexpr int kLastCabinet = kNumCabinets - 1;

// The first index of each per-model block, in order.
constexpr int kModelBlocks[] = {kModelSwitch, kModelLed, kModelVolume, kModelGain, kModelBass, kModelMiddle,
                                kModelTreble};

// The identifier of a parameter index ("kGate", "kModelVolume+3"), for tools and messages.
// Writes into out (at least 32 bytes) and returns it.
const char* ParameterIdName(int index, char* out);
// The index named by an identifier as ParameterIdName writes it, or -1.
int FindParameterId(const char* name);

extern const char* const kModelNames[kNumModels];
extern const char* const kCabinetNames[kNumCabinets];
