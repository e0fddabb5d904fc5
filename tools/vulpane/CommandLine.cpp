#include "CommandLine.h"

#include <cstdlib>

const char kVulpaneUsage[] =
    "usage: vulpane [OPTIONS] [SETTINGS]\n"
    "Plays Vulpane live through JACK (jackd or PipeWire's JACK), with its editor in a window.\n"
    "  --no-gui              run without the window (stop with Ctrl+C or SIGTERM)\n"
    "  --name NAME           the JACK client name (vulpane)\n"
    "  --input 1|2|both      which of the two inputs the capture port feeds (both)\n"
    "  --connect-in PORT     connect the inputs to PORT instead of the first capture port\n"
    "  --connect-out L,R     connect the outputs to L and R instead of the first two playback ports\n"
    "  --midi-in PORT        connect the MIDI input to PORT\n"
    "  --no-connect          connect nothing (use a patchbay or jack_connect)\n"
    "  --state FILE          the state to load and save instead of ~/.config/vulpane/last.state\n"
    "  --status S            print the status line every S seconds\n"
    "  --plugin FILE         the plug-in binary (Vulpane.so beside this program)\n"
    "SETTINGS, applied after the saved state, as vulpane-host takes them:\n"
    "  --fxp FILE (.fxp/.fxb), --chunk FILE, --preset FILE.vzp, --set NAME=VALUE ..., --oversample 1|2|4|8\n"
    "jack_lsp lists the port names. On quit the whole state is saved and comes back on the next start.\n";

bool ParseCommandLine(int argc, char** argv, CommandLine& out, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const int taken = ParseSettingsOption(argc, argv, i, out.settings, error);
        if (taken < 0) return false;
        if (taken > 0) {
            i += taken - 1;
            continue;
        }
        auto value = [&](std::string& dest) {
            if (i + 1 >= argc || std::string(argv[i + 1]).empty()) {
                error = arg + " needs a value";
                return false;
            }
            dest = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            out.help = true;
        } else if (arg == "--no-gui") {
            out.gui = false;
        } else if (arg == "--no-connect") {
            out.connect = false;
        } else if (arg == "--name") {
            if (!value(out.clientName)) return false;
        } else if (arg == "--plugin") {
            if (!value(out.plugin)) return false;
        } else if (arg == "--state") {
            if (!value(out.state)) return false;
        } else if (arg == "--connect-in") {
            if (!value(out.connectIn)) return false;
        } else if (arg == "--midi-in") {
            if (!value(out.midiIn)) return false;
        } else if (arg == "--input") {
            if (!value(v)) return false;
            if (v == "1" || v == "2")
                out.inputs = v[0] - '0';
            else if (v == "both")
                out.inputs = 0;
            else {
                error = "--input takes 1, 2 or both, not " + v;
                return false;
            }
        } else if (arg == "--connect-out") {
            if (!value(v)) return false;
            out.connectOut.clear();
            size_t start = 0;
            for (size_t comma; (comma = v.find(',', start)) != std::string::npos; start = comma + 1)
                out.connectOut.push_back(v.substr(start, comma - start));
            out.connectOut.push_back(v.substr(start));
            if (out.connectOut.size() > 2 || out.connectOut[0].empty() || out.connectOut.back().empty()) {
                error = "--connect-out takes PORT or PORT,PORT, not " + v;
                return false;
            }
        } else if (arg == "--status") {
            if (!value(v)) return false;
            char* end = nullptr;
            out.statusSeconds = std::strtod(v.c_str(), &end);
            if (!end || *end != '\0' || !(out.statusSeconds > 0.0)) {
                error = "--status needs a positive number of seconds, not " + v;
                return false;
            }
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}
