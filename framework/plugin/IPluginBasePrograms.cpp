// Parameter serialisation and the host programs of the plug-in base.
#include "IPluginBase.h"

#include "TextUtil.h"

#include <cmath>
#include <cstdio>
#include <cstring>

bool IPluginBase::SerializeParams(StateChunk& chunk) {
    ScopedLock<PluginLock> hold(pluginLock);
    for (const IParameter& param : params) chunk.PutValue(param.Value());
    return chunk.Size() > 0;
}

int IPluginBase::UnserializeParams(const StateChunk& chunk, int position) {
    ScopedLock<PluginLock> hold(pluginLock);
    for (IParameter& param : params) {
        if (position < 0) break;
        double v = 0.0;
        const int next = chunk.GetValue(v, position);
        if (next < 0) {
            v = 0.0;
            position = -1;
        } else {
            position = next;
        }
        // A damaged number must never reach the DSP: it counts as out of range and takes the default.
        param.SetClamped(std::isfinite(v) ? v : param.DefaultValue());
        if (position < 0) break;
    }
    for (int i = 0; i < ParamCount(); ++i) ParameterChanged(i);
    return position;
}

void IPluginBase::SerializeStateRecords(StateRecordWriter&) {}

void IPluginBase::UnserializeStateRecords(const StateChunk&, const std::vector<StateRecordSpan>&) {}

bool IPluginBase::SerializeState(StateChunk& chunk) { return SerializeParams(chunk); }

int IPluginBase::UnserializeState(const StateChunk& chunk, int position) { return UnserializeParams(chunk, position); }

void IPluginBase::WriteProgramFromArgs(StateChunk& chunk, const double* values) {
    for (int i = 0; i < ParamCount(); ++i) chunk.PutValue(values[i]);
}

void IPluginBase::WriteProgramFromNamedArgs(StateChunk& chunk, int count, const int* indices, const double* values) {
    for (int i = 0; i < ParamCount(); ++i) {
        double v = params[static_cast<size_t>(i)].Value();
        for (int k = 0; k < count; ++k)
            if (indices[k] == i) v = values[k];
        chunk.PutValue(v);
    }
}

const char* IPluginBase::GetProgramName(int index) const {
    return index >= 0 && index < ProgramCount() ? programs[static_cast<size_t>(index)].name : "";
}

void IPluginBase::MakeDefaultPrograms(const char* name, int count) {
    ScopedLock<PluginLock> hold(pluginLock);
    for (int n = 0; n < count; ++n) {
        ProgramSlot* slot = nullptr;
        for (ProgramSlot& p : programs)
            if (!p.filled) {
                slot = &p;
                break;
            }
        if (!slot) return;
        slot->filled = true;
        CopyText(slot->name, sizeof(slot->name), name ? name : "Default");
        SerializeState(slot->chunk);
    }
}

void IPluginBase::EnsureProgram() {
    if (!programs.empty()) return;
    programs.emplace_back();
    CopyText(programs[0].name, sizeof(programs[0].name), "- 1 -");
    MakeDefaultPrograms(nullptr, 1);
}

void IPluginBase::StoreCurrentProgram(const char* name) {
    ScopedLock<PluginLock> hold(pluginLock);
    if (currentProgram < 0 || currentProgram >= ProgramCount()) return;
    ProgramSlot& slot = programs[static_cast<size_t>(currentProgram)];
    slot.chunk.Clear();
    SerializeState(slot.chunk);
    if (name && name[0] != '\0') CopyText(slot.name, sizeof(slot.name), name);
}

bool IPluginBase::RecallProgram(int index) {
    ScopedLock<PluginLock> hold(pluginLock);
    if (index < 0 || index >= ProgramCount()) return false;
    ProgramSlot& slot = programs[static_cast<size_t>(index)];
    bool ok;
    if (!slot.filled) {
        slot.filled = true;
        MakeUserProgramName(slot.name, sizeof(slot.name));
        slot.chunk.Clear();
        ok = SerializeState(slot.chunk);
    } else {
        ok = UnserializeState(slot.chunk, 0) > 0;
    }
    if (ok) {
        currentProgram = index;
        PushParamsToEditor();
    }
    return ok;
}

void IPluginBase::MakeUserProgramName(char* outName, int size) const {
    int count = 0;
    for (const ProgramSlot& p : programs)
        if (std::strstr(p.name, "user preset")) ++count;
    std::snprintf(outName, static_cast<size_t>(size), "%s %d", "user preset", count + 1);
}

bool IPluginBase::SerializePrograms(StateChunk& chunk) {
    ScopedLock<PluginLock> hold(pluginLock);
    bool ok = true;
    for (const ProgramSlot& p : programs) {
        if (!ok) break;
        chunk.PutString(p.name);
        const uint8_t filled = p.filled ? 1 : 0;
        chunk.PutValue(filled);
        if (p.filled) {
            chunk.PutChunk(p.chunk);
            ok = chunk.Size() > 0;
        }
    }
    return ok;
}

int IPluginBase::UnserializePrograms(const StateChunk& chunk, int position) {
    ScopedLock<PluginLock> hold(pluginLock);
    std::string name;
    for (ProgramSlot& p : programs) {
        if (position < 0) break;
        position = chunk.GetString(name, position);
        CopyText(p.name, sizeof(p.name), name.c_str());
        uint8_t filled = 0;
        position = chunk.GetValue(filled, position);
        if (position < 0) break;
        p.filled = filled != 0;
        if (p.filled) {
            position = UnserializeState(chunk, position);
            if (position > 0) {
                p.chunk.Clear();
                SerializeState(p.chunk);
            }
        }
    }
    RecallProgram(currentProgram);
    return position;
}
