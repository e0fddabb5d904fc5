#include "Options.h"

#include "HostedPlugin.h"
#include "ParameterIds.h"
#include "PresetFile.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr int32_t kVulpaneId = 0x767A7032; // 'vzp2'

bool ParseNumber(const std::string& text, double& out) {
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0';
}

int ResolveIndex(HostedPlugin& plugin, const std::string& name) {
    double number;
    if (ParseNumber(name, number) && number >= 0 && number == static_cast<int>(number))
        return static_cast<int>(number);
    if (plugin.Effect()->uniqueID == kVulpaneId) return FindParameterId(name.c_str());
    return -1;
}

// Finds the normalised value at which the parameter shows the text, as a host would:
// by asking the plug-in for its display at candidate values.
bool FindTextValue(HostedPlugin& plugin, int index, const std::string& text, float& out) {
    const float saved = plugin.GetParameter(index);
    constexpr int kSteps = 2000;
    for (int i = 0; i <= kSteps; ++i) {
        const float v = static_cast<float>(i) / kSteps;
        plugin.SetParameter(index, v);
        if (plugin.ParamDisplay(index) == text) {
            out = v;
            return true;
        }
    }
    plugin.SetParameter(index, saved);
    return false;
}
} // namespace

bool ParseOptions(int argc, char** argv, Options& out, std::string& error) {
    if (argc < 2) {
        error = "no command";
        return false;
    }
    out.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& dest) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            dest = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--set") {
            if (!value(v)) return false;
            const size_t eq = v.find('=');
            if (eq == std::string::npos || eq == 0) {
                error = "--set takes NAME=VALUE, not " + v;
                return false;
            }
            out.sets.emplace_back(v.substr(0, eq), v.substr(eq + 1));
        } else if (arg == "--fxp") {
            if (!value(out.fxp)) return false;
        } else if (arg == "--chunk") {
            if (!value(out.chunk)) return false;
        } else if (arg == "--rate" || arg == "--block" || arg == "--bits" || arg == "--seconds") {
            double number;
            if (!value(v) || !ParseNumber(v, number) || number <= 0) {
                if (error.empty()) error = arg + " needs a positive number";
                return false;
            }
            if (arg == "--rate") out.rate = number;
            if (arg == "--block") out.block = static_cast<int>(number);
            if (arg == "--bits") out.bits = static_cast<int>(number);
            if (arg == "--seconds") out.seconds = number;
        } else if (arg == "--oversample") {
            double number;
            if (!value(v) || !ParseNumber(v, number) ||
                (number != 1 && number != 2 && number != 4 && number != 8)) {
                if (error.empty()) error = "--oversample takes 1, 2, 4 or 8";
                return false;
            }
            out.oversample = static_cast<int>(number);
        } else if (arg == "--float") {
            out.floatOnly = true;
        } else if (arg == "--quiet") {
            out.quiet = true;
        } else if (arg.rfind("--", 0) == 0) {
            error = "unknown option " + arg;
            return false;
        } else {
            out.files.push_back(arg);
        }
    }
    if (out.bits != 32 && out.bits != 64) {
        error = "--bits must be 32 or 64";
        return false;
    }
    return true;
}

bool ApplySettings(HostedPlugin& plugin, const Options& options, std::string& error) {
    if (!options.fxp.empty()) {
        std::vector<char> bytes;
        PresetFile file;
        if (!ReadFileBytes(options.fxp, bytes, error) || !ParsePresetFile(bytes, file, error) ||
            !ApplyPreset(plugin, file, error)) {
            error = options.fxp + ": " + error;
            return false;
        }
    }
    if (!options.chunk.empty()) {
        std::vector<char> bytes;
        if (!ReadFileBytes(options.chunk, bytes, error)) return false;
        if (plugin.SetChunk(true, bytes) != 1) {
            error = options.chunk + ": the plug-in did not accept the chunk";
            return false;
        }
    }
    for (const auto& [name, text] : options.sets) {
        const int index = ResolveIndex(plugin, name);
        if (index < 0 || index >= plugin.Effect()->numParams) {
            error = "unknown parameter " + name;
            return false;
        }
        double number;
        float value;
        if (ParseNumber(text, number)) {
            if (number < 0.0 || number > 1.0) {
                error = name + "=" + text + ": values are normalised, 0..1";
                return false;
            }
            value = static_cast<float>(number);
        } else if (!FindTextValue(plugin, index, text, value)) {
            error = name + " never shows \"" + text + "\"";
            return false;
        }
        plugin.SetParameter(index, value);
    }
    return true;
}
