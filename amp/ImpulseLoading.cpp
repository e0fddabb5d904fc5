// The work of an impulse load, on the loader thread: reading and parsing the file (or taking
// the copy a song carried), resampling to the host rate and preparing a convolution engine. Only
// the hand-over takes the plug-in lock, for a constant-time swap between two audio blocks.
#include "ImpulseLibrary.h"

#include "ConvolutionEngine.h"
#include "EditorControls.h"
#include "FileReader.h"
#include "FolderListing.h"
#include "IEditorGraphics.h"
#include "IFreqResponseControl.h"
#include "PluginServices.h"
#include "SignalChain.h"
#include "WavImpulse.h"

#include <algorithm>
#include <cctype>
#include <new>
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

// Older states stored the path without its extension: such a path names path + ".wav".
std::string ExistingImpulsePath(const std::string& path) {
    FileReader probe;
    if (probe.Open(path.c_str()) || HasWavExtension(path)) return path;
    for (const char* ext : {".wav", ".WAV", ".Wav"})
        if (probe.Open((path + ext).c_str())) return path + ext;
    return path;
}

// The file's first channel; on failure the message for the user.
std::shared_ptr<const ImpulseSource> ReadImpulseFile(const std::string& path, std::string& error,
                                                     bool& missing) {
    missing = false;
    FileReader reader;
    if (!reader.Open(path.c_str())) {
        missing = true;
        error = "File not found:\n" + path;
        return nullptr;
    }
    if (reader.Size() > kMaxImpulseFileBytes) {
        error = "File too large for an impulse:\n" + path;
        return nullptr;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(reader.Size()));
    if (reader.Read(bytes.data(), reader.Size()) != reader.Size()) {
        error = "File could not be read:\n" + path;
        return nullptr;
    }
    WavImpulse wav;
    const WavStatus status = ParseWav(bytes.data(), bytes.size(), wav);
    if (status != WavStatus::kOk) {
        error = WavStatusText(status) + path;
        return nullptr;
    }
    return MakeImpulseSource(wav.sampleRate, std::move(wav.samples));
}

// A carried copy that its checksum vouches for, with its double samples.
std::shared_ptr<const ImpulseSource> UsableCopy(const std::shared_ptr<const ImpulseSource>& carried) {
    if (!carried || carried->stored.empty() || ImpulseChecksum(carried->stored) != carried->checksum)
        return nullptr;
    if (!carried->samples.empty()) return carried;
    auto copy = std::make_shared<ImpulseSource>(*carried);
    copy->samples.assign(carried->stored.begin(), carried->stored.end());
    return copy;
}

bool SameImpulse(const ImpulseSource& a, const ImpulseSource& b) {
    return a.stored.size() == b.stored.size() && a.checksum == b.checksum;
}

std::string FileNameOf(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}
} // namespace

// What a finished load hands to the library.
struct ImpulseLibrary::Result {
    std::string error; // empty on success
    bool missing = false;
    bool fromCopy = false;
    std::string file; // the file read ("" when none)
    std::shared_ptr<const ImpulseSource> source;
    std::unique_ptr<ConvolutionEngine> engine;
    double norm = 0.0;
    std::vector<double> start;      // the impulse's start at the host rate, for the response display
    std::vector<std::string> files; // the WAV files beside the file read
};

void ImpulseLibrary::Request(ImpulseRequest request) {
    auto shared = std::make_shared<const ImpulseRequest>(std::move(request));
    if (loader.Post([this, shared](uint64_t serial) { Run(*shared, serial); }) != 0) pending = shared;
}

void ImpulseLibrary::Run(const ImpulseRequest& request, uint64_t serial) {
    try {
        Prepare(request, serial);
    } catch (const std::bad_alloc&) {
        Result failed;
        failed.error = "Not enough memory for the impulse.";
        Apply(request, failed, serial);
    }
}

void ImpulseLibrary::Prepare(const ImpulseRequest& request, uint64_t serial) {
    Result result;
    std::shared_ptr<const ImpulseSource> impulse;
    std::string file;
    if (!request.path.empty()) {
        file = ExistingImpulsePath(request.path);
        impulse = ReadImpulseFile(file, result.error, result.missing);
    }
    if (loader.Superseded(serial)) return;
    // The song's own copy wins over a file that is not the one it was saved with.
    if (request.carried && !(impulse && SameImpulse(*impulse, *request.carried)))
        if (auto copy = UsableCopy(request.carried)) {
            impulse = std::move(copy);
            result.fromCopy = true;
        }
    if (impulse && !result.fromCopy) result.file = file;
    loader.HoldPoint(serial);
    if (!impulse && result.error.empty()) result.error = "The impulse saved with the song is damaged.";
    if (impulse) {
        result.error.clear();
        std::vector<double> samples;
        WavStatus status = ResampleImpulse(impulse->samples, impulse->rate, request.rate,
                                           ConvolutionEngine::kMaxImpulseLength, samples);
        if (status == WavStatus::kOk) {
            result.norm = ImpulseNorm(samples);
            if (!(result.norm > 0.0)) status = WavStatus::kEmpty;
        }
        if (status != WavStatus::kOk) {
            result.error = WavStatusText(status) + request.path;
        } else if (!loader.Superseded(serial)) {
            result.engine = std::make_unique<ConvolutionEngine>();
            if (!result.engine->LoadImpulse(samples.data(), static_cast<int>(samples.size())))
                result.error = "Not enough memory for the impulse.";
            samples.resize(std::min(samples.size(), size_t(4096)));
            result.start = std::move(samples);
            result.source = std::move(impulse);
        }
        if (!result.file.empty()) {
            const std::string name = FileNameOf(result.file);
            result.files = WavFilesIn(result.file.substr(0, result.file.size() - name.size()));
        }
    }
    if (loader.Superseded(serial)) return;
    Apply(request, result, serial);
}

void ImpulseLibrary::Apply(const ImpulseRequest& request, Result& result, uint64_t serial) {
    // Whatever is replaced is freed after the lock is released, on this thread; the response
    // curve is computed then too (its control publishes it under its own lock), so the audio
    // thread never waits for more than the hand-over.
    Replaced replaced;
    double rate = 0.0;
    IFreqResponseControl* response = Install(request, result, serial, replaced, rate);
    if (!response) return;
    std::vector<double> start(static_cast<size_t>(std::max(response->AnalysisSize(), 0)), 0.0);
    std::copy_n(result.start.begin(), std::min(start.size(), result.start.size()), start.begin());
    response->SetSampleRate(rate);
    response->Analyze(start.data());
}

IFreqResponseControl* ImpulseLibrary::Install(const ImpulseRequest& request, Result& result, uint64_t serial,
                                              Replaced& replaced, double& rate) {
    ScopedLock<PluginLock> hold(plugin.PluginMutex());
    if (loader.Superseded(serial)) return nullptr;
    pending.reset();
    // The rate only changes while no blocks run; the engine goes to the audio thread as a change.
    const SignalChain& chain = plugin.ChainSettings();
    if (request.rate != chain.SampleRate()) {
        // The host rate changed while this one was prepared: prepare it again.
        ImpulseRequest again = request;
        again.rate = chain.SampleRate();
        Request(std::move(again));
        return nullptr;
    }
    if (!result.error.empty()) {
        error = result.error;
        const std::string name = FileNameOf(request.path);
        ShowField(name + (result.missing ? " (missing)" : " (not loaded)"));
        if (!request.quiet) QueueMessage(result.error);
        return nullptr;
    }
    plugin.Changes().PostConvolution(plugin.ChainRoute(), std::move(result.engine), result.norm);
    installedRate = request.rate;
    error.clear();
    if (!result.file.empty()) storedPath = result.file;
    replaced.source = std::move(source);
    source = result.source;
    if (!request.path.empty()) sourcePath = storedPath;
    const std::string name = FileNameOf(storedPath);
    if (!result.file.empty()) {
        folder = storedPath.substr(0, storedPath.size() - name.size());
        replaced.files = std::move(files);
        files = std::move(result.files);
        names.clear();
        entry = -1;
        for (size_t i = 0; i < files.size(); ++i) {
            const std::string& file = files[i];
            names.push_back(file.substr(0, file.rfind('.')));
            if (file == name) entry = static_cast<int>(i);
        }
    }
    if (!request.path.empty())
        ShowField(result.fromCopy ? name + " (from song)" : name.substr(0, name.rfind('.')));
    IEditorGraphics* graphics = plugin.Graphics();
    if (!graphics) return nullptr;
    rate = chain.SampleRate();
    return dynamic_cast<IFreqResponseControl*>(graphics->ControlAt(plugin.Controls().response));
}
