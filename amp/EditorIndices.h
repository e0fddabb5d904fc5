#pragma once

// Attach indices of the editor controls that the plug-in addresses directly.
enum EditorControl : int {
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
    kControlAbout = 223,
    // Added after the about box: the lit stages of the signal-chain plate and the cabinet's picture.
    kControlLampGate = 224,
    kControlLampAmp = 225,
    kControlLampCabinet = 226,
    kControlLampEq = 227,
    kControlLampImpulse = 228,
    kControlCabinetPicture = 229,
    kControlCount = 230,
};

// Frames of the cabinet picture.
enum CabinetPictureFrame : int {
    kCabinetPictureOff = 0,
    kCabinetPicture1x12 = 1,
    kCabinetPicture2x12 = 2,
    kCabinetPicture4x12 = 3,
    kCabinetPicture8x10 = 4,
    kCabinetPictureFrames = 5,
};
// The speaker arrangement the picture shows for a cabinet (the one its name gives, if any).
int CabinetPictureOf(int cabinet);

// Frames of the name strip, as the dispatch names them.
enum NameStripFrame : int {
    kStripGate = 1,
    kStripGateThreshold = 2,
    kStripGateRelease = 3,
    kStripAmpSwitch = 4,
    kStripVolume = 5,
    kStripGain = 6,
    kStripToneFreq = 7,
    kStripResonance = 8,
    kStripBass = 9,
    kStripMiddle = 10,
    kStripTreble = 11,
    kStripEqLow = 12,
    kStripEqHigh = 13,
    kStripMaster = 14,
    kStripLoudness = 15,
    kStripFuzzBass = 17,
    kStripDrive = 18,
    kStripCharterBass = 19,
    kStripCharterMiddle = 20,
    kStripCharterTreble = 21,
    kStripBatMiddle = 22,
    kStripPoltergeistMiddle = 23,
    kStripPoltergeistTreble = 24,
    kStripIrToggle = 25,
    kStripIrDry = 26,
    kStripIrWet = 27,
};
