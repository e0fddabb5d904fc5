#pragma once

#include "VstAbi.h"

#include <memory>
#include <string>
#include <vector>

// A VST2 plug-in loaded from its binary, with the host side of the callback:
// it answers the plug-in's questions and records what the plug-in tells the host.
class HostedPlugin {
public:
    struct Automation {
        int index;
        float value;
    };
    struct Recorded {
        std::vector<Automation> automation;
        std::vector<int> beginEdits;
        std::vector<int> endEdits;
        std::vector<std::vector<char>> events; // raw event records sent back by the plug-in
        int wantMidiCalls = 0;
        int timeRequests = 0;
        int productStringRequests = 0;
        int vendorVersionRequests = 0;
        int processLevelRequests = 0;
    };

    // Loads the binary and calls its entry point; null with a message on failure.
    static std::unique_ptr<HostedPlugin> Load(const std::string& path, std::string& error);
    using EntryPoint = AEffect*(VST_CALL*)(audioMasterCallback);
    // Hosts a plug-in compiled into this program, through its entry function.
    static std::unique_ptr<HostedPlugin> FromEntry(EntryPoint entry, std::string& error);
    ~HostedPlugin();
    HostedPlugin(const HostedPlugin&) = delete;
    HostedPlugin& operator=(const HostedPlugin&) = delete;

    AEffect* Effect() const { return effect; }
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);

    // The usual start-up sequence: rate, block size, open, switch on.
    void Start(double sampleRate, int blockSize);
    void Stop();

    std::string ParamName(int index);
    std::string ParamLabel(int index);
    std::string ParamDisplay(int index);
    // The display the parameter would show at a normalised value, leaving it where it is
    // when the plug-in has the Cockos formatting extension.
    std::string ParamDisplayAt(int index, float value);
    // The plug-in's own identifier of the parameter ("kMasterVolume"), or "" (kVendorParamIdentifier).
    std::string ParamIdentifier(int index);
    std::string ProgramName(int index);
    std::string EffectName();
    std::string VendorString();
    std::string ProductString();
    float GetParameter(int index);
    void SetParameter(int index, float value);
    intptr_t CanDo(const char* capability);

    void ProcessFloat(float** inputs, float** outputs, int frames);
    void ProcessDouble(double** inputs, double** outputs, int frames);
    void ProcessAccumulating(float** inputs, float** outputs, int frames);
    // An empty block: a plug-in that waits for its background loads in offline blocks has them
    // in place afterwards.
    void Settle();

    // Chunk exchange: index 0 bank, 1 program.
    std::vector<char> GetChunk(bool program);
    intptr_t SetChunk(bool program, const std::vector<char>& bytes);

    // What the host answers.
    std::string productString = "Vulpane Host";
    std::string vendorString = "kestrovanic";
    int vendorVersion = 10000;
    bool answerTimeInfo = true;
    // The answer to audioMasterGetCurrentProcessLevel: this host renders offline unless told.
    int32_t processLevel = kVstProcessLevelOffline;
    VstTimeInfo timeInfo{};
    double sampleRate = 44100.0;
    int blockSize = 1024;

    // Whether the callback records what the plug-in tells the host. A live host turns it off:
    // the plug-in may call back from the audio thread, where recording would allocate.
    bool record = true;
    Recorded recorded;

private:
    HostedPlugin() = default;
    static intptr_t VST_CALL Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                      float opt);
    intptr_t Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    bool Construct(EntryPoint entry, const std::string& what, std::string& error);

    void* library = nullptr;
    AEffect* effect = nullptr;
    bool started = false;
};
