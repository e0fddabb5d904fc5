// What a host sees of the effect record and the dispatcher's fixed answers.
#include "BuiltPlugin.h"

#include <cstring>

namespace {
constexpr int32_t kVzp2 = 0x767A7032;

TEST(EffectRecord, FieldsAfterConstruction) {
    std::unique_ptr<HostedPlugin> plugin = LoadBuiltPlugin();
    ASSERT_TRUE(plugin);
    const AEffect* e = plugin->Effect();
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 162);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->uniqueID, kVzp2);
    EXPECT_EQ(e->version, 20500);
    EXPECT_EQ(e->initialDelay, 5); // the amp models' default 2x oversampling
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->realQualities, 0);
    EXPECT_EQ(e->offQualities, 0);
    EXPECT_NE(e->object, nullptr);
    EXPECT_EQ(e->user, nullptr);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    EXPECT_NE(e->process, nullptr);
    for (char c : e->future)
        EXPECT_EQ(c, 0);
}

TEST(EffectRecord, FlagsSayEditorReplacingDoubleChunksAndMono) {
    std::unique_ptr<HostedPlugin> plugin = LoadBuiltPlugin();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->Effect()->flags, 0x1039);
}

TEST(EffectRecord, HostFieldsAreLeftAlone) {
    std::unique_ptr<HostedPlugin> plugin = LoadBuiltPlugin();
    ASSERT_TRUE(plugin);
    AEffect* e = plugin->Effect();
    const intptr_t mine = e->resvd1; // the host library keeps its own pointer here, as Ardour does
    e->resvd2 = 0x1234;
    plugin->Start(48000.0, 256);
    plugin->Dispatch(effGetChunk, 1, 0, &e->user);
    e->user = nullptr;
    EXPECT_EQ(e->resvd1, mine);
    EXPECT_EQ(e->resvd2, 0x1234);
}

class Dispatcher : public BuiltPluginTest {};

TEST_F(Dispatcher, FixedAnswers) {
    EXPECT_EQ(plugin->Dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(plugin->Dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(plugin->Dispatch(effGetPlugCategory), 1);
    EXPECT_EQ(plugin->Dispatch(effCanBeAutomated, 5), 1);
    EXPECT_EQ(plugin->Dispatch(effCanBeAutomated, 161), 1);
    EXPECT_EQ(plugin->Dispatch(effGetProgram), 0);
    // Opcodes without an action answer 0.
    for (int32_t op : {9, 16, 20, 21, 27, 28, 30, 36, 41, 43, 44, 46, 52, 56, 59, 65, 67, 68, 70, 77, 79})
        EXPECT_EQ(plugin->Dispatch(op), 0) << "opcode " << op;
    EXPECT_EQ(plugin->Dispatch(effIdle), 0);
    // The vendor version is the plug-in's version, as the effect record gives it.
    EXPECT_EQ(plugin->Dispatch(effGetVendorVersion), 20500);
    EXPECT_EQ(plugin->Dispatch(effGetVendorVersion), effect->version);
}

TEST_F(Dispatcher, CapabilityAnswers) {
    EXPECT_EQ(plugin->CanDo("receiveVstTimeInfo"), 1);
    EXPECT_EQ(plugin->CanDo("receiveVstMidiEvent"), 1);
    EXPECT_EQ(plugin->CanDo("receiveVstEvents"), 1);
    EXPECT_EQ(plugin->CanDo("sendVstEvents"), 1);
    EXPECT_EQ(plugin->CanDo("sendVstMidiEvent"), 1);
    EXPECT_EQ(static_cast<uint32_t>(plugin->CanDo("hasCockosExtensions")), 0xBEEF0000u);
    EXPECT_EQ(static_cast<uint32_t>(plugin->CanDo("hasCockosViewAsConfig")), 0xBEEF0000u);
    EXPECT_EQ(plugin->CanDo("HasCockosExtensions"), 0);
    EXPECT_EQ(plugin->CanDo("ReceiveVstTimeInfo"), 0);
    EXPECT_EQ(plugin->CanDo("offline"), 0);
    EXPECT_EQ(plugin->Dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_F(Dispatcher, NamesAndNullPointers) {
    EXPECT_EQ(plugin->EffectName(), "Vulpane");
    EXPECT_EQ(plugin->VendorString(), "kestrovanic");
    EXPECT_EQ(plugin->ProductString(), "Vulpane");
    EXPECT_EQ(plugin->Dispatch(effGetEffectName, 0, 0, nullptr), 0);
    EXPECT_EQ(plugin->Dispatch(effGetVendorString, 0, 0, nullptr), 0);
    EXPECT_EQ(plugin->Dispatch(effGetProductString, 0, 0, nullptr), 0);
    char text[64] = "x";
    EXPECT_EQ(plugin->Dispatch(effGetEffectName, 0, 0, text), 1);
    EXPECT_EQ(plugin->Dispatch(effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Vulpane");
}

TEST_F(Dispatcher, PinProperties) {
    VstPinProperties pin{};
    EXPECT_EQ(plugin->Dispatch(effGetInputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Input 1");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_EQ(plugin->Dispatch(effGetInputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Input 2");
    EXPECT_EQ(pin.flags, 1);
    EXPECT_EQ(plugin->Dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Output 2");
    EXPECT_EQ(pin.flags, 1);
    EXPECT_EQ(plugin->Dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Output 1");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_EQ(plugin->Dispatch(effGetOutputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(plugin->Dispatch(effGetInputProperties, -1, 0, &pin), 0);
    EXPECT_EQ(plugin->Dispatch(effGetInputProperties, 0, 0, nullptr), 0);
}

TEST_F(Dispatcher, VendorSpecificFormatsAnyValue) {
    char text[64] = "untouched";
    EXPECT_EQ(plugin->Dispatch(effVendorSpecific, effGetParamDisplay, 999, text, 0.5f), 0xBEEF);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(plugin->Dispatch(effVendorSpecific, effGetParamDisplay, 4, text, 7.0f / 15.0f), 0xBEEF);
    EXPECT_STREQ(text, "Metal Charter");
    EXPECT_EQ(plugin->Dispatch(effVendorSpecific, effGetParamDisplay, 1, text, 0.25f), 0xBEEF);
    EXPECT_STREQ(text, "-75");
    EXPECT_EQ(plugin->Dispatch(effVendorSpecific, effGetParamLabel, 1, text, 0.25f), 0);
    EXPECT_EQ(plugin->Dispatch(effVendorSpecific, effGetParamDisplay, 1, nullptr, 0.25f), 0);
}

TEST_F(Dispatcher, ProgramNames) {
    char text[64] = "x";
    EXPECT_EQ(plugin->Dispatch(effGetProgramNameIndexed, 0, 0, text), 1);
    EXPECT_STREQ(text, "Default");
    std::strcpy(text, "x");
    EXPECT_EQ(plugin->Dispatch(effGetProgramNameIndexed, 5, 0, text), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(plugin->Dispatch(effGetProgramNameIndexed, 0, 0, nullptr), 0);
    plugin->Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Crunch"));
    plugin->Dispatch(effGetProgramName, 0, 0, text);
    EXPECT_STREQ(text, "Crunch");
}

TEST_F(Dispatcher, SpeakerArrangements) {
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    EXPECT_EQ(plugin->Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out), 1);
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in->type, kSpeakerArrStereo);
    EXPECT_EQ(in->numChannels, 2);
    EXPECT_EQ(out->numChannels, 2);
    VstSpeakerArrangement mono{};
    mono.type = kSpeakerArrMono;
    mono.numChannels = 1;
    EXPECT_EQ(plugin->Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&mono), &mono), 1);
}

TEST_F(Dispatcher, EditorRectangleIsAnsweredBeforeAnyWindow) {
    ERect* rect = nullptr;
    EXPECT_EQ(plugin->Dispatch(effEditGetRect, 0, 0, nullptr), 0);
    ASSERT_EQ(plugin->Dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 440);
    EXPECT_EQ(rect->right, 630);
}

TEST(HostIdentification, EmptyProductIsNotAskedForItsVersion) {
    std::unique_ptr<HostedPlugin> plugin = LoadBuiltPlugin();
    ASSERT_TRUE(plugin);
    plugin->productString = "";
    plugin->Dispatch(effOpen);
    plugin->Dispatch(effOpen); // hosts may open twice; the host is identified once
    EXPECT_EQ(plugin->recorded.productStringRequests, 1);
    EXPECT_EQ(plugin->recorded.vendorVersionRequests, 0);
}

TEST(HostIdentification, NamedHostIsAskedForItsVersionOnce) {
    std::unique_ptr<HostedPlugin> plugin = LoadBuiltPlugin();
    ASSERT_TRUE(plugin);
    plugin->productString = "REAPER";
    plugin->Dispatch(effOpen);
    plugin->Dispatch(effOpen);
    EXPECT_EQ(plugin->recorded.productStringRequests, 1);
    EXPECT_EQ(plugin->recorded.vendorVersionRequests, 1);
}
} // namespace
