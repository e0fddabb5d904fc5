#pragma once

#include "ControlMirror.h"
#include "HostIds.h"
#include "IEditorLink.h"
#include "IParameter.h"
#include "Lock.h"
#include "ProgramSlot.h"
#include "StateChunk.h"
#include "StateRecords.h"

#include <cstdint>
#include <vector>

using PluginLock = RecursiveLock;

// One MIDI message: delta frames within the block, status and two data bytes.
struct MidiMessage {
    int offset = 0;
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

struct TransportInfo {
    double samplePosition = -1.0;
    double musicalPosition = -1.0;
    double tempo = 120.0;
    double barStart = -1.0;
    double cycleStart = -1.0;
    double cycleEnd = -1.0;
    int numerator = 4;
    int denominator = 4;
    bool playing = false;
    bool cycleActive = false;
};

// What a host may be told of a parameter beyond its value and texts.
struct ParameterTraits {
    bool isSwitch = false;  // two states, shown as a toggle
    bool isInteger = false; // whole numbers minimum..maximum by step (a list of choices)
    int minimum = 0;
    int maximum = 0;
    int step = 1;
    char shortLabel[8] = {};        // a short name for small displays ("" for none)
    const char* category = nullptr; // the group of adjacent parameters it belongs to (null: none)
    int categoryIndex = 0;          // 1, 2, ... for the groups in index order
    int categorySize = 0;           // how many parameters the group has
};

struct IPluginConfig {
    int paramCount;
    const char* channelConfig;
    int programCount;
    const char* effectName;
    const char* productName;
    const char* vendorName;
    int version;
    int32_t uniqueId;
    int32_t manufacturerId;
    int latency;
    bool receivesMidi;
    bool stateInChunks;
    bool isInstrument;
};

// The host-independent half of the plug-in: parameters, programs, channels and
// their buffers, identity, and the plug-in's lock. Host formats derive from it.
class IPluginBase {
public:
    struct ChannelConfig {
        int inputs;
        int outputs;
    };

    explicit IPluginBase(const IPluginConfig& config);
    virtual ~IPluginBase();
    IPluginBase(const IPluginBase&) = delete;
    IPluginBase& operator=(const IPluginBase&) = delete;

    IParameter* ParamAt(int index);
    const IParameter* ParamAt(int index) const;
    int ParamCount() const { return static_cast<int>(params.size()); }

    void SetParameterFromGUI(int index, double normalizedValue);
    // A control's own value (a click, a drag, typed text) sent to its parameter: as
    // SetParameterFromGUI, and the mirror learns what the control holds.
    void SetParameterFromControl(const void* control, int index, double normalizedValue);
    // Moves the controls bound to a parameter as a user would, each one whose value differs
    // sending it (as SetParameterFromGUI), and leaves the value for the editor to show on its
    // next idle; no control is touched here. False when no control is bound to the parameter.
    bool MoveBoundControls(int index, double normalizedValue);
    // What the editor's bound controls hold (empty until the editor binds it).
    ControlMirror& Mirror() { return controlMirror; }
    const ControlMirror& Mirror() const { return controlMirror; }
    void SetHost(const char* hostProductName, int hostVersion);
    bool LegalIO(int inputs, int outputs) const;
    int GetPluginVersion(bool decimal) const;
    void SetSampleRate(double rate) { sampleRate = rate; }
    double GetSampleRate() const { return sampleRate; }
    int GetBlockSize() const { return blockSize; }
    int HostId() const { return hostId; }
    int HostVersion() const { return hostVersion; }
    int InputCount() const { return static_cast<int>(inputChannels.size()); }
    int OutputCount() const { return static_cast<int>(outputChannels.size()); }
    bool IsInputConnected(int index) const;
    bool IsOutputConnected(int index) const;
    const char* EffectName() const { return effectName; }
    const char* ProductName() const { return productName; }
    const char* VendorName() const { return vendorName; }
    int32_t UniqueId() const { return uniqueId; }
    int Latency() const { return latency; }
    bool StateInChunks() const { return stateInChunks; }
    bool IsInstrument() const { return isInstrument; }
    IEditorLink* Editor() const { return editor; }
    PluginLock& Lock() { return pluginLock; }
    // Held by the audio thread for a block, and by other threads only while no blocks run (a new
    // rate or block size, a change made while the host is stopped), never for slow work.
    RecursiveLock& AudioLock() { return audioLock; }

    void PushParamsToEditor();
    void SetInputConnections(int first, int count, bool connected);
    void SetOutputConnections(int first, int count, bool connected);
    void BindInputs(int first, int count, double** buffers);
    void BindInputs(int first, int count, float** buffers, int frames);
    void BindOutputs(int first, int count, double** buffers);
    void BindOutputs(int first, int count, float** buffers);
    void RunProcessDouble(int frames);
    void RunProcessFloatReplacing(int frames);
    void RunProcessFloatAccumulating(int frames);

    // Parameters and programs held as state chunks.
    bool SerializeParams(StateChunk& chunk);
    int UnserializeParams(const StateChunk& chunk, int position);
    int ProgramCount() const { return static_cast<int>(programs.size()); }
    int CurrentProgram() const { return currentProgram; }
    const char* GetProgramName(int index) const;
    void MakeDefaultPrograms(const char* name, int count);
    void EnsureProgram();
    void StoreCurrentProgram(const char* name);
    bool RecallProgram(int index);
    void MakeUserProgramName(char* outName, int size) const;

    // Virtual slots, in this order.
    virtual void Reset();
    virtual void ParameterChanged(int index);
    virtual void ProcessBlock(double** inputs, double** outputs, int frames);
    virtual void OnEditorOpen() {}
    virtual void OnEditorClose() {}
    virtual void OnIdleHook() {}
    virtual void OnActivate(bool active);
    virtual void ProcessMidi(const MidiMessage& message) = 0;
    virtual bool GetMidiNoteName(int note, char* outText);
    // The identifier the plug-in's source gives a parameter, into outText (32 bytes); false
    // when it has none.
    virtual bool GetParameterIdentifier(int, char*) const { return false; }
    // Reads and applies a preset file of the plug-in's own format; false when it cannot.
    virtual bool ReadPresetFile(const char*) { return false; }
    // What a host shows of a parameter: the text of value v (the parameter's own value, not
    // normalised; outText holds 32 bytes) and the unit label (32 bytes). The defaults are the
    // parameter's own text and label.
    virtual void FormatParameterText(int index, double v, char* outText) const;
    virtual void FormatParameterLabel(int index, char* outText) const;
    // The normalised value a text a host or user typed stands for; false when it means none.
    virtual bool ParameterFromText(int index, const char* text, double& outNormalized) const;
    // Switch, list and grouping of a parameter for the host; false when there is nothing to say.
    virtual bool DescribeParameter(int, ParameterTraits&) const { return false; }
    // Whether a host may automate the parameter (false for an index that holds nothing).
    virtual bool IsAutomatable(int index) const { return ParamAt(index) != nullptr; }
    // Work prepared off the audio path that the coming blocks are to hear (an impulse on its
    // way). LoadsPending is asked on the audio thread and must not block; WaitForLoads blocks
    // until that work is in place and is called without the plug-in lock, by offline renders only.
    virtual bool LoadsPending() const { return false; }
    virtual void WaitForLoads() {}
    virtual bool SerializeState(StateChunk& chunk);
    virtual int UnserializeState(const StateChunk& chunk, int position);
    virtual void WriteProgramFromArgs(StateChunk& chunk, const double* values);
    virtual void BeginEdit(int index) = 0;
    virtual void AutomateHost(int index, double normalizedValue) = 0;
    virtual void EndEdit(int index) = 0;
    virtual int GetSamplePosition() = 0;
    virtual double GetTempo() = 0;
    virtual void GetTimeSignature(int& outNumerator, int& outDenominator) = 0;
    virtual void GetTransport(TransportInfo& out) = 0;
    virtual int IdentifyHost();
    virtual void ResizeEditor(int width, int height) = 0;
    virtual void OnIntHook(int) {}
    virtual void OnOpen() = 0;
    virtual void AttachEditor(IEditorLink* newEditor);
    virtual void SetBlockSize(int frames);
    virtual void SetLatency(int samples) { latency = samples; }
    virtual bool SendMidi(const MidiMessage& message) = 0;
    virtual bool SendMidiList(const std::vector<MidiMessage>& messages) = 0;
    virtual void WriteProgramFromNamedArgs(StateChunk& chunk, int count, const int* indices,
                                           const double* values);
    virtual bool SerializePrograms(StateChunk& chunk);
    virtual int UnserializePrograms(const StateChunk& chunk, int position);
    // Tagged records written after the state of a chunk handed to the host (none here), and the
    // records found after the state of a chunk received (empty when it has none).
    virtual void SerializeStateRecords(StateRecordWriter& writer);
    virtual void UnserializeStateRecords(const StateChunk& chunk,
                                         const std::vector<StateRecordSpan>& records);

protected:
    struct InputChannel {
        bool connected = false;
        double** slot = nullptr;
        std::vector<double> scratch;
    };
    struct OutputChannel {
        bool connected = false;
        double** slot = nullptr;
        float* floatDestination = nullptr;
        std::vector<double> scratch;
    };

    void WriteFloatOutputs(int frames, bool accumulate);
    // Used by host adapters that must re-shape the channels for a host.
    void ConfigureChannels(int inputs, int outputs);

    std::vector<IParameter> params;
    std::vector<ProgramSlot> programs;
    std::vector<ChannelConfig> channelConfigs;
    char effectName[128] = {};
    char productName[128] = {};
    char vendorName[128] = {};
    int32_t uniqueId = 0;
    int32_t manufacturerId = 0;
    int pluginVersion = 0;
    int hostId = kHostNotIdentified;
    int hostVersion = 0;
    bool stateInChunks = false;
    bool isInstrument = false;
    double sampleRate = 44100.0;
    int blockSize = 0;
    int latency = 0;
    IEditorLink* editor = nullptr;
    int currentProgram = 0;
    std::vector<double*> inputData;
    std::vector<double*> outputData;
    std::vector<InputChannel> inputChannels;
    std::vector<OutputChannel> outputChannels;
    PluginLock pluginLock;
    RecursiveLock audioLock{true};
    ControlMirror controlMirror; // changed under pluginLock
};
