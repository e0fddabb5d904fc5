// The dispatcher of the VST 2.4 adapter: one answer per opcode.
#include "IVstAdapter.h"

#include "TextUtil.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr intptr_t kIdentifyAnswer = 0x4E764566; // 'NvEf'
constexpr intptr_t kVendorSpecificAnswer = 0xBEEF;
constexpr intptr_t kCockosAnswer = static_cast<intptr_t>(0xBEEF0000u);
// Hosts size their parameter text buffers differently; 32 bytes is what every host we know gives.
constexpr size_t kParamTextSize = 32;
} // namespace

intptr_t IVstAdapter::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    if (opcode == effProcessEvents && OnAudioThread()) {
        if (!TryPluginLockBriefly()) return DeferEvents(static_cast<const VstEvents*>(ptr));
    } else {
        pluginLock.Lock();
    }
    if (opcode == effClose) {
        pluginLock.Unlock();
        delete this;
        return 0;
    }
    // What the plug-in moves by itself while it opens, switches on, restores a state or a
    // program, or opens its editor is no change of the user's: the host is not told of it
    // (Ardour would mark a fresh instance as modified).
    const bool settles = opcode == effOpen || opcode == effMainsChanged || opcode == effSetChunk ||
                         opcode == effSetProgram || opcode == effEditOpen || opcode == effEditClose;
    if (settles) ++settling;
    intptr_t result = 0;
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effOpen:
        OnOpen();
        for (int i = 0; i < ParamCount(); ++i)
            ParameterChanged(i);
        break;
    case effSetProgram:
        StoreCurrentProgram(nullptr);
        RecallProgram(static_cast<int>(value));
        break;
    case effGetProgram:
        result = currentProgram;
        break;
    case effSetProgramName:
        if (text) StoreCurrentProgram(text);
        break;
    case effGetProgramName:
        if (text) CopyText(text, kVstMaxProgNameLen, GetProgramName(currentProgram));
        break;
    case effGetParamLabel:
        if (text && ParamAt(index)) FormatParameterLabel(index, text);
        break;
    case effGetParamDisplay:
        if (text && ParamAt(index)) FormatParameterText(index, ParamAt(index)->Value(), text);
        break;
    case effGetParamName:
        if (text && ParamAt(index)) CopyText(text, kParamTextSize, ParamAt(index)->Name());
        break;
    case effSetSampleRate:
        // Ignore rates no host can mean; the plug-in keeps its last good rate.
        if (opt > 0.0f && opt < 1.0e7f) {
            ScopedLock<RecursiveLock> audio(audioLock); // a host may still be in a block
            SetSampleRate(opt);
            Reset();
        }
        break;
    case effSetBlockSize:
        if (value > 0 && value <= (1 << 20)) {
            ScopedLock<RecursiveLock> audio(audioLock);
            SetBlockSize(static_cast<int>(value));
            Reset();
        }
        break;
    case effMainsChanged:
        if (value == 0) {
            ScopedLock<RecursiveLock> audio(audioLock);
            OnActivate(false);
            Reset();
        } else {
            OnActivate(true);
        }
        break;
    case effEditGetRect:
        if (ptr && editor) {
            *static_cast<ERect**>(ptr) = &editorRect;
            result = 1;
        }
        break;
    case effEditOpen:
        if (editor && editor->CreateEditorWindow(ptr) != 0) {
            OnEditorOpen();
            result = 1;
        }
        break;
    case effEditClose:
        if (editor) {
            OnEditorClose();
            editor->DestroyEditorWindow();
            result = 1;
        }
        break;
    case effEditIdle:
        // Linux hosts pump the editor's window events and redraws through this call. Drawing
        // runs without the lock, as a window's own timer does: it only reads what the plug-in
        // stored into the controls, and a click takes the lock itself when it changes a value.
        if (editor) {
            pluginLock.Unlock();
            editor->Idle();
            pluginLock.Lock();
        }
        break;
    case effIdentify:
        result = kIdentifyAnswer;
        break;
    case effGetChunk:
        result = GetChunk(index, ptr);
        break;
    case effSetChunk:
        result = SetChunk(index, value, ptr);
        break;
    case effProcessEvents:
        ApplyDeferred();
        result = ProcessEvents(static_cast<const VstEvents*>(ptr));
        break;
    case effCanBeAutomated:
        result = IsAutomatable(index) ? 1 : 0;
        break;
    case effString2Parameter: {
        double normalized = 0.0;
        if (text && ParameterFromText(index, text, normalized)) {
            SetParameterNormalized(index, static_cast<float>(normalized));
            result = 1;
        }
        break;
    }
    case effGetParameterProperties:
        result = ParameterProperties(index, ptr);
        break;
    case effGetProgramNameIndexed:
        if (text) {
            CopyText(text, kVstMaxProgNameLen, GetProgramName(index));
            result = text[0] != '\0' ? 1 : 0;
        }
        break;
    case effGetInputProperties:
        result = PinProperties(index, ptr, true);
        break;
    case effGetOutputProperties:
        result = PinProperties(index, ptr, false);
        break;
    case effGetPlugCategory:
        result = isInstrument ? kPlugCategSynth : kPlugCategEffect;
        break;
    case effSetSpeakerArrangement: {
        ScopedLock<RecursiveLock> audio(audioLock);
        const auto* in = reinterpret_cast<const VstSpeakerArrangement*>(value);
        const auto* out = static_cast<const VstSpeakerArrangement*>(ptr);
        if (in) {
            const int n = in->numChannels;
            SetInputConnections(0, n, true);
            SetInputConnections(n, InputCount() - n, false);
        }
        if (out) {
            const int n = out->numChannels;
            SetOutputConnections(0, n, true);
            SetOutputConnections(n, OutputCount() - n, false);
        }
        result = 1;
        break;
    }
    case effGetEffectName:
        if (text) {
            CopyText(text, kVstMaxEffectNameLen, effectName);
            result = 1;
        }
        break;
    case effGetVendorString:
        if (text) {
            CopyText(text, kVstMaxVendorStrLen, vendorName);
            result = 1;
        }
        break;
    case effGetProductString:
        if (text) {
            CopyText(text, kVstMaxVendorStrLen, productName);
            result = 1;
        }
        break;
    case effVendorSpecific:
        // Cockos' extension: the display text of a value the parameter need not hold.
        if (index == effGetParamDisplay && text) {
            if (value >= 0 && value < ParamCount())
                // The value the parameter would take (a list's entry rounds, as setParameter does).
                FormatParameterText(static_cast<int>(value),
                                    ParamAt(static_cast<int>(value))->ValueOfNormalized(opt), text);
            result = kVendorSpecificAnswer;
        } else if (index == kVendorParamIdentifier && text && value >= 0 && value < ParamCount()) {
            result = GetParameterIdentifier(static_cast<int>(value), text) ? 1 : 0;
        } else if (index == kVendorReadPresetFile && text) {
            result = ReadPresetFile(text) ? 1 : 0;
        } else {
            result = VendorSpecific(index, value, ptr, opt);
        }
        break;
    case effGetVendorVersion:
        result = GetPluginVersion(true);
        break;
    case effCanDo:
        result = CanDo(text);
        break;
    case effGetVstVersion:
        result = kVstVersion;
        break;
    case effGetMidiKeyName:
        // The key-name record: int32 this channel, int32 key number, char name[64].
        if (ptr) {
            auto* fields = static_cast<int32_t*>(ptr);
            char* keyName = reinterpret_cast<char*>(fields + 2);
            keyName[0] = '\0';
            result = GetMidiNoteName(fields[1], keyName) ? 1 : 0;
        }
        break;
    case effGetSpeakerArrangement:
        if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputArrangement;
        if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &outputArrangement;
        result = 1;
        break;
    default:
        break;
    }
    if (settles) --settling;
    if (settling == 0) ApplyDeferred();
    pluginLock.Unlock();
    return result;
}

intptr_t IVstAdapter::DeferEvents(const VstEvents* events) {
    if (!events) return 0;
    for (int32_t i = 0; i < events->numEvents; ++i) {
        VstEvent* event = events->events[i];
        if (!event || event->type != kVstMidiType) {
            VstEvents rest{};
            rest.numEvents = 1;
            rest.events[0] = event;
            if (event) ProcessEvents(&rest); // passed on to the host, needs no lock
            continue;
        }
        const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
        DeferredEvents::Event deferredMidi{DeferredEvents::Event::kMidi, 0, 0.0, {}};
        deferredMidi.midi.offset = midi->deltaFrames;
        deferredMidi.midi.status = static_cast<uint8_t>(midi->midiData[0]);
        deferredMidi.midi.data1 = static_cast<uint8_t>(midi->midiData[1]);
        deferredMidi.midi.data2 = static_cast<uint8_t>(midi->midiData[2]);
        if (!deferred.Push(deferredMidi)) {
            // The queue is full: wait for the lock rather than lose the rest.
            pluginLock.Lock();
            ApplyDeferred();
            ProcessMidi(deferredMidi.midi);
            VstEvents rest{};
            for (int32_t j = i + 1; j < events->numEvents; ++j) {
                rest.numEvents = 1;
                rest.events[0] = events->events[j];
                ProcessEvents(&rest);
            }
            pluginLock.Unlock();
            return 1;
        }
    }
    return 1;
}

intptr_t IVstAdapter::ParameterProperties(int32_t index, void* ptr) {
    ParameterTraits traits;
    if (!ptr || !ParamAt(index) || !DescribeParameter(index, traits)) return 0;
    auto* properties = static_cast<VstParameterProperties*>(ptr);
    std::memset(properties, 0, sizeof(VstParameterProperties));
    CopyText(properties->label, sizeof(properties->label), ParamAt(index)->Name());
    CopyText(properties->shortLabel, sizeof(properties->shortLabel), traits.shortLabel);
    if (traits.isSwitch) properties->flags |= kVstParameterIsSwitch;
    if (traits.isInteger) {
        properties->flags |= kVstParameterUsesIntegerMinMax | kVstParameterUsesIntStep;
        properties->minInteger = traits.minimum;
        properties->maxInteger = traits.maximum;
        properties->stepInteger = traits.step;
        properties->largeStepInteger = traits.step;
    }
    if (traits.category && traits.categoryIndex > 0) {
        properties->flags |= kVstParameterSupportsDisplayCategory;
        properties->category = static_cast<int16_t>(traits.categoryIndex);
        properties->numParametersInCategory = static_cast<int16_t>(traits.categorySize);
        CopyText(properties->categoryLabel, sizeof(properties->categoryLabel), traits.category);
    }
    return 1;
}

intptr_t IVstAdapter::PinProperties(int32_t index, void* ptr, bool input) {
    const int count = input ? InputCount() : OutputCount();
    if (!ptr || index < 0 || index >= count) return 0;
    auto* pin = static_cast<VstPinProperties*>(ptr);
    pin->flags = kVstPinIsActive;
    if (index % 2 == 0 && index < count - 1) pin->flags |= kVstPinIsStereo;
    std::snprintf(pin->label, sizeof(pin->label), input ? "Input %d" : "Output %d", index + 1);
    return 1;
}

intptr_t IVstAdapter::CanDo(const char* text) {
    if (!text) return 0;
    if (std::strcmp(text, "receiveVstTimeInfo") == 0) return 1;
    if (receivesMidi) {
        static const char* const kMidi[] = {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                                            "receiveVstMidiEvent"};
        for (const char* m : kMidi)
            if (std::strcmp(text, m) == 0) return 1;
    }
    if (std::strcmp(text, "hasCockosExtensions") == 0) {
        hostExtensions |= kHasCockosExtensions;
        return kCockosAnswer;
    }
    if (std::strcmp(text, "hasCockosViewAsConfig") == 0) {
        hostExtensions |= kHasCockosViewAsConfig;
        return kCockosAnswer;
    }
    return 0;
}

intptr_t IVstAdapter::ProcessEvents(const VstEvents* events) {
    if (!events) return 0;
    for (int32_t i = 0; i < events->numEvents; ++i) {
        VstEvent* event = events->events[i];
        if (!event) continue;
        if (event->type == kVstMidiType) {
            // LMMS sends byteSize 24: read the fields, never reject on the size.
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
            MidiMessage message;
            message.offset = midi->deltaFrames;
            message.status = static_cast<uint8_t>(midi->midiData[0]);
            message.data1 = static_cast<uint8_t>(midi->midiData[1]);
            message.data2 = static_cast<uint8_t>(midi->midiData[2]);
            ProcessMidi(message);
        } else {
            VstEvents single{};
            single.numEvents = 1;
            single.events[0] = event;
            CallHost(audioMasterProcessEvents, 0, 0, &single, 0.0f);
        }
    }
    return 1;
}

intptr_t IVstAdapter::GetChunk(int32_t index, void* ptr) {
    if (!ptr) return 0;
    StateChunk& chunk = index == kVstBankChunk ? bankChunk : programChunk;
    StateChunk::WriteHeader(chunk);
    if (index == kVstBankChunk) {
        StoreCurrentProgram(nullptr);
        SerializePrograms(chunk);
    }
    if (!SerializeState(chunk)) return 0;
    StateRecordWriter records;
    SerializeStateRecords(records);
    records.AppendTo(chunk);
    *static_cast<void**>(ptr) = chunk.Data();
    return chunk.Size();
}

intptr_t IVstAdapter::SetChunk(int32_t index, intptr_t size, const void* ptr) {
    if (!ptr || size < 0 || size > 0x7fffffff) return 0;
    StateChunk& chunk = index == kVstBankChunk ? bankChunk : programChunk;
    chunk.Assign(ptr, static_cast<int>(size));
    int position = 0;
    const int version = StateChunk::ReadHeader(chunk, position);
    if (index == kVstBankChunk && version >= StateChunk::kVersion) {
        position = UnserializePrograms(chunk, position);
        position = UnserializeState(chunk, position);
    } else {
        position = UnserializeState(chunk, position);
        StoreCurrentProgram(nullptr);
    }
    if (position < 0) return 0;
    UnserializeStateRecords(chunk, ReadStateRecords(chunk, position));
    PushParamsToEditor();
    return 1;
}
