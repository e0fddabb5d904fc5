// Loading an impulse while the audio runs: a song naming a 96-kHz, 24-bit impulse file is
// restored (effSetChunk) while an audio thread runs 64-sample blocks at 48 kHz in real time.
//
//   ImpulseLoad/<file length in ms>   load_ms            effSetChunk until the new engine is in place
//                                     set_chunk_ms       the effSetChunk call itself
//                                     max_block_us       the longest audio block during the load
//                                     baseline_block_us  the longest of as many blocks without a load
//                                     budget_us          a block's real-time budget (1333 us)
//                                     realtime           1 when the audio thread got a real-time
//                                                        priority, as hosts give theirs
#include "VstAbi.h"
#include "VstEntry.h"
#include "VulpanePlugin.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#if !defined(_WIN32)
#include <pthread.h>
#include <sched.h>
#endif

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kBlock = 64;
constexpr double kRate = 48000.0;

void Put(std::vector<char>& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<char>(v >> (8 * i)));
}

// A mono 24-bit WAV file of decaying noise.
std::string WriteImpulseFile(int frames, int rate) {
    std::vector<char> b;
    const uint32_t dataSize = static_cast<uint32_t>(frames) * 3;
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    Put(b, 36 + dataSize, 4);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put(b, 16, 4);
    Put(b, 1, 2);
    Put(b, 1, 2);
    Put(b, static_cast<uint32_t>(rate), 4);
    Put(b, static_cast<uint32_t>(rate) * 3, 4);
    Put(b, 3, 2);
    Put(b, 24, 2);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    Put(b, dataSize, 4);
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    for (int i = 0; i < frames; ++i)
        Put(b, static_cast<uint32_t>(static_cast<int32_t>(4e6 * noise(rng) * std::exp(-6.0 * i / frames))), 3);
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("vulpane-bench-ir-" + std::to_string(frames) + ".wav")).string();
    std::ofstream(path, std::ios::binary).write(b.data(), static_cast<std::streamsize>(b.size()));
    return path;
}

// The plug-in's program chunk with another impulse path and the convolution on.
std::vector<char> SongNaming(AEffect* effect, const std::string& path) {
    void* data = nullptr;
    const auto size = static_cast<size_t>(effect->dispatcher(effect, effGetChunk, 1, 0, &data, 0.0f));
    const char* bytes = static_cast<const char*>(data);
    int32_t oldLength = 0;
    std::memcpy(&oldLength, bytes + 8, 4);
    std::vector<char> song(bytes, bytes + 8);
    Put(song, static_cast<uint32_t>(path.size()), 4);
    song.insert(song.end(), path.begin(), path.end());
    song.insert(song.end(), bytes + 12 + oldLength, bytes + size);
    const double on = 1.0;
    std::memcpy(song.data() + 12 + path.size() + 18 * 8, &on, 8);
    return song;
}

// Real-time 64-sample blocks; records the longest block while `measuring` is set.
class AudioThread {
public:
    explicit AudioThread(AEffect* e) : effect(e), thread([this] { Run(); }) {}
    ~AudioThread() {
        stop = true;
        thread.join();
    }
    // The longest block over the next `blocks` blocks, in microseconds.
    double Measure(int blocks) {
        longest = 0;
        counted = 0;
        target = blocks;
        while (counted.load() < target) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return static_cast<double>(longest.load()) / 1000.0;
    }
    void StartMeasuring() {
        longest = 0;
        counted = 0;
        target = 1 << 30;
    }
    double StopMeasuring(int& blocks) {
        blocks = counted.load();
        target = 0;
        return static_cast<double>(longest.load()) / 1000.0;
    }

private:
    void Run() {
#if !defined(_WIN32)
        sched_param param{};
        param.sched_priority = 10;
        realtime = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
#endif
        std::vector<double> in(kBlock), out0(kBlock), out1(kBlock);
        double* inputs[2] = {in.data(), in.data()};
        double* outputs[2] = {out0.data(), out1.data()};
        const auto period = std::chrono::nanoseconds(static_cast<long long>(1e9 * kBlock / kRate));
        auto next = Clock::now();
        long long phase = 0;
        while (!stop) {
            for (int i = 0; i < kBlock; ++i) in[static_cast<size_t>(i)] = 0.2 * std::sin(0.05 * double(phase++));
            const auto start = Clock::now();
            effect->processDoubleReplacing(effect, inputs, outputs, kBlock);
            const long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
            if (counted.load() < target) {
                longest = std::max(longest.load(), ns);
                ++counted;
            }
            benchmark::DoNotOptimize(out0[0]);
            next += period;
            std::this_thread::sleep_until(next);
        }
    }

public:
    std::atomic<bool> realtime{false};

private:
    AEffect* effect;
    std::atomic<bool> stop{false};
    std::atomic<long long> longest{0};
    std::atomic<int> counted{0};
    std::atomic<int> target{0};
    std::thread thread;
};

void BM_ImpulseLoad(benchmark::State& state) {
    const int fileRate = 96000;
    const std::string path = WriteImpulseFile(static_cast<int>(state.range(0) * fileRate / 1000), fileRate);
    double loadMs = 0, setChunkMs = 0, maxBlock = 0, baseline = 0, realtime = 0;
    for (auto _ : state) {
        IVstAdapter* adapter = CreateVstPlugin(nullptr);
        adapter->EnsureProgram();
        AEffect* effect = adapter->Effect();
        auto* plugin = static_cast<VulpanePlugin*>(adapter);
        effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
        effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
        effect->dispatcher(effect, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
        effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
        std::vector<char> song = SongNaming(effect, path);
        {
            AudioThread audio(effect);
            audio.Measure(50); // settle
            const auto start = Clock::now();
            audio.StartMeasuring();
            effect->dispatcher(effect, effSetChunk, 1, static_cast<intptr_t>(song.size()), song.data(), 0.0f);
            setChunkMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            plugin->WaitForImpulseLoads();
            loadMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            int blocks = 0;
            maxBlock = audio.StopMeasuring(blocks);
            baseline = audio.Measure(std::max(blocks, 50));
            realtime = audio.realtime ? 1 : 0;
        }
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    state.counters["load_ms"] = loadMs;
    state.counters["set_chunk_ms"] = setChunkMs;
    state.counters["max_block_us"] = maxBlock;
    state.counters["baseline_block_us"] = baseline;
    state.counters["budget_us"] = 1e6 * kBlock / kRate;
    state.counters["realtime"] = realtime;
    std::remove(path.c_str());
}
BENCHMARK(BM_ImpulseLoad)->Arg(10000)->Arg(500)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

BENCHMARK_MAIN();
