#include "PresetFile.h"

#include "HostedPlugin.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr int32_t Code(const char* c) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint8_t>(c[0])) << 24 |
                                static_cast<uint32_t>(static_cast<uint8_t>(c[1])) << 16 |
                                static_cast<uint32_t>(static_cast<uint8_t>(c[2])) << 8 |
                                static_cast<uint32_t>(static_cast<uint8_t>(c[3])));
}
constexpr int32_t kCcnK = Code("CcnK");
constexpr int32_t kFxCk = Code("FxCk");
constexpr int32_t kFPCh = Code("FPCh");
constexpr int32_t kFxBk = Code("FxBk");
constexpr int32_t kFBCh = Code("FBCh");
constexpr size_t kProgramNameSize = 28;
constexpr size_t kBankFutureSize = 124;

class Writer {
public:
    void Int(int32_t v) {
        const uint32_t u = static_cast<uint32_t>(v);
        const char b[4] = {static_cast<char>(u >> 24), static_cast<char>(u >> 16), static_cast<char>(u >> 8),
                           static_cast<char>(u)};
        bytes.insert(bytes.end(), b, b + 4);
    }
    void Float(float f) {
        int32_t v;
        std::memcpy(&v, &f, 4);
        Int(v);
    }
    void Text(const std::string& text, size_t size) {
        std::vector<char> field(size, '\0');
        std::memcpy(field.data(), text.data(), text.size() < size - 1 ? text.size() : size - 1);
        bytes.insert(bytes.end(), field.begin(), field.end());
    }
    void Bytes(const std::vector<char>& b) { bytes.insert(bytes.end(), b.begin(), b.end()); }
    void PatchInt(size_t at, int32_t v) {
        Writer w;
        w.Int(v);
        std::memcpy(bytes.data() + at, w.bytes.data(), 4);
    }
    std::vector<char> bytes;
};

class Reader {
public:
    explicit Reader(const std::vector<char>& b) : bytes(b) {}
    bool Int(int32_t& v) {
        if (bytes.size() < 4 || position > bytes.size() - 4) return false;
        const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + position);
        v = static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                                 static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]));
        position += 4;
        return true;
    }
    bool Float(float& f) {
        int32_t v;
        if (!Int(v)) return false;
        std::memcpy(&f, &v, 4);
        return true;
    }
    bool Text(std::string& out, size_t size) {
        if (position + size > bytes.size()) return false;
        const char* p = bytes.data() + position;
        out.assign(p, strnlen(p, size));
        position += size;
        return true;
    }
    bool Skip(size_t n) {
        if (position + n > bytes.size()) return false;
        position += n;
        return true;
    }
    bool Bytes(std::vector<char>& out, int32_t n) {
        if (n < 0 || position + static_cast<size_t>(n) > bytes.size()) return false;
        out.assign(bytes.begin() + static_cast<std::ptrdiff_t>(position),
                   bytes.begin() + static_cast<std::ptrdiff_t>(position + static_cast<size_t>(n)));
        position += static_cast<size_t>(n);
        return true;
    }

private:
    const std::vector<char>& bytes;
    size_t position = 0;
};

// One program record of the parameter-list form, after its 'CcnK' and size.
bool ParseProgramList(Reader& in, PresetFile::Program& program, int32_t& fxId, int32_t& fxVersion) {
    int32_t magic, version, count;
    if (!in.Int(magic) || magic != kFxCk) return false;
    if (!in.Int(version) || !in.Int(fxId) || !in.Int(fxVersion) || !in.Int(count)) return false;
    if (!in.Text(program.name, kProgramNameSize) || count < 0 || count > 1 << 20) return false;
    program.params.resize(static_cast<size_t>(count));
    for (float& p : program.params)
        if (!in.Float(p)) return false;
    return true;
}

void WriteProgramList(Writer& out, const PresetFile::Program& program, int32_t fxId, int32_t fxVersion) {
    out.Int(kCcnK);
    const size_t sizeAt = out.bytes.size();
    out.Int(0);
    out.Int(kFxCk);
    out.Int(1);
    out.Int(fxId);
    out.Int(fxVersion);
    out.Int(static_cast<int32_t>(program.params.size()));
    out.Text(program.name, kProgramNameSize);
    for (float p : program.params) out.Float(p);
    out.PatchInt(sizeAt, static_cast<int32_t>(out.bytes.size() - sizeAt - 4));
}
} // namespace

bool ParsePresetFile(const std::vector<char>& bytes, PresetFile& out, std::string& error) {
    Reader in(bytes);
    int32_t magic = 0, size = 0, kind = 0, version = 0;
    if (!in.Int(magic) || magic != kCcnK || !in.Int(size) || !in.Int(kind)) {
        error = "not a VST preset file (no 'CcnK' header)";
        return false;
    }
    out = PresetFile{};
    bool ok = in.Int(version) && in.Int(out.fxId) && in.Int(out.fxVersion) && in.Int(out.numPrograms);
    if (ok && (kind == kFPCh || kind == kFxCk)) {
        out.bank = false;
        out.opaque = kind == kFPCh;
        ok = in.Text(out.name, kProgramNameSize);
        if (ok && out.opaque) {
            int32_t chunkSize = 0;
            ok = in.Int(chunkSize) && in.Bytes(out.chunk, chunkSize);
        } else if (ok) {
            PresetFile::Program program;
            program.name = out.name;
            ok = out.numPrograms >= 0 && out.numPrograms <= 1 << 20;
            program.params.resize(ok ? static_cast<size_t>(out.numPrograms) : 0);
            for (float& p : program.params) ok = ok && in.Float(p);
            out.programs.push_back(program);
        }
    } else if (ok && (kind == kFBCh || kind == kFxBk)) {
        out.bank = true;
        out.opaque = kind == kFBCh;
        if (version >= 2)
            ok = in.Int(out.currentProgram) && in.Skip(kBankFutureSize);
        else
            ok = in.Skip(kBankFutureSize + 4);
        if (ok && out.opaque) {
            int32_t chunkSize = 0;
            ok = in.Int(chunkSize) && in.Bytes(out.chunk, chunkSize);
        } else if (ok) {
            ok = out.numPrograms >= 0 && out.numPrograms <= 1 << 16;
            for (int32_t i = 0; ok && i < out.numPrograms; ++i) {
                PresetFile::Program program;
                int32_t id = 0, fxVersion = 0, head = 0, programSize = 0;
                ok = in.Int(head) && head == kCcnK && in.Int(programSize) &&
                     ParseProgramList(in, program, id, fxVersion);
                out.programs.push_back(program);
            }
        }
    } else if (ok) {
        error = "unknown preset file kind";
        return false;
    }
    if (!ok) error = "the preset file is truncated or damaged";
    return ok;
}

std::vector<char> FormatPresetFile(const PresetFile& file) {
    Writer out;
    out.Int(kCcnK);
    out.Int(0);
    if (!file.bank) {
        out.Int(file.opaque ? kFPCh : kFxCk);
        out.Int(1);
        out.Int(file.fxId);
        out.Int(file.fxVersion);
        const size_t count = file.opaque || file.programs.empty() ? 1 : file.programs[0].params.size();
        out.Int(file.opaque ? file.numPrograms : static_cast<int32_t>(count));
        out.Text(file.name, kProgramNameSize);
        if (file.opaque) {
            out.Int(static_cast<int32_t>(file.chunk.size()));
            out.Bytes(file.chunk);
        } else if (!file.programs.empty()) {
            for (float p : file.programs[0].params) out.Float(p);
        }
    } else {
        out.Int(file.opaque ? kFBCh : kFxBk);
        out.Int(2);
        out.Int(file.fxId);
        out.Int(file.fxVersion);
        out.Int(file.opaque ? file.numPrograms : static_cast<int32_t>(file.programs.size()));
        out.Int(file.currentProgram);
        out.Bytes(std::vector<char>(kBankFutureSize, '\0'));
        if (file.opaque) {
            out.Int(static_cast<int32_t>(file.chunk.size()));
            out.Bytes(file.chunk);
        } else {
            for (const PresetFile::Program& program : file.programs)
                WriteProgramList(out, program, file.fxId, file.fxVersion);
        }
    }
    out.PatchInt(4, static_cast<int32_t>(out.bytes.size() - 8));
    return out.bytes;
}

PresetFile CapturePreset(HostedPlugin& plugin, bool bank) {
    AEffect* effect = plugin.Effect();
    PresetFile file;
    file.bank = bank;
    file.opaque = (effect->flags & effFlagsProgramChunks) != 0;
    file.fxId = effect->uniqueID;
    file.fxVersion = effect->version;
    file.numPrograms = bank ? effect->numPrograms : 1;
    file.currentProgram = static_cast<int32_t>(plugin.Dispatch(effGetProgram));
    char name[256] = {};
    plugin.Dispatch(effGetProgramName, 0, 0, name);
    file.name = name;
    if (file.opaque) {
        file.chunk = plugin.GetChunk(!bank);
        return file;
    }
    auto captureProgram = [&](const std::string& programName) {
        PresetFile::Program program;
        program.name = programName;
        for (int i = 0; i < effect->numParams; ++i) program.params.push_back(plugin.GetParameter(i));
        return program;
    };
    if (!bank) {
        file.programs.push_back(captureProgram(file.name));
        return file;
    }
    const intptr_t current = file.currentProgram;
    for (int p = 0; p < effect->numPrograms; ++p) {
        plugin.Dispatch(effSetProgram, 0, p);
        file.programs.push_back(captureProgram(plugin.ProgramName(p)));
    }
    plugin.Dispatch(effSetProgram, 0, current);
    return file;
}

bool ApplyPreset(HostedPlugin& plugin, const PresetFile& file, std::string& error) {
    AEffect* effect = plugin.Effect();
    if (file.fxId != effect->uniqueID) {
        char message[128];
        std::snprintf(message, sizeof(message), "the preset belongs to plug-in id 0x%08X, not 0x%08X",
                      static_cast<unsigned>(file.fxId), static_cast<unsigned>(effect->uniqueID));
        error = message;
        return false;
    }
    if (file.opaque) {
        if ((effect->flags & effFlagsProgramChunks) == 0) {
            error = "the preset holds a chunk but the plug-in takes no chunks";
            return false;
        }
        if (plugin.SetChunk(!file.bank, file.chunk) != 1) {
            error = "the plug-in did not accept the preset's chunk";
            return false;
        }
        if (file.bank) plugin.Dispatch(effSetProgram, 0, file.currentProgram);
        return true;
    }
    auto applyProgram = [&](const PresetFile::Program& program) {
        for (size_t i = 0; i < program.params.size() && static_cast<int>(i) < effect->numParams; ++i)
            plugin.SetParameter(static_cast<int>(i), program.params[i]);
        plugin.Dispatch(effSetProgramName, 0, 0, const_cast<char*>(program.name.c_str()));
    };
    if (!file.bank) {
        if (!file.programs.empty()) applyProgram(file.programs[0]);
        return true;
    }
    for (size_t p = 0; p < file.programs.size() && static_cast<int>(p) < effect->numPrograms; ++p) {
        plugin.Dispatch(effSetProgram, 0, static_cast<intptr_t>(p));
        applyProgram(file.programs[p]);
    }
    plugin.Dispatch(effSetProgram, 0, file.currentProgram);
    return true;
}

bool ReadFileBytes(const std::string& path, std::vector<char>& out, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open " + path;
        return false;
    }
    out.clear();
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) out.insert(out.end(), buffer, buffer + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok) error = "cannot read " + path;
    return ok;
}

bool ReadFileHead(const std::string& path, size_t count, std::vector<char>& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.resize(count);
    out.resize(std::fread(out.data(), 1, count, f));
    std::fclose(f);
    return true;
}

bool WriteFileBytes(const std::string& path, const std::vector<char>& bytes, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = "cannot create " + path;
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!ok || !closed) error = "cannot write " + path;
    return ok && closed;
}
