#pragma once

#include <vector>

// An impulse response as the impulse loader hands it to the convolution engine: a channel count
// and one array of samples per channel.
struct ImpulseBuffer {
    int channelCount = 0;
    std::vector<std::vector<double>> channels;

    // Sets the channel count and the length of every channel; new samples are zero.
    void Resize(int channelCount, int length);
    // Samples in the longest channel.
    int Length() const;
};
