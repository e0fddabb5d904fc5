#pragma once

// What a model's panel shows, by role: which of the shared knobs it has, as what control, and
// which name the editor gives each (the pixel places are the editor's, amp/EditorLayout.cpp).
// The volume knob and the on switch are on every panel.
enum class PanelControl : unsigned char { kNone, kKnob, kSwitch };
enum class KnobName : unsigned char {
    kUsual, // "Gain", "Bass", "Middle", "Treble"
    kDrive,
    kFuzzBass,
    kCharterBass,
    kCharterMiddle,
    kCharterTreble,
    kBatMiddle,
    kPoltergeistMiddle,
    kPoltergeistTreble,
};
struct PanelKnob {
    PanelControl control = PanelControl::kKnob;
    KnobName name = KnobName::kUsual;
};
struct ModelPanel {
    PanelKnob gain;
    PanelKnob bass;
    PanelKnob middle;
    PanelKnob treble;
};

// The panel of model m (0..AmpModel::kCount - 1), from its description.
const ModelPanel& PanelOf(int m);
