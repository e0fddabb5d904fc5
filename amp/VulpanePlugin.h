#pragma once

#include "EditorControls.h"
#include "IVstAdapter.h"
#include "ImpulseLoader.h"
#include "ImpulseSource.h"
#include "ParameterIds.h"
#include "PresetLibrary.h"
#include "SignalChain.h"
#include "TunerDisplay.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class ConvolutionEngine;
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
    bool GetParameterIdentifier(int index, char* outText) const override;
    bool ReadPresetFile(const char* path) override;
    int UnserializeState(const StateChunk& chunk, int position) override;
    void SerializeStateRecords(StateRecordWriter& writer) override;
    void UnserializeStateRecords(const StateChunk& chunk, const std::vector<StateRecordSpan>& records) override;
    void OnIdleHook() override;

    // The amp models' quality setting: run at 1, 2, 4 or 8 times the host rate (not a host
    // parameter; saved in the state's 'OVSM' record, a state without it reads as 1). A new
    // instance starts at kDefaultOversampling. The latency reported to the host follows the
    // factor. False, and nothing changes, for another factor.
    static constexpr int kDefaultOversampling = 2;
    bool SetOversampling(int factor);
    int Oversampling() const { return chain.Oversampling(); }
    // effVendorSpecific index kOversamplingOpcode ('VpOs'): value 0 asks for the factor, 1, 2, 4
    // or 8 sets it; the answer is the factor in effect afterwards (other plug-ins answer 0).
    static constexpr int32_t kOversamplingOpcode = 0x56704F73;

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
    // Impulse loads run on the plug-in's loader thread. Tests and benchmarks wait for them
    // (never while holding the plug-in lock), or hold the loader mid-way as a test hook.
    void WaitForImpulseLoads() { impulseLoader.WaitIdle(); }
    void HoldImpulseLoads(bool hold) { impulseLoader.Hold(hold); }

    // Preset library (PresetBrowser.cpp): the banks found, the open bank's presets, the
    // preset the next load reads, and the last preset error shown ("" after a good load).
    const std::vector<std::string>& BankNames() const { return bankNames; }
    const std::vector<PresetEntry>& PresetNames() const { return presets; }
    int CurrentPreset() const { return currentPreset; }
    const std::string& PresetError() const { return presetError; }
    // Reads the library from another banks folder (with its trailing separator) and opens
    // the bank kBankPosition selects; the library beside the plug-in is read at construction.
    void UsePresetFolder(const std::string& folder);

    // The editor's controls the plug-in addresses, by attach index.
    const EditorControls& Controls() const { return controls; }

private:
    void DeclareParameters();
    // Creates the graphics object and attaches every editor control (EditorLayout.cpp).
    void BuildEditor();
    double Value(int index) const { return params[static_cast<size_t>(index)].Value(); }
    // Moves a parameter as its editor control would, so its change handler runs.
    void MoveParameter(int index, double normalizedValue);
    void ReportToHost(int index, double normalizedValue);
    void ChangeModelCopy(int index);
    // A shared amp knob changed by the host or MIDI: the selected model's own copy follows.
    void FollowInModelCopy(int sharedIndex);

    // Editor feedback; each does nothing while no editor is attached.
    IEditorGraphics* Graphics() const;
    // Whether some editor control is bound to the parameter (panels lack some knobs).
    bool HasControlFor(int paramIndex) const;
    void ShowFeedback(int stripFrame, double bar, const char* text);
    void ShowControl(int controlIndex, bool show);
    // The signal-chain plate's stage lamps and the cabinet picture.
    void ShowLamp(int controlIndex, bool lit);
    void ShowCabinet(int cabinet);
    void SwitchPanel(int model);
    void ShowTunerView(bool tuner);
    void ShowImpulsePanel(bool shown);

    // Tuner (TunerView.cpp): the reading from the audio path into the meter, note strip and
    // text controls; the tuning button; a tuning selected directly.
    void ShowTunerReading(double meter, double note, const char* text) override;
    void PressTuningButton(double v);
    void SelectTuning(int index);

    // Impulse files (ImpulseFiles.cpp, ImpulseLoading.cpp). A failed load leaves the impulse,
    // the listing and the stored path as they were; a restored path stays stored even when its
    // file is missing.
    struct ImpulseResult;
    void ChooseImpulseFile();
    void StepImpulseFile(int step);
    // Loads the impulse a restored state names, unless it is the one in place or on its way.
    void RestoreImpulse(const std::string& path, std::shared_ptr<const ImpulseSource> carried);
    // A preset's impulse: stored as the state's path and restored.
    void RecallImpulse(const std::string& path);
    void RequestImpulse(ImpulseRequest request);
    // On the loader thread; only the hand-over takes the plug-in lock.
    void RunImpulseLoad(const ImpulseRequest& request, uint64_t serial);
    void PrepareImpulse(const ImpulseRequest& request, uint64_t serial);
    void ApplyImpulseLoad(const ImpulseRequest& request, ImpulseResult& result, uint64_t serial);
    void ShowImpulseField(const std::string& text);
    // A message for the window thread's next tick (OnIdleHook).
    void QueueMessage(const std::string& text);

    // Tagged records after the state (StateRecordTable.cpp): each writes its payload (none
    // written: no record) or reads it (position -1: the chunk holds no such record).
    struct StateRecordKind {
        uint32_t tag;
        void (VulpanePlugin::*write)(StateChunk& payload);
        void (VulpanePlugin::*read)(const StateChunk& chunk, int position, int length);
    };
    static std::vector<StateRecordKind> StateRecordKinds();
    void ShowOversampling();
    void WriteOversampling(StateChunk& payload);
    void ReadOversampling(const StateChunk& chunk, int position, int length);
    intptr_t VendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) override;
    void WriteCarriedImpulse(StateChunk& payload);
    void ReadCarriedImpulse(const StateChunk& chunk, int position, int length);

    // Preset browser (PresetBrowser.cpp).
    void ScanBanks();
    void ScanPresets();
    bool LoadPresetFile();
    // Reads a preset file and applies it; the browser's pick and a host's request end here.
    bool ApplyPresetFile(const std::string& path, const std::string& name);
    void ChangePresetBrowser(int index, double v);
    // Moves kPresetPosition and, when that changed nothing, loads the pending preset itself.
    void SelectPresetPosition(double v);
    void SelectProgram(int program);
    void ShowBrowser(bool shown);
    void FillPresetRows();
    void FillBankRows();
    void ShowPresetError(const std::string& text);

    SignalChain chain;
    IEditorGraphics* graphics = nullptr;
    EditorControls controls;
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
    // The impulse the state names and carries, and the stored path it belongs to.
    std::shared_ptr<const ImpulseSource> impulseSource;
    std::string impulseSourcePath;
    double impulseInstalledRate = 0.0;
    std::shared_ptr<const ImpulseRequest> impulseRequest; // the load on its way, if any
    int requestedIndex = -1;                              // the listing entry it brings
    std::mutex messageMutex;
    std::string pendingMessage;

    std::string banksFolder;
    std::string bankFolder;
    std::vector<std::string> bankNames;
    std::vector<PresetEntry> presets;
    std::string presetTexts[5];
    std::string presetError;
    int currentPreset = 0;
    int firstPresetRow = 0;
    int firstBankRow = 0;
    bool loadPending = false;
    bool browserShown = false;

    ImpulseLoader impulseLoader;
};
