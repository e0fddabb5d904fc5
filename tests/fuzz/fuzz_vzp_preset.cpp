// .vzp preset files: parsed, then their settings applied to the plug-in as the preset browser
// applies them.
#include "FuzzedPlugin.h"
#include "VzpFile.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostedPlugin& plugin = FuzzedPlugin();
    VzpFile file;
    if (ParseVzpFile(data, size, file) == VzpStatus::kOk) {
        Require(static_cast<int>(file.values.size()) == VzpValueCount(file.version), "a version's value count");
        for (float v : file.values) Require(std::isfinite(v) && v >= 0.0f && v <= 1.0f, "values inside 0..1");
        for (const VzpSetting& s : VzpSettings(file)) {
            Require(std::isfinite(s.value) && s.value >= 0.0 && s.value <= 1.0, "settings inside 0..1");
            Require(s.param >= 0 && s.param < plugin.Effect()->numParams, "settings name a parameter");
            plugin.SetParameter(s.param, static_cast<float>(s.value));
        }
    }
    CheckPluginInvariants(plugin);
    return 0;
}
