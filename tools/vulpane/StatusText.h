#pragma once

#include "LiveEngine.h"

#include <string>

// The status strip's fields as text: "48000 Hz, 64 frames", "latency 2.8 ms (plug-in 5 + JACK 128
// frames)", "DSP 12.5%", "xruns 0", "input -12.0 dBFS".
struct StatusFields {
    std::string format, latency, load, xruns, input;
};
StatusFields FormatStatus(const LiveStatus& status);
// One line for the terminal, with CLIP when the clip lamp is lit.
std::string StatusLine(const LiveStatus& status);
// Level of a peak in dBFS, -inf as -120.
double PeakDb(float peak);
