#pragma once

// The attach index of each editor control the tests address, as the layout adds them.
enum EditorPosition : int {
    kControlBackground = 0,
    kControlFirstPanel = 7,
    kControlPresetText = 157,
    kControlValueText = 158,
    kControlNameStrip = 159,
    kControlValueBar = 160,
    kControlTunerBackground = 161,
    kControlTunerMeter = 162,
    kControlTunerNote = 163,
    kControlTunerText = 164,
    kControlTunerTuning = 165,
    kControlTunerButton = 166,
    kControlResponseFrame = 167,
    kControlResponse = 170,
    kControlFileName = 171,
    kControlFileSelector = 172,
    kControlBankName = 173,
    kControlPresetName = 175,
    kControlBrowser = 178,
    kControlBankRows = 179,
    kControlPresetRows = 199,
    kControlBankPick = 219,
    kControlPresetPick = 221,
    kControlAbout = 223,
    // Added after the about box: the lit stages of the signal-chain plate and the cabinet's picture.
    kControlLampGate = 224,
    kControlLampAmp = 225,
    kControlLampCabinet = 226,
    kControlLampEq = 227,
    kControlLampImpulse = 228,
    kControlCabinetPicture = 229,
    kControlOversampling = 230,
    // The SAVE button in the title bar and the editor's text field, over everything else.
    kControlSave = 231,
    kControlTextField = 232,
    kControlImpulseBrowser = 233, // the editor's own impulse list, in the impulse panel's place
    kControlCount = 234,
};
