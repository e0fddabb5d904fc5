#pragma once

#include "IVstAdapter.h"
#include "ParameterIds.h"
#include "SignalChain.h"
#include "TunerDisplay.h"

#include <string>
#include <vector>

class IEditorGraphics;

// The amp simulator: its parameter table, change handler, MIDI map and state.
class VulpanePlugin : public IVstAdapter, private TunerDisplay {
public:
    explicit VulpanePlugin(audioMasterCallback hostCallback);
    ~VulpanePlugin() override;

    void Reset() override;
    void ParameterChanged(int index) override;
    void ProcessBlock(double** inputs, double** outputs, int frames) override;
    void ProcessMidi(const MidiMessage& message) override;
    bool SerializeState(StateChunk& chunk) override;
    int UnserializeState(const StateChunk& chunk, int position) override;

    int CurrentModel() const { return currentModel; }
    int CurrentCabinet() const { return currentCabinet; }
    const std::string& ImpulsePath() const { return impulsePath; }
    // The impulse file's folder listing (ImpulseFiles.cpp): the folder with its trailing
    // separator, the WAV names without extension, and the entry shown (-1 for none).
    const std::string& ImpulseFolder() const { return impulseFolder; }
    const std::vector<std::string>& ImpulseNames() const { return impulseNames; }
    int ImpulseIndex() const { return impulseIndex; }
    // The last impulse error shown to the user ("" after a successful load).
    const std::string& ImpulseError() const { return impulseError; }

private:
    void DeclareParameters();
    // Creates the graphics object and attaches every editor control (EditorLayout.cpp).
    void BuildEditor();
    double Value(int index) const { return params[static_cast<size_t>(index)].Value(); }
    // Moves a parameter as its editor control would, so its change handler runs.
    void MoveParameter(int index, double normalizedValue);
    void ReportToHost(int index, double normalizedValue);
    void ChangeModelCopy(int index);

    // Editor feedback; each does nothing while no editor is attached.
    IEditorGraphics* Graphics() const;
    // Whether some editor control is bound to the parameter (panels lack some knobs).
    bool HasControlFor(int paramIndex) const;
    void ShowText(const char* text);
    void ShowFeedback(int stripFrame, double bar, const char* text);
    void ShowFeedbackFormat(int stripFrame, double bar, const char* format, double value);
    void ShowControl(int controlIndex, bool show);
    void SwitchPanel(int model);
    void ShowTunerView(bool tuner);
    void ShowImpulsePanel(bool shown);

    // Tuner (TunerView.cpp): the reading from the audio path into the meter, note strip and
    // text controls; the tuning button; a tuning selected directly.
    void ShowTunerReading(double meter, double note, const char* text) override;
    void PressTuningButton(double v);
    void SelectTuning(int index);

    // Impulse files (ImpulseFiles.cpp). A failed load leaves the impulse, the listing and the
    // stored path as they were.
    void ChooseImpulseFile();
    void StepImpulseFile(int step);
    bool LoadImpulseFile(const std::string& path);
    // Resamples the loaded file's samples to the chain's rate and installs them.
    void InstallImpulse();
    void InstallImpulse(const std::vector<double>& samples, double norm);
    void ShowError(const std::string& text);

    SignalChain chain;
    IEditorGraphics* graphics = nullptr;
    bool impulsePanelShown = false;
    int currentModel = 0;
    int currentCabinet = 0;
    std::string impulsePath;
    std::string impulseFolder;
    std::vector<std::string> impulseNames;
    std::vector<std::string> impulseFiles; // the full file names behind impulseNames
    std::string impulseError;
    int impulseIndex = -1;
    bool restoringState = false;
    std::vector<double> impulseFileSamples; // channel 0 at the file's rate
    double impulseFileRate = 0.0;
    double impulseInstalledRate = 0.0;
};
