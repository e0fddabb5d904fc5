// A MIDI program change on the audio thread: the CPU time of the effProcessEvents call that
// carries it (a preset recall with the editor built but closed), of a plain 64-sample block and
// of the block after each change, as median and worst. Each run is printed, then the minimum of
// each figure over the runs (the machine is shared: the least disturbed run is the fairest).
//
//     bench_program_change [PLUGIN.so] [--runs N] [--rounds N]
#include "SessionHost.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
std::string BesideThisProgram(const char* name) {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return name;
    path[n] = '\0';
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('/') + 1) + name;
}

double ThreadMicros() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec * 1e-3;
}

struct Figures {
    double plainMedian, plainWorst, changeMedian, changeWorst, afterMedian, afterWorst;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
double Worst(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

bool Run(const std::string& plugin, int rounds, Figures& figures) {
    SessionHost host;
    std::string error;
    if (!host.Load(plugin, error)) {
        std::fprintf(stderr, "bench_program_change: %s\n", error.c_str());
        return false;
    }
    SessionHost::MarkAudioThread(true);
    host.Start(48000, 64);
    AEffect* effect = host.Effect();
    std::vector<float> inL(64), inR(64), outL(64), outR(64);
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    for (int i = 0; i < 64; ++i)
        inL[static_cast<size_t>(i)] = inR[static_cast<size_t>(i)] = 0.1f * static_cast<float>(i % 7);
    for (int i = 0; i < 2000; ++i)
        effect->processReplacing(effect, in, out, 64);
    VstMidiEvent change{};
    change.type = kVstMidiType;
    change.byteSize = sizeof change;
    change.midiData[0] = static_cast<char>(0xC0);
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&change);
    std::vector<double> plain, changes, after;
    for (int r = 0; r < rounds; ++r) {
        double t = ThreadMicros();
        effect->processReplacing(effect, in, out, 64);
        plain.push_back(ThreadMicros() - t);
        change.midiData[1] = static_cast<char>(r % 7);
        t = ThreadMicros();
        host.Dispatch(effProcessEvents, 0, 0, &list);
        const double t1 = ThreadMicros();
        effect->processReplacing(effect, in, out, 64);
        changes.push_back(t1 - t);
        after.push_back(ThreadMicros() - t1);
    }
    host.Stop();
    figures = {Median(plain), Worst(plain), Median(changes), Worst(changes), Median(after), Worst(after)};
    return true;
}

void Print(const char* what, const Figures& f) {
    std::printf("%-6s plain block median %6.1f us worst %6.1f | program change median %6.1f us worst %6.1f | "
                "block after median %6.1f us worst %6.1f\n",
                what, f.plainMedian, f.plainWorst, f.changeMedian, f.changeWorst, f.afterMedian,
                f.afterWorst);
}
} // namespace

int main(int argc, char** argv) {
    std::string plugin = BesideThisProgram("Vulpane.so");
    int runs = 5, rounds = 300;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            plugin = argv[i];
    }
    std::printf("bench_program_change: %s, 64-sample blocks at 48000 Hz, %d program changes per run\n",
                plugin.c_str(), rounds);
    Figures best{};
    for (int run = 0; run < runs; ++run) {
        Figures f{};
        if (!Run(plugin, rounds, f)) return 1;
        char name[16];
        std::snprintf(name, sizeof name, "run %d", run + 1);
        Print(name, f);
        if (run == 0) {
            best = f;
            continue;
        }
        best.plainMedian = std::min(best.plainMedian, f.plainMedian);
        best.plainWorst = std::min(best.plainWorst, f.plainWorst);
        best.changeMedian = std::min(best.changeMedian, f.changeMedian);
        best.changeWorst = std::min(best.changeWorst, f.changeWorst);
        best.afterMedian = std::min(best.afterMedian, f.afterMedian);
        best.afterWorst = std::min(best.afterWorst, f.afterWorst);
    }
    if (runs > 1) Print("min", best);
    return 0;
}
