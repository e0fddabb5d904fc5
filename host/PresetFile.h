#pragma once

#include <cstdint>
#include <string>
#include <vector>

class HostedPlugin;

// The standard VST2 preset files every host exchanges: .fxp (one program) and
// .fxb (a bank), each either an opaque chunk or a list of parameter values. Big-endian.
struct PresetFile {
    struct Program {
        std::string name;
        std::vector<float> params;
    };

    bool bank = false;
    bool opaque = true;
    int32_t fxId = 0;
    int32_t fxVersion = 0;
    int32_t numPrograms = 1;
    int32_t currentProgram = 0;
    std::string name;            // program name of an .fxp
    std::vector<char> chunk;     // opaque content
    std::vector<Program> programs; // parameter-list content (one for an .fxp)
};

bool ParsePresetFile(const std::vector<char>& bytes, PresetFile& out, std::string& error);
std::vector<char> FormatPresetFile(const PresetFile& file);

// The plug-in's current program (bank = false) or bank, as a preset file.
PresetFile CapturePreset(HostedPlugin& plugin, bool bank);
// Applies a preset file to the plug-in; false with a message when it does not fit.
bool ApplyPreset(HostedPlugin& plugin, const PresetFile& file, std::string& error);

bool ReadFileBytes(const std::string& path, std::vector<char>& out, std::string& error);
// Up to count bytes from the start of a file; false when it cannot be opened.
bool ReadFileHead(const std::string& path, size_t count, std::vector<char>& out);
bool WriteFileBytes(const std::string& path, const std::vector<char>& bytes, std::string& error);
