// What every parameter change does: DSP designs, linked parameters, step buttons and the
// editor's feedback; the preset browser, tuner view, impulse library and impulse panel handle
// their own parameters. Runs under the plug-in lock; a parameter it moves runs its own handler
// directly (MoveParameter), never through the editor's controls.
#include "AmpModelIds.h"
#include "EditorIndices.h"
#include "ParameterTable.h"
#include "VulpanePlugin.h"
#include "models/ModelPanel.h"

#include <cmath>

namespace {
using Op = ChainChanges::Op;
// The shared parameter each per-model block feeds.
int SharedIndexOfBlock(int blockStart) {
    switch (blockStart) {
    case kModelSwitch:
        return kAmpOn;
    case kModelVolume:
        return kAmpVolume;
    case kModelGain:
        return kAmpGain;
    case kModelBass:
        return kAmpBass;
    case kModelMiddle:
        return kAmpMiddle;
    case kModelTreble:
        return kAmpTreble;
    default:
        return -1;
    }
}

// The name-strip frame of a knob name a model panel gives (models/ModelPanel.h).
int StripOfName(KnobName name, int usual) {
    switch (name) {
    case KnobName::kDrive:
        return kStripDrive;
    case KnobName::kFuzzBass:
        return kStripFuzzBass;
    case KnobName::kCharterBass:
        return kStripCharterBass;
    case KnobName::kCharterMiddle:
        return kStripCharterMiddle;
    case KnobName::kCharterTreble:
        return kStripCharterTreble;
    case KnobName::kBatMiddle:
        return kStripBatMiddle;
    case KnobName::kPoltergeistMiddle:
        return kStripPoltergeistMiddle;
    case KnobName::kPoltergeistTreble:
        return kStripPoltergeistTreble;
    default:
        return usual;
    }
}

// The name-strip frame a per-model knob shows; some models label their knobs differently.
int StripOfModelKnob(int blockStart, int model) {
    const ModelPanel& panel = PanelOf(model);
    switch (blockStart) {
    case kModelSwitch:
        return kStripAmpSwitch;
    case kModelVolume:
        return kStripVolume;
    case kModelGain:
        return StripOfName(panel.gain.name, kStripGain);
    case kModelBass:
        return StripOfName(panel.bass.name, kStripBass);
    case kModelMiddle:
        return StripOfName(panel.middle.name, kStripMiddle);
    case kModelTreble:
        return StripOfName(panel.treble.name, kStripTreble);
    default:
        return 0;
    }
}

// The per-model block that copies a shared parameter (-1: none).
int BlockOfShared(int shared) {
    for (int block : {kModelSwitch, kModelVolume, kModelGain, kModelBass, kModelMiddle, kModelTreble})
        if (SharedIndexOfBlock(block) == shared) return block;
    return -1;
}

// Buttons whose press and release act; a restored state brings back only their stored values.
bool IsMomentary(int index) {
    const ParameterRow* row = FindParameterRow(index);
    return row && row->control == ControlKind::kMomentary;
}

int Clamp(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// Whether either post EQ band shows a gain other than 0.0 dB.
bool EqShaping(double low, double high) {
    return std::fabs(PhysicalValue(kEqLow, low)) >= 0.05 || std::fabs(PhysicalValue(kEqHigh, high)) >= 0.05;
}
} // namespace

void VulpanePlugin::ParameterChanged(int index) {
    ScopedLock<PluginLock> hold(pluginLock);
    const IParameter* param = ParamAt(index);
    if (!param) return;
    const double v = param->Value();
    if (restoringState && IsMomentary(index)) return;
    // A change made off the audio thread is shown when its handler is done.
    struct ShowWhenDone {
        VulpanePlugin& plugin;
        ~ShowWhenDone() { plugin.ShowPendingOffAudioThread(); }
    } showWhenDone{*this};
    // The touched parameter's name strip, with its value shown by the law of its row (the text
    // is made when the editor shows it).
    auto showValue = [&](int strip, double shownValue) { feedback.ShowValue(strip, index, shownValue); };
    switch (index) {
    case kGate:
        ChangeChain(Op::kGateEnabled, v >= 0.5);
        MoveParameter(kGateLed, v >= 0.5 ? 1.0 : 0.0);
        ShowLamp(controls.lampGate, v >= 0.5);
        showValue(kStripGate, v);
        break;
    case kGateThreshold:
        ChangeChain(Op::kGateThreshold, PhysicalValue(index, v));
        showValue(kStripGateThreshold, v);
        break;
    case kGateRelease:
        ChangeChain(Op::kGateRelease, PhysicalValue(index, v));
        showValue(kStripGateRelease, v);
        break;
    case kAmpOn:
        ChangeChain(Op::kAmpEnabled, v >= 0.5);
        ShowLamp(controls.lampAmp, v >= 0.5);
        showValue(kStripAmpSwitch, v);
        FollowInModelCopy(index);
        break;
    case kAmpModel:
        currentModel = Clamp(static_cast<int>(v), 0, kLastModel);
        ChangeChain(Op::kModel, currentModel);
        feedback.SwitchPanel(currentModel);
        break;
    case kAmpVolume:
        ChangeChain(Op::kVolume, v);
        FollowInModelCopy(index);
        break;
    case kAmpGain:
        ChangeChain(Op::kGain, v);
        FollowInModelCopy(index);
        break;
    case kToneFreq:
        ChangeChain(Op::kToneFreq, v);
        showValue(kStripToneFreq, v);
        break;
    case kToneResonance:
        ChangeChain(Op::kToneResonance, v);
        showValue(kStripResonance, v);
        break;
    case kAmpBass:
        ChangeChain(Op::kBass, v);
        FollowInModelCopy(index);
        break;
    case kAmpMiddle:
        ChangeChain(Op::kMiddle, v);
        FollowInModelCopy(index);
        break;
    case kAmpTreble:
        ChangeChain(Op::kTreble, v);
        FollowInModelCopy(index);
        break;
    case kCabPreset:
        currentCabinet = Clamp(static_cast<int>(v), 0, kLastCabinet);
        ChangeChain(Op::kCabinet, currentCabinet);
        feedback.ShowCabinet(currentCabinet);
        break;
    case kEqLow:
        ChangeChain(Op::kEqLow, PhysicalValue(index, v), v);
        ShowLamp(controls.lampEq, EqShaping(v, Value(kEqHigh)));
        showValue(kStripEqLow, v);
        break;
    case kEqHigh:
        ChangeChain(Op::kEqHigh, PhysicalValue(index, v));
        ShowLamp(controls.lampEq, EqShaping(Value(kEqLow), v));
        showValue(kStripEqHigh, v);
        break;
    case kLoudness:
        ChangeChain(Op::kLoudness, PhysicalValue(index, v), v);
        showValue(kStripLoudness, v);
        break;
    case kMasterVolume:
        ChangeChain(Op::kMasterVolume, PhysicalValue(index, v));
        showValue(kStripMaster, v);
        break;
    case kIrOn:
        ChangeChain(Op::kConvolutionEnabled, v != 0.0);
        ShowLamp(controls.lampImpulse, v != 0.0);
        break;
    case kIrToggle:
        if (v > 0.5) {
            const bool on = !chainChanges.ConvolutionEnabled();
            ChangeChain(Op::kConvolutionEnabled, on);
            MoveParameter(kIrOn, on ? 1.0 : 0.0);
            showValue(kStripIrToggle, on ? 1.0 : 0.0);
            ShowLamp(controls.lampImpulse, on);
        }
        break;
    case kIrDry:
        ChangeChain(Op::kDryGain, PhysicalValue(index, v));
        showValue(kStripIrDry, v);
        break;
    case kIrWet:
        ChangeChain(Op::kWetGain, PhysicalValue(index, v));
        showValue(kStripIrWet, v);
        break;
    case kModelPrev:
    case kModelNext:
        if (v > 0.5) {
            currentModel = Clamp(currentModel + (index == kModelNext ? 1 : -1), 0, kLastModel);
        } else if (v < 0.5) {
            feedback.SwitchPanel(currentModel);
            MoveParameter(kAmpModel, currentModel / static_cast<double>(kLastModel));
        }
        break;
    case kCabPrev:
    case kCabNext:
        if (v > 0.5)
            currentCabinet = Clamp(currentCabinet + (index == kCabNext ? 1 : -1), 0, kLastCabinet);
        else if (v < 0.5)
            MoveParameter(kCabPreset, currentCabinet / static_cast<double>(kLastCabinet));
        break;
    case kPresetPosition:
    case kPresetBrowse:
    case kPresetListClick:
    case kPresetPrev:
    case kPresetNext:
    case kPresetScroll:
    case kBankPosition:
    case kBankListClick:
    case kBankScroll:
        presetBrowser.Change(index, v);
        break;
    case kTunerToggle:
    case kTuningNext:
    case kTuning:
        tunerView.Change(index, v);
        break;
    case kIrFile:
    case kIrPrev:
    case kIrNext:
        impulses.Change(index, v);
        break;
    case kIrPanel:
        feedback.PressImpulsePanel(v, currentModel);
        break;
    default:
        if (index >= kModelSwitch && index < kModelTreble + kNumModels) ChangeModelCopy(index);
        break;
    }
}

void VulpanePlugin::ChangeModelCopy(int index) {
    const int m = (index - kModelSwitch) % kNumModels;
    if (m != currentModel) return;
    const int blockStart = index - m;
    const int shared = SharedIndexOfBlock(blockStart);
    if (shared < 0) return;
    const double normalized = ParamAt(index)->Normalized();
    // A restored state brings the shared knobs back as stored, not re-derived from the copies.
    if (!restoringState) {
        MoveParameter(shared, normalized);
        if (blockStart == kModelSwitch) MoveParameter(kModelLed + m, normalized);
    }
    // The copy's law shows the shared value as it stands after the nested change.
    feedback.ShowValue(StripOfModelKnob(blockStart, m), index, Value(shared));
}

void VulpanePlugin::FollowInModelCopy(int sharedIndex) {
    const int block = BlockOfShared(sharedIndex);
    if (restoringState || block < 0 || currentModel < 0 || currentModel >= kNumModels) return;
    // The copy takes the value as its knob would: its handler runs and the host hears of it once.
    ChangeParameter(block + currentModel, ParamAt(sharedIndex)->Normalized());
}
