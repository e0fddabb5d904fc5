// The fixed host script whose transcript is compared with a recorded one: what a host sees
// (every audioMasterAutomate call and every parameter value) after parameter sets, button
// presses, MIDI controllers and program changes, bank changes, browser clicks, preset recalls by
// path, chunk restores and quality switches. Single-threaded, so the order is deterministic.
#include "ParameterIds.h"
#include "Session.h"
#include "SessionFiles.h"
#include "SessionHost.h"

#include <X11/Xlib.h>

#include <chrono>
#include <thread>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

constexpr int32_t kOversamplingOpcode = 0x56704F73; // VulpanePlugin.h
constexpr int kListRows = 20;                       // EditorControls.h

class Script {
public:
    Script(SessionHost& host, std::string& out, Display* display, unsigned long window)
        : host(host), out(out), display(display), window(window) {}

    // One step: its name, the automation it sent, the values afterwards.
    void Step(const std::string& name, const std::function<void()>& act) {
        host.ClearLog();
        act();
        Block();
        if (display) Idle();
        char line[128];
        std::snprintf(line, sizeof line, "## %d %s\n", ++steps, name.c_str());
        out += line;
        for (size_t i = 0; i < host.Logged(); ++i) {
            std::snprintf(line, sizeof line, "automate %d %.9g\n", host.LoggedAt(i).index,
                          static_cast<double>(host.LoggedAt(i).value));
            out += line;
        }
        out += "values";
        AEffect* effect = host.Effect();
        for (int i = 0; i < effect->numParams; ++i) {
            std::snprintf(line, sizeof line, " %.9g", static_cast<double>(effect->getParameter(effect, i)));
            out += line;
        }
        out += "\n";
    }

    void Set(int index, float value) { host.Effect()->setParameter(host.Effect(), index, value); }
    void Midi(int status, int data1, int data2 = 0) {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof event;
        event.midiData[0] = static_cast<char>(status);
        event.midiData[1] = static_cast<char>(data1);
        event.midiData[2] = static_cast<char>(data2);
        VstEvents list{};
        list.numEvents = 1;
        list.events[0] = reinterpret_cast<VstEvent*>(&event);
        host.Dispatch(effProcessEvents, 0, 0, &list);
    }
    // Mouse input sent to the editor's window (the host window's child), read on the next idles.
    bool HasEditor() const { return display != nullptr; }
    void Button(int type, unsigned button, int x, int y, unsigned state, Time after = 1000) {
        Window root = 0, up = 0, *children = nullptr;
        unsigned n = 0;
        XSync(display, False);
        XQueryTree(display, window, &root, &up, &children, &n);
        const Window editor = n > 0 ? children[0] : 0;
        if (children) XFree(children);
        if (!editor) return;
        XEvent e{};
        e.type = type;
        e.xbutton.window = editor;
        e.xbutton.display = display;
        e.xbutton.x = x;
        e.xbutton.y = y;
        e.xbutton.button = button;
        e.xbutton.state = state;
        e.xbutton.time = time += type == ButtonPress ? after : 50;
        e.xbutton.same_screen = True;
        XSendEvent(display, editor, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
        XSync(display, False);
    }
    void Motion(int x, int y, unsigned state) {
        Window root = 0, up = 0, *children = nullptr;
        unsigned n = 0;
        XQueryTree(display, window, &root, &up, &children, &n);
        const Window editor = n > 0 ? children[0] : 0;
        if (children) XFree(children);
        if (!editor) return;
        XEvent e{};
        e.type = MotionNotify;
        e.xmotion.window = editor;
        e.xmotion.display = display;
        e.xmotion.x = x;
        e.xmotion.y = y;
        e.xmotion.state = state;
        e.xmotion.same_screen = True;
        XSendEvent(display, editor, False, PointerMotionMask, &e);
        XSync(display, False);
    }
    void Click(int x, int y) {
        Button(ButtonPress, Button1, x, y, 0);
        Idle();
        Button(ButtonRelease, Button1, x, y, Button1Mask);
        Idle();
    }
    void Idle() {
        for (int i = 0; i < 3; ++i) {
            XSync(display, False);
            host.Dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // One silent block, as a host plays between its calls.
    void Block() {
        std::vector<double> zeros(512, 0.0), o0(512), o1(512);
        double* ins[2] = {zeros.data(), zeros.data()};
        double* outs[2] = {o0.data(), o1.data()};
        host.Effect()->processDoubleReplacing(host.Effect(), ins, outs, 512);
    }

private:
    SessionHost& host;
    std::string& out;
    Display* display;
    unsigned long window;
    int steps = 0;
    Time time = 100000;
};

void RunScript(Script& s, SessionHost& host, const SessionFiles& files) {
    auto set = [&](const char* name, int index, float v) { s.Step(name, [&] { s.Set(index, v); }); };
    auto press = [&](const char* name, int index) { s.Step(name, [&] { host.Press(index); }); };
    auto midi = [&](const char* name, int status, int d1, int d2) {
        s.Step(name, [&] { s.Midi(status, d1, d2); });
    };

    set("host sets kAmpModel to model 7", kAmpModel, 7 / 15.0f);
    set("host sets kAmpOn on", kAmpOn, 1.0f);
    set("host sets kAmpGain (shared) 0.8", kAmpGain, 0.8f);
    set("host sets kAmpBass (shared) 0.3", kAmpBass, 0.3f);
    set("host sets kModelGain+7 (selected model's copy) 0.25", kModelGain + 7, 0.25f);
    set("host sets kModelGain+3 (another model's copy) 0.6", kModelGain + 3, 0.6f);
    press("press kModelNext", kModelNext);
    press("press kModelPrev", kModelPrev);
    press("press kModelPrev", kModelPrev);
    press("press kCabNext", kCabNext);
    press("press kCabPrev", kCabPrev);
    set("host sets kCabPreset to cabinet 5", kCabPreset, 5 / 38.0f);
    set("host sets kMasterVolume 0.7", kMasterVolume, 0.7f);
    press("press kIrToggle", kIrToggle);
    press("press kTuningNext", kTuningNext);
    set("host sets kTuning 3", kTuning, 3 / 11.0f);
    set("host sets kGateThreshold 0.25", kGateThreshold, 0.25f);
    midi("MIDI CC 7 = 100", 0xB0, 7, 100);
    midi("MIDI CC 20 = 64 (model volume)", 0xB0, 20, 64);
    midi("MIDI CC 21 = 10 (model gain)", 0xB0, 21, 10);
    midi("MIDI CC 19 = 0 (amp on)", 0xB0, 19, 0);
    midi("MIDI program change 2", 0xC0, 2, 0);
    midi("MIDI program change 4", 0xC0, 4, 0);
    midi("MIDI program change 9 (past the bank's end)", 0xC0, 9, 0);
    set("host sets kBankPosition to the first user bank", kBankPosition, 0.5f);
    midi("MIDI program change 1", 0xC0, 1, 0);
    set("host sets kBankPosition to the second user bank", kBankPosition, 1.0f);
    midi("MIDI program change 3", 0xC0, 3, 0);
    set("host sets kBankPosition to the factory bank", kBankPosition, 0.0f);
    press("press kPresetNext", kPresetNext);
    press("press kPresetPrev", kPresetPrev);
    set("press kPresetBrowse (opens the browser)", kPresetBrowse, 1.0f);
    set("click bank row 1", kBankListClick, 1.5f / kListRows);
    set("click preset row 2", kPresetListClick, 2.5f / kListRows);
    set("press kPresetBrowse (opens the browser)", kPresetBrowse, 1.0f);
    set("move kPresetScroll 0.3", kPresetScroll, 0.3f);
    set("press kPresetBrowse (closes the browser)", kPresetBrowse, 1.0f);
    set("host sets kPresetPosition 0.75", kPresetPosition, 0.75f);
    for (const std::string& path : files.factoryPresets) {
        const std::string name = "recall preset file " + std::filesystem::path(path).filename().string();
        s.Step(name, [&] {
            host.Dispatch(effVendorSpecific, kVendorReadPresetFile, 0, const_cast<char*>(path.c_str()));
        });
    }
    set("host sets kAmpModel to model 12", kAmpModel, 12 / 15.0f);
    std::vector<char> program, bank;
    s.Step("take the program and bank chunks", [&] {
        program = host.GetChunk(true);
        bank = host.GetChunk(false);
    });
    set("host sets kAmpModel to model 2", kAmpModel, 2 / 15.0f);
    set("host sets kEqLow 0.1", kEqLow, 0.1f);
    s.Step("restore the program chunk", [&] { host.SetChunk(true, program); });
    set("host sets kAmpModel to model 9", kAmpModel, 9 / 15.0f);
    s.Step("restore the bank chunk", [&] { host.SetChunk(false, bank); });
    s.Step("quality 4x", [&] { host.Dispatch(effVendorSpecific, kOversamplingOpcode, 4); });
    s.Step("quality 2x", [&] { host.Dispatch(effVendorSpecific, kOversamplingOpcode, 2); });
    midi("MIDI program change 0", 0xC0, 0, 0);
    if (!s.HasEditor()) return;

    // Clicks in the editor's window, at the controls' places in its layout.
    auto click = [&](const char* name, int x, int y) { s.Step(name, [&] { s.Click(x, y); }); };
    click("click the model step button (next)", 170, 190);
    click("click the model step button (next)", 170, 190);
    click("click the model step button (previous)", 135, 190);
    click("click the cabinet step button (next)", 170, 246);
    click("click the cabinet step button (previous)", 135, 246);
    set("host sets kAmpModel to model 0 (its panel has the gain knob clicked below)", kAmpModel, 0.0f);
    s.Step("drag the gain knob up by half its height", [&] {
        s.Button(ButtonPress, Button1, 380, 248, 0);
        s.Motion(380, 223, Button1Mask);
        s.Button(ButtonRelease, Button1, 380, 223, Button1Mask);
    });
    s.Step("double-click the gain knob (back to its default)", [&] {
        s.Button(ButtonPress, Button1, 380, 248, 0);
        s.Button(ButtonRelease, Button1, 380, 248, Button1Mask);
        s.Button(ButtonPress, Button1, 380, 248, 0, 150); // within the double-click time
        s.Button(ButtonRelease, Button1, 380, 248, Button1Mask);
    });
    click("click the preset step button (next)", 426, 62);
    click("click the preset step button (previous)", 393, 62);
    click("click the preset name (opens the browser)", 100, 85);
    click("click bank row 2", 400, 90 + 14 * 2 + 7);
    click("click preset row 3", 200, 90 + 14 * 3 + 7);
    click("click the preset name (opens the browser)", 100, 85);
    click("click preset row 1", 200, 90 + 14 * 1 + 7);
    click("click the convolution switch", 42, 363);
}

} // namespace

bool RunTranscript(const std::string& plugin, std::string& out, std::string& error) {
    SessionFiles files;
    if (!files.Create(plugin, error)) return false;
    for (bool withEditor : {false, true}) {
        Display* display = nullptr;
        unsigned long parent = 0;
        if (withEditor) {
            display = XOpenDisplay(nullptr);
            if (!display) {
                error = "no X display for the editor (set DISPLAY)";
                return false;
            }
            parent = XCreateSimpleWindow(display, RootWindow(display, DefaultScreen(display)), 0, 0, 800, 600,
                                         0, 0, 0);
            XMapWindow(display, parent);
            XSync(display, False);
        }
        {
            auto host = std::make_unique<SessionHost>();
            if (!host->Load(plugin, error)) return false;
            host->Start(44100.0, 512);
            out +=
                withEditor ? "# the script with the editor open\n" : "# the script with the editor closed\n";
            if (withEditor) {
                ERect* rect = nullptr;
                host->Dispatch(effEditGetRect, 0, 0, &rect);
                if (host->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)) != 1) {
                    error = "effEditOpen failed";
                    return false;
                }
            }
            Script script(*host, out, display, parent);
            RunScript(script, *host, files);
            if (withEditor) host->Dispatch(effEditClose);
        }
        if (display) {
            XDestroyWindow(display, parent);
            XCloseDisplay(display);
        }
    }
    return true;
}
