#include "EditorFeedback.h"

#include "EditorControls.h"
#include "EditorIndices.h"
#include "IControl.h"
#include "IEditorGraphics.h"
#include "ITextControls.h"
#include "ParameterIds.h"
#include "ParameterTable.h"
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
    for (const auto& named :
         {std::make_pair("1x12", kCabinetPicture1x12), std::make_pair("2x12", kCabinetPicture2x12),
          std::make_pair("4x12", kCabinetPicture4x12), std::make_pair("8x10", kCabinetPicture8x10)})
        if (std::strstr(name, named.first)) return named.second;
    return kCabinetSpeakers[cabinet];
}

void EditorFeedback::Bind(int controlCount) {
    records.assign(static_cast<size_t>(controlCount > 0 ? controlCount : 0), ControlRecord{});
    display = DisplayRecord{};
    panelPending = false;
    anyPending = false;
}

bool EditorFeedback::HasControlFor(int paramIndex) const {
    return plugin.ControlsMirror().Count(paramIndex) > 0;
}

EditorFeedback::ControlRecord* EditorFeedback::RecordOf(int controlIndex) {
    if (controlIndex < 0 || static_cast<size_t>(controlIndex) >= records.size()) return nullptr;
    return &records[static_cast<size_t>(controlIndex)];
}

namespace {
void CopyShownText(char* out, int size, const char* text) {
    int i = 0;
    for (; text && text[i] && i < size - 1; ++i)
        out[i] = text[i];
    out[i] = '\0';
}
} // namespace

// The strip, the bar and the text always change together, so the display never shows one
// parameter's name over another's value.
void EditorFeedback::Show(int stripFrame, double bar, const char* text) {
    if (records.empty()) return;
    display.strip = stripFrame;
    display.param = -1;
    display.bar = bar;
    CopyShownText(display.text, kMaxText, text);
    display.pending = anyPending = true;
}

void EditorFeedback::ShowValue(int stripFrame, int paramIndex, double shownValue) {
    if (records.empty()) return;
    display.strip = stripFrame;
    display.param = paramIndex;
    display.value = shownValue;
    display.pending = anyPending = true;
}

void EditorFeedback::ShowText(int controlIndex, const char* text) {
    if (ControlRecord* record = RecordOf(controlIndex)) {
        CopyShownText(record->text, kMaxText, text);
        record->textPending = anyPending = true;
    }
}

void EditorFeedback::SetValue(int controlIndex, double value) {
    if (ControlRecord* record = RecordOf(controlIndex)) {
        record->value = value;
        record->valuePending = anyPending = true;
    }
}

void EditorFeedback::ShowLamp(int controlIndex, bool lit) {
    SetValue(controlIndex, lit ? 1.0 : 0.0);
}

void EditorFeedback::ShowCabinet(int cabinet) {
    ShowLamp(plugin.Controls().lampCabinet, cabinet != 0);
    SetValue(plugin.Controls().cabinetPicture,
             static_cast<double>(CabinetPictureOf(cabinet)) / (kCabinetPictureFrames - 1));
}

void EditorFeedback::ShowControl(int controlIndex, bool show) {
    if (ControlRecord* record = RecordOf(controlIndex)) {
        record->hidden = !show;
        record->hiddenPending = anyPending = true;
    }
}

void EditorFeedback::HideParam(int paramIndex, bool hide) {
    const ControlMirror& mirror = plugin.ControlsMirror();
    for (int k = 0; k < mirror.Count(paramIndex); ++k)
        ShowControl(mirror.At(paramIndex, k).controlIndex, !hide);
}

namespace {
// The per-model copies a panel shows, with the shared parameter each takes its value from.
const struct {
    int block;
    int shared;
} kPanelCopies[] = {{kModelSwitch, kAmpOn},    {kModelLed, kAmpOn},    {kModelVolume, kAmpVolume},
                    {kModelGain, kAmpGain},    {kModelBass, kAmpBass}, {kModelMiddle, kAmpMiddle},
                    {kModelTreble, kAmpTreble}};
} // namespace

// The panel shown is a single record; its copies take the shared values now, as their knobs
// would move, so the host hears of them in the same order as ever.
void EditorFeedback::SwitchPanel(int model) {
    if (records.empty()) return;
    panelModel = impulsePanelShown || model < 0 || model >= kNumModels ? -1 : model;
    panelPending = anyPending = true;
    // A restored state keeps the copies it stored; the editor then shows the stored values.
    if (panelModel < 0 || plugin.Restoring()) return;
    for (const auto& copy : kPanelCopies)
        plugin.MoveControls(copy.block + model, plugin.ParamNormalized(copy.shared));
}

void EditorFeedback::PressImpulsePanel(double v, int model) {
    if (v > 0.5) {
        impulsePanelShown = !impulsePanelShown;
        plugin.MoveParameter(kIrPanelLed, impulsePanelShown ? 1.0 : 0.0);
    }
    ShowImpulsePanel(impulsePanelShown, model);
}

void EditorFeedback::ShowImpulsePanel(bool shown, int model) {
    if (records.empty()) return;
    ShowControl(plugin.Controls().responseFrame, shown);
    ShowControl(plugin.Controls().response, shown);
    HideParam(kIrDry, !shown);
    HideParam(kIrWet, !shown);
    SwitchPanel(shown ? -1 : model);
}

void EditorFeedback::Apply(IEditorGraphics& graphics) {
    if (!anyPending) return;
    anyPending = false;
    if (panelPending) {
        panelPending = false;
        for (int index = kModelSwitch; index < kModelTreble + kNumModels; ++index)
            graphics.HideParam(index, true);
        if (panelModel >= 0)
            for (const auto& copy : kPanelCopies)
                graphics.HideParam(copy.block + panelModel, false);
    }
    for (size_t i = 0; i < records.size(); ++i) {
        ControlRecord& record = records[i];
        IControl* control = graphics.ControlAt(static_cast<int>(i));
        if (record.hiddenPending) {
            record.hiddenPending = false;
            if (control) control->Hide(record.hidden);
        }
        if (record.valuePending) {
            record.valuePending = false;
            graphics.PushControlValue(static_cast<int>(i), record.value);
        }
        if (record.textPending) {
            record.textPending = false;
            if (auto* text = dynamic_cast<ITextControl*>(control)) text->ApplyPluginText(record.text);
        }
    }
    if (display.pending) {
        display.pending = false;
        const EditorControls& controls = plugin.Controls();
        double bar = display.bar;
        const char* text = display.text;
        ShownValue shown{};
        if (display.param >= 0) {
            shown = DisplayOf(display.param, display.value);
            bar = shown.bar;
            text = shown.text;
        }
        graphics.PushControlValue(controls.nameStrip, static_cast<double>(display.strip) / kStripFrames);
        graphics.PushControlValue(controls.valueBar, bar);
        if (auto* valueText = dynamic_cast<ITextControl*>(graphics.ControlAt(controls.valueText)))
            valueText->ApplyPluginText(text);
    }
}
