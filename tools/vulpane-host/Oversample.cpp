#include "HostedPlugin.h"
#include "Options.h"

bool ApplyOversample(HostedPlugin& plugin, int factor, std::string& error) {
    if (factor == 0) return true;
    constexpr int32_t kOversamplingOpcode = 0x56704F73; // 'VpOs', answered by Vulpane only
    const intptr_t answer = plugin.Dispatch(effVendorSpecific, kOversamplingOpcode, factor);
    if (answer == factor) return true;
    error = answer == 0 ? "this plug-in has no oversampling setting (--oversample)"
                        : "the plug-in refused --oversample " + std::to_string(factor);
    return false;
}
