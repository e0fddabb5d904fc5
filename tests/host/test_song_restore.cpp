// A saved song restored into a fresh instance through the built binary: every value, the bytes of
// the next save and the sound come back; its impulse is reloaded, or played from the copy the
// song carries when the file is gone.
#include "BuiltPlugin.h"
#include "ChunkBytes.h"
#include "WavBytes.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {
constexpr int kParams = 162;
constexpr int kModelGain = 78, kModelBass = 94, kModelSwitch = 30;

std::unique_ptr<HostedPlugin> Fresh() {
    std::unique_ptr<HostedPlugin> p = LoadBuiltPlugin();
    if (p) p->Start(44100.0, 512);
    return p;
}

void Press(HostedPlugin& p, int index) {
    p.SetParameter(index, 1.0f);
    p.SetParameter(index, 0.0f);
}

// A chord-like test signal through the plug-in, left output.
std::vector<double> Render(HostedPlugin& p, int frames = 8192) {
    std::vector<double> in(static_cast<size_t>(frames)), outL(in.size()), outR(in.size());
    for (int i = 0; i < frames; ++i)
        in[static_cast<size_t>(i)] = 0.2 * std::sin(0.031 * i) + 0.1 * std::sin(0.0077 * i + 1.0);
    for (int at = 0; at < frames; at += 512) {
        double* inputs[2] = {in.data() + at, in.data() + at};
        double* outputs[2] = {outL.data() + at, outR.data() + at};
        p.ProcessDouble(inputs, outputs, 512);
    }
    return outL;
}

double Peak(const std::vector<double>& v) {
    double peak = 0.0;
    for (double s : v) peak = std::fmax(peak, std::fabs(s));
    return peak;
}

std::vector<float> Values(HostedPlugin& p) {
    std::vector<float> v;
    for (int i = 0; i < kParams; ++i) v.push_back(p.GetParameter(i));
    return v;
}

// The impulse loads beside the audio: blocks run until the convolved sound appears (10 s at most).
bool AwaitSound(HostedPlugin& p) {
    std::vector<double> in(512, 0.1), out0(512), out1(512);
    double* inputs[2] = {in.data(), in.data()};
    double* outputs[2] = {out0.data(), out1.data()};
    for (int i = 0; i < 1000; ++i) {
        p.ProcessDouble(inputs, outputs, 512);
        if (Peak(out0) > 0.0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(SongRestore, ASessionComesBackBitForBitFromProgramAndBankChunks) {
    std::unique_ptr<HostedPlugin> saved = Fresh();
    ASSERT_TRUE(saved);
    saved->SetParameter(4, 7 / 15.0f); // model 7
    // Shared amp knobs set by the host: the model's own copies follow.
    saved->SetParameter(3, 1.0f);
    saved->SetParameter(6, 0.8f);
    saved->SetParameter(9, 0.3f);
    EXPECT_EQ(saved->GetParameter(kModelSwitch + 7), 1.0f);
    EXPECT_EQ(saved->GetParameter(kModelGain + 7), 0.8f);
    EXPECT_EQ(saved->GetParameter(kModelBass + 7), 0.3f);
    for (int i = 0; i < 3; ++i) Press(*saved, 156); // tuning 3 of 11
    EXPECT_FLOAT_EQ(saved->GetParameter(157), 3 / 11.0f);
    Press(*saved, 145); // next cabinet
    Press(*saved, 20);  // convolution on
    // Buttons a host lane left pressed: a restore must not press them again.
    for (int index : {20, 142, 143, 144, 145, 149, 150, 156, 159, 160, 161}) saved->SetParameter(index, 1.0f);
    const std::vector<float> values = Values(*saved);
    const std::vector<char> program = saved->GetChunk(true);
    const std::vector<char> bank = saved->GetChunk(false);
    const std::vector<double> sound = Render(*saved);
    ASSERT_GT(Peak(sound), 1e-3);

    for (bool asProgram : {true, false}) {
        SCOPED_TRACE(asProgram ? "program chunk" : "bank chunk");
        std::unique_ptr<HostedPlugin> restored = Fresh();
        ASSERT_TRUE(restored);
        ASSERT_EQ(restored->SetChunk(asProgram, asProgram ? program : bank), 1);
        const std::vector<float> back = Values(*restored);
        for (int i = 0; i < kParams; ++i) EXPECT_EQ(back[static_cast<size_t>(i)], values[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(restored->GetChunk(true), program);
        EXPECT_EQ(restored->GetChunk(false), bank);
        EXPECT_EQ(Render(*restored), sound);
    }
}

// The convolved signal alone: chain transparent (amp, loudness cut off, unity volume), the dry
// signal silent, the convolved gain 0 dB. Then y = (x0 + x1) * h / (sqrt 2 * |h|).
class SongImpulse : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        dir = fs::temp_directory_path() / ("vulpane-song-" + std::to_string(stamp));
        ASSERT_TRUE(fs::create_directory(dir));
        file = (dir / "cab24.wav").string();
        WriteImpulse(900, 90.0, 44100);
    }
    // A decaying 24-bit impulse of `frames` samples at `rate`, written to `file`.
    void WriteImpulse(int frames, double decay, uint32_t rate) {
        std::vector<int64_t> words;
        impulse.clear();
        for (int i = 0; i < frames; ++i) {
            const auto w = static_cast<int64_t>(6000000.0 * std::exp(-i / decay) * std::cos(0.45 * i));
            words.push_back(w);
            impulse.push_back(w / 8388607.5);
        }
        wavtest::WavFormat format;
        format.bits = 24;
        format.rate = rate;
        const std::vector<uint8_t> bytes = wavtest::MakeWav(format, words);
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    // A state naming the file, with the settings above and the convolution on.
    std::vector<char> SongNamingTheFile() {
        std::unique_ptr<HostedPlugin> p = Fresh();
        std::vector<char> chunk = p->GetChunk(true);
        // The values follow the header and the path text; tagged records may follow them.
        int32_t pathLength = 0;
        std::memcpy(&pathLength, chunk.data() + 8, sizeof pathLength);
        std::vector<double> values;
        for (int i = 0; i < kParams; ++i) values.push_back(ReadDouble(chunk, 12 + pathLength + i * 8));
        for (int i = kModelSwitch; i < kModelSwitch + 16; ++i) values[static_cast<size_t>(i)] = 0.0;
        values[3] = 0.0;
        values[15] = 0.0;
        values[16] = 1.0;
        values[18] = 1.0;
        ChunkBytes song;
        song.Header().Text(file);
        for (double v : values) song.Double(v);
        return song.bytes;
    }

    void ExpectConvolving(HostedPlugin& p) {
        std::vector<double> zeros(512, 0.0), out0(512), out1(512);
        double* inputs[2] = {zeros.data(), zeros.data()};
        double* outputs[2] = {out0.data(), out1.data()};
        for (int i = 0; i < 4; ++i) p.ProcessDouble(inputs, outputs, 512); // past the impulse's tail
        const std::vector<double> out = Render(p, 4096);
        double energy = 0.0;
        for (double h : impulse) energy += h * h;
        const double norm = 1.0 / (std::sqrt(2.0) * std::sqrt(energy));
        double worst = 0.0, peak = 0.0;
        for (size_t n = 0; n < out.size(); ++n) {
            double y = 0.0;
            for (size_t k = 0; k < impulse.size() && k <= n; ++k)
                y += impulse[k] * 2.0 * (0.2 * std::sin(0.031 * double(n - k)) + 0.1 * std::sin(0.0077 * double(n - k) + 1.0));
            worst = std::fmax(worst, std::fabs(out[n] - y * norm));
            peak = std::fmax(peak, std::fabs(y * norm));
        }
        ASSERT_GT(peak, 1e-2);
        // Readings of 24-bit words differ by about 1e-7; the 32-bit copy by about as much.
        EXPECT_LT(worst, 1e-4 * peak);
    }

    std::filesystem::path dir;
    std::string file;
    std::vector<double> impulse;
};

TEST_F(SongImpulse, TheImpulseComesBackFromItsFileOrFromTheSongsCopy) {
    const std::vector<char> bare = SongNamingTheFile();
    std::unique_ptr<HostedPlugin> first = Fresh();
    ASSERT_TRUE(first);
    ASSERT_EQ(first->SetChunk(true, bare), 1);
    ASSERT_TRUE(AwaitSound(*first));
    ExpectConvolving(*first);
    const std::vector<char> song = first->GetChunk(true);
    // The path keeps its extension; the samples follow the state in one tagged block.
    ASSERT_EQ(song.size(), bare.size() + 8 + 8 + 16 + 900 * 4);
    EXPECT_EQ(std::vector<char>(song.begin(), song.begin() + static_cast<long>(bare.size())), bare);
    EXPECT_EQ(std::string(song.data() + bare.size(), 4), "VXTR");

    std::unique_ptr<HostedPlugin> fromFile = Fresh();
    ASSERT_EQ(fromFile->SetChunk(true, song), 1);
    ASSERT_TRUE(AwaitSound(*fromFile));
    ExpectConvolving(*fromFile);
    EXPECT_EQ(fromFile->GetChunk(true), song);
    const std::vector<char> bank = fromFile->GetChunk(false);

    // The file is gone: the song plays the copy it carries, and saves it again.
    std::filesystem::remove(file);
    for (bool asProgram : {true, false}) {
        std::unique_ptr<HostedPlugin> fromCopy = Fresh();
        ASSERT_EQ(fromCopy->SetChunk(asProgram, asProgram ? song : bank), 1);
        EXPECT_EQ(fromCopy->GetChunk(true), song); // before the load has finished, too
        ASSERT_TRUE(AwaitSound(*fromCopy));
        ExpectConvolving(*fromCopy);
        EXPECT_EQ(fromCopy->GetChunk(false), bank);
    }

    // Without the copy, a missing file leaves the song silent with its path stored, no crash.
    std::unique_ptr<HostedPlugin> missing = Fresh();
    ASSERT_EQ(missing->SetChunk(true, bare), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Peak(Render(*missing)), 0.0);
    EXPECT_EQ(missing->GetChunk(true), bare);
}
} // namespace

namespace {
// A host that renders offline hears an impulse named by a restored state from the first sample of
// its first block, however long the load takes (here 10 s of impulse at 96 kHz); the plug-in asks
// for the process level only while the load is on its way.
TEST_F(SongImpulse, AnOfflineRenderHearsALongImpulseFromItsFirstSample) {
    WriteImpulse(960000, 96000.0, 96000);
    const std::vector<char> song = SongNamingTheFile();
    std::unique_ptr<HostedPlugin> p = LoadBuiltPlugin();
    ASSERT_TRUE(p);
    ASSERT_EQ(p->processLevel, kVstProcessLevelOffline);
    p->Start(96000.0, 512);
    ASSERT_EQ(p->SetChunk(true, song), 1);
    std::vector<double> click(512, 0.0), out0(512), out1(512);
    click[0] = 1.0;
    double* inputs[2] = {click.data(), click.data()};
    double* outputs[2] = {out0.data(), out1.data()};
    p->ProcessDouble(inputs, outputs, 512);
    EXPECT_GT(p->recorded.processLevelRequests, 0);
    double energy = 0.0;
    for (double h : impulse) energy += h * h;
    const double norm = 1.0 / (std::sqrt(2.0) * std::sqrt(energy));
    double worst = 0.0;
    for (size_t n = 0; n < out0.size(); ++n) worst = std::fmax(worst, std::fabs(out0[n] - 2.0 * norm * impulse[n]));
    EXPECT_GT(std::fabs(out0[0]), 0.5 * 2.0 * norm * std::fabs(impulse[0]));
    EXPECT_LT(worst, 1e-4 * 2.0 * norm * std::fabs(impulse[0]));
    p->recorded.processLevelRequests = 0;
    p->ProcessDouble(inputs, outputs, 512);
    EXPECT_EQ(p->recorded.processLevelRequests, 0); // nothing on its way: the host is not asked
}
} // namespace
