// The declarations of the 162 parameters: one row each, with the short name hosts show
// (at most 15 characters, since hosts' name buffers differ). Labels stay empty: what a host
// displays is the normalised value, not a physical unit.
#include "VulpanePlugin.h"

#include <cstdio>

namespace {
enum Kind { kKnob, kToggle, kChoice, kButton }; // kButton: named, never declared

struct ParameterRow {
    int index;
    Kind kind;
    double defaultValue; // kChoice: the number of choices
    const char* name;
};

// clang-format off
constexpr ParameterRow kRows[] = {
    {kGate,             kToggle, 0.0,  "Gate"},
    {kGateThreshold,    kKnob,   0.5,  "Gate Thresh"},
    {kGateRelease,      kKnob,   0.5,  "Gate Release"},
    {kAmpOn,            kToggle, 0.0,  "Amp On"},
    {kAmpModel,         kChoice, kNumModels, "Amp Model"},
    {kAmpVolume,        kKnob,   0.5,  "Amp Volume"},
    {kAmpGain,          kKnob,   0.5,  "Drive"},
    {kToneFreq,         kKnob,   0.5,  "Tone Freq"},
    {kToneResonance,    kKnob,   0.5,  "Tone Reso"},
    {kAmpBass,          kKnob,   0.5,  "Bass"},
    {kAmpMiddle,        kKnob,   0.5,  "Middle"},
    {kAmpTreble,        kKnob,   0.5,  "Treble"},
    {kCabPreset,        kChoice, kNumCabinets, "Cab"},
    {kEqLow,            kKnob,   0.5,  "EQ Low"},
    {kEqHigh,           kKnob,   0.5,  "EQ High"},
    {kLoudness,         kKnob,   0.5,  "Loudness"},
    {kMasterVolume,     kKnob,   0.5,  "Master"},
    {kGateLed,          kToggle, 0.0,  "Gate LED"},
    {kIrOn,             kButton, 0.0,  "IR On"},
    {kIrPanelLed,       kButton, 0.0,  "IR Panel LED"},
    {kIrToggle,         kButton, 0.0,  "IR Toggle"},
    {kIrDry,            kKnob,   0.0,  "IR Dry"},
    {kIrWet,            kKnob,   0.5,  "IR Wet"},
    {kModelPrev,        kButton, 0.0,  "Model Prev"},
    {kModelNext,        kButton, 0.0,  "Model Next"},
    {kCabPrev,          kButton, 0.0,  "Cab Prev"},
    {kCabNext,          kButton, 0.0,  "Cab Next"},
    {kPresetPosition,   kKnob,   0.0,  "Preset Pos"},
    {kPresetBrowse,     kKnob,   0.0,  "Preset Browse"},
    {kPresetListClick,  kKnob,   0.0,  "Preset Click"},
    {kPresetPrev,       kButton, 0.0,  "Preset Prev"},
    {kPresetNext,       kButton, 0.0,  "Preset Next"},
    {kPresetScroll,     kKnob,   0.5,  "Preset Scroll"},
    {kBankPosition,     kKnob,   0.0,  "Bank Pos"},
    {kBankListClick,    kKnob,   0.0,  "Bank Click"},
    {kBankScroll,       kKnob,   0.5,  "Bank Scroll"},
    {kTunerToggle,      kToggle, 0.0,  "Tuner"},
    {kTuningNext,       kToggle, 0.0,  "Tuning Next"},
    {kTuning,           kChoice, 12,   "Tuning"},
    {kIrFile,           kButton, 0.0,  "IR File"},
    {kIrPrev,           kButton, 0.0,  "IR Prev"},
    {kIrNext,           kButton, 0.0,  "IR Next"},
    {kIrPanel,          kButton, 0.0,  "IR Panel"},
};

// Each model's own block: a knob per model, named "<model> <role>" ("JGM900 Gain").
struct BlockRow {
    int first;
    const char* role;
};
constexpr BlockRow kBlockRows[] = {
    {kModelSwitch, "On"}, {kModelLed, "LED"}, {kModelVolume, "Vol"}, {kModelGain, "Gain"},
    {kModelBass, "Bass"}, {kModelMiddle, "Mid"}, {kModelTreble, "Treb"},
};
// Short forms of the model names that leave room for the role.
const char* const kModelShortNames[kNumModels] = {
    "Clean 1", "Clean 2",   "Clean 3", "Clean 4",  "Piezo",     "Creamer",   "Fuzzz",     "M.Charter",
    "M.Machine", "M.Style", "JGM900",  "Dirty Box", "Darktorsn", "Bat",      "Poltergst", "N.Soldier",
};
// clang-format on
} // namespace

void VulpanePlugin::DeclareParameters() {
    for (const ParameterRow& row : kRows) {
        IParameter* p = ParamAt(row.index);
        const int count = static_cast<int>(row.defaultValue);
        switch (row.kind) {
        case kKnob:
            p->DeclareDouble(row.name, row.defaultValue, 0.0, 1.0, 0.001, "");
            break;
        case kToggle:
            p->DeclareDouble(row.name, row.defaultValue, 0.0, 1.0, 1.0, "");
            break;
        case kChoice: // integer type, so the chunk stores it as before
            p->DeclareInt(row.name, 0, 0, count - 1, "");
            break;
        case kButton:
            p->SetName(row.name);
            break;
        }
    }
    for (const BlockRow& block : kBlockRows)
        for (int m = 0; m < kNumModels; ++m) {
            char name[32];
            std::snprintf(name, sizeof name, "%s %s", kModelShortNames[m], block.role);
            ParamAt(block.first + m)->DeclareDouble(name, 0.5, 0.0, 1.0, 0.001, "");
        }

    // The two lists keep the integer type and take the enumeration's range and texts.
    auto list = [this](int index, int count, const char* const* texts) {
        char name[32];
        std::snprintf(name, sizeof name, "%s", ParamAt(index)->Name());
        ParamAt(index)->DeclareEnum(name, 0, count);
        for (int v = 0; v < count; ++v) ParamAt(index)->SetDisplayText(v, texts[v]);
    };
    list(kAmpModel, kNumModels, kModelNames);
    list(kCabPreset, kNumCabinets, kCabinetNames);
}

bool VulpanePlugin::GetParameterIdentifier(int index, char* outText) const {
    return ParameterIdName(index, outText)[0] == 'k';
}
