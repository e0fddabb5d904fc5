#pragma once

#include "AmpModels.h"
#include "DspBank.h"

#include <cmath>
#include <complex>
#include <memory>

// The amp models on a bank of their own, with the fourteen comb rows allocated at their start-up
// lengths as the signal chain does. With factor k > 1 the models run as on the oversampled path:
// rate is then k times the host rate, and the shaper stages are anti-aliased.
struct AmpTestRig {
    explicit AmpTestRig(double rate = 44100.0, int factor = 1) : bank(std::make_unique<DspBank>()) {
        static const double kSeconds[14] = {0.0051,  0.00031, 0.0051,  0.00031, 0.0051,  0.00031, 0.0051,
                                            0.00031, 0.002,   0.00027, 0.002,   0.00027, 0.0032,  0.0032};
        for (int row = 0; row < 14; ++row)
            bank->AllocDelayLine(kSeconds[row], rate, row);
        amp.Initialise(*bank, rate, factor);
    }
    // Every shared knob to one value.
    void SetKnobs(double v) {
        amp.SetVolume(v);
        amp.SetGain(v);
        amp.SetToneFreq(v);
        amp.SetToneResonance(v);
        amp.SetBass(v);
        amp.SetMiddle(v);
        amp.SetTreble(v);
    }

    std::unique_ptr<DspBank> bank;
    AmpModels amp;
};

// |H(e^jw)| in dB of a normalised section at freqHz.
inline double SectionGainDb(const BiquadCoefficients& c, double freqHz, double rate) {
    const double w = 2.0 * 3.14159265358979323846 * freqHz / rate;
    const std::complex<double> z1 = std::polar(1.0, -w);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> h = (c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2);
    return 20.0 * std::log10(std::abs(h));
}
