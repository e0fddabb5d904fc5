// Impulse files through the plug-in: the file selector's choice, the folder walk, failed loads
// and the convolved output against a direct convolution.
#include "ChunkBytes.h"
#include "EditorFixture.h"
#include "IFileSelectorControl.h"
#include "IFreqResponseControl.h"
#include "ITextControls.h"
#include "VstAbi.h"
#include "WavBytes.h"
#include "WavImpulse.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {
// A decaying, sign-alternating impulse of 16-bit samples.
std::vector<int64_t> ImpulseWords(int length, int seed) {
    std::vector<int64_t> words;
    for (int i = 0; i < length; ++i)
        words.push_back(static_cast<int64_t>(20000.0 * std::exp(-i / 40.0) * std::cos(0.7 * i + seed)));
    return words;
}

std::vector<double> Fractions(const std::vector<int64_t>& words) {
    std::vector<double> out;
    for (int64_t w : words)
        out.push_back(static_cast<double>(w) / 32768.0);
    return out;
}

// The impulse the plug-in should install (the resampling itself is checked in the DSP tests).
std::vector<double> Resampled(const std::vector<double>& in, double fromRate, double toRate) {
    std::vector<double> out;
    EXPECT_EQ(ResampleImpulse(in, fromRate, toRate, ConvolutionEngine::kMaxImpulseLength, out),
              WavStatus::kOk);
    return out;
}

// y = norm * (x * h), norm = 1 / (sqrt 2 * ||h||).
std::vector<double> DirectConvolution(const std::vector<double>& x, const std::vector<double>& h) {
    double energy = 0.0;
    for (double s : h)
        energy += s * s;
    const double norm = 1.0 / (std::sqrt(2.0) * std::sqrt(energy));
    std::vector<double> y(x.size(), 0.0);
    for (size_t n = 0; n < x.size(); ++n)
        for (size_t k = 0; k < h.size() && k <= n; ++k)
            y[n] += h[k] * x[n - k];
    for (double& s : y)
        s *= norm;
    return y;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

double Peak(const std::vector<double>& v) {
    double p = 0.0;
    for (double s : v)
        p = std::fmax(p, std::fabs(s));
    return p;
}

class ImpulseFiles : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        namespace fs = std::filesystem;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        const fs::path dir = fs::temp_directory_path() / ("vulpane-ir-" + std::to_string(stamp));
        ASSERT_TRUE(fs::create_directory(dir));
        folder = dir.string() + static_cast<char>(fs::path::preferred_separator);
        aWords = ImpulseWords(300, 0);
        bWords = ImpulseWords(700, 2);
        WriteFile(folder + "a.wav", wavtest::MakeWav16(aWords, 44100));
        WriteFile(folder + "b.WAV", wavtest::MakeWav16(bWords, 48000));
        WriteFile(folder + "c.wAv", wavtest::MakeWav16(aWords, 44100));
        WriteFile(folder + "notes.txt", {'x'});
        std::filesystem::create_directory(folder + "d.wav");
        // Dry signal off, convolved gain 0 dB: the output is the convolution alone.
        Configure(*host);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    static void Configure(HostedPlugin& h) {
        h.SetParameter(kIrDry, 0.0f);
        h.SetParameter(kIrWet, 0.5f);
    }

    // What the control does after its dialog: store the name, toggle the value.
    void Pick(const std::string& path) {
        auto* selector = dynamic_cast<IFileSelectorControl*>(At(kControlFileSelector));
        ASSERT_NE(selector, nullptr);
        selector->SetSelectedFile(path.c_str());
        toggle = 1.0f - toggle;
        host->SetParameter(kIrFile, toggle);
    }
    void Choose(const std::string& path) {
        Pick(path);
        plugin->WaitForImpulseLoads();
    }
    void Step(int param) {
        Click(param);
        plugin->WaitForImpulseLoads();
    }

    std::string NameShown() const { return dynamic_cast<ITextControl*>(At(kControlFileName))->Text(); }

    // The plug-in's direct output (impulse stage off) from a twin at the same rate.
    std::vector<double> DirectOutput(double rate) {
        std::unique_ptr<HostedPlugin> twin;
        VulpanePlugin* p = nullptr;
        IEditorGraphics* g = nullptr;
        Make(twin, p, g);
        if (rate != 44100.0) twin->Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
        Configure(*twin);
        return Render(*twin);
    }

    void ExpectConvolved(const std::vector<double>& impulse, double rate) {
        host->SetParameter(kIrOn, 1.0f);
        const std::vector<double> out = Render();
        const std::vector<double> expected = DirectConvolution(DirectOutput(rate), impulse);
        ASSERT_GT(Peak(expected), 1e-3);
        EXPECT_LT(MaxDifference(out, expected), 1e-4 * Peak(expected));
    }

    std::string folder;
    std::vector<int64_t> aWords, bWords;
    float toggle = 0.0f;
};

TEST_F(ImpulseFiles, ChosenFileIsConvolvedAndListedWithItsFolder) {
    auto* response = dynamic_cast<IFreqResponseControl*>(At(kControlResponse));
    ASSERT_NE(response, nullptr);
    const double flatColumn = response->ColumnValue(150);
    Choose(folder + "a.wav");
    EXPECT_EQ(plugin->ImpulseError(), "");
    EXPECT_EQ(plugin->ImpulsePath(), folder + "a.wav");
    EXPECT_EQ(plugin->ImpulseFolder(), folder);
    EXPECT_EQ(plugin->ImpulseNames(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(plugin->ImpulseIndex(), 0);
    EXPECT_EQ(NameShown(), "a");
    EXPECT_NE(response->ColumnValue(150), flatColumn);
    ExpectConvolved(Fractions(aWords), 44100.0);
    // The file's real path is stored with the state.
    const std::vector<char> chunk = host->GetChunk(true);
    const std::string stored = folder + "a.wav";
    ASSERT_GT(chunk.size(), 12 + stored.size());
    EXPECT_EQ(std::string(chunk.data() + 12, stored.size()), stored);
}

TEST_F(ImpulseFiles, PreviousAndNextWalkTheFolderAndStopAtItsEnds) {
    Choose(folder + "a.wav");
    Step(kIrNext);
    EXPECT_EQ(plugin->ImpulseIndex(), 1);
    EXPECT_EQ(plugin->ImpulsePath(), folder + "b.WAV");
    EXPECT_EQ(NameShown(), "b");
    EXPECT_EQ(plugin->ImpulseError(), ""); // found under its own extension "WAV"
    Step(kIrNext);
    EXPECT_EQ(plugin->ImpulseIndex(), 1);
    // b.WAV is a 48 kHz file played at 44.1 kHz.
    ExpectConvolved(Resampled(Fractions(bWords), 48000.0, 44100.0), 44100.0);
    Step(kIrPrev);
    Step(kIrPrev);
    EXPECT_EQ(plugin->ImpulseIndex(), 0);
    EXPECT_EQ(plugin->ImpulsePath(), folder + "a.wav");
}

TEST_F(ImpulseFiles, AFailedLoadKeepsTheImpulseTheListAndThePath) {
    Choose(folder + "a.wav");
    std::vector<uint8_t> cut = wavtest::MakeWav16(bWords);
    cut.resize(45); // the header and half a frame: a data chunk cut short gives its whole frames
    WriteFile(folder + "cut.wav", cut);
    Choose(folder + "cut.wav");
    EXPECT_EQ(plugin->ImpulseError(), "Truncated WAV file:\n" + folder + "cut.wav");
    Choose(folder + "missing.wav");
    EXPECT_EQ(plugin->ImpulseError(), "File not found:\n" + folder + "missing.wav");
    WriteFile(folder + "text.wav", {'h', 'e', 'l', 'l', 'o'});
    Choose(folder + "text.wav");
    EXPECT_EQ(plugin->ImpulseError(), "Not a WAV file:\n" + folder + "text.wav");
    EXPECT_EQ(plugin->ImpulsePath(), folder + "a.wav");
    EXPECT_EQ(plugin->ImpulseNames(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(NameShown(), "text.wav (not loaded)"); // until the next action
    // The engine still convolves with a.wav.
    ExpectConvolved(Fractions(aWords), 44100.0);
}

TEST_F(ImpulseFiles, ARateChangeResamplesTheLoadedImpulse) {
    Choose(folder + "a.wav");
    host->Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    plugin->WaitForImpulseLoads();
    ExpectConvolved(Resampled(Fractions(aWords), 44100.0, 48000.0), 48000.0);
}

TEST_F(ImpulseFiles, ChoosingTheSameFileAgainLoadsItsNewContent) {
    Choose(folder + "a.wav");
    WriteFile(folder + "a.wav", wavtest::MakeWav16(bWords, 44100));
    Choose(folder + "a.wav");
    ExpectConvolved(Fractions(bWords), 44100.0);
}

TEST_F(ImpulseFiles, RestoringAStateDoesNotReloadOrComplain) {
    Choose(folder + "a.wav");
    const std::vector<char> chunk = host->GetChunk(true);
    std::remove((folder + "a.wav").c_str());
    EXPECT_EQ(host->SetChunk(true, chunk), 1);
    plugin->WaitForImpulseLoads();
    EXPECT_EQ(plugin->ImpulseError(), "");
    EXPECT_EQ(plugin->ImpulsePath(), folder + "a.wav");
}
TEST_F(ImpulseFiles, LoadsRunBesideTheAudioAndTheLastChoiceWins) {
    Choose(folder + "a.wav");
    // Held mid-way, the loader keeps its work to itself: the blocks of a real-time host complete
    // with the old impulse (an offline one would wait for the new one).
    host->processLevel = kVstProcessLevelRealtime;
    plugin->HoldImpulseLoads(true);
    Pick(folder + "missing.wav");
    Pick(folder + "c.wAv");
    Click(kIrNext); // from the file on its way (c, the last entry): stays there
    Pick(folder + "b.WAV");
    host->recorded.processLevelRequests = 0;
    ExpectConvolved(Fractions(aWords), 44100.0);
    EXPECT_GT(host->recorded.processLevelRequests, 0);
    EXPECT_EQ(plugin->ImpulsePath(), folder + "a.wav");
    plugin->HoldImpulseLoads(false);
    plugin->WaitForImpulseLoads();
    EXPECT_EQ(plugin->ImpulsePath(), folder + "b.WAV");
    EXPECT_EQ(plugin->ImpulseError(), "");
    EXPECT_EQ(NameShown(), "b"); // set with the engine's swap, in the same hand-over
}

TEST_F(ImpulseFiles, ARateChangeDuringALoadPreparesItForTheNewRate) {
    plugin->HoldImpulseLoads(true);
    Pick(folder + "b.WAV");
    host->Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    plugin->HoldImpulseLoads(false);
    plugin->WaitForImpulseLoads();
    ExpectConvolved(Fractions(bWords), 48000.0);
}

TEST_F(ImpulseFiles, ClosingDuringALoadEndsIt) {
    plugin->HoldImpulseLoads(true);
    Pick(folder + "b.WAV");
    host.reset(); // effClose while the loader waits with the file read
    std::unique_ptr<HostedPlugin> other;
    Make(other, plugin, graphics);
    host = std::move(other);
    Pick(folder + "b.WAV");
    host.reset(); // and while it reads
}

TEST_F(ImpulseFiles, ARestoredSongMarksItsMissingFileAndPlaysItsOwnCopy) {
    Choose(folder + "a.wav");
    const std::vector<char> song = host->GetChunk(true);
    const std::vector<char> bare(song.begin(), song.begin() + static_cast<long>(8 + 4 + (folder + "a.wav").size() + 162 * 8));
    std::remove((folder + "a.wav").c_str());
    std::unique_ptr<HostedPlugin> other;
    Make(other, plugin, graphics);
    host = std::move(other);
    Configure(*host);
    EXPECT_EQ(host->SetChunk(true, bare), 1);
    plugin->WaitForImpulseLoads();
    EXPECT_EQ(NameShown(), "a.wav (missing)");
    EXPECT_EQ(plugin->ImpulseError(), "File not found:\n" + folder + "a.wav");
    EXPECT_EQ(host->GetChunk(true), bare); // the path stays stored
    EXPECT_EQ(host->SetChunk(true, song), 1);
    plugin->WaitForImpulseLoads();
    EXPECT_EQ(NameShown(), "a.wav (from song)");
    EXPECT_EQ(plugin->ImpulseError(), "");
    ExpectConvolved(Fractions(aWords), 44100.0);
}

TEST_F(ImpulseFiles, StateRestoreShowsTheStoredImpulsePathInTheSelector) {
    std::vector<char> chunk = host->GetChunk(true);
    // Replace the empty path (length 0 after the 8-byte header) by a stored one.
    const std::string path = "C:\\impulses\\room";
    ChunkBytes block;
    block.Header().Text(path);
    std::vector<char> withPath = block.bytes;
    withPath.insert(withPath.end(), chunk.begin() + 12, chunk.end());
    ASSERT_EQ(host->SetChunk(true, withPath), 1);
    std::string shown;
    static_cast<IFileSelectorControl*>(graphics->ControlAt(kControlFileSelector))->SelectedFile(shown);
    EXPECT_EQ(shown, path);
    EXPECT_EQ(plugin->ImpulsePath(), path);
}
} // namespace
