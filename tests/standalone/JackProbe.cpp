// jack-probe: the other end of the standalone program's tests, a JACK client of its own.
//   jack-probe signal OUT.wav            a known 5-s test signal (0.75 s of silence, then a riff)
//   jack-probe impulse OUT.wav           a short decaying impulse response
//   jack-probe state IN.chunk IMPULSE OUT  IN with the impulse named and the convolution on
//   jack-probe play CLIENT IN.wav OUT.wav  plays IN into CLIENT:in_1 and in_2 and records CLIENT:out_1
//                                          and out_2, aligned by the latency CLIENT reports on them
//   jack-probe midi CLIENT BYTE...        sends one MIDI message (hex bytes) to CLIENT:midi_in
#include "AudioFile.h"
#include "PresetFile.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {
constexpr double kRate = 48000.0;
constexpr uint64_t kNotYet = UINT64_MAX;

int Fail(const std::string& message) {
    std::fprintf(stderr, "jack-probe: %s\n", message.c_str());
    return 1;
}

void Sleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// The silent lead is longer than the plug-in's silence detector needs (0.5 s) to switch its
// processing off, so the riff wakes it from the same state offline and live, however long the
// live program idled before.
int MakeSignal(const std::string& out) {
    const AudioBuffer riff = MakeDemoPhrase(kRate);
    AudioBuffer signal;
    signal.sampleRate = kRate;
    const size_t lead = static_cast<size_t>(kRate * 3 / 4), frames = static_cast<size_t>(5 * kRate);
    signal.channels.assign(1, std::vector<double>(frames, 0.0));
    for (size_t i = lead; i < frames; ++i)
        signal.channels[0][i] = static_cast<double>(static_cast<float>(riff.channels[0][(i - lead) % riff.Frames()]));
    std::string error;
    return WriteWavFile(out, signal, 32, error) ? 0 : Fail(error);
}

int MakeImpulse(const std::string& out) {
    AudioBuffer impulse;
    impulse.sampleRate = kRate;
    impulse.channels.assign(1, std::vector<double>(2400));
    for (size_t i = 0; i < impulse.Frames(); ++i)
        impulse.channels[0][i] = std::exp(-double(i) / 300.0) * std::cos(0.37 * double(i)) * 0.8;
    std::string error;
    return WriteWavFile(out, impulse, 32, error) ? 0 : Fail(error);
}

// The state block: 'pfft', version, the impulse path (length, bytes), 162 doubles, records.
int MakeState(const std::string& in, const std::string& impulse, const std::string& out) {
    constexpr size_t kIrOn = 18;
    std::vector<char> bytes;
    std::string error;
    if (!ReadFileBytes(in, bytes, error)) return Fail(error);
    int32_t pathLength = 0;
    if (bytes.size() < 12) return Fail(in + " is no state");
    std::memcpy(&pathLength, bytes.data() + 8, 4);
    if (pathLength < 0 || bytes.size() < 12 + static_cast<size_t>(pathLength) + (kIrOn + 1) * 8)
        return Fail(in + " is no state");
    const int32_t length = static_cast<int32_t>(impulse.size());
    std::vector<char> state(bytes.size() - static_cast<size_t>(pathLength) + impulse.size());
    std::memcpy(state.data(), bytes.data(), 8);
    std::memcpy(state.data() + 8, &length, 4);
    std::memcpy(state.data() + 12, impulse.data(), impulse.size());
    std::memcpy(state.data() + 12 + length, bytes.data() + 12 + pathLength, bytes.size() - 12 - static_cast<size_t>(pathLength));
    const double on = 1.0;
    std::memcpy(state.data() + 12 + length + kIrOn * 8, &on, 8);
    return WriteFileBytes(out, state, error) ? 0 : Fail(error);
}

// Two clients in one graph: the feeder before the program, the recorder after it, so a frame
// fed in a cycle comes out of the program in the same cycle, delayed only by its latency.
struct Loop {
    jack_client_t* feeder = nullptr;
    jack_client_t* recorder = nullptr;
    jack_port_t* out = nullptr;
    jack_port_t* in[2] = {};
    std::vector<float> signal;
    std::vector<float> recorded[2];
    uint64_t latency = 0;
    std::atomic<bool> armed{false};
    std::atomic<uint64_t> start{kNotYet}; // the frame time the signal starts at, on a cycle boundary
    std::atomic<bool> done{false};
    std::atomic<uint32_t> xruns{0};

    static int Feed(jack_nframes_t frames, void* arg) {
        Loop& loop = *static_cast<Loop*>(arg);
        auto* out = static_cast<float*>(jack_port_get_buffer(loop.out, frames));
        const uint64_t now = jack_last_frame_time(loop.feeder);
        if (loop.armed.load() && loop.start.load() == kNotYet) loop.start.store(now + 4 * uint64_t(frames));
        const uint64_t start = loop.start.load();
        for (jack_nframes_t n = 0; n < frames; ++n) {
            const uint64_t t = now + n;
            out[n] = start != kNotYet && t >= start && t - start < loop.signal.size() ? loop.signal[t - start] : 0.0f;
        }
        return 0;
    }
    static int Record(jack_nframes_t frames, void* arg) {
        Loop& loop = *static_cast<Loop*>(arg);
        const uint64_t start = loop.start.load();
        if (start == kNotYet) return 0;
        const uint64_t now = jack_last_frame_time(loop.recorder);
        for (int c = 0; c < 2; ++c) {
            const auto* in = static_cast<const float*>(jack_port_get_buffer(loop.in[c], frames));
            for (jack_nframes_t n = 0; n < frames; ++n) {
                const uint64_t t = now + n;
                if (t < start + loop.latency) continue;
                const uint64_t index = t - start - loop.latency;
                if (index < loop.recorded[c].size()) loop.recorded[c][index] = in[n];
            }
        }
        if (now + frames >= start + loop.latency + loop.signal.size()) loop.done.store(true);
        return 0;
    }
    static int Xrun(void* arg) {
        static_cast<Loop*>(arg)->xruns.fetch_add(1);
        return 0;
    }
};

jack_client_t* OpenClient(const char* name) {
    jack_status_t status{};
    return jack_client_open(name, JackNoStartServer, &status);
}

bool Connect(jack_client_t* client, const std::string& from, const std::string& to) {
    const int result = jack_connect(client, from.c_str(), to.c_str());
    if (result != 0 && result != EEXIST) {
        std::fprintf(stderr, "jack-probe: cannot connect %s to %s\n", from.c_str(), to.c_str());
        return false;
    }
    return true;
}

int Play(const std::string& target, const std::string& inPath, const std::string& outPath) {
    AudioBuffer input;
    std::string error;
    if (!ReadAudioFile(inPath, input, error)) return Fail(error);
    Loop loop;
    for (double s : input.channels[0]) loop.signal.push_back(static_cast<float>(s));
    for (auto& r : loop.recorded) r.assign(loop.signal.size(), 0.0f);
    loop.feeder = OpenClient("probe-feed");
    loop.recorder = OpenClient("probe-record");
    if (!loop.feeder || !loop.recorder) return Fail("no JACK server");
    if (jack_get_sample_rate(loop.feeder) != input.sampleRate) return Fail("the server runs at another rate");
    loop.out = jack_port_register(loop.feeder, "out", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    loop.in[0] = jack_port_register(loop.recorder, "in_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    loop.in[1] = jack_port_register(loop.recorder, "in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(loop.feeder, &Loop::Feed, &loop);
    jack_set_process_callback(loop.recorder, &Loop::Record, &loop);
    jack_set_xrun_callback(loop.recorder, &Loop::Xrun, &loop);
    if (jack_activate(loop.feeder) || jack_activate(loop.recorder)) return Fail("cannot activate");
    const std::string feed = jack_port_name(loop.out);
    if (!Connect(loop.feeder, feed, target + ":in_1") || !Connect(loop.feeder, feed, target + ":in_2") ||
        !Connect(loop.recorder, target + ":out_1", jack_port_name(loop.in[0])) ||
        !Connect(loop.recorder, target + ":out_2", jack_port_name(loop.in[1])))
        return 1;
    Sleep(0.5);
    // The latency the program reports on its outputs: the plug-in's delay (nothing comes before it).
    jack_latency_range_t range{};
    jack_port_get_latency_range(jack_port_by_name(loop.recorder, (target + ":out_1").c_str()), JackCaptureLatency,
                                &range);
    loop.latency = range.max;
    const uint32_t xrunsBefore = loop.xruns.load();
    loop.armed.store(true);
    const double seconds = static_cast<double>(loop.signal.size()) / input.sampleRate;
    for (int i = 0; i < static_cast<int>((seconds + 10.0) * 100) && !loop.done.load(); ++i) Sleep(0.01);
    const uint32_t xruns = loop.xruns.load() - xrunsBefore;
    jack_client_close(loop.recorder);
    jack_client_close(loop.feeder);
    if (!loop.done.load()) return Fail("the recording did not finish");
    AudioBuffer output;
    output.sampleRate = input.sampleRate;
    for (const auto& r : loop.recorded) output.channels.emplace_back(r.begin(), r.end());
    if (!WriteWavFile(outPath, output, 32, error)) return Fail(error);
    std::printf("jack-probe: played %.2f s; latency %llu frames; %u xruns\n", seconds,
                static_cast<unsigned long long>(loop.latency), xruns);
    return 0;
}

struct Midi {
    jack_client_t* client = nullptr;
    jack_port_t* port = nullptr;
    std::vector<unsigned char> message;
    std::atomic<bool> armed{false}, sent{false};
    static int Process(jack_nframes_t frames, void* arg) {
        Midi& midi = *static_cast<Midi*>(arg);
        void* buffer = jack_port_get_buffer(midi.port, frames);
        jack_midi_clear_buffer(buffer);
        if (midi.armed.load() && !midi.sent.load()) {
            jack_midi_event_write(buffer, frames / 2, midi.message.data(), midi.message.size());
            midi.sent.store(true);
        }
        return 0;
    }
};

int SendMidi(const std::string& target, int count, char** bytes) {
    Midi midi;
    for (int i = 0; i < count; ++i) midi.message.push_back(static_cast<unsigned char>(std::strtoul(bytes[i], nullptr, 16)));
    midi.client = OpenClient("probe-midi");
    if (!midi.client) return Fail("no JACK server");
    midi.port = jack_port_register(midi.client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(midi.client, &Midi::Process, &midi);
    if (jack_activate(midi.client)) return Fail("cannot activate");
    if (!Connect(midi.client, jack_port_name(midi.port), target + ":midi_in")) return 1;
    Sleep(0.2);
    midi.armed.store(true);
    for (int i = 0; i < 200 && !midi.sent.load(); ++i) Sleep(0.01);
    Sleep(0.2); // a few more cycles for the program to take it in
    jack_client_close(midi.client);
    return midi.sent.load() ? 0 : Fail("the message was not sent");
}
} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "signal" && argc == 3) return MakeSignal(argv[2]);
    if (command == "impulse" && argc == 3) return MakeImpulse(argv[2]);
    if (command == "state" && argc == 5) return MakeState(argv[2], argv[3], argv[4]);
    if (command == "play" && argc == 5) return Play(argv[2], argv[3], argv[4]);
    if (command == "midi" && argc >= 4) return SendMidi(argv[2], argc - 3, argv + 3);
    std::fprintf(stderr, "usage: jack-probe signal|impulse|state|play|midi ... (see the source)\n");
    return 2;
}
