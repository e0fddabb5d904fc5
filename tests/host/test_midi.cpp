// MIDI input: the controller map, program change, and events that are not MIDI.
#include "BuiltPlugin.h"

#include <cstring>

namespace {
class Midi : public BuiltPluginTest {
protected:
    void Send(uint8_t status, uint8_t data1, uint8_t data2, int32_t byteSize = 32) {
        VstMidiEvent midi{};
        midi.type = kVstMidiType;
        midi.byteSize = byteSize;
        midi.midiData[0] = static_cast<char>(status);
        midi.midiData[1] = static_cast<char>(data1);
        midi.midiData[2] = static_cast<char>(data2);
        VstEvents list{};
        list.numEvents = 1;
        list.events[0] = reinterpret_cast<VstEvent*>(&midi);
        EXPECT_EQ(plugin->Dispatch(effProcessEvents, 0, 0, &list), 1);
    }
    bool Reported(int index, float value) const {
        bool automated = false;
        for (const auto& a : plugin->recorded.automation)
            if (a.index == index && a.value == value) automated = true;
        const auto& b = plugin->recorded.beginEdits;
        const auto& e = plugin->recorded.endEdits;
        return automated && std::find(b.begin(), b.end(), index) != b.end() &&
               std::find(e.begin(), e.end(), index) != e.end();
    }
};

TEST_F(Midi, VolumeControllerSetsMasterVolume) {
    Send(0xB0, 7, 127);
    EXPECT_EQ(plugin->GetParameter(16), 1.0f);
    EXPECT_TRUE(Reported(16, 1.0f));
}

TEST_F(Midi, ControllersOnAnyChannelAndShortEvents) {
    Send(0xB5, 8, 0, 24); // LMMS sends 24-byte events
    EXPECT_EQ(plugin->GetParameter(13), 0.0f);
    Send(0xBF, 17, 127);
    EXPECT_EQ(plugin->GetParameter(1), 1.0f);
    Send(0xB0, 99, 0); // not mapped
    Send(0x90, 7, 0);  // a note, not a controller
    EXPECT_EQ(plugin->GetParameter(16), 0.5f);
}

TEST_F(Midi, PerModelControllerSetsTheSelectedModelsKnob) {
    plugin->SetParameter(4, 3.0f / 15.0f);
    Send(0xB0, 20, 0);
    EXPECT_EQ(plugin->GetParameter(65), 0.0f); // model 3's volume
    EXPECT_EQ(plugin->GetParameter(5), 0.0f);  // and the shared volume
    EXPECT_EQ(plugin->GetParameter(62), 0.5f); // model 0's is untouched
    EXPECT_TRUE(Reported(5, 0.0f));
}

TEST_F(Midi, ProgramChangeSelectsFromTheBankBesideThePlugin) {
    Send(0xC0, 0, 0);
    EXPECT_EQ(plugin->GetParameter(146), 0.0f);
    EXPECT_TRUE(Reported(146, 0.0f));
    // The factory bank's first preset, "Blues Crunch", selects "Tube Creamer" (model 5).
    EXPECT_FLOAT_EQ(plugin->GetParameter(4), 5.0f / 15.0f);
    Send(0xC0, 127, 0); // past the end of the bank: its last preset, nothing out of range
    EXPECT_EQ(plugin->GetParameter(146), 1.0f);
}

TEST_F(Midi, NonMidiEventsGoBackToTheHostUnchanged) {
    VstEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = 32;
    sysex.deltaFrames = 17;
    std::memcpy(sysex.data, "\x01\x02\x03\x04", 4);
    VstEvents list{};
    list.numEvents = 2;
    list.events[0] = nullptr; // null entries are skipped
    list.events[1] = &sysex;
    EXPECT_EQ(plugin->Dispatch(effProcessEvents, 0, 0, &list), 1);
    ASSERT_EQ(plugin->recorded.events.size(), 1u);
    EXPECT_EQ(std::memcmp(plugin->recorded.events[0].data(), &sysex, sizeof(sysex)), 0);
    EXPECT_EQ(plugin->Dispatch(effProcessEvents, 0, 0, nullptr), 0);
}
} // namespace
