#pragma once

#include <complex>
#include <vector>

// The DFT of x at one frequency f (cycles per sample), summed directly with exact twiddles: an
// independent reference for a filter's response measured from its output.
inline std::complex<double> DftAt(const std::vector<double>& x, double f) {
    constexpr double kTwoPi = 6.28318530717958647692;
    std::complex<double> sum = 0.0;
    for (size_t n = 0; n < x.size(); ++n)
        sum += x[n] * std::polar(1.0, -kTwoPi * f * static_cast<double>(n));
    return sum;
}
