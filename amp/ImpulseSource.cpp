#include "ImpulseSource.h"

#include <cstring>

uint32_t ImpulseChecksum(const std::vector<float>& stored) {
    uint32_t hash = 2166136261u;
    for (float s : stored) {
        uint32_t bits = 0;
        std::memcpy(&bits, &s, sizeof bits);
        hash = (hash ^ bits) * 16777619u;
    }
    return hash;
}

std::shared_ptr<const ImpulseSource> MakeImpulseSource(double rate, std::vector<double> samples) {
    auto source = std::make_shared<ImpulseSource>();
    source->rate = rate;
    source->stored.assign(samples.begin(), samples.end());
    source->checksum = ImpulseChecksum(source->stored);
    source->samples = std::move(samples);
    return source;
}
