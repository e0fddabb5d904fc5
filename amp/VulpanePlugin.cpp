#include "VulpanePlugin.h"

#include "IEditorGraphics.h"
#include "OversamplingControl.h"

#include "VstEntry.h"

#include <new>
#include <utility>

namespace {
constexpr int32_t FourCC(char a, char b, char c, char d) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(b) << 16 |
                                static_cast<uint32_t>(c) << 8 | static_cast<uint32_t>(d));
}

IPluginConfig VulpaneConfig() {
    IPluginConfig config{};
    config.paramCount = kNumParams;
    config.channelConfig = "1-1 2-2";
    config.programCount = 1;
    config.effectName = "Vulpane";
    config.productName = "Vulpane";
    config.vendorName = "kestrovanic";
    config.version = 0x20500;
    config.uniqueId = FourCC('v', 'z', 'p', '2');
    config.manufacturerId = FourCC('Q', 'e', 'l', 't');
    config.latency = 0;
    config.receivesMidi = true;
    config.stateInChunks = true;
    config.isInstrument = false;
    return config;
}
} // namespace

IVstAdapter* CreateVstPlugin(audioMasterCallback hostCallback) {
    return new (std::nothrow) VulpanePlugin(hostCallback);
}

VulpanePlugin::VulpanePlugin(audioMasterCallback hostCallback) : IVstAdapter(hostCallback, VulpaneConfig()) {
    DeclareParameters();
    MakeDefaultPrograms("Default", 1);
    BuildEditor();
    chainChanges.Direct([this](SignalChain& chain) {
        chain.Initialise(GetSampleRate());
        chain.SetTunerDisplay(&tunerView);
        // Set before the host holds the effect, so there is nothing to tell it yet.
        if (chain.SetOversampling(kDefaultOversampling)) oversampling = kDefaultOversampling;
    });
    SetLatency(Oversampler::LatencyOf(oversampling));
    ShowOversampling();
    presetBrowser.UseFolder("");
    ShowPending();
}

// The loader stops first: a load still running gives up and frees what it prepared.
VulpanePlugin::~VulpanePlugin() {
    impulses.Stop();
}

void VulpanePlugin::Reset() {
    ScopedLock<PluginLock> hold(pluginLock);
    chainChanges.Direct([this](SignalChain& chain) { chain.Reset(GetSampleRate()); });
    impulses.FollowRate();
}

bool VulpanePlugin::SetOversampling(int factor) {
    ScopedLock<PluginLock> hold(pluginLock);
    // The new path is made here while the audio keeps running; the audio thread takes it in.
    std::unique_ptr<OversampledAmp> path;
    if (!signalChain.PrepareOversampling(factor, path)) return false;
    if (factor == oversampling) return true;
    // Designed here with the settings the chain will have when it takes the path, so that the
    // audio thread only checks them.
    if (path) path->Amp().UseSettings(chainChanges.Amp());
    chainChanges.PostOversampling(ChainRoute(), factor, std::move(path));
    oversampling = factor;
    const int latency = Oversampler::LatencyOf(factor);
    if (latency != Latency()) {
        SetLatency(latency);
        CallHost(audioMasterIOChanged, 0, 0, nullptr, 0.0f);
    }
    ShowOversampling();
    ShowPendingOffAudioThread();
    return true;
}

void VulpanePlugin::ShowOversampling() {
    feedback.ShowText(controls.oversampling, IOversamplingControl::Label(oversampling));
}

intptr_t VulpanePlugin::VendorSpecific(int32_t index, intptr_t value, void* ptr, float) {
    if (index == kVendorWritePresetFile) {
        std::string error;
        return ptr && presetSaver.WriteFile(static_cast<const char*>(ptr), error) ? 1 : 0;
    }
    if (index != kOversamplingOpcode) return 0;
    if (value != 0) SetOversampling(static_cast<int>(value));
    return Oversampling();
}

void VulpanePlugin::ProcessBlock(double** inputs, double** outputs, int frames) {
    chainChanges.ApplyWaiting();
    signalChain.ProcessBlock(inputs[0], inputs[1], outputs[0], outputs[1], frames);
}

bool VulpanePlugin::SerializeState(StateChunk& chunk) {
    ScopedLock<PluginLock> hold(pluginLock);
    impulses.TakeWaitingWork(); // a preset's impulse the audio thread left for the loader
    chunk.PutString(impulses.Path().c_str());
    if (chunk.Size() == 0) return false;
    return SerializeParams(chunk);
}

int VulpanePlugin::UnserializeState(const StateChunk& chunk, int position) {
    ScopedLock<PluginLock> hold(pluginLock);
    std::string path;
    const int next = chunk.GetString(path, position);
    impulses.StorePath(path);
    // The stored values come back as they are: no button acts, no linked knob is re-derived and
    // no preset is loaded by the browser's position.
    const bool wasRestoring = restoringState;
    restoringState = true;
    const bool wasLoadPending = presetBrowser.SuspendLoad();
    const int result = UnserializeParams(chunk, next);
    restoringState = wasRestoring;
    presetBrowser.ResumeLoad(wasLoadPending);
    impulses.Restore(path, nullptr);
    ShowPendingOffAudioThread();
    return result;
}

// The bound controls decide as they would if moved (each that holds another value sends it);
// a parameter without a control sends only a change.
void VulpanePlugin::MoveParameter(int index, double normalizedValue) {
    if (MoveBoundControls(index, normalizedValue)) return;
    const IParameter* param = ParamAt(index);
    if (param && param->Normalized() != normalizedValue) SetParameterFromGUI(index, normalizedValue);
}

void VulpanePlugin::ChangeParameter(int index, double normalizedValue) {
    const IParameter* param = ParamAt(index);
    if (!param || param->Normalized() == normalizedValue) return;
    ScopedLock<PluginLock> hold(pluginLock);
    for (int k = 0; k < Mirror().Count(index); ++k)
        Mirror().Move(Mirror().At(index, k), normalizedValue);
    SetParameterFromGUI(index, normalizedValue);
}

void VulpanePlugin::ShowPending() {
    if (!graphics) return;
    ScopedLock<PluginLock> hold(pluginLock);
    presetBrowser.ShowPending();
    graphics->ApplyControlMirror();
    feedback.Apply(*graphics);
}

void VulpanePlugin::ReportToHost(int index, double normalizedValue) {
    BeginEdit(index);
    AutomateHost(index, normalizedValue);
    EndEdit(index);
}

void VulpanePlugin::UsePresetFolder(const std::string& folder) {
    // The files are read before the lock is taken; the listing changes hands by swap.
    PresetBrowser::Listing listing = PresetBrowser::ListBanks(folder);
    ScopedLock<PluginLock> hold(pluginLock);
    presetBrowser.UseListing(listing);
    ShowPendingOffAudioThread();
}

bool VulpanePlugin::ReadPresetFile(const char* path) {
    ScopedLock<PluginLock> hold(pluginLock);
    const bool read = presetBrowser.ReadPresetFile(path);
    ShowPendingOffAudioThread();
    return read;
}

// The one place that knows what an offline render waits for: the work prepared off the audio
// path that the coming blocks are to hear, an impulse on its way.
bool VulpanePlugin::LoadsPending() const {
    return impulses.Loading();
}
void VulpanePlugin::WaitForLoads() {
    impulses.WaitForLoads();
}

void VulpanePlugin::OnEditorOpen() {
    if (chainChanges.TunerBuffersGiven()) return;
    auto buffers = std::make_unique<ChainChanges::TunerBuffers>();
    if (Tuner::MakeAnalysisBuffers(buffers->real, buffers->imag))
        chainChanges.PostTunerBuffers(ChainRoute(), std::move(buffers));
}

ChainChanges::Route VulpanePlugin::ChainRoute() const {
    if (OnAudioThread()) return ChainChanges::Route::kAudioThread;
    return BlocksRunning() ? ChainChanges::Route::kQueue : ChainChanges::Route::kIdle;
}

void VulpanePlugin::OnIdleHook() {
    // What the audio thread replaced is freed here when no change came since.
    // What changes made on the audio thread left for the editor is shown here too; a change
    // holding the lock now is shown at a later tick.
    if (pluginLock.TryLock()) {
        chainChanges.FreeRetired();
        ShowPending();
        pluginLock.Unlock();
    }
    impulses.ShowQueuedMessage();
}
