// vulpane-snapshot OUT.png [SETTINGS] [--impulse WAV]: see kUsage.
// Draws Vulpane's editor as it looks after the given settings and writes it as a PNG.
#include "EditorSnapshot.h"
#include "HostedPlugin.h"
#include "Options.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
const char kUsage[] =
    "usage: vulpane-snapshot OUT.png [--set NAME=VALUE ...] [--fxp FILE] [--chunk FILE] [--preset FILE.vzp]\n"
    "       [--impulse FILE.wav] [--view save|browse|impulses [--text TEXT]]\n"
    "Draws Vulpane's editor as it looks after the settings (as vulpane-host --help describes\n"
    "them) and writes it as a PNG. --view opens a part of the editor first: the SAVE button's\n"
    "name field (--text typed over the name), the preset browser, or the impulse list of the\n"
    "folder --text names.\n";
} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    // Reuse the host's option parser: the picture file stands where its files go.
    std::vector<char*> args{argv[0], const_cast<char*>("snapshot")};
    std::string impulse, view, viewText;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--impulse" && i + 1 < argc)
            impulse = argv[++i];
        else if (std::string(argv[i]) == "--view" && i + 1 < argc)
            view = argv[++i];
        else if (std::string(argv[i]) == "--text" && i + 1 < argc)
            viewText = argv[++i];
        else
            args.push_back(argv[i]);
    }
    Options options;
    std::string error;
    if (!ParseOptions(static_cast<int>(args.size()), args.data(), options, error) ||
        options.files.size() != 1) {
        std::fprintf(stderr, "vulpane-snapshot: %s\n%s", error.empty() ? "one output file is needed" : error.c_str(),
                     kUsage);
        return 2;
    }
    std::unique_ptr<HostedPlugin> plugin = HostedPlugin::FromEntry(&VulpaneInProcess, error);
    if (!plugin) {
        std::fprintf(stderr, "vulpane-snapshot: %s\n", error.c_str());
        return 1;
    }
    plugin->Start(44100.0, 512);
    if (!ApplySettings(*plugin, options, error) ||
        (!impulse.empty() && !LoadSnapshotImpulse(plugin->Effect(), impulse, error)) ||
        (!view.empty() && !OpenSnapshotView(plugin->Effect(), view, viewText, error)) ||
        !WriteEditorSnapshot(plugin->Effect(), options.files[0], error)) {
        std::fprintf(stderr, "vulpane-snapshot: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
