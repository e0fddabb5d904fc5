// What the editor shows after a change: the touched parameter's name, value bar and text,
// which model panel is visible, and the tuner and impulse views.
#include "EditorIndices.h"
#include "IEditorGraphics.h"
#include "ITextControls.h"
#include "VulpanePlugin.h"

#include <cstring>

namespace {
constexpr int kStripFrames = 31;

// Speaker arrangements of the cabinets whose names do not give one.
// clang-format off
const int kCabinetSpeakers[kNumCabinets] = {
    kCabinetPictureOff,  kCabinetPicture1x12, kCabinetPicture2x12, kCabinetPicture4x12, // Off, CAB1, CAB2, G12H
    kCabinetPicture4x12, kCabinetPicture4x12, kCabinetPicture4x12, kCabinetPicture4x12, // Mandarin, CAB3, Hit Watt, Mpeg+Marsall
    kCabinetPicture2x12, kCabinetPicture1x12, kCabinetPicture2x12, kCabinetPicture2x12, // Cox, Phender DR, Harley Beton, CAB4
    kCabinetPicture4x12, kCabinetPicture4x12, kCabinetPicture4x12, kCabinetPicture4x12, // SLO 100, +eq1, Metal Style, +eq2
    kCabinetPicture4x12, kCabinetPicture4x12, kCabinetPicture4x12, kCabinetPicture4x12, // JGM 900, Randoll, PowerDude 1, 2
    kCabinetPicture1x12, kCabinetPicture4x12, kCabinetPicture4x12, kCabinetPicture8x10, // CAB5, HighWidth, Meza style, Mpeg 8x10
    kCabinetPicture2x12, kCabinetPicture4x12, kCabinetPicture2x12, kCabinetPicture4x12, // Fender P.man, CAB 4x12, Meza 2x12, Diesel
    kCabinetPicture4x12, kCabinetPicture1x12, kCabinetPicture2x12, kCabinetPicture4x12, // Sidewinter, Pro Jr., CAB6, Marsall 1960
    kCabinetPicture1x12, kCabinetPicture4x12, kCabinetPicture4x12, kCabinetPicture4x12, // Meza Cookie, Death Metal, Maestro, Modern 1
    kCabinetPicture2x12, kCabinetPicture1x12, kCabinetPicture2x12,                      // Modern 2, Modern 3, 90s Spirit
};
// clang-format on
} // namespace

int CabinetPictureOf(int cabinet) {
    if (cabinet < 0 || cabinet >= kNumCabinets) return kCabinetPictureOff;
    const char* name = kCabinetNames[cabinet];
    for (const auto& named : {std::make_pair("1x12", kCabinetPicture1x12), std::make_pair("2x12", kCabinetPicture2x12),
                              std::make_pair("4x12", kCabinetPicture4x12), std::make_pair("8x10", kCabinetPicture8x10)})
        if (std::strstr(name, named.first)) return named.second;
    return kCabinetSpeakers[cabinet];
}

IEditorGraphics* VulpanePlugin::Graphics() const { return graphics; }

bool VulpanePlugin::HasControlFor(int paramIndex) const {
    if (!graphics) return false;
    for (int i = 0; i < graphics->ControlCount(); ++i)
        if (graphics->ControlAt(i)->ParamIdx() == paramIndex) return true;
    return false;
}

// The strip, the bar and the text always change together, so the display never shows one
// parameter's name over another's value.
void VulpanePlugin::ShowFeedback(int stripFrame, double bar, const char* text) {
    if (!graphics) return;
    graphics->PushControlValue(controls.nameStrip, static_cast<double>(stripFrame) / kStripFrames);
    graphics->PushControlValue(controls.valueBar, bar);
    if (auto* control = dynamic_cast<ITextControl*>(graphics->ControlAt(controls.valueText)))
        control->ApplyPluginText(text ? text : "");
}

void VulpanePlugin::ShowLamp(int controlIndex, bool lit) {
    if (graphics) graphics->PushControlValue(controlIndex, lit ? 1.0 : 0.0);
}

void VulpanePlugin::ShowCabinet(int cabinet) {
    if (!graphics) return;
    ShowLamp(controls.lampCabinet, cabinet != 0);
    graphics->PushControlValue(controls.cabinetPicture,
                               static_cast<double>(CabinetPictureOf(cabinet)) / (kCabinetPictureFrames - 1));
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
    for (int index :
         {controls.nameStrip, controls.valueBar, controls.valueText, controls.bankName, controls.presetName})
        ShowControl(index, !tuner);
    for (int index : controls.TunerView())
        ShowControl(index, tuner);
    graphics->HideParam(kTuningNext, !tuner);
}

void VulpanePlugin::ShowImpulsePanel(bool shown) {
    if (!graphics) return;
    ShowControl(controls.responseFrame, shown);
    ShowControl(controls.response, shown);
    graphics->HideParam(kIrDry, !shown);
    graphics->HideParam(kIrWet, !shown);
    SwitchPanel(shown ? -1 : currentModel);
}
