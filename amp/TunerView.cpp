// The tuner's part of the editor: the reading the audio path sends 25 times a second, the view
// and the tuning selection.
#include "TunerView.h"

#include "EditorControls.h"
#include "EditorFeedback.h"
#include "IEditorGraphics.h"
#include "ITextControls.h"
#include "ParameterIds.h"
#include "PluginServices.h"
#include "SignalChain.h"

#include <algorithm>
#include <memory>

void TunerView::Change(int index, double v) {
    switch (index) {
    case kTunerToggle:
        if (v > 0.5) {
            const bool on = !plugin.Changes().TunerView();
            // The analysis buffers are made here, off the audio thread, the first time the view
            // is turned on; on the audio thread the editor's opening brings them.
            if (on && !plugin.OnAudioThread() && !plugin.Changes().TunerBuffersGiven()) {
                auto buffers = std::make_unique<ChainChanges::TunerBuffers>();
                if (Tuner::MakeAnalysisBuffers(buffers->real, buffers->imag))
                    plugin.Changes().PostTunerBuffers(plugin.ChainRoute(), std::move(buffers));
            }
            plugin.ChangeChain(ChainChanges::Op::kTunerView, on);
        } else if (v < 0.5) {
            ShowView(plugin.Changes().TunerView());
        }
        break;
    case kTuningNext:
        PressTuningButton(v);
        break;
    case kTuning:
        SelectTuning(std::clamp(static_cast<int>(v), 0, Tuner::kTunings - 1));
        break;
    default:
        break;
    }
}

// Runs on the audio thread: only stores values and texts and marks the controls dirty (none
// allocates); the window thread draws them at its next timer tick.
void TunerView::ShowTunerReading(double meter, double note, const char* text) {
    IEditorGraphics* graphics = plugin.Graphics();
    if (!graphics) return;
    const EditorControls& controls = plugin.Controls();
    graphics->PushControlValue(controls.tunerMeter, meter);
    graphics->PushControlValue(controls.tunerNote, note);
    // Straight into the control, without the plug-in lock the feedback's records need.
    if (auto* shown = dynamic_cast<ITextControl*>(graphics->ControlAt(controls.tunerText)))
        shown->ApplyPluginText(text);
}

void TunerView::ShowView(bool tuner) {
    const EditorControls& controls = plugin.Controls();
    for (int index :
         {controls.nameStrip, controls.valueBar, controls.valueText, controls.bankName, controls.presetName})
        feedback.ShowControl(index, !tuner);
    for (int index : controls.TunerView())
        feedback.ShowControl(index, tuner);
    feedback.HideParam(kTuningNext, !tuner);
}

// Press steps the tuning list; release publishes the tuning as kTuning and shows it.
void TunerView::PressTuningButton(double v) {
    if (v > 0.5) {
        plugin.ChangeChain(ChainChanges::Op::kNextTuning);
    } else if (v < 0.5) {
        const int index = plugin.Changes().TuningIndex();
        plugin.MoveParameter(kTuning, index / static_cast<double>(Tuner::kTunings - 1));
        SelectTuning(index);
    }
}

// The string hints and the tuning's name follow every way the tuning changes (the button, the
// host, a restored state), so the text never hints at strings of another tuning.
void TunerView::SelectTuning(int index) {
    plugin.ChangeChain(ChainChanges::Op::kTuning, index);
    feedback.ShowText(plugin.Controls().tunerTuning, Tuner::TuningName(plugin.Changes().TuningIndex()));
}
