#include "SessionHost.h"

#include <dlfcn.h>

#include <cstring>

namespace {
SessionHost* gHost = nullptr;
thread_local bool tAudioThread = false;

void CopyText(void* ptr, const char* text) {
    if (ptr) std::strcpy(static_cast<char*>(ptr), text);
}
} // namespace

SessionHost::~SessionHost() {
    if (effect) {
        Stop();
        Dispatch(effClose);
    }
    if (library) dlclose(library);
    if (gHost == this) gHost = nullptr;
}

bool SessionHost::Load(const std::string& path, std::string& error) {
    gHost = this;
    library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        error = dlerror();
        return false;
    }
    using Entry = AEffect*(VST_CALL*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(library, "VSTPluginMain"));
    effect = entry ? entry(&SessionHost::Callback) : nullptr;
    if (!effect || effect->magic != kEffectMagic) {
        effect = nullptr;
        error = path + " is not a VST2 plug-in";
        return false;
    }
    return true;
}

intptr_t SessionHost::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void SessionHost::Start(double sampleRate, int blockSize) {
    rate = sampleRate;
    block = blockSize;
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    Dispatch(effSetBlockSize, 0, block);
    Dispatch(effMainsChanged, 0, 1);
    Dispatch(effStartProcess);
    started = true;
}

void SessionHost::Stop() {
    if (!started) return;
    Dispatch(effStopProcess);
    Dispatch(effMainsChanged, 0, 0);
    started = false;
}

std::vector<char> SessionHost::GetChunk(bool program) {
    void* data = nullptr;
    const intptr_t size = Dispatch(effGetChunk, program ? 1 : 0, 0, &data);
    if (size <= 0 || !data) return {};
    return std::vector<char>(static_cast<char*>(data), static_cast<char*>(data) + size);
}

bool SessionHost::SetChunk(bool program, const std::vector<char>& bytes) {
    std::vector<char> copy = bytes; // a host hands over its own buffer
    return Dispatch(effSetChunk, program ? 1 : 0, static_cast<intptr_t>(copy.size()), copy.data()) == 1;
}

void SessionHost::Press(int index) {
    effect->setParameter(effect, index, 1.0f);
    effect->setParameter(effect, index, 0.0f);
}

size_t SessionHost::Logged() const {
    const size_t n = logged.load();
    return n < kLogCapacity ? n : kLogCapacity;
}

void SessionHost::MarkAudioThread(bool audio) {
    tAudioThread = audio;
}

intptr_t VST_CALL SessionHost::Callback(AEffect*, int32_t opcode, int32_t index, intptr_t, void* ptr,
                                        float opt) {
    SessionHost* host = gHost;
    switch (opcode) {
    case audioMasterAutomate:
        if (host) {
            const size_t at = host->logged.fetch_add(1);
            if (at < kLogCapacity) host->log[at] = Automate{index, opt};
        }
        return 0;
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterWantMidi:
    case audioMasterIOChanged:
    case audioMasterUpdateDisplay:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
        return 1;
    case audioMasterGetCurrentProcessLevel:
        if (host) host->processLevelAsks.fetch_add(1, std::memory_order_relaxed);
        return tAudioThread ? kVstProcessLevelRealtime : kVstProcessLevelUser;
    case audioMasterGetSampleRate:
        return host ? static_cast<intptr_t>(host->rate) : 0;
    case audioMasterGetBlockSize:
        return host ? host->block : 0;
    case audioMasterGetVendorString:
        CopyText(ptr, "Vulpane session");
        return 1;
    case audioMasterGetProductString:
        CopyText(ptr, "vulpane-session");
        return 1;
    case audioMasterGetVendorVersion:
        return 1;
    default:
        return 0; // no time info, no other abilities
    }
}
