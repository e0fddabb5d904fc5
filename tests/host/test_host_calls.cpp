// What the built plug-in tells its host of parameter changes: nothing while it opens, switches on,
// restores a state or a program, or renders its first blocks; only a user's or a host's change.
#include "BuiltPlugin.h"

namespace {
constexpr int kAmpOn = 3, kAmpModel = 4, kModelSwitch = 30;

void ExpectToldNothing(HostedPlugin& p, const char* after) {
    EXPECT_TRUE(p.recorded.automation.empty())
        << after << ": automated index " << p.recorded.automation[0].index;
    EXPECT_TRUE(p.recorded.beginEdits.empty()) << after;
    EXPECT_TRUE(p.recorded.endEdits.empty()) << after;
}

void ProcessBlocks(HostedPlugin& p, int count) {
    std::vector<float> in(512, 0.1f), out0(512), out1(512);
    float* inputs[2] = {in.data(), in.data()};
    float* outputs[2] = {out0.data(), out1.data()};
    for (int i = 0; i < count; ++i)
        p.ProcessFloat(inputs, outputs, 512);
}

TEST(HostCalls, AFreshInstanceARestoreAndAProgramTellTheHostNothing) {
    // From VSTPluginMain through open, switching on and the first blocks.
    std::unique_ptr<HostedPlugin> p = LoadBuiltPlugin();
    ASSERT_TRUE(p);
    p->Start(48000.0, 512);
    ProcessBlocks(*p, 4);
    ExpectToldNothing(*p, "open");
    p->Stop();
    p->Start(44100.0, 256);
    ExpectToldNothing(*p, "switching off and on");

    // A state other than the defaults: a model switched on, the gate on, another cabinet.
    std::unique_ptr<HostedPlugin> other = LoadBuiltPlugin();
    ASSERT_TRUE(other);
    other->Start(44100.0, 512);
    other->SetParameter(kAmpModel, 7.0f / 15.0f);
    other->SetParameter(kAmpOn, 1.0f);
    other->SetParameter(0, 1.0f);
    other->SetParameter(12, 0.5f);
    const std::vector<char> program = other->GetChunk(true);
    const std::vector<char> bank = other->GetChunk(false);
    for (const bool asProgram : {true, false}) {
        ASSERT_EQ(p->SetChunk(asProgram, asProgram ? program : bank), 1);
        ProcessBlocks(*p, 2);
        ExpectToldNothing(*p, asProgram ? "a program chunk" : "a bank chunk");
    }
    EXPECT_EQ(p->GetChunk(true), program);
    p->Dispatch(effSetProgram, 0, 0);
    ExpectToldNothing(*p, "effSetProgram");

    // A host's change that moves a linked index is still reported: the model's own switch. The
    // move comes from the thread that runs the blocks; when another of the plug-in's threads holds
    // the plug-in's lock just then, the move waits for the next block, so one runs first.
    p->SetParameter(kAmpOn, 0.0f);
    ProcessBlocks(*p, 1);
    ASSERT_FALSE(p->recorded.automation.empty());
    EXPECT_EQ(p->recorded.automation[0].index, kModelSwitch + 7);
    EXPECT_EQ(p->recorded.automation[0].value, 0.0f);
}
} // namespace
