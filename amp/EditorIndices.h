#pragma once

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
