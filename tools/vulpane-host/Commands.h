#pragma once

#include "Options.h"

class HostedPlugin;

int RunInfo(HostedPlugin& plugin, const Options& options);
int RunRender(HostedPlugin& plugin, const Options& options);
int RunSave(HostedPlugin& plugin, const Options& options, bool bank);
int RunBench(HostedPlugin& plugin, const Options& options);
