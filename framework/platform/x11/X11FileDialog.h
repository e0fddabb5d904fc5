#pragma once

#include <string>

// A file dialog on Linux desktops: the desktop's own chooser program (zenity, else kdialog),
// run modally. Action 1 asks for a file to save (confirming an overwrite), anything else for
// an existing file to open. Empty when cancelled or when no chooser is installed.
std::string RunFileChooser(int action, const char* folder);
