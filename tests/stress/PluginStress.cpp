// Drives the built plug-in binary from several threads at once, as a busy host does: an audio
// thread (a plucked 110 Hz tone with the tuner view switching on and off), automation from two
// threads, chunk get/set of both kinds, MIDI controllers and program changes, and the window
// thread opening the editor in an X11 window, idling it and closing it again. Every thread runs
// a fixed number of rounds. Built with ThreadSanitizer, any race or lock-order problem it meets is
// reported and fails the run; the program itself fails when a call answers wrongly or an output
// sample is not finite.
//
//     vulpane-stress PLUGIN.so [ROUNDS]      (needs DISPLAY for the editor)
#include "ParameterIds.h"
#include "VstAbi.h"

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int kBlock = 256;
constexpr double kRate = 44100.0;

std::atomic<int> gFailures{0};

void Fail(const char* what) {
    std::fprintf(stderr, "vulpane-stress: %s\n", what);
    gFailures.fetch_add(1);
}

// The host side: a version answer and nothing else; safe from any thread.
intptr_t VST_CALL HostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

intptr_t Dispatch(AEffect* effect, int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                  float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

// Parameters the automation threads move: every knob, switch and step button whose change
// touches the sound or the editor, but none that opens a file or a preset.
std::vector<int> AutomatedParameters() {
    std::vector<int> list;
    for (int i = kGate; i <= kIrWet; ++i) list.push_back(i);
    for (int i = kModelSwitch; i <= kCabNext; ++i) list.push_back(i);
    list.push_back(kTuningNext);
    list.push_back(kTuning);
    list.push_back(kIrPanel);
    return list;
}

void Audio(AEffect* effect, int rounds) {
    std::vector<double> in0(kBlock), in1(kBlock), out0(kBlock), out1(kBlock);
    double* ins[2] = {in0.data(), in1.data()};
    double* outs[2] = {out0.data(), out1.data()};
    long long t = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < kBlock; ++i, ++t) {
            const double phase = std::fmod(static_cast<double>(t), kRate); // a pluck each second
            in0[static_cast<size_t>(i)] = 0.4 * std::exp(-phase / kRate * 3.0) * std::sin(2.0 * M_PI * 110.0 * t / kRate);
            in1[static_cast<size_t>(i)] = 0.0;
        }
        // Every 64th block the tuner view toggles, so the tuner's display path runs half the time.
        if (round % 64 == 0) {
            effect->setParameter(effect, kTunerToggle, 1.0f);
            effect->setParameter(effect, kTunerToggle, 0.0f);
        }
        effect->processDoubleReplacing(effect, ins, outs, kBlock);
        for (int i = 0; i < kBlock; ++i)
            if (!std::isfinite(out0[static_cast<size_t>(i)]) || !std::isfinite(out1[static_cast<size_t>(i)])) {
                Fail("an output sample is not finite");
                return;
            }
    }
}

void Automation(AEffect* effect, int rounds, unsigned seed) {
    const std::vector<int> params = AutomatedParameters();
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    char text[64];
    for (int round = 0; round < rounds; ++round) {
        const int index = params[random() % params.size()];
        effect->setParameter(effect, index, unit(random));
        const float back = effect->getParameter(effect, index);
        if (!(back >= 0.0f && back <= 1.0f)) Fail("a parameter reads back outside 0..1");
        Dispatch(effect, effGetParamDisplay, index, 0, text);
        if (round % 16 == 0) std::this_thread::yield();
    }
}

void Chunks(AEffect* effect, int rounds) {
    std::vector<char> copy;
    for (int round = 0; round < rounds; ++round) {
        const int bank = round % 2 == 0 ? 1 : 0;
        void* data = nullptr;
        const intptr_t size = Dispatch(effect, effGetChunk, bank, 0, &data);
        if (size <= 0 || !data) {
            Fail("effGetChunk gave no chunk");
            return;
        }
        copy.assign(static_cast<char*>(data), static_cast<char*>(data) + size);
        if (Dispatch(effect, effSetChunk, bank, static_cast<intptr_t>(copy.size()), copy.data()) != 1)
            Fail("effSetChunk refused the plug-in's own chunk");
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void Midi(AEffect* effect, int rounds) {
    VstMidiEvent events[2] = {};
    VstEvents list{};
    list.numEvents = 2;
    list.events[0] = reinterpret_cast<VstEvent*>(&events[0]);
    list.events[1] = reinterpret_cast<VstEvent*>(&events[1]);
    const unsigned char controllers[] = {7, 8, 9, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26};
    for (int round = 0; round < rounds; ++round) {
        for (VstMidiEvent& e : events) {
            e.type = kVstMidiType;
            e.byteSize = sizeof(VstMidiEvent);
        }
        events[0].midiData[0] = static_cast<char>(0xB0);
        events[0].midiData[1] = static_cast<char>(controllers[round % sizeof(controllers)]);
        events[0].midiData[2] = static_cast<char>((round * 37) % 128);
        events[1].midiData[0] = static_cast<char>(0xB0);
        events[1].midiData[1] = 20;
        events[1].midiData[2] = static_cast<char>((round * 11) % 128);
        Dispatch(effect, effProcessEvents, 0, 0, &list);
        if (round % 8 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// The window thread: the editor opened in a host window, idled as Linux hosts idle it, closed.
void Editor(AEffect* effect, int opens, int idles) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        Fail("no X display for the editor (set DISPLAY)");
        return;
    }
    const int screen = DefaultScreen(display);
    const Window parent = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 800, 600, 0, 0, 0);
    XMapWindow(display, parent);
    XFlush(display);
    for (int open = 0; open < opens; ++open) {
        ERect* rect = nullptr;
        if (Dispatch(effect, effEditGetRect, 0, 0, &rect) != 1 || !rect) Fail("effEditGetRect gave no rectangle");
        if (Dispatch(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(parent))) != 1) {
            Fail("effEditOpen failed");
            break;
        }
        for (int idle = 0; idle < idles; ++idle) {
            Dispatch(effect, effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        Dispatch(effect, effEditClose);
    }
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vulpane-stress PLUGIN.so [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 1500;
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "vulpane-stress: %s\n", dlerror());
        return 1;
    }
    using Entry = AEffect*(VST_CALL*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(library, "VSTPluginMain"));
    AEffect* effect = entry ? entry(HostCallback) : nullptr;
    if (!effect || effect->magic != kEffectMagic) {
        std::fprintf(stderr, "vulpane-stress: %s is not a VST2 plug-in\n", argv[1]);
        return 1;
    }
    Dispatch(effect, effOpen);
    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    Dispatch(effect, effSetBlockSize, 0, kBlock);
    Dispatch(effect, effMainsChanged, 0, 1);

    std::vector<std::thread> threads;
    threads.emplace_back(Audio, effect, rounds * 2);
    threads.emplace_back(Automation, effect, rounds * 4, 1u);
    threads.emplace_back(Automation, effect, rounds * 4, 2u);
    threads.emplace_back(Chunks, effect, rounds / 10);
    threads.emplace_back(Midi, effect, rounds);
    Editor(effect, 4, rounds / 10);
    for (std::thread& t : threads) t.join();

    Dispatch(effect, effMainsChanged, 0, 0);
    Dispatch(effect, effClose);
    std::printf("vulpane-stress: %d rounds (%d audio blocks, %d automation calls, %d chunk round trips, "
                "%d MIDI blocks, 4 editor openings with %d idles each), %d failures\n",
                rounds, rounds * 2, rounds * 8, rounds / 10, rounds, rounds / 10, gFailures.load());
    return gFailures.load() == 0 ? 0 : 1;
}
