#pragma once

#include "IPluginBase.h"

#include <cstdio>
#include <string>
#include <vector>

// A plug-in that records what the editor asks of it: "begin i", "set i v", "end i".
class RecordingPlugin : public IPluginBase {
public:
    // Parameters 0..3 are doubles in 0..1; parameter 4 is left for a test to declare.
    explicit RecordingPlugin(int paramCount = 5) : IPluginBase(Config(paramCount)) {
        for (int i = 0; i < paramCount && i < 4; ++i)
            ParamAt(i)->DeclareDouble("p", 0.0, 0.0, 1.0, 0.001, "dB");
    }

    static IPluginConfig Config(int paramCount) {
        return IPluginConfig{paramCount, "2-2",      1, "Test", "Test", "Test", 0x10000,
                             0x54657374, 0x54657374, 0, false,  false,  false};
    }

    void BeginEdit(int index) override { Log("begin", index); }
    void AutomateHost(int index, double value) override {
        char text[64];
        std::snprintf(text, sizeof text, "set %d %g", index, value);
        events.push_back(text);
        sent.push_back(value);
    }
    void EndEdit(int index) override { Log("end", index); }
    void ResizeEditor(int width, int height) override {
        editorWidth = width;
        editorHeight = height;
    }

    void ProcessMidi(const MidiMessage&) override {}
    int GetSamplePosition() override { return 0; }
    double GetTempo() override { return 120.0; }
    void GetTimeSignature(int& n, int& d) override { n = d = 4; }
    void GetTransport(TransportInfo&) override {}
    void OnOpen() override {}
    bool SendMidi(const MidiMessage&) override { return false; }
    bool SendMidiList(const std::vector<MidiMessage>&) override { return false; }

    std::vector<std::string> events;
    std::vector<double> sent;
    int editorWidth = 0;
    int editorHeight = 0;

private:
    void Log(const char* what, int index) {
        events.push_back(std::string(what) + " " + std::to_string(index));
    }
};
