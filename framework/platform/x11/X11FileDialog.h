#pragma once

#include <string>

// The desktop's own dialog programs on Linux (zenity, else kdialog).

// A file chooser, run modally. Action 1 asks for a file to save (confirming an overwrite),
// anything else for an existing file to open. Empty when cancelled or when no chooser is
// installed.
std::string RunFileChooser(int action, const char* folder);

// Whether zenity or kdialog is found on PATH.
bool FileChooserInstalled();

// An error message with an OK button, started without waiting for the user to close it.
// False when it cannot be shown: no display, or neither program installed.
bool ShowDesktopMessage(const char* caption, const char* text);

// A one-line text question (zenity --entry, else kdialog --inputbox), run modally with text
// filled in. False when neither program could start; otherwise answered tells whether the
// user confirmed, and out holds the text then.
bool RunTextPrompt(const char* prompt, const std::string& text, std::string& out, bool& answered);
