#pragma once

#include "EditorControls.h"
#include "EditorFeedback.h"
#include "IVstAdapter.h"
#include "ImpulseLibrary.h"
#include "ParameterIds.h"
#include "PluginServices.h"
#include "PresetBrowser.h"
#include "PresetSaver.h"
#include "SignalChain.h"
#include "TunerView.h"

#include <string>
#include <vector>

class IEditorGraphics;

// The amp simulator: its parameter table, change handler, MIDI map and state. The impulse
// library, the preset browser, the tuner view and the editor feedback are parts it owns; they
// reach the plug-in through PluginServices only.
class VulpanePlugin : public IVstAdapter, private PluginServices {
public:
    explicit VulpanePlugin(audioMasterCallback hostCallback);
    ~VulpanePlugin() override;

    void Reset() override;
    void ParameterChanged(int index) override;
    void ProcessBlock(double** inputs, double** outputs, int frames) override;
    void ProcessMidi(const MidiMessage& message) override;
    bool SerializeState(StateChunk& chunk) override;
    bool GetParameterIdentifier(int index, char* outText) const override;
    bool ReadPresetFile(const char* path) override;
    int UnserializeState(const StateChunk& chunk, int position) override;
    void SerializeStateRecords(StateRecordWriter& writer) override;
    void UnserializeStateRecords(const StateChunk& chunk,
                                 const std::vector<StateRecordSpan>& records) override;
    void OnIdleHook() override;
    // The tuner's analysis buffers are made when an editor first opens, where a view can show
    // its readings, so a tuner view the audio thread turns on never allocates them.
    void OnEditorOpen() override;
    // What a host is told of a parameter, from the parameter table (ParameterHostView.cpp).
    void FormatParameterText(int index, double v, char* outText) const override;
    void FormatParameterLabel(int index, char* outText) const override;
    bool ParameterFromText(int index, const char* text, double& outNormalized) const override;
    bool DescribeParameter(int index, ParameterTraits& out) const override;
    bool IsAutomatable(int index) const override;
    bool LoadsPending() const override;
    void WaitForLoads() override;

    // The amp models' quality setting: run at 1, 2, 4 or 8 times the host rate (not a host
    // parameter; saved in the state's 'OVSM' record, a state without it reads as 1). A new
    // instance starts at kDefaultOversampling. The latency reported to the host follows the
    // factor. False, and nothing changes, for another factor.
    static constexpr int kDefaultOversampling = 2;
    bool SetOversampling(int factor);
    int Oversampling() const { return oversampling; }
    // effVendorSpecific index kOversamplingOpcode ('VpOs'): value 0 asks for the factor, 1, 2, 4
    // or 8 sets it; the answer is the factor in effect afterwards (other plug-ins answer 0).
    static constexpr int32_t kOversamplingOpcode = 0x56704F73;

    int CurrentModel() const { return currentModel; }
    int CurrentCabinet() const { return currentCabinet; }
    // The impulse library's stored path, folder listing (the folder with its trailing separator,
    // the WAV names without extension, the entry shown or -1) and last error ("" after a load).
    const std::string& ImpulsePath() const { return impulses.Path(); }
    const std::string& ImpulseFolder() const { return impulses.Folder(); }
    const std::vector<std::string>& ImpulseNames() const { return impulses.Names(); }
    int ImpulseIndex() const { return impulses.Index(); }
    const std::string& ImpulseError() const { return impulses.Error(); }
    // Impulse loads run on the plug-in's loader thread. Tests and benchmarks wait for them
    // (never while holding the plug-in lock), or hold the loader mid-way as a test hook.
    void WaitForImpulseLoads() { impulses.WaitForLoads(); }
    void HoldImpulseLoads(bool hold) { impulses.HoldLoads(hold); }

    // The preset browser's banks, the open bank's presets, the preset the next load reads, and
    // the last preset error shown ("" after a good load).
    const std::vector<std::string>& BankNames() const { return presetBrowser.BankNames(); }
    const std::vector<PresetEntry>& PresetNames() const { return presetBrowser.PresetNames(); }
    int CurrentPreset() const { return presetBrowser.CurrentPreset(); }
    const std::string& PresetError() const { return presetBrowser.PresetError(); }
    // Reads the library from another banks folder (with its trailing separator) and opens
    // the bank kBankPosition selects; the library beside the plug-in is read at construction.
    void UsePresetFolder(const std::string& folder);
    // Saving presets (the editor's SAVE button, the command line's save-preset).
    PresetSaver& Saver() { return presetSaver; }

    // The editor's controls the plug-in addresses, by attach index.
    const EditorControls& Controls() const override { return controls; }

private:
    void DeclareParameters();
    // Creates the graphics object and attaches every editor control (EditorLayout.cpp).
    void BuildEditor();
    void ReportToHost(int index, double normalizedValue);
    // Changes a parameter when its value differs: the handler runs, the host is told and its
    // controls show the value on the editor's next idle.
    void ChangeParameter(int index, double normalizedValue);
    void ChangeModelCopy(int index);
    // A shared amp knob changed by the host or MIDI: the selected model's own copy follows.
    void FollowInModelCopy(int sharedIndex);
    void ShowOversampling();
    // The editor's impulse browser (ImpulseBrowsing.cpp): opened on the folder last chosen from,
    // and a file chosen in it loaded as the file button's choice.
    void OpenImpulseBrowser();
    void ChooseImpulse(const std::string& path);
    // The dispatch's display calls, shown by the feedback part.
    void ShowLamp(int controlIndex, bool lit) { feedback.ShowLamp(controlIndex, lit); }

    // What the parts ask of the plug-in.
    PluginLock& PluginMutex() override { return pluginLock; }
    ChainChanges& Changes() override { return chainChanges; }
    ChainChanges::Route ChainRoute() const override;
    const SignalChain& ChainSettings() const override { return signalChain; }
    IEditorGraphics* Graphics() const override { return graphics; }
    double ParamValue(int index) const override { return Value(index); }
    double ParamNormalized(int index) const override { return ParamAt(index)->Normalized(); }
    void MoveParameter(int index, double normalizedValue) override;
    void MoveControls(int index, double normalizedValue) override {
        MoveBoundControls(index, normalizedValue);
    }
    const ControlMirror& ControlsMirror() const override { return Mirror(); }
    // Shows what the editor is to show after a change: on the editor's idle, and at once after a
    // change made off the audio thread (the plug-in lock held).
    void ShowPending();
    void ShowPendingOffAudioThread() {
        if (!OnAudioThread()) ShowPending();
    }
    bool Restoring() const override { return restoringState; }
    bool OnAudioThread() const override { return IVstAdapter::OnAudioThread(); }
    double Value(int index) const { return params[static_cast<size_t>(index)].Value(); }

    // Tagged records after the state (StateRecordTable.cpp): each writes its payload (none
    // written: no record) or reads it (position -1: the chunk holds no such record).
    struct StateRecordKind {
        uint32_t tag;
        void (*write)(VulpanePlugin& plugin, StateChunk& payload);
        void (*read)(VulpanePlugin& plugin, const StateChunk& chunk, int position, int length);
    };
    static std::vector<StateRecordKind> StateRecordKinds();
    void WriteOversampling(StateChunk& payload);
    void ReadOversampling(const StateChunk& chunk, int position, int length);
    intptr_t VendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) override;

    // Changed only through chainChanges, so the audio thread never waits for a change.
    SignalChain signalChain;
    ChainChanges chainChanges{signalChain, AudioLock()};
    int oversampling = 1; // the factor set last, as the audio thread will have it
    IEditorGraphics* graphics = nullptr;
    EditorControls controls;
    int currentModel = 0;
    int currentCabinet = 0;
    bool restoringState = false;
    // The parts, each with its own state; the destructor stops the impulse loader before any
    // member goes.
    EditorFeedback feedback{*this};
    TunerView tunerView{*this, feedback};
    ImpulseLibrary impulses{*this};
    PresetBrowser presetBrowser{*this, feedback, impulses};
    PresetSaver presetSaver{*this, presetBrowser, impulses};
};
