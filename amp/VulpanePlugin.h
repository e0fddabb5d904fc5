#pragma once

#include "IVstAdapter.h"
#include "ParameterIds.h"
#include "SignalChain.h"

#include <string>

// The amp simulator: its parameter table, change handler, MIDI map and state.
class VulpanePlugin : public IVstAdapter {
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

private:
    void DeclareParameters();
    double Value(int index) const { return params[static_cast<size_t>(index)].Value(); }
    // Moves a parameter as its editor control would, so its change handler runs.
    void MoveParameter(int index, double normalizedValue);
    void ReportToHost(int index, double normalizedValue);
    void ChangeModelCopy(int index);

    SignalChain chain;
    int currentModel = 0;
    int currentCabinet = 0;
    std::string impulsePath;
};
