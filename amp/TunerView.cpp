// The tuner's part of the editor: the reading the audio path sends 25 times a second, and the
// tuning selection.
#include "IEditorGraphics.h"
#include "ITextControls.h"
#include "VulpanePlugin.h"

namespace {
void SetText(IEditorGraphics* graphics, int controlIndex, const char* text) {
    if (auto* control = dynamic_cast<ITextControl*>(graphics->ControlAt(controlIndex)))
        control->ApplyPluginText(text);
}
} // namespace

// Runs on the audio thread: only stores values and texts and marks the controls dirty (neither
// allocates); the window thread draws them at its next timer tick.
void VulpanePlugin::ShowTunerReading(double meter, double note, const char* text) {
    if (!graphics) return;
    graphics->PushControlValue(controls.tunerMeter, meter);
    graphics->PushControlValue(controls.tunerNote, note);
    SetText(graphics, controls.tunerText, text);
}

// Press steps the tuning list; release publishes the tuning as kTuning and shows it.
void VulpanePlugin::PressTuningButton(double v) {
    Tuner& tuner = chain.GetTuner();
    if (v > 0.5) {
        tuner.NextTuning();
    } else if (v < 0.5) {
        const int index = tuner.TuningIndex();
        MoveParameter(kTuning, index / static_cast<double>(Tuner::kTunings - 1));
        SelectTuning(index);
    }
}

// The string hints and the tuning's name follow every way the tuning changes (the button, the
// host, a restored state), so the text never hints at strings of another tuning.
void VulpanePlugin::SelectTuning(int index) {
    Tuner& tuner = chain.GetTuner();
    tuner.SetTuningIndex(index);
    tuner.BuildStringHints(tuner.TuningIndex());
    if (graphics) SetText(graphics, controls.tunerTuning, Tuner::TuningName(tuner.TuningIndex()));
}
