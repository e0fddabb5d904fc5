#pragma once

#include "Options.h"

#include <string>
#include <vector>

// The command line of vulpane.
struct CommandLine {
    std::string plugin;                   // --plugin FILE; empty: Vulpane.so beside the program
    std::string clientName = "vulpane";   // --name
    bool gui = true;                      // --no-gui runs headless
    bool connect = true;                  // --no-connect leaves the ports alone
    int inputs = 0;                       // --input 1|2|both: 1, 2, or 0 for both
    std::string connectIn;                // --connect-in PORT (both inputs, or the one --input names)
    std::vector<std::string> connectOut;  // --connect-out PORT,PORT
    std::string midiIn;                   // --midi-in PORT
    std::string state;                    // --state FILE; empty: the saved state of the last run
    double statusSeconds = 0.0;           // --status S: the status line every S seconds on stdout
    Options settings;                     // --fxp, --preset, --chunk, --set, --oversample
    bool help = false;
};

bool ParseCommandLine(int argc, char** argv, CommandLine& out, std::string& error);
extern const char kVulpaneUsage[];
