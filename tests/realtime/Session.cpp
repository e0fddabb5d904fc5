#include "Session.h"

#include "AudioThreadAudit.h"
#include "ParameterIds.h"
#include "SessionFiles.h"
#include "SessionHost.h"

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// The plug-in's quality request (effVendorSpecific index 'VpOs', VulpanePlugin.h) and the rows of
// each browser list (EditorControls.h), as a host that knows the plug-in uses them.
constexpr int32_t kOversamplingOpcode = 0x56704F73;
constexpr int kListRows = 20;

// What each thread is doing, so an audit hit names the session step it happened in.
enum Action { kAutomation, kMidiCc, kProgramChange, kBankChange, kProcess, kPlanted, kActions };
enum ControlStep {
    kControlIdle,
    kGetChunk,
    kSetChunk,
    kCarried,
    kImpulseState,
    kImpulseLoad,
    kQuality,
    kRecall,
    kControlSteps
};
enum EditorStep { kEditorIdle, kEditorOpen, kEditorIdling, kStepping, kBrowsing, kEditorClose, kEditorSteps };
const char* const kActionNames[] = {
    "automation", "MIDI controller", "MIDI program change", "bank change (kBankPosition)",
    "process",    "planted call"};
const char* const kControlNames[] = {"-",
                                     "effGetChunk",
                                     "effSetChunk",
                                     "effSetChunk of a state carrying a 10-s impulse",
                                     "effSetChunk naming a 10-s 96-kHz impulse file",
                                     "10-s 96-kHz impulse load on its way",
                                     "quality switch",
                                     "preset recall by path"};
const char* const kEditorNames[] = {
    "-", "opening", "idling", "model/cabinet step", "preset/bank browsing", "closing"};

// Every combination as one lasting string, made before the threads start.
class StepNames {
public:
    StepNames() {
        for (int a = 0; a < kActions; ++a)
            for (int c = 0; c < kControlSteps; ++c)
                for (int e = 0; e < kEditorSteps; ++e)
                    names.push_back(std::string("audio: ") + kActionNames[a] +
                                    " | control: " + kControlNames[c] + " | editor: " + kEditorNames[e]);
    }
    const char* Name(int a, int c, int e) const {
        return names[static_cast<size_t>((a * kControlSteps + c) * kEditorSteps + e)].c_str();
    }

private:
    std::vector<std::string> names;
};

// The names outlive the session: the audit's report quotes them at exit.
const StepNames& Steps() {
    static const StepNames* names = new StepNames;
    return *names;
}

struct Shared {
    SessionHost host;
    SessionFiles files;
    const StepNames& steps = Steps();
    VulpaneAuditEnter enter = nullptr;
    VulpaneAuditLeave leave = nullptr;
    std::vector<int> automated;
    std::vector<char> carriedProgram, carriedBank;
    std::atomic<int> control{kControlIdle};
    std::atomic<int> editor{kEditorIdle};
    std::atomic<bool> loadWindow{false};
    std::atomic<bool> stop{false};
    std::atomic<bool> controlDone{false};
    std::atomic<long long> blocksPlayed{0};
    std::atomic<int> failures{0};
    VulpaneAuditTotal total = nullptr;
    unsigned long long plantedCounted = 0;
    std::vector<double> micros;
    std::vector<double> cpuMicros;      // the audio thread's CPU time in the block
    std::vector<int> faults;            // page faults the audio thread took in the block
    std::vector<unsigned char> flags;   // kFlag* per block
    std::vector<unsigned char> context; // control step * 8 + editor step at the block's start
    std::vector<short> automatedIndex;  // the parameter the block's automation moved
    bool realtimeGranted = false;
};

constexpr unsigned char kFlagLoad = 1, kFlagBank = 2, kFlagProgram = 4;

void Fail(Shared& s, const char* what) {
    std::fprintf(stderr, "vulpane-session: %s\n", what);
    s.failures.fetch_add(1);
}

// An audio section: the audit counts what the thread does until Leave.
inline void Enter(Shared& s, int action, int detail) {
    if (s.enter) s.enter(s.steps.Name(action, s.control.load(), s.editor.load()), detail);
}
inline void Leave(Shared& s) {
    if (s.leave) s.leave();
}

void Planted(Shared& s, SessionOptions::Plant plant) {
    const unsigned long long before = s.total ? s.total() : 0;
    Enter(s, kPlanted, 0);
    if (plant == SessionOptions::Plant::Malloc) {
        void* (*volatile allocate)(size_t) = std::malloc;
        void (*volatile release)(void*) = std::free;
        release(allocate(64));
    } else {
        const int fd = ::open("/proc/self/stat", O_RDONLY);
        char byte;
        if (fd >= 0) {
            if (::read(fd, &byte, 1) < 0) Fail(s, "the planted read failed");
            ::close(fd);
        }
    }
    Leave(s);
    if (s.total) s.plantedCounted = s.total() - before;
}

long long NowNs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

void Audio(Shared& s, const SessionOptions& options, size_t maxBlocks) {
    SessionHost::MarkAudioThread(true);
    if (options.realtime) {
        sched_param param{};
        param.sched_priority = 80;
        const int refused = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
        s.realtimeGranted = refused == 0;
        if (refused)
            std::fprintf(stderr,
                         "vulpane-session: !! SCHED_FIFO refused (%s): the audio thread runs at normal "
                         "priority and the figures below are NOT real-time figures\n",
                         std::strerror(refused));
    }
    AEffect* effect = s.host.Effect();
    const int n = options.block;
    std::vector<double> in0(static_cast<size_t>(n)), in1(in0.size()), out0(in0.size()), out1(in0.size());
    std::vector<float> fin0(in0.size()), fin1(in0.size()), fout0(in0.size()), fout1(in0.size());
    double* ins[2] = {in0.data(), in1.data()};
    double* outs[2] = {out0.data(), out1.data()};
    float* fins[2] = {fin0.data(), fin1.data()};
    float* fouts[2] = {fout0.data(), fout1.data()};
    VstMidiEvent events[2] = {};
    VstEvents list{};
    list.events[0] = reinterpret_cast<VstEvent*>(&events[0]);
    list.events[1] = reinterpret_cast<VstEvent*>(&events[1]);
    const unsigned char controllers[] = {7, 8, 9, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26};
    const int banks = 1 + static_cast<int>(s.files.userBanks);
    std::vector<int> visits(s.automated.size(), 0);

    const long long period = static_cast<long long>(1e9 * n / options.rate);
    long long deadline = NowNs();
    long long t = 0;
    int program = 0, bank = 0;
    long faultsSoFar = 0;
    // The plug-in knows its audio thread by the blocks it runs: the session starts with one (of
    // silence) before it sends anything else from this thread, as a host starts its stream.
    Enter(s, kProcess, 0);
    effect->processDoubleReplacing(effect, ins, outs, n);
    Leave(s);
    for (size_t k = 0; k < maxBlocks && !s.stop.load(std::memory_order_relaxed); ++k) {
        for (int i = 0; i < n; ++i, ++t) {
            const double phase = std::fmod(static_cast<double>(t), options.rate); // a pluck each second
            const double x =
                0.4 * std::exp(-phase / options.rate * 3.0) * std::sin(2.0 * M_PI * 110.0 * t / options.rate);
            in0[static_cast<size_t>(i)] = in1[static_cast<size_t>(i)] = x;
            fin0[static_cast<size_t>(i)] = fin1[static_cast<size_t>(i)] = static_cast<float>(x);
        }
        const bool programChange = k % 48 == 24;
        const bool bankChange = k % 400 == 200;
        unsigned char flag = s.loadWindow.load() ? kFlagLoad : 0;
        s.context[k] = static_cast<unsigned char>(s.control.load() * 8 + s.editor.load());
        const long long start = NowNs();
        timespec cpu0;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu0);

        // Host automation playback: one parameter per block, every one in turn.
        const size_t which = k % s.automated.size();
        const int index = s.automated[which];
        s.automatedIndex[k] = static_cast<short>(index);
        const float value = static_cast<float>(std::fmod(0.5 + 0.381966 * visits[which]++, 1.0));
        Enter(s, kAutomation, index);
        effect->setParameter(effect, index, value);
        Leave(s);

        if (k % 4 == 0 || programChange) {
            list.numEvents = 0;
            VstMidiEvent& cc = events[list.numEvents++];
            cc = VstMidiEvent{};
            cc.type = kVstMidiType;
            cc.byteSize = sizeof(VstMidiEvent);
            cc.midiData[0] = static_cast<char>(0xB0);
            cc.midiData[1] = static_cast<char>(controllers[(k / 4) % sizeof controllers]);
            cc.midiData[2] = static_cast<char>((k * 37) % 128);
            if (programChange) {
                VstMidiEvent& pc = events[list.numEvents++];
                pc = VstMidiEvent{};
                pc.type = kVstMidiType;
                pc.byteSize = sizeof(VstMidiEvent);
                pc.deltaFrames = n / 2;
                pc.midiData[0] = static_cast<char>(0xC0);
                pc.midiData[1] = static_cast<char>(program = (program + 1) % 7);
                flag |= kFlagProgram;
            }
            Enter(s, programChange ? kProgramChange : kMidiCc, programChange ? program : cc.midiData[1]);
            effect->dispatcher(effect, effProcessEvents, 0, 0, &list, 0.0f);
            Leave(s);
        }
        if (bankChange) {
            bank = (bank + 1) % banks;
            Enter(s, kBankChange, bank);
            effect->setParameter(effect, kBankPosition,
                                 static_cast<float>(bank) / static_cast<float>(banks - 1));
            Leave(s);
            flag |= kFlagBank;
        }
        if (k == 100 && options.plant != SessionOptions::Plant::Off) Planted(s, options.plant);

        Enter(s, kProcess, static_cast<int>(k));
        if (k % 16 == 5)
            effect->processReplacing(effect, fins, fouts, n);
        else
            effect->processDoubleReplacing(effect, ins, outs, n);
        Leave(s);
        const long long end = NowNs();
        timespec cpu1;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu1);
        rusage usage;
        getrusage(RUSAGE_THREAD, &usage);
        s.faults[k] = static_cast<int>(usage.ru_minflt + usage.ru_majflt - faultsSoFar);
        faultsSoFar = usage.ru_minflt + usage.ru_majflt;
        s.cpuMicros[k] = (cpu1.tv_sec - cpu0.tv_sec) * 1e6 + (cpu1.tv_nsec - cpu0.tv_nsec) * 1e-3;
        s.micros[k] = static_cast<double>(end - start) / 1000.0;
        s.flags[k] = static_cast<unsigned char>(flag | (s.loadWindow.load() ? kFlagLoad : 0));
        s.blocksPlayed.store(static_cast<long long>(k + 1));
        for (int i = 0; i < n; ++i)
            if (!std::isfinite(out0[static_cast<size_t>(i)]) ||
                !std::isfinite(fout0[static_cast<size_t>(i)])) {
                Fail(s, "an output sample is not finite");
                break;
            }

        // The next block starts when its period does; a host that fell far behind starts afresh.
        deadline += period;
        const long long now = NowNs();
        if (now > deadline + 20 * period) deadline = now;
        timespec until{static_cast<time_t>(deadline / 1000000000LL),
                       static_cast<long>(deadline % 1000000000LL)};
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
    }
    SessionHost::MarkAudioThread(false);
}

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Waits until the plug-in stops asking for the process level (it asks while a load is on its way).
void AwaitLoad(Shared& s) {
    long long asks = s.host.ProcessLevelAsks();
    for (int i = 0; i < 2000; ++i) {
        Sleep(10);
        const long long now = s.host.ProcessLevelAsks();
        if (now == asks && i > 2) return;
        asks = now;
    }
    // Not a fault of the session: only the window the benchmark calls "during an impulse load" is
    // then cut short.
    std::fprintf(stderr,
                 "vulpane-session: warning: the plug-in still asked for the process level after 20 s\n");
}

void Control(Shared& s, const SessionOptions& options) {
    for (int round = 0; round < options.loads && !s.stop.load(); ++round) {
        for (int i = 0; i < 4; ++i) {
            s.control = kGetChunk;
            const std::vector<char> program = s.host.GetChunk(true);
            s.control = kSetChunk;
            if (program.empty() || !s.host.SetChunk(true, program))
                Fail(s, "a program chunk did not come back");
            s.control = kGetChunk;
            const std::vector<char> bank = s.host.GetChunk(false);
            s.control = kSetChunk;
            if (bank.empty() || !s.host.SetChunk(false, bank)) Fail(s, "a bank chunk did not come back");
            s.control = kControlIdle;
            Sleep(25);
        }
        s.control = kCarried;
        if (!s.host.SetChunk(true, s.carriedProgram)) Fail(s, "the carried program chunk was refused");
        Sleep(80);
        if (!s.host.SetChunk(false, s.carriedBank)) Fail(s, "the carried bank chunk was refused");
        Sleep(80);
        s.control = kQuality;
        for (int factor : {1, 4, 8, 2}) {
            if (s.host.Dispatch(effVendorSpecific, kOversamplingOpcode, factor) != factor)
                Fail(s, "a quality switch was refused");
            Sleep(40);
        }
        s.control = kRecall;
        for (const std::string& path : s.files.factoryPresets) {
            if (s.host.Dispatch(effVendorSpecific, kVendorReadPresetFile, 0,
                                const_cast<char*>(path.c_str())) != 1)
                Fail(s, "a preset recall by path failed");
            Sleep(30);
        }
        s.control = kGetChunk;
        const std::vector<char> naming = StateNamingImpulse(s.host.GetChunk(true), s.files.hall);
        s.control = kImpulseState;
        s.loadWindow = true;
        if (!s.host.SetChunk(true, naming)) Fail(s, "the state naming the long impulse was refused");
        s.control = kImpulseLoad;
        AwaitLoad(s);
        s.loadWindow = false;
        // Back to the short impulses' folder, so automated impulse steps load short files.
        s.control = kGetChunk;
        const std::vector<char> room =
            StateNamingImpulse(s.host.GetChunk(true), round % 2 ? s.files.roomA : s.files.roomB);
        s.control = kSetChunk;
        if (!s.host.SetChunk(true, room)) Fail(s, "the state naming a short impulse was refused");
        AwaitLoad(s);
        s.control = kControlIdle;
        Sleep(100);
    }
    s.controlDone = true;
}

void Editor(Shared& s) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        Fail(s, "no X display for the editor (set DISPLAY)");
        return;
    }
    AEffect* effect = s.host.Effect();
    const Window parent =
        XCreateSimpleWindow(display, RootWindow(display, DefaultScreen(display)), 0, 0, 800, 600, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    const int steps[] = {kModelNext, kModelNext,  kCabNext,    kModelPrev,
                         kCabPrev,   kPresetNext, kPresetPrev, kCabNext};
    int idles = 0, step = 0;
    while (!s.controlDone.load() && !s.stop.load()) {
        s.editor = kEditorOpen;
        ERect* rect = nullptr;
        if (s.host.Dispatch(effEditGetRect, 0, 0, &rect) != 1 || !rect)
            Fail(s, "effEditGetRect gave no rectangle");
        if (s.host.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(parent))) !=
            1) {
            Fail(s, "effEditOpen failed");
            break;
        }
        for (int open = 0; open < 400 && !s.controlDone.load() && !s.stop.load(); ++open, ++idles) {
            s.editor = kEditorIdling;
            XSync(display, False);
            s.host.Dispatch(effEditIdle);
            if (idles % 12 == 6) {
                s.editor = kStepping;
                s.host.Press(steps[step++ % (sizeof steps / sizeof steps[0])]);
            } else if (idles % 40 == 20) {
                // The browser: open it, pick a bank row, then a preset row (which loads it).
                s.editor = kBrowsing;
                effect->setParameter(effect, kPresetBrowse, 1.0f);
                s.host.Dispatch(effEditIdle);
                const int bank = (idles / 40) % 3;
                effect->setParameter(effect, kBankListClick, (bank + 0.5f) / kListRows);
                s.host.Dispatch(effEditIdle);
                const int preset = (idles / 40) % 5;
                effect->setParameter(effect, kPresetListClick, (preset + 0.5f) / kListRows);
            }
            s.editor = kEditorIdle;
            Sleep(10);
        }
        s.editor = kEditorClose;
        s.host.Dispatch(effEditClose);
        s.editor = kEditorIdle;
        Sleep(20);
    }
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(
        std::min<double>(static_cast<double>(v.size() - 1), p * static_cast<double>(v.size())))];
}

} // namespace

bool RunSession(const SessionOptions& options, SessionFigures& figures, std::string& error,
                const SessionEnded& ended) {
    Shared s;
    if (!s.files.Create(options.plugin, error)) return false;
    if (options.audit || options.plant != SessionOptions::Plant::Off) {
        s.enter = reinterpret_cast<VulpaneAuditEnter>(dlsym(RTLD_DEFAULT, "vulpane_audit_enter"));
        s.leave = reinterpret_cast<VulpaneAuditLeave>(dlsym(RTLD_DEFAULT, "vulpane_audit_leave"));
        s.total = reinterpret_cast<VulpaneAuditTotal>(dlsym(RTLD_DEFAULT, "vulpane_audit_total"));
        if (!s.enter || !s.leave || !s.total) {
            error = "the audit library is not preloaded (LD_PRELOAD=libvulpane-rt-audit.so)";
            return false;
        }
    }
    if (!s.host.Load(options.plugin, error)) return false;
    s.host.Start(options.rate, options.block);
    AEffect* effect = s.host.Effect();
    for (int i = 0; i < effect->numParams; ++i)
        if (s.host.Dispatch(effCanBeAutomated, i) == 1) s.automated.push_back(i);
    if (s.automated.empty()) {
        error = "the plug-in names no automatable parameter";
        return false;
    }

    // A state carrying an impulse's samples: the impulse is loaded from its file, the chunks
    // taken with its copy, and the file deleted, so restoring them plays the carried copy.
    if (!s.host.SetChunk(true, StateNamingImpulse(s.host.GetChunk(true), s.files.carried))) {
        error = "the state naming an impulse was refused";
        return false;
    }
    std::vector<double> zeros(static_cast<size_t>(options.block), 0.0), o0(zeros.size()), o1(zeros.size());
    double* ins[2] = {zeros.data(), zeros.data()};
    double* outs[2] = {o0.data(), o1.data()};
    for (int i = 0; i < 2000 && !CarriesImpulse(s.carriedProgram = s.host.GetChunk(true)); ++i) {
        effect->processDoubleReplacing(effect, ins, outs, options.block);
        Sleep(5);
    }
    s.carriedBank = s.host.GetChunk(false);
    if (!CarriesImpulse(s.carriedProgram) || !CarriesImpulse(s.carriedBank)) {
        error = "no chunk carrying the impulse's samples came back";
        return false;
    }
    std::remove(s.files.carried.c_str());

    const size_t maxBlocks = static_cast<size_t>(180.0 * options.rate / options.block);
    s.micros.assign(maxBlocks, 0.0);
    s.cpuMicros.assign(maxBlocks, 0.0);
    s.faults.assign(maxBlocks, 0);
    s.flags.assign(maxBlocks, 0);
    s.context.assign(maxBlocks, 0);
    s.automatedIndex.assign(maxBlocks, 0);
    std::vector<std::string> parameterNames;
    for (int i = 0; i < effect->numParams; ++i) {
        char name[64] = {};
        s.host.Dispatch(effGetParamName, i, 0, name);
        parameterNames.push_back(name);
    }
    s.host.ClearLog();
    const auto begin = std::chrono::steady_clock::now();
    std::thread audio(Audio, std::ref(s), std::cref(options), maxBlocks);
    std::thread control(Control, std::ref(s), std::cref(options));
    std::thread editor;
    if (options.editor) editor = std::thread(Editor, std::ref(s));
    control.join();
    if (editor.joinable()) editor.join();
    Sleep(200);
    s.stop = true;
    audio.join();
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    s.host.Stop();

    const size_t played = static_cast<size_t>(s.blocksPlayed.load());
    figures.blockMicros.assign(s.micros.begin(), s.micros.begin() + static_cast<long>(played));
    figures.median = Percentile(figures.blockMicros, 0.5);
    figures.p99 = Percentile(figures.blockMicros, 0.99);
    const double budget = 1e6 * options.block / options.rate;
    for (size_t k = 0; k < played; ++k) {
        const double us = s.micros[k];
        figures.worst = std::max(figures.worst, us);
        if (us > budget) ++figures.lateBlocks;
        if (s.flags[k] & kFlagLoad) ++figures.loadBlocks, figures.worstLoad = std::max(figures.worstLoad, us);
        if (s.flags[k] & kFlagBank) ++figures.bankBlocks, figures.worstBank = std::max(figures.worstBank, us);
        if (s.flags[k] & kFlagProgram)
            ++figures.programBlocks, figures.worstProgram = std::max(figures.worstProgram, us);
    }
    // The slowest blocks, with what the other threads were doing when each began.
    std::vector<size_t> order(played);
    for (size_t k = 0; k < played; ++k)
        order[k] = k;
    const size_t shown = std::min<size_t>(5, played);
    std::partial_sort(order.begin(), order.begin() + static_cast<long>(shown), order.end(),
                      [&](size_t a, size_t b) { return s.micros[a] > s.micros[b]; });
    for (size_t i = 0; i < shown; ++i) {
        const size_t k = order[i];
        char line[256];
        std::snprintf(line, sizeof line,
                      "%8.1f us (cpu %.1f, %d faults) at %6.2f s: control %s, editor %s%s%s%s", s.micros[k],
                      s.cpuMicros[k], s.faults[k], static_cast<double>(k) * options.block / options.rate,
                      kControlNames[s.context[k] / 8], kEditorNames[s.context[k] % 8],
                      s.flags[k] & kFlagLoad ? ", in an impulse load" : "",
                      s.flags[k] & kFlagBank ? ", bank change" : "",
                      s.flags[k] & kFlagProgram ? ", program change" : "");
        figures.slowest.push_back(line);
    }
    // Where the CPU time goes: each control step's blocks (the audio thread's own CPU time).
    for (int c = 0; c < kControlSteps; ++c) {
        std::vector<double> cpu;
        for (size_t k = 0; k < played; ++k)
            if (s.context[k] / 8 == c) cpu.push_back(s.cpuMicros[k]);
        if (cpu.empty()) continue;
        char line[256];
        std::snprintf(line, sizeof line, "%-48s %6zu blocks  cpu median %6.1f  p99 %6.1f  worst %6.1f us",
                      kControlNames[c], cpu.size(), Percentile(cpu, 0.5), Percentile(cpu, 0.99),
                      *std::max_element(cpu.begin(), cpu.end()));
        figures.byControlStep.push_back(line);
    }
    // What the blocks over three times the median did: a program or bank change, a quality
    // switch under way, or else the parameter the host automated in them.
    {
        const double limit = 3.0 * figures.median;
        int over = 0, program = 0, bank = 0, quality = 0;
        std::vector<int> byParameter(parameterNames.size(), 0);
        for (size_t k = 0; k < played; ++k) {
            if (s.micros[k] <= limit) continue;
            ++over;
            if (s.flags[k] & kFlagProgram)
                ++program;
            else if (s.flags[k] & kFlagBank)
                ++bank;
            else if (s.context[k] / 8 == kQuality)
                ++quality;
            else if (static_cast<size_t>(s.automatedIndex[k]) < byParameter.size())
                ++byParameter[static_cast<size_t>(s.automatedIndex[k])];
        }
        char line[512];
        std::snprintf(
            line, sizeof line,
            "%d blocks over 3x median: %d with a program change, %d a bank change, %d in the quality "
            "switches; the rest by the parameter automated in them:",
            over, program, bank, quality);
        figures.overMedianCauses.push_back(line);
        std::vector<size_t> top(byParameter.size());
        for (size_t i = 0; i < top.size(); ++i)
            top[i] = i;
        std::sort(top.begin(), top.end(),
                  [&](size_t a, size_t b) { return byParameter[a] > byParameter[b]; });
        std::string rest;
        for (size_t i = 0; i < std::min<size_t>(8, top.size()) && byParameter[top[i]] > 0; ++i) {
            std::snprintf(line, sizeof line, "%s%s (%zu) %d", rest.empty() ? "" : ", ",
                          parameterNames[top[i]].c_str(), top[i], byParameter[top[i]]);
            rest += line;
        }
        if (!rest.empty()) figures.overMedianCauses.push_back(rest);
    }
    for (size_t k = 0; k < played; ++k)
        figures.pageFaults += static_cast<unsigned long long>(s.faults[k]);
    figures.realtimeGranted = s.realtimeGranted;
    if (s.host.Logged() == 0) Fail(s, "the plug-in told the host of no automation");
    figures.failures = s.failures.load();
    figures.plantedCounted = s.plantedCounted;
    if (ended) ended(figures);
    return true;
}
