#include "LiveEngine.h"

#include "HostedPlugin.h"

#include <jack/midiport.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {
const char* const kInputNames[2] = {"in_1", "in_2"};
const char* const kOutputNames[2] = {"out_1", "out_2"};

void Quiet(const char*) {}
void ToStderr(const char* message) { std::fprintf(stderr, "vulpane: JACK: %s\n", message); }

std::string FullName(jack_port_t* port) { return port ? jack_port_name(port) : ""; }

// The first `count` ports JACK lists for the flags, or fewer.
std::vector<std::string> Ports(jack_client_t* client, const char* type, unsigned long flags, size_t count) {
    std::vector<std::string> names;
    const char** ports = jack_get_ports(client, nullptr, type, flags);
    for (size_t i = 0; ports && ports[i] && names.size() < count; ++i) names.push_back(ports[i]);
    if (ports) jack_free(ports);
    return names;
}
} // namespace

bool LiveEngine::Open(const std::string& clientName, std::string& error) {
    jack_status_t status{};
    // The library's own lines about a missing server would bury the one this program prints.
    jack_set_error_function(Quiet);
    jack_set_info_function(Quiet);
    client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    jack_set_error_function(ToStderr);
    if (!client) {
        if (status & JackServerFailed)
            error = "no JACK server is running; start one first, e.g. `jackd -d alsa` (or `jackd -d alsa -d hw:1` "
                    "for a second card), QjackCtl, or PipeWire with its JACK support (pipewire-jack)";
        else if (status & JackNameNotUnique)
            error = "a JACK client named " + clientName + " already exists; pick another with --name";
        else
            error = "could not open a JACK client (status 0x" + [&] {
                char hex[16];
                std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(status));
                return std::string(hex);
            }() + ")";
        return false;
    }
    for (int c = 0; c < 2; ++c) {
        inputs[c] = jack_port_register(client, kInputNames[c], JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        outputs[c] = jack_port_register(client, kOutputNames[c], JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    }
    midiInput = jack_port_register(client, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (!inputs[0] || !inputs[1] || !outputs[0] || !outputs[1] || !midiInput) {
        error = "JACK refused to register the ports";
        Close();
        return false;
    }
    for (int i = 0; i < kMaxEvents; ++i) {
        midiEvents[i].type = kVstMidiType;
        midiEvents[i].byteSize = sizeof(VstMidiEvent);
        eventList.events[i] = reinterpret_cast<VstEvent*>(&midiEvents[i]);
    }
    jack_set_process_callback(client, &LiveEngine::ProcessCallback, this);
    jack_set_buffer_size_callback(client, &LiveEngine::BufferSizeCallback, this);
    jack_set_sample_rate_callback(client, &LiveEngine::SampleRateCallback, this);
    jack_set_xrun_callback(client, &LiveEngine::XrunCallback, this);
    jack_set_latency_callback(client, &LiveEngine::LatencyCallback, this);
    jack_on_info_shutdown(client, &LiveEngine::ShutdownCallback, this);
    return true;
}

double LiveEngine::SampleRate() const { return client ? static_cast<double>(jack_get_sample_rate(client)) : 0.0; }
int LiveEngine::Period() const { return client ? static_cast<int>(jack_get_buffer_size(client)) : 0; }
std::string LiveEngine::ClientName() const { return client ? jack_get_client_name(client) : ""; }

bool LiveEngine::Activate(std::string& error) {
    preparedRate = SampleRate();
    preparedPeriod.store(Period());
    reportedLatency = plugin.Effect()->initialDelay;
    ready.store(true);
    if (jack_activate(client) != 0) {
        error = "JACK refused to activate the client";
        return false;
    }
    active = true;
    return true;
}

int LiveEngine::ProcessCallback(jack_nframes_t frames, void* self) {
    return static_cast<LiveEngine*>(self)->Process(frames);
}

int LiveEngine::Process(jack_nframes_t frames) {
    busy.store(true);
    float* in[2];
    float* out[2];
    for (int c = 0; c < 2; ++c) {
        in[c] = static_cast<float*>(jack_port_get_buffer(inputs[c], frames));
        out[c] = static_cast<float*>(jack_port_get_buffer(outputs[c], frames));
    }
    if (!ready.load() || static_cast<int>(frames) > preparedPeriod.load()) {
        // Between a format change and the plug-in's re-initialisation: silence.
        for (float* o : out) std::memset(o, 0, sizeof(float) * frames);
        busy.store(false);
        return 0;
    }
    FeedMidi(frames);
    float peak = 0.0f;
    for (const float* i : in)
        for (jack_nframes_t n = 0; n < frames; ++n) peak = std::fmax(peak, std::fabs(i[n]));
    if (peak > inputPeak.load(std::memory_order_relaxed)) inputPeak.store(peak, std::memory_order_relaxed);
    if (peak >= 1.0f) clipped.store(true, std::memory_order_relaxed);
    plugin.ProcessFloat(in, out, static_cast<int>(frames));
    busy.store(false);
    return 0;
}

void LiveEngine::FeedMidi(jack_nframes_t frames) {
    void* buffer = jack_port_get_buffer(midiInput, frames);
    const uint32_t count = jack_midi_get_event_count(buffer);
    int32_t used = 0;
    for (uint32_t i = 0; i < count && used < kMaxEvents; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0) continue;
        // Channel messages only (2 or 3 bytes); system messages and running status are dropped.
        if (event.size < 2 || event.size > 3 || event.buffer[0] < 0x80 || event.buffer[0] >= 0xF0) continue;
        VstMidiEvent& midi = midiEvents[used];
        midi.deltaFrames = static_cast<int32_t>(event.time);
        std::memset(midi.midiData, 0, sizeof midi.midiData);
        std::memcpy(midi.midiData, event.buffer, event.size);
        ++used;
    }
    if (used == 0) return;
    eventList.numEvents = used;
    plugin.Dispatch(effProcessEvents, 0, 0, &eventList);
}

int LiveEngine::BufferSizeCallback(jack_nframes_t frames, void* self) {
    auto* engine = static_cast<LiveEngine*>(self);
    if (static_cast<int>(frames) != engine->preparedPeriod.load()) engine->formatChanged.store(true);
    return 0;
}

int LiveEngine::SampleRateCallback(jack_nframes_t, void* self) {
    static_cast<LiveEngine*>(self)->formatChanged.store(true);
    return 0;
}

int LiveEngine::XrunCallback(void* self) {
    static_cast<LiveEngine*>(self)->xruns.fetch_add(1);
    return 0;
}

void LiveEngine::LatencyCallback(jack_latency_callback_mode_t mode, void* self) {
    // The plug-in's delay adds to every path through it.
    auto* engine = static_cast<LiveEngine*>(self);
    const jack_nframes_t delay = static_cast<jack_nframes_t>(std::max(engine->plugin.Effect()->initialDelay, 0));
    jack_port_t* const* from = mode == JackCaptureLatency ? engine->inputs : engine->outputs;
    jack_port_t* const* to = mode == JackCaptureLatency ? engine->outputs : engine->inputs;
    jack_latency_range_t range{0, 0}, port;
    for (int c = 0; c < 2; ++c) {
        jack_port_get_latency_range(from[c], mode, &port);
        range.min = c == 0 ? port.min : std::min(range.min, port.min);
        range.max = std::max(range.max, port.max);
    }
    range.min += delay;
    range.max += delay;
    for (int c = 0; c < 2; ++c) jack_port_set_latency_range(to[c], mode, &range);
}

void LiveEngine::ShutdownCallback(jack_status_t, const char* reason, void* self) {
    // Runs like a signal handler: copies the reason and raises the flag, nothing more.
    auto* engine = static_cast<LiveEngine*>(self);
    if (reason) std::strncpy(engine->shutdownReason, reason, sizeof(engine->shutdownReason) - 1);
    engine->serverGone.store(true);
}

std::string LiveEngine::ShutdownReason() const {
    return shutdownReason[0] ? shutdownReason : "the JACK server went away";
}

void LiveEngine::Service() {
    if (!active || serverGone.load()) return;
    if (formatChanged.exchange(false)) {
        const double rate = SampleRate();
        const int period = Period();
        if (rate != preparedRate || period != preparedPeriod.load()) Reinitialise(rate, period);
    }
    const int latency = plugin.Effect()->initialDelay;
    if (latency != reportedLatency) {
        reportedLatency = latency;
        jack_recompute_total_latencies(client);
    }
}

void LiveEngine::Reinitialise(double rate, int period) {
    ready.store(false);
    while (busy.load()) std::this_thread::sleep_for(std::chrono::microseconds(200));
    plugin.Dispatch(effStopProcess);
    plugin.Dispatch(effMainsChanged, 0, 0);
    plugin.sampleRate = rate;
    plugin.blockSize = period;
    plugin.timeInfo.sampleRate = rate;
    plugin.Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    plugin.Dispatch(effSetBlockSize, 0, period);
    plugin.Dispatch(effMainsChanged, 0, 1);
    plugin.Dispatch(effStartProcess);
    preparedRate = rate;
    preparedPeriod.store(period);
    ready.store(true);
}

std::string LiveEngine::PortList(unsigned long flags, const char* type) const {
    std::string list;
    for (const std::string& name : Ports(client, type, flags, 256)) list += (list.empty() ? "" : ", ") + name;
    return list.empty() ? "(none)" : list;
}

bool LiveEngine::ConnectPorts(const std::string& from, const std::string& to, std::string& error) {
    const int result = jack_connect(client, from.c_str(), to.c_str());
    if (result == 0 || result == EEXIST) return true;
    error = "JACK could not connect " + from + " to " + to;
    return false;
}

bool LiveEngine::Connect(const Connections& connections, std::string& error) {
    // Every named port must exist, and go the right way.
    auto check = [&](const std::string& name, unsigned long flag, const char* type, const char* what) {
        jack_port_t* port = jack_port_by_name(client, name.c_str());
        if (port && (jack_port_flags(port) & flag) && std::strcmp(jack_port_type(port), type) == 0) return true;
        error = "there is no JACK " + std::string(what) + " port named \"" + name + "\"; the ports there are: " +
                PortList(flag, type);
        return false;
    };
    for (const std::string& name : connections.playback)
        if (!check(name, JackPortIsInput, JACK_DEFAULT_AUDIO_TYPE, "audio playback")) return false;
    if (!connections.captureIn.empty() &&
        !check(connections.captureIn, JackPortIsOutput, JACK_DEFAULT_AUDIO_TYPE, "audio capture"))
        return false;
    if (!connections.midiIn.empty() && !check(connections.midiIn, JackPortIsOutput, JACK_DEFAULT_MIDI_TYPE, "MIDI"))
        return false;

    std::string capture = connections.captureIn;
    if (capture.empty() && connections.defaults) {
        const std::vector<std::string> physical =
            Ports(client, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsOutput, 1);
        if (!physical.empty()) capture = physical[0];
    }
    std::vector<std::string> playback = connections.playback;
    if (playback.empty() && connections.defaults)
        playback = Ports(client, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsInput, 2);
    if (!capture.empty())
        for (int c = 0; c < 2; ++c)
            if ((connections.inputs == 0 || connections.inputs == c + 1) &&
                !ConnectPorts(capture, FullName(inputs[c]), error))
                return false;
    for (size_t c = 0; c < playback.size() && c < 2; ++c)
        if (!ConnectPorts(FullName(outputs[c]), playback[c], error)) return false;
    if (!connections.midiIn.empty() && !ConnectPorts(connections.midiIn, FullName(midiInput), error)) return false;
    return true;
}

LiveStatus LiveEngine::ReadStatus() {
    LiveStatus status;
    if (!client) return status;
    status.rate = preparedRate;
    status.period = preparedPeriod.load();
    status.pluginLatency = plugin.Effect()->initialDelay;
    if (!serverGone.load()) {
        jack_latency_range_t capture{0, 0}, playback{0, 0};
        jack_port_get_latency_range(inputs[0], JackCaptureLatency, &capture);
        jack_port_get_latency_range(outputs[0], JackPlaybackLatency, &playback);
        status.jackLatency = static_cast<int>(capture.max + playback.max);
        status.dspLoad = jack_cpu_load(client);
    }
    status.xruns = xruns.load();
    status.inputPeak = inputPeak.exchange(0.0f);
    status.clipped = clipped.load();
    return status;
}

void LiveEngine::Close() {
    if (!client) return;
    if (active && !serverGone.load()) jack_deactivate(client);
    active = false;
    ready.store(false);
    jack_client_close(client);
    client = nullptr;
}
