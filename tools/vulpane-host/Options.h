#pragma once

#include <string>
#include <vector>

class HostedPlugin;

// The command line of vulpane-host: a command, positional files and options.
struct Options {
    std::string command;
    std::vector<std::string> files;
    std::vector<std::pair<std::string, std::string>> sets; // --set NAME=VALUE, in order
    std::string fxp;      // --fxp FILE (.fxp or .fxb)
    std::string chunk;    // --chunk FILE (raw program chunk)
    double rate = 0.0;    // --rate R
    int block = 512;      // --block N
    int bits = 32;        // --bits 32|64 for the output WAV
    double seconds = 10.0; // --seconds S for bench
    bool floatOnly = false; // --float: process in single precision
    bool quiet = false;
    int oversample = 0;     // --oversample 1|2|4|8; 0 leaves the plug-in's own factor
};

bool ParseOptions(int argc, char** argv, Options& out, std::string& error);

// Loads --fxp / --chunk and applies every --set, in that order. Names are Vulpane's
// parameter identifiers (kMasterVolume, kModelGain+3) or plain indices; values are
// normalised numbers 0..1 or a display text of the parameter ("Metal Charter").
bool ApplySettings(HostedPlugin& plugin, const Options& options, std::string& error);

// Sends --oversample to the plug-in through Vulpane's vendor-specific opcode (effVendorSpecific,
// index 'VpOs', value the factor; the answer is the factor in effect). Nothing to do without the
// option; an error when the plug-in does not know the opcode or refuses the factor.
bool ApplyOversample(HostedPlugin& plugin, int factor, std::string& error);
