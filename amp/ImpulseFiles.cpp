// Impulse responses from WAV files: the file selector's choice, the folder listing that the
// previous/next buttons walk, loading, resampling to the host rate, and the response display.
#include "EditorIndices.h"
#include "FileReader.h"
#include "FolderListing.h"
#include "IEditorGraphics.h"
#include "IFileSelectorControl.h"
#include "IFreqResponseControl.h"
#include "ITextControls.h"
#include "ImpulseBuffer.h"
#include "VulpanePlugin.h"
#include "WavImpulse.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {
constexpr size_t kMaxImpulseFiles = 1024;
// Cabinet impulses are short; a larger file is not one.
constexpr int64_t kMaxImpulseFileBytes = int64_t(256) << 20;

bool HasWavExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string ext = name.substr(dot);
    return ext == ".wav" || ext == ".Wav" || ext == ".WAV";
}

std::string Stem(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// Case-insensitive order, as the file dialog shows the folder; ties by bytes.
bool NameBefore(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb;
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// The WAV files of a folder, sorted, at most kMaxImpulseFiles (the first ones in order).
std::vector<std::string> WavFilesIn(const std::string& folder) {
    std::vector<FolderEntry> entries;
    std::vector<std::string> files;
    if (!ListFolder(folder.c_str(), entries)) return files;
    for (const FolderEntry& entry : entries)
        if (!entry.isDirectory && HasWavExtension(entry.name)) files.push_back(entry.name);
    std::sort(files.begin(), files.end(), NameBefore);
    if (files.size() > kMaxImpulseFiles) files.resize(kMaxImpulseFiles);
    return files;
}
} // namespace

void VulpanePlugin::ChooseImpulseFile() {
    if (!graphics) return;
    auto* selector = dynamic_cast<IFileSelectorControl*>(graphics->ControlAt(kControlFileSelector));
    if (!selector) return;
    std::string path;
    selector->SelectedFile(path);
    // The handler also runs for every restored state, which names no new file.
    if (restoringState || path.size() <= 4) return;
    const size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos) return;
    const std::string folder = path.substr(0, cut + 1);
    const std::string fileName = path.substr(cut + 1);
    std::vector<std::string> files = WavFilesIn(folder);
    if (!LoadImpulseFile(path)) return;

    impulseFolder = folder;
    impulseFiles = std::move(files);
    impulseNames.clear();
    impulseIndex = -1;
    for (size_t i = 0; i < impulseFiles.size(); ++i) {
        impulseNames.push_back(Stem(impulseFiles[i]));
        if (impulseFiles[i] == fileName) impulseIndex = static_cast<int>(i);
    }
    impulsePath = folder + Stem(fileName);
    if (auto* name = dynamic_cast<ITextControl*>(graphics->ControlAt(kControlFileName)))
        name->ApplyPluginText(Stem(fileName).c_str());
}

void VulpanePlugin::StepImpulseFile(int step) {
    if (impulseFiles.empty()) return;
    const int last = static_cast<int>(impulseFiles.size()) - 1;
    const int next = std::clamp(impulseIndex + step, 0, last);
    const auto at = static_cast<size_t>(next);
    // The file's own name: on case-sensitive systems "x.WAV" is not "x.wav".
    if (!LoadImpulseFile(impulseFolder + impulseFiles[at])) return;
    impulseIndex = next;
    impulsePath = impulseFolder + impulseNames[at];
    if (!graphics) return;
    if (auto* name = dynamic_cast<ITextControl*>(graphics->ControlAt(kControlFileName)))
        name->ApplyPluginText(impulseNames[at].c_str());
}

bool VulpanePlugin::LoadImpulseFile(const std::string& path) {
    FileReader reader;
    if (!reader.Open(path.c_str())) {
        ShowError("File not found:\n" + path);
        return false;
    }
    if (reader.Size() > kMaxImpulseFileBytes) {
        ShowError("File too large for an impulse:\n" + path);
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(reader.Size()));
    if (reader.Read(bytes.data(), reader.Size()) != reader.Size()) {
        ShowError("File could not be read:\n" + path);
        return false;
    }
    WavImpulse wav;
    WavStatus status = ParseWav(bytes.data(), bytes.size(), wav);
    std::vector<double> samples;
    double norm = 0.0;
    if (status == WavStatus::kOk) {
        status = ResampleImpulse(wav.samples, wav.sampleRate, chain.SampleRate(),
                                 ConvolutionEngine::kMaxImpulseLength, samples);
        norm = ImpulseNorm(samples);
        if (status == WavStatus::kOk && !(norm > 0.0)) status = WavStatus::kEmpty;
    }
    if (status != WavStatus::kOk) {
        ShowError(WavStatusText(status) + path);
        return false;
    }
    impulseFileSamples = std::move(wav.samples);
    impulseFileRate = wav.sampleRate;
    impulseError.clear();
    InstallImpulse(samples, norm);
    return true;
}

void VulpanePlugin::InstallImpulse() {
    std::vector<double> samples;
    if (ResampleImpulse(impulseFileSamples, impulseFileRate, chain.SampleRate(),
                        ConvolutionEngine::kMaxImpulseLength, samples) != WavStatus::kOk)
        return;
    const double norm = ImpulseNorm(samples);
    // A rate so low that nothing of the impulse is left keeps the one installed.
    if (norm > 0.0) InstallImpulse(samples, norm);
}

void VulpanePlugin::InstallImpulse(const std::vector<double>& samples, double norm) {
    ImpulseBuffer buffer;
    buffer.Resize(1, static_cast<int>(samples.size()));
    std::copy(samples.begin(), samples.end(), buffer.channels[0].begin());
    if (!chain.LoadImpulse(buffer, norm)) ShowError("Not enough memory for the impulse.");
    impulseInstalledRate = chain.SampleRate();
    if (!graphics) return;
    if (auto* response = dynamic_cast<IFreqResponseControl*>(graphics->ControlAt(kControlResponse))) {
        std::vector<double> start(static_cast<size_t>(std::max(response->AnalysisSize(), 0)), 0.0);
        std::copy_n(samples.begin(), std::min(start.size(), samples.size()), start.begin());
        response->SetSampleRate(chain.SampleRate());
        response->Analyze(start.data());
    }
}

void VulpanePlugin::ShowError(const std::string& text) {
    impulseError = text;
    if (graphics) graphics->ShowMessage(text.c_str(), "Error");
}
