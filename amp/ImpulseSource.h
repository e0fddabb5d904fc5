#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// An impulse as the state knows it: its file's first channel at the file's own rate, and the
// 32-bit float copy with its checksum that a saved song carries. A copy read back from a song
// has no double samples until the loader makes them.
struct ImpulseSource {
    double rate = 0.0;
    std::vector<double> samples;
    std::vector<float> stored;
    uint32_t checksum = 0;
};

// Songs carry impulses of at most this many samples (8 MB, 43 s at 48 kHz); longer ones are
// stored by their path only.
constexpr size_t kMaxCarriedImpulse = size_t(1) << 21;

// FNV-1a over the samples' 32-bit patterns.
uint32_t ImpulseChecksum(const std::vector<float>& stored);
// A source from a file's samples, with its float copy and checksum.
std::shared_ptr<const ImpulseSource> MakeImpulseSource(double rate, std::vector<double> samples);

// What the loader thread is asked to do: read the file at path (none: use the carried samples
// only), falling back to the carried copy when the file is missing or is another file, and
// prepare an engine at the host rate. A quiet request (a restored state, a rate change) only
// marks its errors in the impulse field; a chosen file also tells the user in a message.
struct ImpulseRequest {
    std::string path;
    std::shared_ptr<const ImpulseSource> carried;
    double rate = 0.0;
    bool quiet = false;
};
