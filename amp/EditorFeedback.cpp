// What the editor shows after a change: the touched parameter's name, value bar and text,
// which model panel is visible, and the tuner and impulse views.
#include "EditorIndices.h"
#include "IEditorGraphics.h"
#include "ITextControls.h"
#include "VulpanePlugin.h"

#include <cstdio>

namespace {
constexpr int kStripFrames = 31;
} // namespace

IEditorGraphics* VulpanePlugin::Graphics() const { return graphics; }

bool VulpanePlugin::HasControlFor(int paramIndex) const {
    if (!graphics) return false;
    for (int i = 0; i < graphics->ControlCount(); ++i)
        if (graphics->ControlAt(i)->ParamIdx() == paramIndex) return true;
    return false;
}

void VulpanePlugin::ShowText(const char* text) {
    if (!graphics) return;
    if (auto* control = dynamic_cast<ITextControl*>(graphics->ControlAt(kControlValueText)))
        control->ApplyPluginText(text);
}

void VulpanePlugin::ShowFeedback(int stripFrame, double bar, const char* text) {
    if (!graphics) return;
    graphics->PushControlValue(kControlNameStrip, static_cast<double>(stripFrame) / kStripFrames);
    graphics->PushControlValue(kControlValueBar, bar);
    if (text) ShowText(text);
}

void VulpanePlugin::ShowFeedbackFormat(int stripFrame, double bar, const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof(text), format, value);
    ShowFeedback(stripFrame, bar, text);
}

void VulpanePlugin::ShowControl(int controlIndex, bool show) {
    if (!graphics) return;
    if (IControl* control = graphics->ControlAt(controlIndex)) control->Hide(!show);
}

void VulpanePlugin::SwitchPanel(int model) {
    if (!graphics) return;
    for (int index = kModelSwitch; index < kModelTreble + kNumModels; ++index) graphics->HideParam(index, true);
    if (impulsePanelShown || model < 0 || model >= kNumModels) return;
    const struct {
        int block;
        int shared;
    } copies[] = {{kModelSwitch, kAmpOn}, {kModelLed, kAmpOn},       {kModelVolume, kAmpVolume},
                  {kModelGain, kAmpGain}, {kModelBass, kAmpBass},    {kModelMiddle, kAmpMiddle},
                  {kModelTreble, kAmpTreble}};
    for (const auto& copy : copies) graphics->HideParam(copy.block + model, false);
    // A restored state keeps the copies it stored; the editor then shows the stored values.
    if (restoringState) return;
    for (const auto& copy : copies)
        graphics->MoveParameterControls(copy.block + model, ParamAt(copy.shared)->Normalized());
}

void VulpanePlugin::ShowTunerView(bool tuner) {
    if (!graphics) return;
    for (int index : {kControlNameStrip, kControlValueBar, kControlBankName, kControlPresetName})
        ShowControl(index, !tuner);
    for (int index = kControlTunerBackground; index <= kControlTunerButton; ++index) ShowControl(index, tuner);
    graphics->HideParam(kTuningNext, !tuner);
}

void VulpanePlugin::ShowImpulsePanel(bool shown) {
    if (!graphics) return;
    ShowControl(kControlResponseFrame, shown);
    ShowControl(kControlResponse, shown);
    graphics->HideParam(kIrDry, !shown);
    graphics->HideParam(kIrWet, !shown);
    SwitchPanel(shown ? -1 : currentModel);
}
