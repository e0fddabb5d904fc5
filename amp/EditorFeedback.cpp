#include "EditorFeedback.h"

#include "EditorControls.h"
#include "EditorIndices.h"
#include "IEditorGraphics.h"
#include "ITextControls.h"
#include "ParameterIds.h"
#include "PluginServices.h"

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

bool EditorFeedback::HasControlFor(int paramIndex) const {
    IEditorGraphics* graphics = plugin.Graphics();
    if (!graphics) return false;
    for (int i = 0; i < graphics->ControlCount(); ++i)
        if (graphics->ControlAt(i)->ParamIdx() == paramIndex) return true;
    return false;
}

// The strip, the bar and the text always change together, so the display never shows one
// parameter's name over another's value.
void EditorFeedback::Show(int stripFrame, double bar, const char* text) {
    IEditorGraphics* graphics = plugin.Graphics();
    if (!graphics) return;
    const EditorControls& controls = plugin.Controls();
    graphics->PushControlValue(controls.nameStrip, static_cast<double>(stripFrame) / kStripFrames);
    graphics->PushControlValue(controls.valueBar, bar);
    ShowText(controls.valueText, text ? text : "");
}

// Neither allocates: the tuner's reading comes through here from the audio path.
void EditorFeedback::ShowText(int controlIndex, const char* text) {
    IEditorGraphics* graphics = plugin.Graphics();
    if (!graphics) return;
    if (auto* control = dynamic_cast<ITextControl*>(graphics->ControlAt(controlIndex)))
        control->ApplyPluginText(text);
}

void EditorFeedback::ShowLamp(int controlIndex, bool lit) {
    if (IEditorGraphics* graphics = plugin.Graphics()) graphics->PushControlValue(controlIndex, lit ? 1.0 : 0.0);
}

void EditorFeedback::ShowCabinet(int cabinet) {
    IEditorGraphics* graphics = plugin.Graphics();
    if (!graphics) return;
    ShowLamp(plugin.Controls().lampCabinet, cabinet != 0);
    graphics->PushControlValue(plugin.Controls().cabinetPicture,
                               static_cast<double>(CabinetPictureOf(cabinet)) / (kCabinetPictureFrames - 1));
}

void EditorFeedback::ShowControl(int controlIndex, bool show) {
    IEditorGraphics* graphics = plugin.Graphics();
    if (!graphics) return;
    if (IControl* control = graphics->ControlAt(controlIndex)) control->Hide(!show);
}

void EditorFeedback::SwitchPanel(int model) {
    IEditorGraphics* graphics = plugin.Graphics();
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
    if (plugin.Restoring()) return;
    for (const auto& copy : copies)
        graphics->MoveParameterControls(copy.block + model, plugin.ParamNormalized(copy.shared));
}

void EditorFeedback::PressImpulsePanel(double v, int model) {
    if (v > 0.5) {
        impulsePanelShown = !impulsePanelShown;
        plugin.MoveParameter(kIrPanelLed, impulsePanelShown ? 1.0 : 0.0);
    }
    ShowImpulsePanel(impulsePanelShown, model);
}

void EditorFeedback::ShowImpulsePanel(bool shown, int model) {
    IEditorGraphics* graphics = plugin.Graphics();
    if (!graphics) return;
    ShowControl(plugin.Controls().responseFrame, shown);
    ShowControl(plugin.Controls().response, shown);
    graphics->HideParam(kIrDry, !shown);
    graphics->HideParam(kIrWet, !shown);
    SwitchPanel(shown ? -1 : model);
}
