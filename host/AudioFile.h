#pragma once

#include <string>
#include <vector>

// Audio as planar double channels at a sample rate.
struct AudioBuffer {
    double sampleRate = 44100.0;
    std::vector<std::vector<double>> channels;
    size_t Frames() const { return channels.empty() ? 0 : channels[0].size(); }
};

// Reads a sound file (any format libsndfile reads where it is available; WAV PCM
// 8/16/24/32 and float 32/64 otherwise). False with a message on failure.
bool ReadAudioFile(const std::string& path, AudioBuffer& out, std::string& error);
// Writes a WAV file with IEEE float samples of 32 or 64 bits.
bool WriteWavFile(const std::string& path, const AudioBuffer& audio, int bits, std::string& error);
// Whether the file is a WAV that WriteWavFile wrote (so a new render may replace it).
bool IsHostRenderedWav(const std::string& path);
// Parses WAV bytes (RIFF/WAVE, PCM or IEEE float).
bool ParseWav(const std::vector<char>& bytes, AudioBuffer& out, std::string& error);

// A few seconds of a synthesised clean electric guitar riff (plucked strings), mono.
AudioBuffer MakeDemoPhrase(double sampleRate);
