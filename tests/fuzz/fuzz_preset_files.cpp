// .fxp and .fxb files as a host reads them, applied to the plug-in when they parse.
#include "FuzzedPlugin.h"
#include "PresetFile.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostedPlugin& plugin = FuzzedPlugin();
    const std::vector<char> bytes(data, data + size);
    PresetFile file;
    std::string error;
    if (ParsePresetFile(bytes, file, error)) ApplyPreset(plugin, file, error);
    CheckPluginInvariants(plugin);
    return 0;
}
