// The tagged records this plug-in writes after its state (see StateRecords.h). A new record is
// one more row in StateRecordKinds with its tag and the functions that write and read it.
#include "VulpanePlugin.h"

std::vector<VulpanePlugin::StateRecordKind> VulpanePlugin::StateRecordKinds() {
    return {
        {StateTag('I', 'R', 'S', 'M'),
         [](VulpanePlugin& p, StateChunk& payload) { p.impulses.WriteCarried(payload); },
         [](VulpanePlugin& p, const StateChunk& chunk, int position, int length) {
             p.impulses.ReadCarried(chunk, position, length);
         }},
        {StateTag('O', 'V', 'S', 'M'),
         [](VulpanePlugin& p, StateChunk& payload) { p.WriteOversampling(payload); },
         [](VulpanePlugin& p, const StateChunk& chunk, int position, int length) {
             p.ReadOversampling(chunk, position, length);
         }},
    };
}

void VulpanePlugin::SerializeStateRecords(StateRecordWriter& writer) {
    ScopedLock<PluginLock> hold(pluginLock);
    StateChunk payload;
    for (const StateRecordKind& kind : StateRecordKinds()) {
        payload.Clear();
        kind.write(*this, payload);
        if (payload.Size() > 0) writer.Add(kind.tag, payload);
    }
}

void VulpanePlugin::UnserializeStateRecords(const StateChunk& chunk,
                                            const std::vector<StateRecordSpan>& records) {
    ScopedLock<PluginLock> hold(pluginLock);
    for (const StateRecordKind& kind : StateRecordKinds()) {
        const StateRecordSpan* found = nullptr;
        for (const StateRecordSpan& span : records)
            if (span.tag == kind.tag) found = &span;
        kind.read(*this, chunk, found ? found->position : -1, found ? found->length : 0);
    }
}

// The amp models' rate factor as one int32, written when it is not 1. A state without the
// record plays at the host rate: one saved before the setting existed sounds as it did then.
void VulpanePlugin::WriteOversampling(StateChunk& payload) {
    if (oversampling != 1) payload.PutValue(static_cast<int32_t>(oversampling));
}

void VulpanePlugin::ReadOversampling(const StateChunk& chunk, int position, int length) {
    int32_t factor = 1;
    if (position >= 0 && (length != 4 || chunk.GetValue(factor, position) < 0)) return;
    SetOversampling(factor);
}
