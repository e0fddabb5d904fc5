#pragma once

#include "DeferredEvents.h"
#include "IPluginBase.h"
#include "VstAbi.h"

#include <atomic>
#include <thread>

// Adapts the plug-in base to the VST 2.4 interface: owns the effect record the
// host sees, answers the dispatcher and talks to the host through its callback.
class IVstAdapter : public IPluginBase {
public:
    IVstAdapter(audioMasterCallback hostCallback, const IPluginConfig& config);
    ~IVstAdapter() override;

    AEffect* Effect() { return &effect; }
    static IVstAdapter* FromEffect(AEffect* effect);

    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    float GetParameterNormalized(int32_t index);
    void SetParameterNormalized(int32_t index, float value);
    template <class Sample> void Process(Sample** inputs, Sample** outputs, int32_t frames, bool accumulate);

    void ProcessMidi(const MidiMessage& message) override;
    void BeginEdit(int index) override;
    void AutomateHost(int index, double normalizedValue) override;
    void EndEdit(int index) override;
    int GetSamplePosition() override;
    double GetTempo() override;
    void GetTimeSignature(int& outNumerator, int& outDenominator) override;
    void GetTransport(TransportInfo& out) override;
    int IdentifyHost() override;
    void ResizeEditor(int width, int height) override;
    void OnOpen() override;
    void AttachEditor(IEditorLink* newEditor) override;
    void SetLatency(int samples) override;
    bool SendMidi(const MidiMessage& message) override;
    bool SendMidiList(const std::vector<MidiMessage>& messages) override;

    // The bits of HostExtensions(): the capabilities the host asked about.
    enum HostExtension : int { kHasCockosExtensions = 1, kHasCockosViewAsConfig = 2 };
    int HostExtensions() const { return hostExtensions; }

protected:
    // effVendorSpecific calls the adapter does not answer itself (0: not handled).
    virtual intptr_t VendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) { return 0; }
    intptr_t CallHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    // Whether blocks are running: one began within the last 100 ms.
    bool BlocksRunning() const;
    // Whether the calling thread is the one that ran the last audio block.
    bool OnAudioThread() const {
        return audioThread.load(std::memory_order_relaxed) == std::this_thread::get_id();
    }

private:
    intptr_t GetChunk(int32_t index, void* ptr);
    intptr_t SetChunk(int32_t index, intptr_t size, const void* ptr);
    intptr_t ProcessEvents(const VstEvents* events);
    // The audio thread never waits for the plug-in lock: what it cannot apply at once waits in
    // `deferred` for the next holder of the lock (ApplyDeferred, called with the lock held).
    bool TryPluginLockBriefly();
    void ApplyDeferred();
    void ApplyParameter(int32_t index, double value);
    intptr_t DeferEvents(const VstEvents* events);
    intptr_t PinProperties(int32_t index, void* ptr, bool input);
    intptr_t ParameterProperties(int32_t index, void* ptr);
    intptr_t CanDo(const char* text);
    VstTimeInfo* GetTimeInfo(intptr_t flags);
    void SetEditorRect();
    void UpdateChannelCounts();

    ERect editorRect{};
    audioMasterCallback host;
    VstSpeakerArrangement inputArrangement{};
    VstSpeakerArrangement outputArrangement{};
    bool hostIdentified = false;
    bool receivesMidi = false;
    int hostExtensions = 0;
    int settling = 0; // > 0 while an opcode runs whose parameter moves the host is not told of
    StateChunk programChunk;
    StateChunk bankChunk;
    AEffect effect{};
    std::atomic<std::thread::id> audioThread{};
    std::atomic<int64_t> lastBlockMicros{0}; // steady-clock time the last block began (0: none yet)
    DeferredEvents deferred;
};
