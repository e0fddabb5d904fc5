#pragma once

#include "VzpFile.h"

#include <string>
#include <vector>

// The version preset files are written in: the newest the reader knows.
constexpr int kVzpWriteVersion = 4;
// The longest text a preset file holds (the reader keeps no more of one).
constexpr size_t kVzpMaxText = 255;

// A version-4 preset of the current settings: normalized(index) gives each parameter's
// normalised value, model the selected amp model (its own knobs are the ones stored). The
// texts are the name, the author, a style, a comment and the impulse file's path.
VzpFile VzpFromSettings(double (*normalized)(const void* context, int index), const void* context, int model,
                        const std::string& name, const std::string& impulsePath);

// The bytes of a file the reader reads back as the same VzpFile (texts cut to kVzpMaxText
// bytes at a character boundary).
std::vector<unsigned char> FormatVzpFile(const VzpFile& file);

// A preset name made fit for a file name on every system: characters no file name may hold
// (/ \ : * ? " < > | and control characters) become "_", leading and trailing spaces and dots
// go, and an empty or reserved name ("CON", "NUL", ...) becomes "Preset".
std::string PresetFileStem(const std::string& name);
