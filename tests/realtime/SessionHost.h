#pragma once

#include "VstAbi.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

// The built plug-in binary loaded as a host loads it (dlopen + VSTPluginMain), with a host
// callback that may be called from any thread and never allocates: automation goes into a log
// reserved up front. One instance per program.
class SessionHost {
public:
    struct Automate {
        int index;
        float value;
    };

    ~SessionHost();
    bool Load(const std::string& path, std::string& error);
    AEffect* Effect() const { return effect; }
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void Start(double rate, int block);
    void Stop();

    std::vector<char> GetChunk(bool program);
    bool SetChunk(bool program, const std::vector<char>& bytes);
    void Press(int index); // a button pressed and released, as a host lane or a click does

    // The automation the plug-in sent since the last Clear, in order (at most kLogCapacity kept).
    static constexpr size_t kLogCapacity = 1 << 20;
    size_t Logged() const;
    const Automate& LoggedAt(size_t i) const { return log[i]; }
    void ClearLog() { logged.store(0); }
    // How often the plug-in asked for the process level (it does while a load is on its way).
    long long ProcessLevelAsks() const { return processLevelAsks.load(std::memory_order_relaxed); }

    // Marks the calling thread as the host's audio thread (answered as the real-time level).
    static void MarkAudioThread(bool audio);

    double rate = 48000.0;
    int block = 64;

private:
    static intptr_t VST_CALL Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                      void* ptr, float opt);
    void* library = nullptr;
    AEffect* effect = nullptr;
    bool started = false;
    std::vector<Automate> log = std::vector<Automate>(kLogCapacity);
    std::atomic<size_t> logged{0};
    std::atomic<long long> processLevelAsks{0};
};
