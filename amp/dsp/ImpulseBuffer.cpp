#include "ImpulseBuffer.h"

#include <algorithm>

void ImpulseBuffer::Resize(int count, int length) {
    channelCount = std::max(0, count);
    channels.resize(static_cast<size_t>(channelCount));
    for (std::vector<double>& c : channels)
        c.resize(static_cast<size_t>(std::max(0, length)), 0.0);
}

int ImpulseBuffer::Length() const {
    size_t longest = 0;
    for (const std::vector<double>& c : channels)
        longest = std::max(longest, c.size());
    return static_cast<int>(longest);
}
