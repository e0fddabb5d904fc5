#pragma once

#include "VstAbi.h"

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class HostedPlugin;

// What the status strip shows, read from the engine's atomics and JACK on the main thread.
struct LiveStatus {
    double rate = 0.0;
    int period = 0;
    int pluginLatency = 0;  // frames the plug-in reports (initialDelay)
    int jackLatency = 0;    // capture latency of the inputs plus playback latency of the outputs
    float dspLoad = 0.0f;   // percent, as JACK computes it
    uint32_t xruns = 0;
    float inputPeak = 0.0f; // the highest input sample since the last reading
    bool clipped = false;   // an input sample reached full scale since the clip lamp was reset
};

// Where the ports go; names as jack_lsp prints them.
struct Connections {
    bool defaults = true;              // the first physical capture and playback ports
    int inputs = 0;                    // the inputs a capture port feeds: 1, 2 or 0 for both
    std::string captureIn;             // instead of the first physical capture port
    std::vector<std::string> playback; // instead of the first two physical playback ports
    std::string midiIn;
};

// A JACK client around the hosted plug-in: two audio inputs, two audio outputs and one MIDI input.
// Its process callback feeds the block's MIDI events to the plug-in (effProcessEvents, with their
// frame offsets) and then processes the block (processReplacing); it allocates, locks, logs and
// waits for nothing, and keeps its meters in atomics. A new period or rate from the server is
// applied to the plug-in by Service on the main thread, with the plug-in switched off meanwhile.
class LiveEngine {
public:
    explicit LiveEngine(HostedPlugin& plugin) : plugin(plugin) {}
    ~LiveEngine() { Close(); }
    LiveEngine(const LiveEngine&) = delete;
    LiveEngine& operator=(const LiveEngine&) = delete;

    // Joins a running server (never starts one) and registers the ports.
    bool Open(const std::string& clientName, std::string& error);
    double SampleRate() const;
    int Period() const;
    // Starts the JACK callbacks; the plug-in must have been started at SampleRate and Period.
    bool Activate(std::string& error);
    // An unknown port name is an error naming the ports there are.
    bool Connect(const Connections& connections, std::string& error);
    // On the main thread, often: re-initialises the plug-in after a period or rate change and
    // tells JACK when the plug-in's latency changed.
    void Service();
    bool ServerGone() const { return serverGone.load(); }
    std::string ShutdownReason() const;
    LiveStatus ReadStatus();
    void ResetClip() { clipped.store(false); }
    std::string ClientName() const;
    void Close();

private:
    static constexpr int kMaxEvents = 512;
    struct EventList { // the layout of VstEvents with room for kMaxEvents
        int32_t numEvents;
        intptr_t reserved;
        VstEvent* events[kMaxEvents];
    };

    static int ProcessCallback(jack_nframes_t frames, void* self);
    static int BufferSizeCallback(jack_nframes_t frames, void* self);
    static int SampleRateCallback(jack_nframes_t rate, void* self);
    static int XrunCallback(void* self);
    static void LatencyCallback(jack_latency_callback_mode_t mode, void* self);
    static void ShutdownCallback(jack_status_t code, const char* reason, void* self);
    int Process(jack_nframes_t frames);
    void FeedMidi(jack_nframes_t frames);
    void Reinitialise(double rate, int period);
    bool ConnectPorts(const std::string& from, const std::string& to, std::string& error);
    std::string PortList(unsigned long flags, const char* type) const;

    HostedPlugin& plugin;
    jack_client_t* client = nullptr;
    jack_port_t* inputs[2] = {};
    jack_port_t* outputs[2] = {};
    jack_port_t* midiInput = nullptr;
    bool active = false;
    EventList eventList{};
    VstMidiEvent midiEvents[kMaxEvents]{};

    // The process callback calls the plug-in only while `ready`; Service clears it and waits
    // until no callback is `busy` before it touches the plug-in.
    std::atomic<bool> ready{false};
    std::atomic<bool> busy{false};
    std::atomic<int> preparedPeriod{0};
    std::atomic<bool> formatChanged{false};
    std::atomic<uint32_t> xruns{0};
    std::atomic<float> inputPeak{0.0f};
    std::atomic<bool> clipped{false};
    std::atomic<bool> serverGone{false};
    char shutdownReason[256] = {};
    double preparedRate = 0.0;
    int reportedLatency = 0;
};
