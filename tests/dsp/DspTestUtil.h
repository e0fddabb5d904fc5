#pragma once

#include "DspBank.h"
#include "Noise.h"

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <vector>

// Independent checks for filter tests: the response evaluated straight from stored coefficients.
namespace dsptest {

constexpr double kPi = 3.14159265358979323846;

inline std::complex<double> Response(const BiquadCoefficients& c, double freqHz, double rate) {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * freqHz / rate);
    const std::complex<double> z2 = z1 * z1;
    return (c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2);
}

inline double MagnitudeDb(const BiquadCoefficients& c, double freqHz, double rate) {
    return 20.0 * std::log10(std::abs(Response(c, freqHz, rate)));
}

// Both poles strictly inside the unit circle (the stability triangle of 1 + a1 z^-1 + a2 z^-2).
inline bool Stable(const BiquadCoefficients& c) {
    return std::fabs(c.a2) < 1.0 && std::fabs(c.a1) < 1.0 + c.a2;
}

inline bool Finite(const BiquadCoefficients& c) {
    return std::isfinite(c.b0) && std::isfinite(c.b1) && std::isfinite(c.b2) && std::isfinite(c.a1) &&
           std::isfinite(c.a2);
}

// The shared test noise (tests/support/Noise.h), under the name the DSP suites know it by.
using ::Noise;

inline bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace dsptest
