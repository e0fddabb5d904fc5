#pragma once

#include "AudioFile.h"

#include <functional>

class HostedPlugin;

struct RenderOptions {
    int blockSize = 512;
    bool doublePrecision = true; // use processDoubleReplacing when the plug-in offers it
    // Called after each block with the fraction done (for a progress line).
    std::function<void(double)> progress;
};

// Streams the input through the plug-in in blocks as a host would; a mono input
// feeds every input channel. The result has the plug-in's output channels.
AudioBuffer RenderThrough(HostedPlugin& plugin, const AudioBuffer& input, const RenderOptions& options);
