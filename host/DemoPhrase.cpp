// The built-in demo: a clean electric-guitar riff from plucked-string synthesis,
// so the plug-in can be heard without any input file.
#include "AudioFile.h"

#include <cmath>
#include <cstdint>

namespace {
struct Note {
    double start;    // seconds
    double length;   // seconds until the string is damped
    int midi[3];     // up to three strings, 0 = unused
};

// E minor riff: palm-muted low E chugs, power chords and a short lead line.
constexpr Note kRiff[] = {
    {0.00, 0.20, {40, 47, 0}},  {0.25, 0.20, {40, 47, 0}},  {0.50, 0.40, {43, 50, 0}},
    {1.00, 0.20, {40, 47, 0}},  {1.25, 0.20, {40, 47, 0}},  {1.50, 0.40, {45, 52, 0}},
    {2.00, 0.45, {47, 54, 59}}, {2.50, 0.45, {45, 52, 57}}, {3.00, 0.22, {64, 0, 0}},
    {3.25, 0.22, {67, 0, 0}},   {3.50, 0.22, {69, 0, 0}},   {3.75, 0.60, {71, 0, 0}},
    {4.50, 1.20, {40, 47, 52}},
};
constexpr double kDuration = 6.0;

// A deterministic noise source so the demo is the same on every platform.
class Noise {
public:
    double Next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    }

private:
    uint32_t state = 12345u;
};

// One Karplus-Strong string: a noise burst circulating in a damped delay line.
void Pluck(std::vector<double>& out, double rate, double start, double length, int midi, Noise& noise,
           double level) {
    const double frequency = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
    const size_t period = static_cast<size_t>(rate / frequency);
    if (period < 2) return;
    std::vector<double> line(period);
    double previous = 0.0;
    for (double& s : line) {
        // Low-passed noise: a pick, not a burst of hiss.
        previous = 0.5 * previous + 0.5 * noise.Next();
        s = previous;
    }
    const size_t begin = static_cast<size_t>(start * rate);
    const size_t dampAt = static_cast<size_t>(length * rate);
    const size_t total = dampAt + static_cast<size_t>(0.08 * rate);
    size_t index = 0;
    for (size_t n = 0; n < total && begin + n < out.size(); ++n) {
        const size_t next = (index + 1) % period;
        const double decay = n < dampAt ? 0.996 : 0.9;
        const double s = line[index];
        line[index] = decay * 0.5 * (line[index] + line[next]);
        out[begin + n] += level * s;
        index = next;
    }
}
} // namespace

AudioBuffer MakeDemoPhrase(double sampleRate) {
    AudioBuffer audio;
    audio.sampleRate = sampleRate;
    audio.channels.assign(1, std::vector<double>(static_cast<size_t>(kDuration * sampleRate), 0.0));
    Noise noise;
    for (const Note& note : kRiff)
        for (int midi : note.midi)
            if (midi > 0) Pluck(audio.channels[0], sampleRate, note.start, note.length, midi, noise, 0.25);
    double peak = 0.0;
    for (double s : audio.channels[0]) peak = std::fmax(peak, std::fabs(s));
    // A guitar's pickup level: peaks at half of full scale.
    if (peak > 0.0)
        for (double& s : audio.channels[0]) s *= 0.5 / peak;
    return audio;
}
