#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A read-only preset file (".vzp"): a six-byte magic "kvzp01".."kvzp04", five zero-ended
// texts, then the version's count of little-endian single-precision normalised values.
struct VzpFile {
    int version = 0; // 1..4
    std::string texts[5];
    std::vector<float> values;
};

enum class VzpStatus { kOk, kUnknownVersion, kTruncated };

// Parses a whole file's bytes; out is filled only when the result is kOk.
VzpStatus ParseVzpFile(const uint8_t* data, size_t size, VzpFile& out);

// The values each version holds: 66, 17, 17 or 23.
int VzpValueCount(int version);

struct VzpSetting {
    int param;
    double value;
};

// The amp model the file selects (versions 1 and 2 scale their model value by 0.8).
int VzpModel(const VzpFile& file);
// The parameter settings of a parsed file in the order they are applied: the model's own
// knob copies first, the model itself last. The impulse switch is not among them.
std::vector<VzpSetting> VzpSettings(const VzpFile& file);
// Whether the file switches the impulse convolution on (version 4 only).
bool VzpImpulseOn(const VzpFile& file);

// The message shown for a file whose magic is unknown (a newer version's file).
extern const char* const kVzpNewerVersionMessage;
