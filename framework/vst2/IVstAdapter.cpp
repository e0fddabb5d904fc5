#include "IVstAdapter.h"

#include "TextUtil.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
IVstAdapter* ObjectOf(AEffect* effect) {
    return effect ? static_cast<IVstAdapter*>(effect->object) : nullptr;
}

intptr_t VST_CALL VSTDispatcher(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt) {
    IVstAdapter* plugin = ObjectOf(effect);
    return plugin ? plugin->Dispatch(opcode, index, value, ptr, opt) : 0;
}

float VST_CALL VSTGetParameter(AEffect* effect, int32_t index) {
    IVstAdapter* plugin = ObjectOf(effect);
    return plugin ? plugin->GetParameterNormalized(index) : 0.0f;
}

void VST_CALL VSTSetParameter(AEffect* effect, int32_t index, float value) {
    if (IVstAdapter* plugin = ObjectOf(effect)) plugin->SetParameterNormalized(index, value);
}

void VST_CALL ProcessAccumulating(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
    if (IVstAdapter* plugin = ObjectOf(effect)) plugin->Process(inputs, outputs, frames, true);
}

void VST_CALL ProcessReplacingFloat(AEffect* effect, float** inputs, float** outputs, int32_t frames) {
    if (IVstAdapter* plugin = ObjectOf(effect)) plugin->Process(inputs, outputs, frames, false);
}

void VST_CALL ProcessReplacingDouble(AEffect* effect, double** inputs, double** outputs, int32_t frames) {
    if (IVstAdapter* plugin = ObjectOf(effect)) plugin->Process(inputs, outputs, frames, false);
}

int32_t ArrangementType(int channels) {
    switch (channels) {
    case 0:
        return kSpeakerArrEmpty;
    case 1:
        return kSpeakerArrMono;
    case 2:
        return kSpeakerArrStereo;
    default:
        return kSpeakerArrUserDefined;
    }
}

int64_t NowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The most channels a host block is split over; more are never declared here.
constexpr int kMaxChannels = 32;
} // namespace

IVstAdapter::IVstAdapter(audioMasterCallback hostCallback, const IPluginConfig& config)
    : IPluginBase(config), host(hostCallback), receivesMidi(config.receivesMidi) {
    effect.magic = kEffectMagic;
    effect.dispatcher = VSTDispatcher;
    effect.process = ProcessAccumulating;
    effect.setParameter = VSTSetParameter;
    effect.getParameter = VSTGetParameter;
    effect.numPrograms = ProgramCount();
    effect.numParams = ParamCount();
    effect.numInputs = InputCount();
    effect.numOutputs = OutputCount();
    effect.initialDelay = latency;
    effect.ioRatio = 1.0f;
    effect.object = this;
    effect.uniqueID = uniqueId;
    effect.version = GetPluginVersion(true);
    effect.processReplacing = ProcessReplacingFloat;
    effect.processDoubleReplacing = ProcessReplacingDouble;

    int32_t flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    if (stateInChunks) flags |= effFlagsProgramChunks;
    if (LegalIO(1, -1)) flags |= effFlagsCanMono;
    if (isInstrument) flags |= effFlagsIsSynth;
    effect.flags = flags;

    inputArrangement.numChannels = InputCount();
    inputArrangement.type = ArrangementType(InputCount());
    outputArrangement.numChannels = OutputCount();
    outputArrangement.type = ArrangementType(OutputCount());

    SetInputConnections(0, InputCount(), true);
    SetOutputConnections(0, OutputCount(), true);
    SetBlockSize(1024);
}

IVstAdapter::~IVstAdapter() {
    effect.object = nullptr;
}

IVstAdapter* IVstAdapter::FromEffect(AEffect* e) {
    return ObjectOf(e);
}

intptr_t IVstAdapter::CallHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return host ? host(&effect, opcode, index, value, ptr, opt) : 0;
}

// Another thread that takes the lock for a moment (or is just letting it go) should not send a
// move to the queue: try for a few microseconds, well under what would count as waiting. Once
// moves wait in the queue the lock is known to be held for longer, and the later calls of that
// stretch only try once: a long hold then costs one short wait, not one in every call.
bool IVstAdapter::TryPluginLockBriefly() {
    if (pluginLock.TryLock()) return true;
    if (!deferred.Empty()) return false;
    const int64_t until = NowMicros() + 20;
    do {
        for (int i = 0; i < 32; ++i)
            if (pluginLock.TryLock()) return true;
    } while (NowMicros() < until);
    return false;
}

bool IVstAdapter::BlocksRunning() const {
    const int64_t last = lastBlockMicros.load(std::memory_order_relaxed);
    return last != 0 && NowMicros() - last < 100000;
}

// The value is read without the lock, so a host asking from its audio thread never waits.
float IVstAdapter::GetParameterNormalized(int32_t index) {
    const IParameter* param = ParamAt(index);
    return param ? static_cast<float>(param->Normalized()) : 0.0f;
}

void IVstAdapter::SetParameterNormalized(int32_t index, float value) {
    // Hosts can send values outside 0..1 or non-numbers; never let them into a parameter.
    if (!ParamAt(index) || std::isnan(value)) return;
    const double v = value < 0.0f ? 0.0 : (value > 1.0f ? 1.0 : static_cast<double>(value));
    if (!OnAudioThread()) {
        pluginLock.Lock();
    } else if (!TryPluginLockBriefly()) {
        if (deferred.Push({DeferredEvents::Event::kParameter, index, v, {}})) return;
        pluginLock.Lock(); // the queue is full: wait rather than lose the move
    }
    ApplyDeferred();
    ApplyParameter(index, v);
    pluginLock.Unlock();
}

void IVstAdapter::ApplyParameter(int32_t index, double v) {
    // On the audio thread the controls are only told through the mirror; the editor shows the
    // value on its next idle.
    if (controlMirror.Bound() && OnAudioThread()) {
        controlMirror.Push(index, v, false);
    } else if (editor) {
        editor->PushParameterValue(index, v, true);
        controlMirror.Push(index, v, true);
    }
    ParamAt(index)->SetFromNormalized(v);
    ParameterChanged(index);
}

void IVstAdapter::ApplyDeferred() {
    deferred.Drain([this](const DeferredEvents::Event& event) {
        if (event.kind == DeferredEvents::Event::kParameter)
            ApplyParameter(event.index, event.value);
        else
            ProcessMidi(event.midi);
    });
}

template <class Sample>
void IVstAdapter::Process(Sample** inputs, Sample** outputs, int32_t frames, bool accumulate) {
    // An offline render hears every load from its first block on, however long the load takes;
    // the host is asked only while one is on its way, and in real time nothing waits. The wait
    // comes before the lock, which the load's hand-over takes.
    if (LoadsPending() &&
        CallHost(audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0.0f) == kVstProcessLevelOffline)
        WaitForLoads();
    // Moves that waited for the lock are applied when it is free; the block itself takes only
    // the audio lock, which other threads hold for constant-time hand-overs.
    audioThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    lastBlockMicros.store(NowMicros(), std::memory_order_relaxed);
    if (!deferred.Empty() && pluginLock.TryLock()) {
        ApplyDeferred();
        pluginLock.Unlock();
    }
    ScopedLock<RecursiveLock> hold(audioLock);
    if (receivesMidi) CallHost(audioMasterWantMidi, 0, 0, nullptr, 0.0f);
    if (frames <= 0 || blockSize <= 0) return;
    const int ins = InputCount() < kMaxChannels ? InputCount() : kMaxChannels;
    const int outs = OutputCount() < kMaxChannels ? OutputCount() : kMaxChannels;
    Sample* in[kMaxChannels];
    Sample* out[kMaxChannels];
    // A host may send more frames than it announced; run such a block in pieces
    // that fit the scratch buffers.
    for (int32_t done = 0; done < frames; done += blockSize) {
        const int32_t n = frames - done < blockSize ? frames - done : blockSize;
        for (int i = 0; i < ins; ++i)
            in[i] = inputs && inputs[i] ? inputs[i] + done : nullptr;
        for (int i = 0; i < outs; ++i)
            out[i] = outputs && outputs[i] ? outputs[i] + done : nullptr;
        if constexpr (sizeof(Sample) == sizeof(double)) {
            BindInputs(0, ins, in);
            BindOutputs(0, outs, out);
            RunProcessDouble(n);
        } else {
            BindInputs(0, ins, in, n);
            BindOutputs(0, outs, out);
            if (accumulate)
                RunProcessFloatAccumulating(n);
            else
                RunProcessFloatReplacing(n);
        }
    }
}

template void IVstAdapter::Process<float>(float**, float**, int32_t, bool);
template void IVstAdapter::Process<double>(double**, double**, int32_t, bool);
