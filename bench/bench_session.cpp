// The scripted host session (tests/realtime/Session.h) with the audio thread at SCHED_FIFO: the
// time each 64-sample block's host calls take (automation, MIDI, process), as the median, the
// 99th percentile and the worst block, and the worst block during the 10-s 96-kHz impulse loads,
// the bank changes and the program changes. Each run also gives the page faults the audio thread
// took and each control step's blocks by their CPU time (what the audio thread itself spent, not
// time it was set aside). Each run is printed, then the minimum of each figure over the runs (the
// machine is shared: the least disturbed run is the fairest).
//
//     bench_session [PLUGIN.so] [--runs N] [--rounds N] [--rate HZ] [--no-editor]     (needs DISPLAY)
#include "Session.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
std::string BesideThisProgram(const char* name) {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return name;
    path[n] = '\0';
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('/') + 1) + name;
}

void Print(const char* what, const SessionFigures& f, double budget) {
    std::printf(
        "%-6s median %7.1f us  p99 %7.1f us  worst %7.1f us (%.1fx median)  | worst during: impulse load "
        "%7.1f us (%d blocks), bank change %7.1f us (%d), program change %7.1f us (%d)  | %d of %zu blocks "
        "over the %.0f-us budget\n",
        what, f.median, f.p99, f.worst, f.median > 0 ? f.worst / f.median : 0.0, f.worstLoad, f.loadBlocks,
        f.worstBank, f.bankBlocks, f.worstProgram, f.programBlocks, f.lateBlocks, f.blockMicros.size(),
        budget);
}
} // namespace

int main(int argc, char** argv) {
    SessionOptions options;
    options.plugin = BesideThisProgram("Vulpane.so");
    options.realtime = true;
    int runs = 1;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
            options.loads = std::max(1, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--no-editor"))
            options.editor = false;
        else if (!std::strcmp(argv[i], "--rate") && i + 1 < argc)
            options.rate = std::atof(argv[++i]);
        else if (argv[i][0] != '-')
            options.plugin = argv[i];
        else {
            std::fprintf(
                stderr,
                "usage: bench_session [PLUGIN.so] [--runs N] [--rounds N] [--rate HZ] [--no-editor]\n");
            return 2;
        }
    }
    const double budget = 1e6 * options.block / options.rate;
    std::printf("bench_session: %s, %d-sample blocks at %.0f Hz (budget %.0f us), %d rounds of the control "
                "script per run, audio thread at SCHED_FIFO 80\n",
                options.plugin.c_str(), options.block, options.rate, budget, options.loads);
    SessionFigures best;
    bool allRealtime = true;
    for (int run = 0; run < runs; ++run) {
        SessionFigures f;
        std::string error;
        if (!RunSession(options, f, error)) {
            std::fprintf(stderr, "bench_session: %s\n", error.c_str());
            return 1;
        }
        allRealtime = allRealtime && f.realtimeGranted;
        char name[16];
        std::snprintf(name, sizeof name, "run %d", run + 1);
        Print(name, f, budget);
        for (const std::string& line : f.slowest)
            std::printf("       %s\n", line.c_str());
        std::printf("       page faults on the audio thread in its blocks: %llu\n", f.pageFaults);
        for (const std::string& line : f.byControlStep)
            std::printf("       %s\n", line.c_str());
        if (f.failures) std::printf("       (%d session failures in this run)\n", f.failures);
        if (run == 0) {
            best = f;
            continue;
        }
        best.median = std::min(best.median, f.median);
        best.p99 = std::min(best.p99, f.p99);
        best.worst = std::min(best.worst, f.worst);
        best.worstLoad = std::min(best.worstLoad, f.worstLoad);
        best.worstBank = std::min(best.worstBank, f.worstBank);
        best.worstProgram = std::min(best.worstProgram, f.worstProgram);
        best.lateBlocks = std::min(best.lateBlocks, f.lateBlocks);
    }
    if (runs > 1)
        std::printf(
            "min    median %7.1f us  p99 %7.1f us  worst %7.1f us  | worst during: impulse load %7.1f us, "
            "bank change %7.1f us, program change %7.1f us  | %d blocks over the budget\n",
            best.median, best.p99, best.worst, best.worstLoad, best.worstBank, best.worstProgram,
            best.lateBlocks);
    if (!allRealtime)
        std::printf(
            "!! the audio thread did NOT run at SCHED_FIFO in every run: these are not real-time figures\n");
    return 0;
}
