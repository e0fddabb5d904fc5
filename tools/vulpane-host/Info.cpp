#include "Commands.h"
#include "HostedPlugin.h"

#include <cstdio>

namespace {
std::string FourCC(int32_t id) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<uint32_t>(id) >> shift) & 0xff);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

const char* const kCapabilities[] = {"receiveVstTimeInfo", "sendVstEvents",        "sendVstMidiEvent",
                                     "receiveVstEvents",   "receiveVstMidiEvent", "hasCockosExtensions",
                                     "hasCockosViewAsConfig", "offline",          "bypass"};
} // namespace

int RunInfo(HostedPlugin& plugin, const Options& options) {
    plugin.Start(options.rate > 0 ? options.rate : 44100.0, options.block);
    std::string error;
    if (!ApplySettings(plugin, options, error)) {
        std::fprintf(stderr, "vulpane-host: %s\n", error.c_str());
        return 1;
    }
    AEffect* e = plugin.Effect();
    std::printf("effect name:  %s\n", plugin.EffectName().c_str());
    std::printf("vendor:       %s\n", plugin.VendorString().c_str());
    std::printf("product:      %s\n", plugin.ProductString().c_str());
    std::printf("unique id:    '%s' (0x%08X)\n", FourCC(e->uniqueID).c_str(), static_cast<unsigned>(e->uniqueID));
    std::printf("version:      %d\n", e->version);
    std::printf("vendor ver.:  %d\n", static_cast<int>(plugin.Dispatch(effGetVendorVersion)));
    std::printf("vst version:  %d\n", static_cast<int>(plugin.Dispatch(effGetVstVersion)));
    std::printf("category:     %d\n", static_cast<int>(plugin.Dispatch(effGetPlugCategory)));
    std::printf("flags:        0x%X%s%s%s%s%s%s\n", static_cast<unsigned>(e->flags),
                e->flags & effFlagsHasEditor ? " editor" : "", e->flags & effFlagsCanMono ? " mono" : "",
                e->flags & effFlagsCanReplacing ? " replacing" : "",
                e->flags & effFlagsProgramChunks ? " chunks" : "", e->flags & effFlagsIsSynth ? " synth" : "",
                e->flags & effFlagsCanDoubleReplacing ? " double" : "");
    std::printf("inputs:       %d\noutputs:      %d\n", e->numInputs, e->numOutputs);
    std::printf("latency:      %d\nio ratio:     %g\n", e->initialDelay, static_cast<double>(e->ioRatio));
    std::printf("programs:     %d\n", e->numPrograms);
    for (int p = 0; p < e->numPrograms; ++p) std::printf("  program %d: %s\n", p, plugin.ProgramName(p).c_str());
    std::printf("parameters:   %d\n", e->numParams);
    for (int i = 0; i < e->numParams; ++i)
        std::printf("  %3d  %-20s %-8s %s\n", i, ("\"" + plugin.ParamName(i) + "\"").c_str(),
                    ("\"" + plugin.ParamLabel(i) + "\"").c_str(), plugin.ParamDisplay(i).c_str());
    std::printf("choices:\n");
    for (int i = 0; i < e->numParams; ++i) {
        const std::vector<std::string> choices = NamedChoices(plugin, i);
        if (choices.empty()) continue;
        std::printf("  %3d  \"%s\":\n", i, plugin.ParamName(i).c_str());
        for (size_t c = 0; c < choices.size(); ++c) std::printf("       %2zu  %s\n", c, choices[c].c_str());
    }
    std::printf("capabilities:\n");
    for (const char* capability : kCapabilities)
        std::printf("  %-22s %d\n", capability, static_cast<int32_t>(plugin.CanDo(capability)));
    return 0;
}
