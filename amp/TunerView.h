#pragma once

#include "TunerDisplay.h"

class EditorFeedback;
class PluginServices;

// The tuner's part of the editor: the view shown in place of the display, the reading the
// audio path sends into its meter, note strip and text, and the tuning selection.
class TunerView : public TunerDisplay {
public:
    TunerView(PluginServices& plugin, EditorFeedback& feedback) : plugin(plugin), feedback(feedback) {}

    // kTunerToggle, kTuningNext and kTuning changed to v.
    void Change(int index, double v);
    // On the audio thread: stores values and texts only (neither allocates).
    void ShowTunerReading(double meter, double note, const char* text) override;

private:
    void ShowView(bool tuner);
    void PressTuningButton(double v);
    void SelectTuning(int index);

    PluginServices& plugin;
    EditorFeedback& feedback;
};
