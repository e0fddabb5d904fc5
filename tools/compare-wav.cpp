// compare-wav A.wav B.wav TOLERANCE: exit 0 when both have the same shape and every
// sample differs by at most TOLERANCE; prints the largest difference.
#include "AudioFile.h"
#include "PresetFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: compare-wav A.wav B.wav TOLERANCE\n");
        return 2;
    }
    AudioBuffer a, b;
    std::string error;
    std::vector<char> bytes;
    if (!ReadFileBytes(argv[1], bytes, error) || !ParseWav(bytes, a, error) || !ReadFileBytes(argv[2], bytes, error) ||
        !ParseWav(bytes, b, error)) {
        std::fprintf(stderr, "compare-wav: %s\n", error.c_str());
        return 2;
    }
    if (a.channels.size() != b.channels.size() || a.Frames() != b.Frames() || a.sampleRate != b.sampleRate) {
        std::fprintf(stderr, "compare-wav: the files differ in channels, length or rate\n");
        return 1;
    }
    double worst = 0.0;
    for (size_t c = 0; c < a.channels.size(); ++c)
        for (size_t i = 0; i < a.Frames(); ++i) {
            const double d = std::fabs(a.channels[c][i] - b.channels[c][i]);
            if (!(d <= worst)) worst = std::isnan(d) ? INFINITY : d;
        }
    const double tolerance = std::atof(argv[3]);
    std::printf("compare-wav: %zu frames, largest difference %.3g (tolerance %.3g)\n", a.Frames(), worst, tolerance);
    return worst <= tolerance ? 0 : 1;
}
