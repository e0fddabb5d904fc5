// The tagged records this plug-in writes after its state (see StateRecords.h). A new record is
// one more row in StateRecordKinds with its tag and the members that write and read it.
#include "VulpanePlugin.h"

#include <cmath>
#include <cstring>

std::vector<VulpanePlugin::StateRecordKind> VulpanePlugin::StateRecordKinds() {
    return {
        {StateTag('I', 'R', 'S', 'M'), &VulpanePlugin::WriteCarriedImpulse, &VulpanePlugin::ReadCarriedImpulse},
        {StateTag('O', 'V', 'S', 'M'), &VulpanePlugin::WriteOversampling, &VulpanePlugin::ReadOversampling},
    };
}

void VulpanePlugin::SerializeStateRecords(StateRecordWriter& writer) {
    ScopedLock<PluginLock> hold(pluginLock);
    StateChunk payload;
    for (const StateRecordKind& kind : StateRecordKinds()) {
        payload.Clear();
        (this->*kind.write)(payload);
        if (payload.Size() > 0) writer.Add(kind.tag, payload);
    }
}

void VulpanePlugin::UnserializeStateRecords(const StateChunk& chunk, const std::vector<StateRecordSpan>& records) {
    ScopedLock<PluginLock> hold(pluginLock);
    for (const StateRecordKind& kind : StateRecordKinds()) {
        const StateRecordSpan* found = nullptr;
        for (const StateRecordSpan& span : records)
            if (span.tag == kind.tag) found = &span;
        (this->*kind.read)(chunk, found ? found->position : -1, found ? found->length : 0);
    }
}

// The impulse's samples at the file's rate: double rate, int frame count, the checksum, then
// the frames as 32-bit floats. Only for the impulse of the stored path, up to kMaxCarriedImpulse.
void VulpanePlugin::WriteCarriedImpulse(StateChunk& payload) {
    if (!impulseSource || impulseSourcePath != impulsePath) return;
    const std::vector<float>& stored = impulseSource->stored;
    if (stored.empty() || stored.size() > kMaxCarriedImpulse) return;
    payload.PutValue(impulseSource->rate);
    payload.PutValue(static_cast<int32_t>(stored.size()));
    payload.PutValue(impulseSource->checksum);
    payload.PutBytes(stored.data(), static_cast<int>(stored.size() * sizeof(float)));
}

// The copy is checked against its checksum on the loader thread, which also makes its samples.
void VulpanePlugin::ReadCarriedImpulse(const StateChunk& chunk, int position, int length) {
    if (position < 0) return;
    auto source = std::make_shared<ImpulseSource>();
    int32_t frames = 0;
    int at = chunk.GetValue(source->rate, position);
    at = chunk.GetValue(frames, at);
    at = chunk.GetValue(source->checksum, at);
    if (at < 0 || frames <= 0 || static_cast<size_t>(frames) > kMaxCarriedImpulse ||
        length != 16 + frames * static_cast<int>(sizeof(float)) || !std::isfinite(source->rate) ||
        source->rate <= 0.0)
        return;
    source->stored.resize(static_cast<size_t>(frames));
    if (chunk.GetBytes(source->stored.data(), frames * static_cast<int>(sizeof(float)), at) < 0) return;
    RestoreImpulse(impulsePath, std::move(source));
}

// The amp models' rate factor as one int32, written when it is not 1. A state without the
// record plays at the host rate: one saved before the setting existed sounds as it did then.
void VulpanePlugin::WriteOversampling(StateChunk& payload) {
    if (chain.Oversampling() != 1) payload.PutValue(static_cast<int32_t>(chain.Oversampling()));
}

void VulpanePlugin::ReadOversampling(const StateChunk& chunk, int position, int length) {
    int32_t factor = 1;
    if (position >= 0 && (length != 4 || chunk.GetValue(factor, position) < 0)) return;
    SetOversampling(factor);
}
