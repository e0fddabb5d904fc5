// What parameter changes do to the editor: linked knobs, value texts, the name strip, and host
// automation and MIDI reaching the sound.
#include "AmpModelIds.h"
#include "EditorFixture.h"
#include "ITextControls.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {
using EditorDispatch = EditorFixture;

// A control change on MIDI channel 1, as a host delivers it.
void SendController(HostedPlugin& host, int controller, int value) {
    VstMidiEvent midi{};
    midi.type = kVstMidiType;
    midi.byteSize = sizeof(midi);
    midi.midiData[0] = static_cast<char>(0xB0);
    midi.midiData[1] = static_cast<char>(controller);
    midi.midiData[2] = static_cast<char>(value);
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&midi);
    host.Dispatch(effProcessEvents, 0, 0, &list);
}

TEST_F(EditorDispatch, PanelKnobOfTheSelectedModelMovesTheSharedKnob) {
    SelectModel(5);
    host->SetParameter(kModelVolume + 2, 0.9f); // model 2 is not selected
    EXPECT_DOUBLE_EQ(plugin->ParamAt(kAmpVolume)->Value(), 0.5);
    EXPECT_DOUBLE_EQ(At(2)->Value(), 0.5);
    host->SetParameter(kModelVolume + 5, 0.25f);
    EXPECT_DOUBLE_EQ(plugin->ParamAt(kAmpVolume)->Value(), 0.25);
    EXPECT_DOUBLE_EQ(At(2)->Value(), 0.25); // the hidden needle of index 5
    EXPECT_EQ(ValueText(graphics), "2.50");
}

TEST_F(EditorDispatch, ValueTextsShowTheUnits) {
    struct Case {
        int param;
        float value;
        const char* text;
    } cases[] = {
        {kIrDry, 0.0f, "-inf dB"},        {kIrDry, 0.5f, "0.0 dB"},   {kIrDry, 0.25f, "-24.0 dB"},
        {kGateThreshold, 0.5f, "-50 dB"}, {kGate, 1.0f, "ON"},        {kGate, 0.0f, "OFF"},
        {kIrWet, 1.0f, "24.0 dB"},        {kEqLow, 0.25f, "-6.0 dB"}, {kLoudness, 0.25f, "7.50"},
        {kMasterVolume, 0.75f, "7.50"},   {kAmpOn, 1.0f, "ON"},
    };
    for (const Case& c : cases) {
        host->SetParameter(c.param, c.value);
        EXPECT_EQ(ValueText(graphics), c.text) << "parameter " << c.param << " at " << c.value;
    }
}

TEST_F(EditorDispatch, NameStripShowsTheTouchedParameter) {
    struct Case {
        int model;
        int param;
        int frame;
    } cases[] = {
        {0, kGate, 1},          {0, kGateThreshold, 2}, {0, kGateRelease, 3},   {0, kToneFreq, 7},
        {0, kToneResonance, 8}, {0, kEqLow, 12},        {0, kEqHigh, 13},       {0, kMasterVolume, 14},
        {0, kLoudness, 15},     {0, kIrDry, 26},        {0, kIrWet, 27},        {0, kModelSwitch, 4},
        {0, kModelVolume, 5},   {0, kModelGain, 6},     {0, kModelBass, 9},     {0, kModelMiddle, 10},
        {0, kModelTreble, 11},  {6, kModelBass, 17},    {7, kModelGain, 18},    {7, kModelBass, 19},
        {7, kModelMiddle, 20},  {7, kModelTreble, 21},  {13, kModelMiddle, 22}, {14, kModelMiddle, 23},
        {14, kModelTreble, 24}, {12, kModelGain, 18},   {15, kModelGain, 18},   {10, kModelGain, 6},
    };
    float value = 0.2f;
    for (const Case& c : cases) {
        SelectModel(c.model);
        const int param = IsPanelParam(c.param) ? c.param + c.model : c.param;
        value = value > 0.5f ? 0.2f : value + 0.1f;
        host->SetParameter(param, value);
        EXPECT_NEAR(StripFrame(), c.frame, 1e-9) << "parameter " << param;
    }
    // The convolution switch shows its new state on the bar.
    Click(kIrToggle);
    EXPECT_NEAR(StripFrame(), 25, 1e-9);
    EXPECT_EQ(At(kControlValueBar)->Value(), 1.0);
    EXPECT_EQ(ValueText(graphics), "ON");
    EXPECT_EQ(plugin->ParamAt(kIrOn)->Value(), 1.0);
    // The loudness bar runs backwards.
    host->SetParameter(kLoudness, 0.25f);
    EXPECT_DOUBLE_EQ(At(kControlValueBar)->Value(), 0.75);
}

class EditorSound : public EditorFixture {
protected:
    // Both instances: model 5 selected and its amp switched on.
    void SetUp() override {
        EditorFixture::SetUp();
        Make(referenceHost, reference, referenceGraphics);
        for (HostedPlugin* h : {host.get(), referenceHost.get()}) {
            h->SetParameter(kAmpModel, static_cast<float>(5 / static_cast<double>(kLastModel)));
            h->SetParameter(kModelSwitch + 5, 1.0f);
        }
        ASSERT_EQ(MaxDifference(Render(), Render(*referenceHost)), 0.0);
    }
    std::unique_ptr<HostedPlugin> referenceHost;
    VulpanePlugin* reference = nullptr;
    IEditorGraphics* referenceGraphics = nullptr;
};

TEST_F(EditorSound, KnobOfAnotherModelChangesNothingAudible) {
    host->SetParameter(kModelGain + 6, 0.95f);
    host->SetParameter(kModelVolume + 6, 0.05f);
    EXPECT_EQ(MaxDifference(Render(), Render(*referenceHost)), 0.0);
}

// The gain turned down, out of the clip: turned up from 0.5 the loud test note is saturated either
// way, and with anti-aliased clips the two renders differ by less than 1e-4.
TEST_F(EditorSound, HostAutomationOfTheSelectedModelsKnobReachesTheSound) {
    host->SetParameter(kModelGain + 5, 0.05f);
    EXPECT_FLOAT_EQ(static_cast<float>(plugin->ParamAt(kAmpGain)->Value()), 0.05f);
    EXPECT_GT(MaxDifference(Render(), Render(*referenceHost)), 1e-3);
}

TEST_F(EditorSound, ControllerTwentyMovesTheSelectedModelsVolume) {
    SendController(*host, 20, 20);
    EXPECT_DOUBLE_EQ(plugin->ParamAt(kModelVolume + 5)->Value(), 20.0 / 127.0);
    EXPECT_DOUBLE_EQ(plugin->ParamAt(kAmpVolume)->Value(), 20.0 / 127.0);
    Idle();
    EXPECT_DOUBLE_EQ(At(47)->Value(), 20.0 / 127.0);
    EXPECT_GT(MaxDifference(Render(), Render(*referenceHost)), 1e-3);
}
} // namespace

namespace {
TEST_F(EditorSound, ControllerForAKnobThePanelLacksStillMovesTheParameter) {
    SelectModel(AmpModel::kBat); // no bass knob on its panel
    SendController(*host, 24, 127);
    EXPECT_DOUBLE_EQ(plugin->ParamAt(kModelBass + AmpModel::kBat)->Value(), 1.0);
    EXPECT_DOUBLE_EQ(plugin->ParamAt(kAmpBass)->Value(), 1.0);
}
} // namespace

namespace {
std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}
const char* OnOff(bool on) {
    return on ? "ON" : "OFF";
}

struct Display {
    int param;  // the parameter whose value the display must show
    double bar; // the bar's value for it
    std::string text;
};

// What the value bar and text must show for the name-strip frame, from the parameter values
// (the units each knob is labelled with on the panels and in the display).
Display ExpectedFor(VulpanePlugin* plugin, int frame) {
    auto v = [plugin](int param) { return plugin->ParamAt(param)->Value(); };
    const bool poltergeist = plugin->CurrentModel() == 14;
    auto knob = [&](int param) { return Display{param, v(param), Format("%.2f", 10.0 * v(param))}; };
    auto tone = [&](int param) { return Display{param, v(param), Format("%.2f", 10.0 * v(param) - 5.0)}; };
    auto eq = [&](int param) { return Display{param, v(param), Format("%.1f dB", 24.0 * v(param) - 12.0)}; };
    switch (frame) {
    case 1:
        return {kGate, v(kGate), OnOff(v(kGate) >= 0.5)};
    case 2:
        return {kGateThreshold, v(kGateThreshold), Format("%.0f dB", 100.0 * v(kGateThreshold) - 100.0)};
    case 3:
        return knob(kGateRelease);
    case 4:
        return {kAmpOn, v(kAmpOn), OnOff(v(kAmpOn) >= 0.5)};
    case 5:
        return knob(kAmpVolume);
    case 6:
    case 18:
        return knob(kAmpGain);
    case 7:
        return knob(kToneFreq);
    case 8:
        return knob(kToneResonance);
    case 9:
    case 17:
    case 19:
        if (poltergeist) return {kAmpBass, v(kAmpBass), Format("%.0f dB", 24.0 * v(kAmpBass) - 12.0)};
        return tone(kAmpBass);
    case 10:
    case 20:
    case 22:
    case 23:
        return tone(kAmpMiddle);
    case 11:
    case 21:
    case 24:
        if (poltergeist) return {kAmpTreble, v(kAmpTreble), OnOff(v(kAmpTreble) > 0.0)};
        return tone(kAmpTreble);
    case 12:
        return eq(kEqLow);
    case 13:
        return eq(kEqHigh);
    case 14:
        return knob(kMasterVolume);
    case 15:
        return {kLoudness, 1.0 - v(kLoudness), Format("%.2f", (1.0 - v(kLoudness)) * 10.0)};
    case 25:
        return {kIrOn, v(kIrOn), OnOff(v(kIrOn) != 0.0)};
    case 26: {
        const double g = v(kIrDry) >= 0.5 ? 48.0 * v(kIrDry) - 24.0 : 96.0 * v(kIrDry) - 48.0;
        return {kIrDry, v(kIrDry), g == -48.0 ? "-inf dB" : Format("%.1f dB", g)};
    }
    case 27:
        return {kIrWet, v(kIrWet), Format("%.1f dB", 48.0 * v(kIrWet) - 24.0)};
    default:
        return {-1, 0.0, "no parameter for frame " + std::to_string(frame)};
    }
}

class DisplayPairing : public EditorFixture {
protected:
    // The strip, the bar and the text all belong to the same parameter.
    void ExpectPaired(const std::string& step) {
        const int frame = static_cast<int>(std::lround(StripFrame()));
        const Display expected = ExpectedFor(plugin, frame);
        EXPECT_EQ(ValueText(graphics), expected.text) << step << ": strip frame " << frame;
        EXPECT_NEAR(At(kControlValueBar)->Value(), expected.bar, 1e-6) << step << ": strip frame " << frame;
    }
    void SetAndCheck(int param, float value) {
        host->SetParameter(param, value);
        ExpectPaired("parameter " + std::to_string(param) + " = " + std::to_string(value));
    }
};

TEST_F(DisplayPairing, StepsAndSwitchesNeverShowAnotherParametersValue) {
    SetAndCheck(kMasterVolume, 0.837f);
    for (int step = 0; step < 16; ++step) { // every model through the steppers, and back
        Click(kModelNext);
        ExpectPaired("model next to " + std::to_string(plugin->CurrentModel()));
        SetAndCheck(kModelSwitch + plugin->CurrentModel(), step % 2 ? 0.0f : 1.0f);
        SetAndCheck(kEqHigh, 0.3f + 0.02f * static_cast<float>(step));
    }
    for (int step = 0; step < 3; ++step) {
        Click(kModelPrev);
        ExpectPaired("model previous");
        Click(kCabNext);
        ExpectPaired("cabinet next");
    }
    SetAndCheck(kAmpOn, 1.0f);
    SetAndCheck(kAmpOn, 0.0f);
    SetAndCheck(kGate, 1.0f);
    Click(kIrToggle);
    ExpectPaired("impulse toggle");
    SetAndCheck(kIrDry, 0.0f);

    // Poltergeist's panel switches: the bass switch in dB, the modulation switch on or off.
    SelectModel(14);
    SetAndCheck(kModelTreble + 14, 1.0f);
    EXPECT_EQ(ValueText(graphics), "ON");
    SetAndCheck(kModelBass + 14, 0.5f);
    EXPECT_EQ(ValueText(graphics), "0 dB");
    SetAndCheck(kModelBass + 14, 1.0f);
    EXPECT_EQ(ValueText(graphics), "12 dB");
    SetAndCheck(kModelSwitch + 14, 1.0f);
    EXPECT_EQ(ValueText(graphics), "ON");
}

TEST_F(DisplayPairing, PresetLoadsAndRestoresEndPaired) {
    const char* source = std::getenv("VULPANE_SOURCE_DIR");
    const std::string dir = source ? source : (std::ifstream("presets/make_presets.py").good() ? "." : "..");
    plugin->UsePresetFolder(dir + "/presets/Vulpane/Presets/");
    ASSERT_FALSE(plugin->PresetNames().empty());
    for (int i = 0; i < static_cast<int>(plugin->PresetNames().size()); ++i) {
        host->SetParameter(kMasterVolume, 0.837f);
        plugin->ProcessMidi(MidiMessage{0, 0xC0, static_cast<uint8_t>(i), 0});
        ExpectPaired("preset " + plugin->PresetNames()[static_cast<size_t>(i)].name);
        Click(kPresetNext);
        ExpectPaired("preset button after " + plugin->PresetNames()[static_cast<size_t>(i)].name);
    }
    const std::vector<char> chunk = host->GetChunk(true);
    SetAndCheck(kMasterVolume, 0.2f);
    ASSERT_EQ(host->SetChunk(true, chunk), 1);
    ExpectPaired("state restore");
}
} // namespace
