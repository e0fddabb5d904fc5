#pragma once

#include <string>

class HostedPlugin;

// The state the program keeps between runs: the plug-in's whole program chunk (its parameters
// and the records that follow them: impulse, quality) in one file.

// $XDG_CONFIG_HOME/vulpane/last.state, or ~/.config/vulpane/last.state without it.
std::string DefaultStatePath();

enum class StateLoad { Absent, Loaded, MovedAside };
// Hands the file to the plug-in. A file that cannot be read or that the plug-in refuses is
// renamed to FILE.bad (FILE.bad.2, ... when that exists) and never overwritten; message says so.
StateLoad LoadState(HostedPlugin& plugin, const std::string& path, std::string& message);

// Writes the state atomically: a temporary file beside it, fsync, rename over the old one, fsync
// of the folder. The folder is made when missing. On failure the old file stays as it was.
bool SaveState(HostedPlugin& plugin, const std::string& path, std::string& error);
