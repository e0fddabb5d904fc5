#pragma once

#include <string>
#include <vector>

// The files a scripted session works with, in a temporary folder removed afterwards: two user
// preset banks (copies of the factory presets, the second in reverse order) under a user data
// folder the plug-in is pointed at through XDG_DATA_HOME, and impulse WAVs (24-bit decaying
// noise-free cosines): two short rooms in one folder, a 10-s 96-kHz hall alone in another, and
// a second 10-s 96-kHz impulse that is deleted once a state carrying its samples has been made.
class SessionFiles {
public:
    // Makes the folder; `pluginPath` locates the factory presets beside the binary. Call before
    // the plug-in is loaded (the user data folder is read at construction).
    bool Create(const std::string& pluginPath, std::string& error);
    ~SessionFiles();

    std::string root;
    std::vector<std::string> factoryPresets; // the factory preset files, sorted
    std::string roomA, roomB, hall, carried;
    size_t userBanks = 2;
};

// A state (program chunk layout) with the values of `from` and its impulse path replaced by
// `path`, the convolution switched on.
std::vector<char> StateNamingImpulse(const std::vector<char>& from, const std::string& path);
// Whether a chunk carries an impulse's samples (a 'VXTR' record).
bool CarriesImpulse(const std::vector<char>& chunk);
