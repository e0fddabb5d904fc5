// State chunks and programs through effGetChunk / effSetChunk, byte for byte.
#include "BuiltPlugin.h"
#include "ChunkBytes.h"
#include "PresetFile.h"

#include <cmath>
#include <cstring>
#include <random>

namespace {
constexpr int kParams = 162;

// A bare state: path text and 162 doubles.
ChunkBytes State(const std::string& path, const std::vector<double>& values) {
    ChunkBytes c;
    c.Text(path);
    for (double v : values)
        c.Double(v);
    return c;
}

std::vector<double> Defaults(HostedPlugin& plugin) {
    // After the header and the path text; tagged records may follow the values.
    std::vector<char> chunk = plugin.GetChunk(true);
    int32_t pathLength = 0;
    std::memcpy(&pathLength, chunk.data() + 8, sizeof pathLength);
    std::vector<double> values;
    for (int i = 0; i < kParams; ++i)
        values.push_back(ReadDouble(chunk, 12 + pathLength + i * 8));
    return values;
}

class State : public BuiltPluginTest {};

TEST_F(State, ProgramChunkLayout) {
    std::vector<double> values = Defaults(*plugin);
    ASSERT_EQ(plugin->SetChunk(true, ::State("C:\\ir\\a.wa", values).bytes), 1);
    const std::vector<char> chunk = plugin->GetChunk(true);
    ASSERT_EQ(chunk.size(), 1318u);
    const unsigned char start[] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00, 0x0A, 0x00, 0x00, 0x00};
    for (size_t i = 0; i < sizeof(start); ++i)
        EXPECT_EQ(static_cast<unsigned char>(chunk[i]), start[i]) << i;
    EXPECT_EQ(std::string(chunk.data() + 12, 10), "C:\\ir\\a.wa");
    EXPECT_EQ(ReadDouble(chunk, 22 + 8 * 16), 0.5); // master volume, in its own units
}

TEST_F(State, BankChunkLayout) {
    const std::vector<char> bank = plugin->GetChunk(false);
    ASSERT_EQ(bank.size(), 2640u); // the last 20 bytes: a new instance's oversampling record
    ChunkBytes expected;
    expected.Header().Text("Default").Byte(1);
    EXPECT_EQ(std::vector<char>(bank.begin(), bank.begin() + 20), expected.bytes);
}

TEST_F(State, SameSettingsGiveTheSameBytes) {
    EXPECT_EQ(plugin->GetChunk(true), plugin->GetChunk(true));
    EXPECT_EQ(plugin->GetChunk(false), plugin->GetChunk(false));
}

TEST_F(State, HeaderlessBlockIsABareStateStoredIntoTheProgram) {
    std::vector<double> values = Defaults(*plugin);
    values[16] = 0.125;
    ASSERT_EQ(plugin->SetChunk(true, ::State("", values).bytes), 1);
    EXPECT_EQ(plugin->GetParameter(16), 0.125f);
    plugin->SetParameter(16, 0.9f);
    plugin->Dispatch(effSetProgram, 0, 0); // stores the edit, then recalls the program with it
    EXPECT_FLOAT_EQ(plugin->GetParameter(16), 0.9f);
    // The bank's program holds the restored state.
    ASSERT_EQ(plugin->SetChunk(false, ::State("", values).bytes), 1);
    const std::vector<char> bank = plugin->GetChunk(false);
    EXPECT_EQ(ReadDouble(bank, 8 + 4 + 7 + 1 + 4 + 16 * 8), 0.125);
}

TEST_F(State, OldBankVersionIsReadAsABareState) {
    std::vector<double> values = Defaults(*plugin);
    values[13] = 0.75;
    ChunkBytes block;
    block.Header(0xFFFF);
    const std::vector<char> state = ::State("", values).bytes;
    block.bytes.insert(block.bytes.end(), state.begin(), state.end());
    ASSERT_EQ(plugin->SetChunk(false, block.bytes), 1);
    EXPECT_EQ(plugin->GetParameter(13), 0.75f);
}

TEST_F(State, TruncatedBlockAppliesWhatItHasAndFails) {
    std::vector<double> values(kParams, 0.25);
    for (int i = 101; i < kParams; ++i)
        plugin->SetParameter(i, 0.75f);
    ChunkBytes block = ::State("", values);
    block.bytes.resize(block.bytes.size() - 61 * 8 - 4); // ends inside parameter 100
    EXPECT_EQ(plugin->SetChunk(true, block.bytes), 0);
    EXPECT_EQ(plugin->GetParameter(99), 0.25f);
    EXPECT_EQ(plugin->GetParameter(100), 0.0f);
    EXPECT_EQ(plugin->GetParameter(101), 0.75f);
    EXPECT_EQ(plugin->GetParameter(141), 0.75f);
    EXPECT_EQ(plugin->GetParameter(161), 1.0f); // undeclared, step 1: it took 1 and keeps it
}

TEST_F(State, DamagedBlocksNeverStoreNonNumbersOrOutOfRangeValues) {
    std::vector<double> values = Defaults(*plugin);
    values[16] = std::nan("");
    values[13] = std::numeric_limits<double>::infinity();
    values[1] = 7.0;
    values[4] = -3.0;
    ASSERT_EQ(plugin->SetChunk(true, ::State("", values).bytes), 1);
    EXPECT_EQ(plugin->GetParameter(16), 0.5f); // the default
    EXPECT_EQ(plugin->GetParameter(13), 0.5f);
    EXPECT_EQ(plugin->GetParameter(1), 1.0f); // clamped
    EXPECT_EQ(plugin->ParamDisplay(4), "Clean 1");
    // A negative text length fails instead of reading backwards.
    ChunkBytes negative;
    negative.Header().Int(-8);
    for (double v : values)
        negative.Double(v);
    EXPECT_EQ(plugin->SetChunk(true, negative.bytes), 0);
    EXPECT_EQ(plugin->SetChunk(true, {}), 0);
    EXPECT_EQ(plugin->Dispatch(effSetChunk, 1, 10, nullptr), 0);
    void* data = nullptr;
    EXPECT_EQ(plugin->Dispatch(effGetChunk, 1, 0, nullptr), 0);
    EXPECT_GT(plugin->Dispatch(effGetChunk, 1, 0, &data), 0);
}

TEST_F(State, RandomSettingsSurviveARoundTripBitForBit) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> values(kParams);
    for (double& v : values)
        v = unit(random);
    values[4] = 11;
    values[12] = 23;
    values[157] = 5;
    ASSERT_EQ(plugin->SetChunk(true, ::State("D:\\impulses\\room", values).bytes), 1);
    const std::vector<char> saved = plugin->GetChunk(true);

    std::unique_ptr<HostedPlugin> other = LoadBuiltPlugin();
    ASSERT_TRUE(other);
    other->Start(48000.0, 128);
    ASSERT_EQ(other->SetChunk(true, saved), 1);
    const std::vector<char> restored = other->GetChunk(true);
    ASSERT_EQ(restored, saved);
    // Values that fit their parameters come back exactly. (The shared amp knobs take the selected
    // model's copies, which are restored after them.)
    for (int i : {1, 2, 13, 16, 30, 100, 141, 146})
        EXPECT_EQ(ReadDouble(restored, restored.size() - kParams * 8 + i * 8), values[static_cast<size_t>(i)])
            << i;

    // And through a standard preset file into a fresh instance.
    const std::vector<char> fxp = FormatPresetFile(CapturePreset(*other, false));
    std::unique_ptr<HostedPlugin> third = LoadBuiltPlugin();
    ASSERT_TRUE(third);
    third->Start(44100.0, 512);
    PresetFile file;
    std::string error;
    ASSERT_TRUE(ParsePresetFile(fxp, file, error)) << error;
    ASSERT_TRUE(ApplyPreset(*third, file, error)) << error;
    EXPECT_EQ(third->GetChunk(true), saved);
}

TEST_F(State, BankRoundTripKeepsProgramNames) {
    plugin->Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Lead"));
    plugin->SetParameter(16, 0.2f);
    const std::vector<char> bank = plugin->GetChunk(false);
    std::unique_ptr<HostedPlugin> other = LoadBuiltPlugin();
    ASSERT_TRUE(other);
    other->Start(44100.0, 512);
    ASSERT_EQ(other->SetChunk(false, bank), 1);
    EXPECT_EQ(other->ProgramName(0), "Lead");
    EXPECT_EQ(other->GetParameter(16), 0.2f);
    EXPECT_EQ(other->GetChunk(false), bank);
}
} // namespace

// The oversampling factor: set through the vendor-specific opcode, reported as latency, kept in
// the state's 'OVSM' record; a state without the record plays at 1x.
TEST_F(State, OversamplingFactorTravelsInItsRecord) {
    constexpr int32_t kOpcode = 0x56704F73; // 'VpOs'
    struct Row {
        int factor;
        int latency;
    };
    for (const Row row : {Row{1, 0}, Row{2, 5}, Row{4, 56}, Row{8, 58}}) {
        ASSERT_EQ(plugin->Dispatch(effVendorSpecific, kOpcode, row.factor), row.factor);
        EXPECT_EQ(effect->initialDelay, row.latency);
        const std::vector<char> chunk = plugin->GetChunk(true);
        auto other = LoadBuiltPlugin();
        ASSERT_TRUE(other);
        other->Start(44100.0, 512);
        ASSERT_EQ(other->SetChunk(true, chunk), 1);
        EXPECT_EQ(other->Dispatch(effVendorSpecific, kOpcode, 0), row.factor);
        EXPECT_EQ(other->Effect()->initialDelay, row.latency);
    }
    EXPECT_EQ(plugin->Dispatch(effVendorSpecific, kOpcode, 3), 8); // refused: unchanged
    ASSERT_EQ(plugin->SetChunk(true, ::State("", Defaults(*plugin)).bytes), 1);
    EXPECT_EQ(plugin->Dispatch(effVendorSpecific, kOpcode, 0), 1);
    EXPECT_EQ(effect->initialDelay, 0);
}
