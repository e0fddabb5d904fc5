// vulpane-host as a user runs it: a separate process with arguments, files in a scratch folder.
#include "AudioFile.h"
#include "BuiltPlugin.h"
#include "ChunkBytes.h"
#include "DynamicLibrary.h"
#include "PresetFile.h"
#include "WavBytes.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>

namespace {
namespace fs = std::filesystem;

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        folder = ExecutableFolder() + "command-line-test/";
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs vulpane-host with the arguments after the plug-in; true when it exited with 0.
    bool Host(const std::string& arguments) {
#if defined(_WIN32)
        const std::string program = ExecutableFolder() + "vulpane-host.exe";
        const std::string quiet = " > NUL 2>&1";
#else
        const std::string program = ExecutableFolder() + "vulpane-host";
        const std::string quiet = " > /dev/null 2>&1";
#endif
        std::string line = "\"" + program + "\" render \"" + BuiltPluginPath() + "\" " + arguments + quiet;
#if defined(_WIN32)
        line = "\"" + line + "\""; // cmd.exe drops the outer quotes of a line that starts with one
#endif
        return std::system(line.c_str()) == 0;
    }
    std::string In(const std::string& name) const { return "\"" + folder + name + "\""; }
    std::vector<char> Bytes(const std::string& name) const {
        std::vector<char> bytes;
        std::string error;
        ReadFileBytes(folder + name, bytes, error);
        return bytes;
    }
    std::vector<double> Samples(const std::string& name) const {
        AudioBuffer audio;
        std::string error;
        EXPECT_TRUE(ReadAudioFile(folder + name, audio, error)) << error;
        return audio.channels.empty() ? std::vector<double>{} : audio.channels[0];
    }
    std::string folder;
};

TEST_F(CommandLine, AForgottenOutputOrAnInputAsOutputLeavesTheFileAlone) {
    const std::vector<uint8_t> wav = wavtest::MakeWav16({0, 1000, -1000, 0}, 44100);
    std::string error;
    ASSERT_TRUE(WriteFileBytes(folder + "in.wav", std::vector<char>(wav.begin(), wav.end()), error)) << error;
    const std::vector<char> before = Bytes("in.wav");
    EXPECT_FALSE(Host(In("in.wav")));
    EXPECT_FALSE(Host(In("in.wav") + " " + In("in.wav")));
    EXPECT_EQ(Bytes("in.wav"), before);
    // With --overwrite the user means it; a WAV the host rendered may be rendered again.
    EXPECT_TRUE(Host(In("in.wav") + " --overwrite --rate 8000"));
    EXPECT_NE(Bytes("in.wav"), before);
    EXPECT_TRUE(Host(In("in.wav") + " --rate 8000"));
}

TEST_F(CommandLine, SetOrderDoesNotChangeTheSamples) {
    const std::string model = " --rate 22050 --set kAmpModel=\"metal charter\"";
    ASSERT_TRUE(Host(In("a.wav") + " --set kModelSwitch+7=1" + model));
    ASSERT_TRUE(Host(In("b.wav") + model + " --set kModelSwitch+7=1"));
    ASSERT_TRUE(Host(In("off.wav") + model));
    // The host name of the switch works as well as its identifier.
    ASSERT_TRUE(Host(In("c.wav") + " --set \"M.Charter On\"=1" + model));
    EXPECT_EQ(Samples("a.wav"), Samples("b.wav"));
    EXPECT_EQ(Samples("a.wav"), Samples("c.wav"));
    EXPECT_NE(Samples("a.wav"), Samples("off.wav")); // the amp really is on
}

TEST_F(CommandLine, BadRatesBlocksAndNamesFailWithoutWriting) {
    for (const char* bad : {"--rate 1", "--rate 7999", "--rate 1000000000", "--block 0", "--block 65537",
                            "--block 2.5", "--set kAmpModel=Metl", "--set NoSuchKnob=1", "--preset nothing.vzp"}) {
        EXPECT_FALSE(Host(In("out.wav") + " " + bad)) << bad;
        EXPECT_FALSE(fs::exists(folder + "out.wav")) << bad;
    }
    EXPECT_TRUE(Host(In("out.wav") + " --rate 8000 --block 65536"));
    // A preset of the library, read by the plug-in itself, changes the sound.
    EXPECT_TRUE(Host(In("preset.wav") + " --rate 8000 --preset \"../presets/Vulpane/Presets/Factory/Blues Crunch.vzp\""));
    EXPECT_NE(Samples("preset.wav"), Samples("out.wav"));
}

TEST_F(CommandLine, ARenderLinesUpWithItsInputAtEveryAmpQuality) {
    std::vector<int64_t> click(2000, 0);
    click[500] = 12000;
    const std::vector<uint8_t> wav = wavtest::MakeWav16(click, 48000);
    std::string error;
    ASSERT_TRUE(WriteFileBytes(folder + "click.wav", std::vector<char>(wav.begin(), wav.end()), error)) << error;
    size_t peakAtOneX = 0;
    for (const char* factor : {"1", "2", "4", "8"}) {
        const std::string out = std::string("out") + factor + ".wav";
        ASSERT_TRUE(Host(In("click.wav") + " " + In(out) + " --oversample " + factor +
                         " --set kAmpOn=1 --set kAmpModel=\"Clean 1\" --set kAmpGain=0.1"))
            << factor;
        const std::vector<double> y = Samples(out);
        ASSERT_EQ(y.size(), click.size()) << factor;
        size_t peak = 0;
        for (size_t i = 1; i < y.size(); ++i)
            if (std::abs(y[i]) > std::abs(y[peak])) peak = i;
        if (factor[0] == '1') peakAtOneX = peak;
        EXPECT_EQ(peak, peakAtOneX) << "the oversampler's delay is compensated at " << factor << "x";
    }
}

// A state naming a 10-s impulse at 96 kHz, rendered offline right after the state is set: every
// render is the same, and each has the convolved click from its first sample (the chain is
// transparent: amp off, loudness cut off, unity master, dry silent, wet 0 dB, no oversampling).
TEST_F(CommandLine, RendersOfAStateWithALongImpulseAreCompleteAndAlike) {
    constexpr int kParams = 162, kModelSwitch = 30;
    std::vector<int64_t> words;
    std::vector<double> impulse;
    for (int i = 0; i < 960000; ++i) {
        words.push_back(static_cast<int64_t>(20000.0 * std::exp(-i / 96000.0) * std::cos(0.45 * i)));
        impulse.push_back(static_cast<double>(words.back()) / 32768.0);
    }
    const std::vector<uint8_t> wav = wavtest::MakeWav16(words, 96000);
    std::vector<int64_t> click(4800, 0);
    click[0] = 16384;
    const std::vector<uint8_t> clickWav = wavtest::MakeWav16(click, 96000);
    std::string error;
    ASSERT_TRUE(WriteFileBytes(folder + "long.wav", std::vector<char>(wav.begin(), wav.end()), error)) << error;
    ASSERT_TRUE(WriteFileBytes(folder + "click.wav", std::vector<char>(clickWav.begin(), clickWav.end()), error));

    std::unique_ptr<HostedPlugin> fresh = LoadBuiltPlugin();
    ASSERT_TRUE(fresh);
    fresh->Start(96000.0, 512);
    const std::vector<char> defaults = fresh->GetChunk(true);
    int32_t pathLength = 0;
    std::memcpy(&pathLength, defaults.data() + 8, sizeof pathLength);
    ChunkBytes state;
    state.Header().Text(folder + "long.wav");
    for (int i = 0; i < kParams; ++i) {
        double v = ReadDouble(defaults, static_cast<size_t>(12 + pathLength + i * 8));
        if (i >= kModelSwitch && i < kModelSwitch + 16) v = 0.0;
        if (i == 3 || i == 15) v = 0.0;
        if (i == 16 || i == 18) v = 1.0;
        state.Double(v);
    }
    ASSERT_TRUE(WriteFileBytes(folder + "state.chunk", state.bytes, error)) << error;

    double energy = 0.0;
    for (double h : impulse) energy += h * h;
    const double gain = 2.0 * 0.5 / (std::sqrt(2.0) * std::sqrt(energy)); // both inputs, click of 0.5
    std::vector<char> first;
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE("render " + std::to_string(run));
        ASSERT_TRUE(Host(In("click.wav") + " " + In("out.wav") + " --overwrite --chunk " + In("state.chunk")));
        const std::vector<char> bytes = Bytes("out.wav");
        if (run == 0) {
            first = bytes;
            const std::vector<double> y = Samples("out.wav");
            ASSERT_EQ(y.size(), click.size());
            double worst = 0.0;
            for (size_t n = 0; n < y.size(); ++n) worst = std::fmax(worst, std::fabs(y[n] - gain * impulse[n]));
            EXPECT_GT(std::fabs(y[0]), 0.5 * gain * std::fabs(impulse[0]));
            EXPECT_LT(worst, 1e-4 * gain * std::fabs(impulse[0]));
        } else {
            EXPECT_TRUE(bytes == first);
        }
    }
}
} // namespace
