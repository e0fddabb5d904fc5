// What every parameter change does: DSP designs, linked parameters, step buttons.
#include "VulpanePlugin.h"

namespace {
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

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
} // namespace

void VulpanePlugin::ParameterChanged(int index) {
    ScopedLock<PluginLock> hold(pluginLock);
    const IParameter* param = ParamAt(index);
    if (!param) return;
    const double v = param->Value();
    switch (index) {
    case kGate:
        chain.SetGateEnabled(v >= 0.5);
        MoveParameter(kGateLed, v >= 0.5 ? 1.0 : 0.0);
        break;
    case kGateThreshold:
        chain.SetGateThreshold(v);
        break;
    case kGateRelease:
        chain.SetGateRelease(v);
        break;
    case kAmpOn:
        chain.SetAmpEnabled(v >= 0.5);
        break;
    case kEqLow:
        chain.SetEqLow(v);
        break;
    case kEqHigh:
        chain.SetEqHigh(v);
        break;
    case kLoudness:
        chain.SetLoudness(v);
        break;
    case kMasterVolume:
        chain.SetMasterVolume(v);
        break;
    case kTunerToggle:
        if (v > 0.5) chain.SetTunerView(!chain.TunerView());
        break;
    case kAmpModel:
        currentModel = Clamp(static_cast<int>(v), 0, kNumModels - 1);
        chain.Amp().SelectModel(currentModel);
        break;
    case kAmpVolume:
        chain.Amp().SetVolume(v);
        break;
    case kAmpGain:
        chain.Amp().SetGain(v);
        break;
    case kToneFreq:
        chain.Amp().SetToneFreq(v);
        break;
    case kToneResonance:
        chain.Amp().SetToneResonance(v);
        break;
    case kAmpBass:
        chain.Amp().SetBass(v);
        break;
    case kAmpMiddle:
        chain.Amp().SetMiddle(v);
        break;
    case kAmpTreble:
        chain.Amp().SetTreble(v);
        break;
    case kCabPreset:
        currentCabinet = Clamp(static_cast<int>(v), 0, kNumCabinets - 1);
        chain.SetCabPreset(currentCabinet);
        break;
    case kModelPrev:
    case kModelNext:
        if (v > 0.5)
            currentModel = Clamp(currentModel + (index == kModelNext ? 1 : -1), 0, kNumModels - 1);
        else if (v < 0.5)
            MoveParameter(kAmpModel, currentModel / 15.0);
        break;
    case kCabPrev:
    case kCabNext:
        if (v > 0.5)
            currentCabinet = Clamp(currentCabinet + (index == kCabNext ? 1 : -1), 0, kNumCabinets - 1);
        else if (v < 0.5)
            MoveParameter(kCabPreset, currentCabinet / 38.0);
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
    MoveParameter(shared, normalized);
    if (blockStart == kModelSwitch) MoveParameter(kModelLed + m, normalized);
}
