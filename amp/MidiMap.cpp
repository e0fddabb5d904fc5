// MIDI input: fifteen controllers move parameters, program change selects a preset.
#include "VulpanePlugin.h"

namespace {
constexpr int kControlChange = 11;
constexpr int kProgramChange = 12;

struct ControllerTarget {
    int controller;
    int parameter;  // the parameter that is set (a per-model block start when perModel)
    int reported;   // the parameter the host is told about
    bool perModel;
};

constexpr ControllerTarget kControllers[] = {
    {7, kMasterVolume, kMasterVolume, false}, {8, kEqLow, kEqLow, false},
    {9, kEqHigh, kEqHigh, false},             {15, kLoudness, kLoudness, false},
    {16, kGate, kGate, false},                {17, kGateThreshold, kGateThreshold, false},
    {18, kGateRelease, kGateRelease, false},  {19, kAmpOn, kAmpOn, false},
    {20, kModelVolume, kAmpVolume, true},     {21, kModelGain, kAmpGain, true},
    {22, kToneFreq, kToneFreq, false},        {23, kToneResonance, kToneResonance, false},
    {24, kModelBass, kAmpBass, true},         {25, kModelMiddle, kAmpMiddle, true},
    {26, kModelTreble, kAmpTreble, true},
};
} // namespace

void VulpanePlugin::ProcessMidi(const MidiMessage& message) {
    const int kind = message.status >> 4;
    if (kind == kControlChange) {
        const double v = message.data2 / 127.0;
        for (const ControllerTarget& target : kControllers) {
            if (target.controller != message.data1) continue;
            if (!target.perModel)
                MoveParameter(target.parameter, v);
            else if (currentModel >= 0 && currentModel < kNumModels)
                MoveParameter(target.parameter + currentModel, v);
            ReportToHost(target.reported, v);
            return;
        }
    } else if (kind == kProgramChange) {
        // Loads the preset with that index in the open bank; nothing when the bank is empty.
        presetBrowser.SelectProgram(message.data1);
        ReportToHost(kPresetPosition, ParamAt(kPresetPosition)->Normalized());
    }
    ShowPendingOffAudioThread();
}
