#pragma once

#include "AudioFile.h"

#include <functional>

class HostedPlugin;

struct RenderOptions {
    int blockSize = 512;
    bool doublePrecision = true; // use processDoubleReplacing when the plug-in offers it
    // Feeds initialDelay extra frames of silence and drops as many from the start, so the output
    // lines up with the input as a host's delay compensation would.
    bool compensateLatency = true;
    // Called after each block with the fraction done (for a progress line).
    std::function<void(double)> progress;
};

// Streams the input through the plug-in in blocks as a host would; a mono input
// feeds every input channel. The result has the plug-in's output channels and the input's length.
AudioBuffer RenderThrough(HostedPlugin& plugin, const AudioBuffer& input, const RenderOptions& options);
