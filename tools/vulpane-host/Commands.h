#pragma once

#include "Options.h"

class HostedPlugin;

int RunInfo(HostedPlugin& plugin, const Options& options);
int RunRender(HostedPlugin& plugin, const Options& options);
int RunSave(HostedPlugin& plugin, const Options& options, bool bank);
// Vulpane writes its own preset file (.vzp) of the settings (effVendorSpecific 'VpSv').
int RunSavePreset(HostedPlugin& plugin, const Options& options);
int RunBench(HostedPlugin& plugin, const Options& options);
