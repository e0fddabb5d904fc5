// vulpane-host: a command-line VST2 host for rendering, inspecting and saving presets.
#include "Commands.h"
#include "HostedPlugin.h"

#include <cstdio>
#include <cstring>

namespace {
const char kUsage[] =
    "usage:\n"
    "  vulpane-host info PLUGIN [--set NAME=VALUE ...] [--fxp FILE] [--chunk FILE]\n"
    "  vulpane-host render PLUGIN [IN.wav] OUT.wav [--set NAME=VALUE ...] [--fxp FILE] [--chunk FILE]\n"
    "               [--rate R] [--block N] [--bits 32|64] [--float] [--quiet] [--oversample 1|2|4|8]\n"
    "  vulpane-host save-program PLUGIN OUT.fxp [--set ...] [--fxp FILE]\n"
    "  vulpane-host save-bank PLUGIN OUT.fxb [--set ...] [--fxp FILE]\n"
    "  vulpane-host save-chunk PLUGIN OUT.chunk [--set ...] [--fxp FILE]\n"
    "  vulpane-host bench PLUGIN [--set ...] [--rate R] [--block N] [--seconds S] [--oversample K]\n"
    "NAME is a parameter index or, for Vulpane, its identifier (kMasterVolume, kModelGain+3);\n"
    "VALUE is a normalised number 0..1 or a text the parameter displays (\"Metal Charter\").\n";
} // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!ParseOptions(argc, argv, options, error) || options.files.empty()) {
        std::fprintf(stderr, "vulpane-host: %s\n%s", error.empty() ? "no plug-in given" : error.c_str(), kUsage);
        return 2;
    }
    std::unique_ptr<HostedPlugin> plugin = HostedPlugin::Load(options.files[0], error);
    if (!plugin) {
        std::fprintf(stderr, "vulpane-host: %s\n", error.c_str());
        return 1;
    }
    if (options.command == "info") return RunInfo(*plugin, options);
    if (options.command == "render") return RunRender(*plugin, options);
    if (options.command == "save-program") return RunSave(*plugin, options, false);
    if (options.command == "save-bank") return RunSave(*plugin, options, true);
    if (options.command == "save-chunk") return RunSave(*plugin, options, false);
    if (options.command == "bench") return RunBench(*plugin, options);
    std::fprintf(stderr, "vulpane-host: unknown command %s\n%s", options.command.c_str(), kUsage);
    return 2;
}
