#include "IPluginBase.h"

#include "TextUtil.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
// Reads "%d-%d" at text; an unreadable field counts as 0.
void ParseConfig(const char* text, int& inputs, int& outputs) {
    inputs = 0;
    outputs = 0;
    std::sscanf(text, "%d-%d", &inputs, &outputs);
}

struct HostName {
    const char* text;
    HostId id;
};
// Tested in this order: the first text the lower-case product name contains wins.
constexpr HostName kHostNames[] = {
    {"cubase", kHostCubase},         {"reaper", kHostReaper},         {"nuendo", kHostNuendo},
    {"cakewalk", kHostCakewalk},     {"samplitude", kHostSamplitude}, {"fruity", kHostFruityLoops},
    {"live", kHostLive},             {"melodyne", kHostMelodyne},     {"vstmanlib", kHostVstManLib},
    {"aulab", kHostAuLab},           {"forte", kHostForte},           {"chainer", kHostChainer},
    {"audition", kHostAudition},     {"orion", kHostOrion},           {"sawstudio", kHostSawStudio},
    {"logic", kHostLogic},           {"digital", kHostDigitalPerformer},
};
} // namespace

IPluginBase::IPluginBase(const IPluginConfig& config)
    : params(static_cast<size_t>(config.paramCount > 0 ? config.paramCount : 0)), uniqueId(config.uniqueId),
      manufacturerId(config.manufacturerId), pluginVersion(config.version), stateInChunks(config.stateInChunks),
      isInstrument(config.isInstrument), latency(config.latency) {
    programs.resize(static_cast<size_t>(config.programCount > 0 ? config.programCount : 0));
    for (size_t i = 0; i < programs.size(); ++i)
        std::snprintf(programs[i].name, sizeof(programs[i].name), "- %d -", static_cast<int>(i + 1));

    CopyText(effectName, sizeof(effectName), config.effectName);
    CopyText(productName, sizeof(productName), config.productName);
    CopyText(vendorName, sizeof(vendorName), config.vendorName);

    int maxInputs = 0, maxOutputs = 0;
    const char* cursor = config.channelConfig ? config.channelConfig : "";
    while (true) {
        ChannelConfig c{};
        ParseConfig(cursor, c.inputs, c.outputs);
        channelConfigs.push_back(c);
        if (c.inputs > maxInputs) maxInputs = c.inputs;
        if (c.outputs > maxOutputs) maxOutputs = c.outputs;
        const char* blank = std::strchr(cursor, ' ');
        if (!blank) break;
        cursor = blank + 1;
    }
    ConfigureChannels(maxInputs, maxOutputs);
}

IPluginBase::~IPluginBase() { delete editor; }

void IPluginBase::ConfigureChannels(int inputs, int outputs) {
    inputData.assign(static_cast<size_t>(inputs), nullptr);
    outputData.assign(static_cast<size_t>(outputs), nullptr);
    inputChannels.assign(static_cast<size_t>(inputs), InputChannel{});
    outputChannels.assign(static_cast<size_t>(outputs), OutputChannel{});
    for (int i = 0; i < inputs; ++i) inputChannels[static_cast<size_t>(i)].slot = &inputData[static_cast<size_t>(i)];
    for (int i = 0; i < outputs; ++i)
        outputChannels[static_cast<size_t>(i)].slot = &outputData[static_cast<size_t>(i)];
}

IParameter* IPluginBase::ParamAt(int index) {
    return index >= 0 && index < ParamCount() ? &params[static_cast<size_t>(index)] : nullptr;
}

const IParameter* IPluginBase::ParamAt(int index) const {
    return index >= 0 && index < ParamCount() ? &params[static_cast<size_t>(index)] : nullptr;
}

void IPluginBase::SetParameterFromGUI(int index, double normalizedValue) {
    ScopedLock<PluginLock> hold(pluginLock);
    IParameter* param = ParamAt(index);
    if (!param) return;
    param->SetFromNormalized(normalizedValue);
    AutomateHost(index, normalizedValue);
    ParameterChanged(index);
}

void IPluginBase::SetParameterFromControl(const void* control, int index, double normalizedValue) {
    ScopedLock<PluginLock> hold(pluginLock);
    controlMirror.Took(control, index, normalizedValue);
    SetParameterFromGUI(index, normalizedValue);
}

bool IPluginBase::MoveBoundControls(int index, double normalizedValue) {
    ScopedLock<PluginLock> hold(pluginLock);
    const int n = controlMirror.Count(index);
    if (n == 0) return false;
    const double shown = ControlMirror::Clamp(normalizedValue);
    // In control order, as the controls themselves would: each that changes sends its value, and a
    // nested change sees the controls moved so far.
    for (int k = 0; k < n; ++k) {
        ControlMirror::Slot& slot = controlMirror.At(index, k);
        if (slot.held == shown) continue;
        controlMirror.Move(slot, shown);
        SetParameterFromGUI(index, shown);
    }
    return true;
}

void IPluginBase::SetHost(const char* hostProductName, int newHostVersion) {
    char lower[256];
    CopyLowerText(lower, sizeof(lower), hostProductName);
    hostId = kHostUnknown;
    for (const HostName& host : kHostNames) {
        if (std::strstr(lower, host.text)) {
            hostId = host.id;
            break;
        }
    }
    hostVersion = newHostVersion;
}

bool IPluginBase::LegalIO(int inputs, int outputs) const {
    for (const ChannelConfig& c : channelConfigs)
        if ((inputs < 0 || inputs == c.inputs) && (outputs < 0 || outputs == c.outputs)) return true;
    return false;
}

int IPluginBase::GetPluginVersion(bool decimal) const {
    if (!decimal) return pluginVersion;
    return ((pluginVersion >> 16) & 0xff) * 10000 + ((pluginVersion >> 8) & 0xff) * 100 + (pluginVersion & 0xff);
}

bool IPluginBase::IsInputConnected(int index) const {
    return index >= 0 && index < InputCount() && inputChannels[static_cast<size_t>(index)].connected;
}

bool IPluginBase::IsOutputConnected(int index) const {
    return index >= 0 && index < OutputCount() && outputChannels[static_cast<size_t>(index)].connected;
}

void IPluginBase::AttachEditor(IEditorLink* newEditor) {
    if (!newEditor) return;
    ScopedLock<PluginLock> hold(pluginLock);
    for (int i = 0; i < ParamCount(); ++i) newEditor->PushParameterValue(i, params[static_cast<size_t>(i)].Normalized(), true);
    editor = newEditor;
}

void IPluginBase::PushParamsToEditor() {
    if (!editor) return;
    for (int i = 0; i < ParamCount(); ++i) {
        editor->PushParameterValue(i, params[static_cast<size_t>(i)].Value(), false);
        controlMirror.Push(i, params[static_cast<size_t>(i)].Normalized(), true);
    }
}

void IPluginBase::SetInputConnections(int first, int count, bool connected) {
    const int end = first + count < InputCount() ? first + count : InputCount();
    for (int i = first < 0 ? 0 : first; i < end; ++i) {
        InputChannel& ch = inputChannels[static_cast<size_t>(i)];
        ch.connected = connected;
        if (connected) continue;
        // An unconnected input reads silence from its own buffer.
        std::fill(ch.scratch.begin(), ch.scratch.end(), 0.0);
        *ch.slot = ch.scratch.empty() ? nullptr : ch.scratch.data();
    }
}

void IPluginBase::SetOutputConnections(int first, int count, bool connected) {
    const int end = first + count < OutputCount() ? first + count : OutputCount();
    for (int i = first < 0 ? 0 : first; i < end; ++i) {
        OutputChannel& ch = outputChannels[static_cast<size_t>(i)];
        ch.connected = connected;
        if (!connected) *ch.slot = ch.scratch.empty() ? nullptr : ch.scratch.data();
    }
}

void IPluginBase::BindInputs(int first, int count, double** buffers) {
    const int end = first + count < InputCount() ? first + count : InputCount();
    int next = 0;
    for (int i = first; i < end; ++i) {
        InputChannel& ch = inputChannels[static_cast<size_t>(i)];
        if (!ch.connected) continue;
        double* buffer = buffers ? buffers[next++] : nullptr;
        // A host that passes no buffer gets silence rather than a crash.
        if (!buffer) std::fill(ch.scratch.begin(), ch.scratch.end(), 0.0);
        *ch.slot = buffer ? buffer : ch.scratch.data();
    }
}

void IPluginBase::BindInputs(int first, int count, float** buffers, int frames) {
    const int end = first + count < InputCount() ? first + count : InputCount();
    int next = 0;
    for (int i = first; i < end; ++i) {
        InputChannel& ch = inputChannels[static_cast<size_t>(i)];
        if (!ch.connected) continue;
        const float* source = buffers ? buffers[next++] : nullptr;
        double* dest = ch.scratch.data();
        *ch.slot = dest;
        if (!source) {
            std::fill(ch.scratch.begin(), ch.scratch.end(), 0.0);
            continue;
        }
        int k = 0;
        for (; k + 4 <= frames; k += 4) {
            dest[k] = source[k];
            dest[k + 1] = source[k + 1];
            dest[k + 2] = source[k + 2];
            dest[k + 3] = source[k + 3];
        }
        for (; k < frames; ++k) dest[k] = source[k];
    }
}

void IPluginBase::BindOutputs(int first, int count, double** buffers) {
    const int end = first + count < OutputCount() ? first + count : OutputCount();
    int next = 0;
    for (int i = first; i < end; ++i) {
        OutputChannel& ch = outputChannels[static_cast<size_t>(i)];
        if (!ch.connected) continue;
        double* buffer = buffers ? buffers[next++] : nullptr;
        *ch.slot = buffer ? buffer : ch.scratch.data();
    }
}

void IPluginBase::BindOutputs(int first, int count, float** buffers) {
    const int end = first + count < OutputCount() ? first + count : OutputCount();
    int next = 0;
    for (int i = first; i < end; ++i) {
        OutputChannel& ch = outputChannels[static_cast<size_t>(i)];
        if (!ch.connected) continue;
        *ch.slot = ch.scratch.data();
        ch.floatDestination = buffers ? buffers[next++] : nullptr;
    }
}

void IPluginBase::RunProcessDouble(int frames) {
    ProcessBlock(inputData.empty() ? nullptr : inputData.data(), outputData.empty() ? nullptr : outputData.data(),
                 frames);
}

void IPluginBase::RunProcessFloatReplacing(int frames) {
    RunProcessDouble(frames);
    WriteFloatOutputs(frames, false);
}

void IPluginBase::RunProcessFloatAccumulating(int frames) {
    RunProcessDouble(frames);
    WriteFloatOutputs(frames, true);
}

void IPluginBase::WriteFloatOutputs(int frames, bool accumulate) {
    for (OutputChannel& ch : outputChannels) {
        if (!ch.connected || !ch.floatDestination) continue;
        const double* source = ch.scratch.data();
        float* dest = ch.floatDestination;
        // Four at a time, then the rest; the same result as one at a time.
        auto put = [&](int k) {
            const float v = static_cast<float>(source[k]);
            dest[k] = accumulate ? dest[k] + v : v;
        };
        int k = 0;
        for (; k + 4 <= frames; k += 4) {
            put(k);
            put(k + 1);
            put(k + 2);
            put(k + 3);
        }
        for (; k < frames; ++k) put(k);
    }
}

void IPluginBase::Reset() { ScopedLock<PluginLock> hold(pluginLock); }
void IPluginBase::ParameterChanged(int) { ScopedLock<PluginLock> hold(pluginLock); }
void IPluginBase::OnActivate(bool) { ScopedLock<PluginLock> hold(pluginLock); }

void IPluginBase::ProcessBlock(double** inputs, double** outputs, int frames) {
    const int ins = InputCount(), outs = OutputCount();
    for (int i = 0; i < ins && i < outs; ++i)
        if (inputs[i] && outputs[i] && frames > 0)
            std::memcpy(outputs[i], inputs[i], sizeof(double) * static_cast<size_t>(frames));
    for (int i = ins; i < outs; ++i)
        for (int k = 0; k < frames; ++k) outputs[i][k] = 0.0;
}

bool IPluginBase::GetMidiNoteName(int, char* outText) {
    if (outText) outText[0] = '\0';
    return false;
}

int IPluginBase::IdentifyHost() { return hostId; }

void IPluginBase::FormatParameterText(int index, double v, char* outText) const {
    if (const IParameter* param = ParamAt(index)) param->FormatForHost(v, false, outText);
}

void IPluginBase::FormatParameterLabel(int index, char* outText) const {
    if (const IParameter* param = ParamAt(index)) CopyText(outText, 32, param->Label());
}

bool IPluginBase::ParameterFromText(int index, const char* text, double& outNormalized) const {
    const IParameter* param = ParamAt(index);
    return param && text && param->NormalizedFromText(text, outNormalized);
}

void IPluginBase::SetBlockSize(int frames) {
    if (frames == blockSize) return;
    const size_t size = static_cast<size_t>(frames > 0 ? frames : 0);
    for (InputChannel& ch : inputChannels) ch.scratch.assign(size, 0.0);
    for (OutputChannel& ch : outputChannels) ch.scratch.assign(size, 0.0);
    // Unconnected channels point at their own scratch buffer, which just moved.
    for (InputChannel& ch : inputChannels)
        if (!ch.connected) *ch.slot = ch.scratch.empty() ? nullptr : ch.scratch.data();
    for (OutputChannel& ch : outputChannels)
        if (!ch.connected) *ch.slot = ch.scratch.empty() ? nullptr : ch.scratch.data();
    blockSize = frames;
}
