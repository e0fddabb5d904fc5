// The host operations of the adapter: every one is a call of the host's callback.
#include "IVstAdapter.h"

#include "TextUtil.h"

namespace {
// Host quirks handled when the plug-in opens; each changes nothing for a plug-in with two inputs
// and two outputs.
// Forte, Audition, Orion and SAWStudio: channels past the first pair start with inputs
// disconnected and outputs connected.
bool ConnectsOnlyFirstPair(int host) {
    return host == kHostForte || host == kHostAudition || host == kHostOrion || host == kHostSawStudio;
}

// Cakewalk, Live and the hosts above: a plug-in declared without channels gets a stereo pair.
bool NeedsStereoPair(int host) {
    return host == kHostCakewalk || host == kHostLive || ConnectsOnlyFirstPair(host);
}

// The time-info fields GetTransport reads beyond the sample position.
constexpr int32_t kTransportFields = kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid |
                                     kVstTimeSigValid;
} // namespace

void IVstAdapter::BeginEdit(int index) {
    if (!settling) CallHost(audioMasterBeginEdit, index, 0, nullptr, 0.0f);
}

void IVstAdapter::AutomateHost(int index, double normalizedValue) {
    if (!settling) CallHost(audioMasterAutomate, index, 0, nullptr, static_cast<float>(normalizedValue));
}

void IVstAdapter::EndEdit(int index) {
    if (!settling) CallHost(audioMasterEndEdit, index, 0, nullptr, 0.0f);
}

VstTimeInfo* IVstAdapter::GetTimeInfo(intptr_t flags) {
    return reinterpret_cast<VstTimeInfo*>(CallHost(audioMasterGetTime, 0, flags, nullptr, 0.0f));
}

int IVstAdapter::GetSamplePosition() {
    const VstTimeInfo* info = GetTimeInfo(0);
    return info && info->samplePos >= 0.0 ? static_cast<int>(info->samplePos) : 0;
}

double IVstAdapter::GetTempo() {
    const VstTimeInfo* info = GetTimeInfo(kVstTempoValid);
    return info && (info->flags & kVstTempoValid) && info->tempo >= 0.0 ? info->tempo : 0.0;
}

void IVstAdapter::GetTimeSignature(int& outNumerator, int& outDenominator) {
    outNumerator = 0;
    outDenominator = 0;
    const VstTimeInfo* info = GetTimeInfo(kVstTimeSigValid);
    if (info && (info->flags & kVstTimeSigValid) && info->timeSigNumerator >= 0 && info->timeSigDenominator >= 0) {
        outNumerator = info->timeSigNumerator;
        outDenominator = info->timeSigDenominator;
    }
}

void IVstAdapter::GetTransport(TransportInfo& out) {
    out = TransportInfo{};
    const VstTimeInfo* info = GetTimeInfo(kTransportFields);
    if (!info || (info->flags & kTransportFields) == 0) return;
    out.samplePosition = info->samplePos;
    if ((info->flags & kVstPpqPosValid) && info->ppqPos >= 0.0) out.musicalPosition = info->ppqPos;
    if ((info->flags & kVstTempoValid) && info->tempo > 0.0) out.tempo = info->tempo;
    if ((info->flags & kVstBarsValid) && info->barStartPos >= 0.0) out.barStart = info->barStartPos;
    if ((info->flags & kVstCyclePosValid) && info->cycleStartPos >= 0.0 && info->cycleEndPos >= 0.0) {
        out.cycleStart = info->cycleStartPos;
        out.cycleEnd = info->cycleEndPos;
    }
    if ((info->flags & kVstTimeSigValid) && info->timeSigNumerator > 0 && info->timeSigDenominator > 0) {
        out.numerator = info->timeSigNumerator;
        out.denominator = info->timeSigDenominator;
    }
    out.playing = (info->flags & kVstTransportPlaying) != 0;
    out.cycleActive = (info->flags & kVstTransportCycleActive) != 0;
}

int IVstAdapter::IdentifyHost() {
    if (hostId != kHostNotIdentified) return hostId;
    char product[256] = {};
    CallHost(audioMasterGetProductString, 0, 0, product, 0.0f);
    product[sizeof(product) - 1] = '\0';
    int packed = 0;
    if (product[0] != '\0') {
        const intptr_t d = CallHost(audioMasterGetVendorVersion, 0, 0, nullptr, 0.0f);
        packed = static_cast<int>((d / 10000) << 16 | ((d % 10000) / 100) << 8 | (d % 100));
    }
    SetHost(product, packed);
    return hostId;
}

void IVstAdapter::SetEditorRect() {
    editorRect.top = 0;
    editorRect.left = 0;
    editorRect.bottom = static_cast<int16_t>(editor->Height());
    editorRect.right = static_cast<int16_t>(editor->Width());
}

void IVstAdapter::ResizeEditor(int, int) {
    if (editor) SetEditorRect();
}

void IVstAdapter::AttachEditor(IEditorLink* newEditor) {
    if (!newEditor) return;
    IPluginBase::AttachEditor(newEditor);
    effect.flags |= effFlagsHasEditor;
    SetEditorRect();
}

void IVstAdapter::SetLatency(int samples) {
    effect.initialDelay = samples;
    IPluginBase::SetLatency(samples);
}

void IVstAdapter::UpdateChannelCounts() {
    inputArrangement.numChannels = InputCount();
    outputArrangement.numChannels = OutputCount();
    effect.numInputs = InputCount();
    effect.numOutputs = OutputCount();
}

void IVstAdapter::OnOpen() {
    if (hostIdentified) return;
    hostIdentified = true;
    const int id = IdentifyHost();
    if (ConnectsOnlyFirstPair(id)) {
        SetInputConnections(2, InputCount() - 2, false);
        SetOutputConnections(2, OutputCount() - 2, true);
    }
    if (NeedsStereoPair(id) && InputCount() == 0 && OutputCount() == 0) {
        channelConfigs.push_back(ChannelConfig{2, 2});
        ConfigureChannels(2, 2);
        SetInputConnections(0, 2, true);
        SetOutputConnections(0, 2, true);
        const int frames = blockSize;
        blockSize = -1;
        SetBlockSize(frames);
    }
    UpdateChannelCounts();
}

void IVstAdapter::ProcessMidi(const MidiMessage& message) { SendMidi(message); }

bool IVstAdapter::SendMidi(const MidiMessage& message) {
    VstMidiEvent midi{};
    midi.type = kVstMidiType;
    midi.byteSize = sizeof(VstMidiEvent);
    midi.deltaFrames = message.offset;
    midi.midiData[0] = static_cast<char>(message.status);
    midi.midiData[1] = static_cast<char>(message.data1);
    midi.midiData[2] = static_cast<char>(message.data2);
    VstEvents list{};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&midi);
    return CallHost(audioMasterProcessEvents, 0, 0, &list, 0.0f) == 1;
}

bool IVstAdapter::SendMidiList(const std::vector<MidiMessage>& messages) {
    bool all = true;
    for (const MidiMessage& m : messages)
        if (!SendMidi(m)) all = false;
    return all;
}
