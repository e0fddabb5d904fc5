// vulpane-host: a command-line VST2 host for rendering, inspecting and saving presets.
#include "Commands.h"
#include "HostedPlugin.h"

#include <cstdio>
#include <cstring>

namespace {
const char kUsage[] =
    "usage:\n"
    "  vulpane-host info PLUGIN [SETTINGS]\n"
    "  vulpane-host render PLUGIN [IN.wav] OUT.wav [SETTINGS] [--rate R] [--block N] [--bits 32|64]\n"
    "               [--float] [--quiet] [--progress] [--overwrite] [--oversample 1|2|4|8]\n"
    "  vulpane-host save-program PLUGIN OUT.fxp [SETTINGS]\n"
    "  vulpane-host save-bank PLUGIN OUT.fxb [SETTINGS]\n"
    "  vulpane-host save-chunk PLUGIN OUT.chunk [SETTINGS]\n"
    "  vulpane-host save-preset PLUGIN OUT.vzp [SETTINGS] [--overwrite]\n"
    "  vulpane-host bench PLUGIN [SETTINGS] [--rate R] [--block N] [--seconds S] [--oversample K]\n"
    "SETTINGS: --fxp FILE (.fxp/.fxb), --chunk FILE, --preset FILE.vzp, then --set NAME=VALUE ...\n"
    "  NAME is an index, the parameter's name as the plug-in gives it (\"Amp Model\") or its\n"
    "  identifier (kAmpModel, kModelGain+3); VALUE is a normalised number 0..1 or a text the\n"
    "  parameter displays (\"Metal Charter\"). Case does not matter. Whatever order they are\n"
    "  given in, --set options apply in one order: named choices (model, cabinet) first, then\n"
    "  the others by index, so the shared knobs come before each model's own.\n"
    "render without IN.wav renders a built-in demo phrase. R is 8000..768000 Hz, N 1..65536.\n"
    "An output never replaces an input or an existing file that is not a WAV vulpane-host\n"
    "rendered, unless --overwrite is given; save-preset replaces an existing file only then. The progress "
    "line shows on a terminal or with\n"
    "--progress. --oversample sets Vulpane's amp quality (1x, 2x, 4x or 8x oversampling).\n";
} // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!ParseOptions(argc, argv, options, error) || options.files.empty()) {
        std::fprintf(stderr, "vulpane-host: %s (vulpane-host --help shows the usage)\n",
                     error.empty() ? "no plug-in given" : error.c_str());
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
    if (options.command == "save-preset") return RunSavePreset(*plugin, options);
    if (options.command == "bench") return RunBench(*plugin, options);
    std::fprintf(stderr, "vulpane-host: unknown command %s\n%s", options.command.c_str(), kUsage);
    return 2;
}
