// WAV impulse files: parsed, resampled to the host's rate within the engine's length, and run
// through the convolution of a signal chain.
#include "FuzzedPlugin.h"
#include "SignalChain.h"
#include "WavImpulse.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {
constexpr size_t kMaxFrames = 1 << 16; // a cap far below what a case may claim
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::unique_ptr<SignalChain> chain = [] {
        auto c = std::make_unique<SignalChain>();
        c->Initialise(48000.0);
        c->SetConvolutionEnabled(true);
        return c;
    }();
    WavImpulse wav;
    if (ParseWav(data, size, wav) != WavStatus::kOk) return 0;
    Require(!wav.samples.empty() && wav.sampleRate > 0.0, "a parsed impulse has samples and a rate");
    // Integer samples stay within full scale (8-bit ones are centred on 127, so it reaches 128/127).
    for (double s : wav.samples) {
        Require(std::isfinite(s), "samples are finite");
        Require(wav.isFloat || std::fabs(s) <= 1.01, "integer samples at most full scale");
    }
    std::vector<double> resampled;
    if (ResampleImpulse(wav.samples, wav.sampleRate, 48000.0, kMaxFrames, resampled) != WavStatus::kOk) return 0;
    Require(resampled.size() <= kMaxFrames, "the resampled length keeps the cap");
    const double norm = ImpulseNorm(resampled);
    Require(std::isfinite(norm) && norm >= 0.0, "the norm is finite");
    chain->LoadImpulse(resampled.data(), static_cast<int>(resampled.size()), norm);
    static std::vector<double> in(256), out0(256), out1(256);
    for (size_t i = 0; i < in.size(); ++i) in[i] = 0.5 * std::sin(0.05 * static_cast<double>(i));
    chain->ProcessBlock(in.data(), in.data(), out0.data(), out1.data(), 256);
    for (size_t i = 0; i < out0.size(); ++i)
        Require(std::isfinite(out0[i]) && std::isfinite(out1[i]), "a processed block is finite");
    return 0;
}
