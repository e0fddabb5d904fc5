#include "HostedPlugin.h"

#include "DynamicLibrary.h"

#include <cstring>

namespace {
// The plug-in may call the host while its entry point runs, before we know its effect record.
thread_local HostedPlugin* loading = nullptr;

std::string Text(HostedPlugin& plugin, int32_t opcode, int32_t index) {
    char text[256] = {};
    plugin.Dispatch(opcode, index, 0, text, 0.0f);
    text[sizeof(text) - 1] = '\0';
    return text;
}
} // namespace

std::unique_ptr<HostedPlugin> HostedPlugin::Load(const std::string& path, std::string& error) {
    std::unique_ptr<HostedPlugin> plugin(new HostedPlugin());
    plugin->library = OpenDynamicLibrary(path.c_str(), error);
    if (!plugin->library) return nullptr;
    auto entry = reinterpret_cast<EntryPoint>(FindLibrarySymbol(plugin->library, "VSTPluginMain"));
    if (!entry) entry = reinterpret_cast<EntryPoint>(FindLibrarySymbol(plugin->library, "main"));
    if (!entry) {
        error = "no VSTPluginMain or main in " + path;
        return nullptr;
    }
    if (!plugin->Construct(entry, path, error)) return nullptr;
    return plugin;
}

std::unique_ptr<HostedPlugin> HostedPlugin::FromEntry(EntryPoint entry, std::string& error) {
    std::unique_ptr<HostedPlugin> plugin(new HostedPlugin());
    if (!entry || !plugin->Construct(entry, "the built-in plug-in", error)) {
        if (error.empty()) error = "no entry point";
        return nullptr;
    }
    return plugin;
}

bool HostedPlugin::Construct(EntryPoint entry, const std::string& what, std::string& error) {
    timeInfo.sampleRate = sampleRate;
    timeInfo.tempo = 120.0;
    timeInfo.timeSigNumerator = 4;
    timeInfo.timeSigDenominator = 4;
    timeInfo.flags = kVstTempoValid | kVstTimeSigValid;
    loading = this;
    effect = entry(&HostedPlugin::Callback);
    loading = nullptr;
    if (!effect || effect->magic != kEffectMagic) {
        error = "the entry point of " + what + " returned no effect";
        effect = nullptr;
        return false;
    }
    effect->resvd1 = reinterpret_cast<intptr_t>(this);
    return true;
}

HostedPlugin::~HostedPlugin() {
    if (effect) {
        Stop();
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    CloseDynamicLibrary(library);
}

intptr_t HostedPlugin::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void HostedPlugin::Start(double rate, int frames) {
    sampleRate = rate;
    blockSize = frames;
    timeInfo.sampleRate = rate;
    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    Dispatch(effSetBlockSize, 0, frames);
    Dispatch(effOpen);
    Dispatch(effMainsChanged, 0, 1);
    Dispatch(effStartProcess);
    started = true;
}

void HostedPlugin::Stop() {
    if (!started) return;
    Dispatch(effStopProcess);
    Dispatch(effMainsChanged, 0, 0);
    started = false;
}

std::string HostedPlugin::ParamName(int index) { return Text(*this, effGetParamName, index); }
std::string HostedPlugin::ParamLabel(int index) { return Text(*this, effGetParamLabel, index); }
std::string HostedPlugin::ParamDisplay(int index) { return Text(*this, effGetParamDisplay, index); }
std::string HostedPlugin::ParamIdentifier(int index) {
    char text[256] = {};
    if (Dispatch(effVendorSpecific, kVendorParamIdentifier, index, text) != 1) return "";
    text[sizeof(text) - 1] = '\0';
    return text;
}

std::string HostedPlugin::ParamDisplayAt(int index, float value) {
    // The Cockos extension formats a value without moving the parameter; otherwise the
    // value is set, read and put back.
    char text[256] = {};
    if (Dispatch(effVendorSpecific, 7, index, text, value) == 0xBEEF) {
        text[sizeof(text) - 1] = '\0';
        return text;
    }
    const float saved = GetParameter(index);
    SetParameter(index, value);
    std::string shown = ParamDisplay(index);
    SetParameter(index, saved);
    return shown;
}

std::string HostedPlugin::ProgramName(int index) { return Text(*this, effGetProgramNameIndexed, index); }
std::string HostedPlugin::EffectName() { return Text(*this, effGetEffectName, 0); }
std::string HostedPlugin::VendorString() { return Text(*this, effGetVendorString, 0); }
std::string HostedPlugin::ProductString() { return Text(*this, effGetProductString, 0); }

float HostedPlugin::GetParameter(int index) { return effect->getParameter(effect, index); }
void HostedPlugin::SetParameter(int index, float value) { effect->setParameter(effect, index, value); }

intptr_t HostedPlugin::CanDo(const char* capability) {
    return Dispatch(effCanDo, 0, 0, const_cast<char*>(capability), 0.0f);
}

void HostedPlugin::ProcessFloat(float** inputs, float** outputs, int frames) {
    effect->processReplacing(effect, inputs, outputs, frames);
    timeInfo.samplePos += frames;
}

void HostedPlugin::ProcessDouble(double** inputs, double** outputs, int frames) {
    effect->processDoubleReplacing(effect, inputs, outputs, frames);
    timeInfo.samplePos += frames;
}

void HostedPlugin::ProcessAccumulating(float** inputs, float** outputs, int frames) {
    effect->process(effect, inputs, outputs, frames);
    timeInfo.samplePos += frames;
}

void HostedPlugin::Settle() {
    float* none[2] = {nullptr, nullptr};
    effect->processReplacing(effect, none, none, 0);
}

std::vector<char> HostedPlugin::GetChunk(bool program) {
    void* data = nullptr;
    const intptr_t size = Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || !data) return {};
    const char* bytes = static_cast<const char*>(data);
    return std::vector<char>(bytes, bytes + size);
}

intptr_t HostedPlugin::SetChunk(bool program, const std::vector<char>& bytes) {
    return Dispatch(effSetChunk, program ? 1 : 0, static_cast<intptr_t>(bytes.size()),
                    const_cast<char*>(bytes.data()));
}

intptr_t VST_CALL HostedPlugin::Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                         float opt) {
    HostedPlugin* self = effect && effect->resvd1 ? reinterpret_cast<HostedPlugin*>(effect->resvd1) : loading;
    if (opcode == audioMasterVersion) return kVstVersion;
    if (!self) return 0;
    return self->Answer(opcode, index, value, ptr, opt);
}

intptr_t HostedPlugin::Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    switch (opcode) {
    case audioMasterAutomate:
        if (record) recorded.automation.push_back({index, opt});
        return 0;
    case audioMasterCurrentId:
        return effect ? effect->uniqueID : 0;
    case audioMasterWantMidi:
        if (record) ++recorded.wantMidiCalls;
        return 1;
    case audioMasterGetTime:
        if (record) ++recorded.timeRequests;
        return answerTimeInfo ? reinterpret_cast<intptr_t>(&timeInfo) : 0;
    case audioMasterProcessEvents: {
        const auto* list = static_cast<const VstEvents*>(ptr);
        if (!list || !record) return list ? 1 : 0;
        for (int32_t i = 0; i < list->numEvents; ++i) {
            const VstEvent* e = list->events[i];
            if (!e) continue;
            const char* raw = reinterpret_cast<const char*>(e);
            recorded.events.emplace_back(raw, raw + sizeof(VstEvent));
        }
        return 1;
    }
    case audioMasterGetSampleRate:
        return static_cast<intptr_t>(sampleRate);
    case audioMasterGetBlockSize:
        return blockSize;
    case audioMasterGetCurrentProcessLevel:
        if (record) ++recorded.processLevelRequests;
        return processLevel;
    case audioMasterGetVendorString:
        if (ptr) std::strncpy(static_cast<char*>(ptr), vendorString.c_str(), 63);
        return 1;
    case audioMasterGetProductString:
        if (record) ++recorded.productStringRequests;
        if (ptr) std::strncpy(static_cast<char*>(ptr), productString.c_str(), 63);
        return 1;
    case audioMasterGetVendorVersion:
        if (record) ++recorded.vendorVersionRequests;
        return vendorVersion;
    case audioMasterCanDo:
        return 0;
    case audioMasterBeginEdit:
        if (record) recorded.beginEdits.push_back(index);
        return 1;
    case audioMasterEndEdit:
        if (record) recorded.endEdits.push_back(index);
        return 1;
    default:
        return 0;
    }
}
