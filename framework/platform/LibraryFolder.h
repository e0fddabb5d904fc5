#pragma once

#include <string>

// The folder of the binary that holds this code (the plug-in library, or the program it is
// linked into), with its trailing separator; empty when the system cannot tell.
std::string LibraryFolder();

// The separator between folder and name on this system.
char PathSeparator();
