#pragma once

#include <array>

// Attach indices of the editor controls the plug-in addresses directly, as the layout builder
// returns them while it adds the controls (-1 until the editor is built).
struct EditorControls {
    // The display: the touched parameter's name strip, value bar and text, the preset names.
    int valueText = -1;
    int nameStrip = -1;
    int valueBar = -1;
    int bankName = -1;
    int presetName = -1;
    // The tuner view, shown in place of the display.
    int tunerBackground = -1;
    int tunerMeter = -1;
    int tunerNote = -1;
    int tunerText = -1;
    int tunerTuning = -1;
    int tunerButton = -1;
    // The impulse panel and field.
    int responseFrame = -1;
    int response = -1;
    int fileName = -1;
    int fileSelector = -1;
    // The preset browser: its background, the first of each list's rows, the two pick areas.
    int browser = -1;
    int firstBankRow = -1;
    int firstPresetRow = -1;
    int bankPick = -1;
    int presetPick = -1;
    int about = -1;
    // The signal-chain plate's stage lamps, the cabinet picture and the oversampling label.
    int lampGate = -1;
    int lampAmp = -1;
    int lampCabinet = -1;
    int lampEq = -1;
    int lampImpulse = -1;
    int cabinetPicture = -1;
    int oversampling = -1;
    // The editor's text field and its impulse browser (in the impulse panel's place).
    int textField = -1;
    int impulseBrowser = -1;

    static constexpr int kListRows = 20; // rows of each browser list
    int BankRow(int k) const { return firstBankRow < 0 ? -1 : firstBankRow + k; }
    int PresetRow(int k) const { return firstPresetRow < 0 ? -1 : firstPresetRow + k; }
    std::array<int, 6> TunerView() const {
        return {tunerBackground, tunerMeter, tunerNote, tunerText, tunerTuning, tunerButton};
    }
};
