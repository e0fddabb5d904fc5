// The plug-in base: channel configurations, host identification, block buffers, state reads.
#include "IVstAdapter.h"
#include "StateChunk.h"

#include <gtest/gtest.h>

namespace {
class TestPlugin : public IVstAdapter {
public:
    explicit TestPlugin(const char* channels = "1-1 2-2")
        : IVstAdapter(nullptr, Config(channels)) {}
    static IPluginConfig Config(const char* channels) {
        IPluginConfig c{};
        c.paramCount = 3;
        c.channelConfig = channels;
        c.programCount = 2;
        c.effectName = "Test";
        c.productName = "";
        c.vendorName = "us";
        c.version = 0x20500;
        c.stateInChunks = true;
        return c;
    }
    using IPluginBase::SetHost;
    const std::vector<double>& InputScratch(int i) const { return inputChannels[static_cast<size_t>(i)].scratch; }
    std::vector<double>& InputScratch(int i) { return inputChannels[static_cast<size_t>(i)].scratch; }
};

TEST(PluginBase, ChannelConfigurations) {
    TestPlugin plugin;
    EXPECT_EQ(plugin.InputCount(), 2);
    EXPECT_EQ(plugin.OutputCount(), 2);
    EXPECT_TRUE(plugin.LegalIO(1, -1));
    EXPECT_TRUE(plugin.LegalIO(2, 2));
    EXPECT_TRUE(plugin.LegalIO(-1, 1));
    EXPECT_FALSE(plugin.LegalIO(1, 2));
    TestPlugin broken("x-1 4");
    EXPECT_EQ(broken.InputCount(), 4);
    EXPECT_EQ(broken.OutputCount(), 0);
    EXPECT_TRUE(broken.LegalIO(0, 0));
}

TEST(PluginBase, HostIdentificationTable) {
    TestPlugin plugin;
    EXPECT_EQ(plugin.HostId(), -1);
    const std::pair<const char*, int> cases[] = {
        {"REAPER", 1},           {"Cubase Nuendo", 3}, {"Ableton Live", 9}, {"", 0},
        {"Fruity Loops live", 7}, {"Logic", 21},       {"digital performer", 22}, {"Ardour", 0},
    };
    for (const auto& [name, id] : cases) {
        plugin.SetHost(name, 0x10203);
        EXPECT_EQ(plugin.HostId(), id) << name;
    }
    EXPECT_EQ(plugin.HostVersion(), 0x10203);
}

TEST(PluginBase, VersionIsReportedPackedOrDecimal) {
    TestPlugin plugin;
    EXPECT_EQ(plugin.GetPluginVersion(false), 0x20500);
    EXPECT_EQ(plugin.GetPluginVersion(true), 20500);
}

TEST(PluginBase, BlockSizeClearsScratchOnlyWhenItChanges) {
    TestPlugin plugin; // the adapter sets 1024
    ASSERT_EQ(plugin.InputScratch(0).size(), 1024u);
    plugin.InputScratch(0)[3] = 7.0;
    plugin.SetBlockSize(1024);
    EXPECT_EQ(plugin.InputScratch(0)[3], 7.0);
    plugin.SetBlockSize(64);
    EXPECT_EQ(plugin.InputScratch(0).size(), 64u);
    EXPECT_EQ(plugin.InputScratch(0)[3], 0.0);
}

TEST(PluginBase, ProgramsStartNamedAndUserPresetsCount) {
    TestPlugin plugin;
    EXPECT_STREQ(plugin.GetProgramName(0), "- 1 -");
    EXPECT_STREQ(plugin.GetProgramName(1), "- 2 -");
    EXPECT_STREQ(plugin.GetProgramName(2), "");
    plugin.MakeDefaultPrograms(nullptr, 1);
    EXPECT_STREQ(plugin.GetProgramName(0), "Default");
    EXPECT_TRUE(plugin.RecallProgram(1));
    EXPECT_STREQ(plugin.GetProgramName(1), "user preset 1");
    EXPECT_EQ(plugin.CurrentProgram(), 1);
    EXPECT_FALSE(plugin.RecallProgram(2));
    EXPECT_EQ(plugin.CurrentProgram(), 1);
}

TEST(StateChunk, ReadsFailPastTheEndAndPassFailureOn) {
    StateChunk chunk;
    chunk.PutValue(int32_t{5});
    int32_t v = 0;
    EXPECT_EQ(chunk.GetValue(v, 0), 4);
    EXPECT_EQ(v, 5);
    v = 9;
    EXPECT_EQ(chunk.GetValue(v, 1), -1);
    EXPECT_EQ(v, 9);
    EXPECT_EQ(chunk.GetValue(v, -1), -1);
}

TEST(StateChunk, StringRules) {
    StateChunk chunk;
    chunk.PutString("abc");
    std::string text = "old";
    EXPECT_EQ(chunk.GetString(text, 0), 7);
    EXPECT_EQ(text, "abc");
    StateChunk empty;
    empty.PutString("");
    text = "kept";
    EXPECT_EQ(empty.GetString(text, 0), 4);
    EXPECT_EQ(text, "kept"); // a zero length does not clear
    StateChunk runs;
    runs.PutValue(int32_t{100});
    EXPECT_EQ(runs.GetString(text, 0), 104); // past the end: the next read fails
    EXPECT_EQ(text, "kept");
    StateChunk negative;
    negative.PutValue(int32_t{-4});
    negative.PutValue(int32_t{0});
    EXPECT_EQ(negative.GetString(text, 0), -1);
    EXPECT_EQ(runs.GetString(text, 2), -1);
}

TEST(StateChunk, Header) {
    StateChunk chunk;
    StateChunk::WriteHeader(chunk);
    int position = 0;
    EXPECT_EQ(StateChunk::ReadHeader(chunk, position), 0x10000);
    EXPECT_EQ(position, 8);
    StateChunk bare;
    bare.PutValue(int32_t{3});
    position = 0;
    EXPECT_EQ(StateChunk::ReadHeader(bare, position), 0);
    EXPECT_EQ(position, 0);
    StateChunk cut;
    cut.PutValue(StateChunk::kMagic);
    position = 0;
    EXPECT_EQ(StateChunk::ReadHeader(cut, position), 0);
    EXPECT_EQ(position, -1);
}
} // namespace
