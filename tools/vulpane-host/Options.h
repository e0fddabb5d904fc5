#pragma once

#include <string>
#include <vector>

class HostedPlugin;

// The command line of vulpane-host: a command, positional files and options.
struct Options {
    std::string command;
    std::vector<std::string> files;
    std::vector<std::pair<std::string, std::string>> sets; // --set NAME=VALUE, as given
    std::string fxp;       // --fxp FILE (.fxp or .fxb)
    std::string chunk;     // --chunk FILE (raw program chunk)
    std::string preset;    // --preset FILE.vzp (the plug-in's own preset format)
    double rate = 0.0;     // --rate R
    int block = 512;       // --block N
    int bits = 32;         // --bits 32|64 for the output WAV
    double seconds = 10.0; // --seconds S for bench
    bool floatOnly = false; // --float: process in single precision
    bool quiet = false;
    int oversample = 0;     // --oversample 1|2|4|8; 0 leaves the plug-in's own factor
    bool progress = false;  // --progress: the progress line even when stderr is no terminal
    bool overwrite = false; // --overwrite: an output may replace any existing file
};

constexpr double kMinRate = 8000.0;
constexpr double kMaxRate = 768000.0;
constexpr int kMaxBlock = 65536;

bool ParseOptions(int argc, char** argv, Options& out, std::string& error);
// The settings options alone (--set, --fxp, --chunk, --preset, --oversample), for every program
// that takes them: reads the option at argv[at] into out and answers how many arguments it took
// (2), 0 when argv[at] is no settings option, or -1 with the error.
int ParseSettingsOption(int argc, char** argv, int at, Options& out, std::string& error);

// Loads --fxp, --chunk and --preset, then applies every --set in a fixed order whatever the
// order given: parameters whose values are named choices (a model, a cabinet) first, then the
// others by index (shared knobs before each model's own). NAME is an index, the name the
// plug-in gives the parameter or its source identifier (kMasterVolume, kModelGain+3), in any
// case; VALUE is a normalised number 0..1 or a text the parameter displays, in any case.
bool ApplySettings(HostedPlugin& plugin, const Options& options, std::string& error);

// Sends --oversample to the plug-in through Vulpane's vendor-specific opcode (effVendorSpecific,
// index 'VpOs', value the factor; the answer is the factor in effect). Nothing to do without the
// option; an error when the plug-in does not know the opcode or refuses the factor.
bool ApplyOversample(HostedPlugin& plugin, int factor, std::string& error);
// The texts a parameter shows over its range when they name choices (a model list), else none.
std::vector<std::string> NamedChoices(HostedPlugin& plugin, int index);
