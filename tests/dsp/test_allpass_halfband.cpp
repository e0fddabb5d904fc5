// The 2x resampler's allpass half-band: its response computed from its coefficients, and the
// interpolator and decimator realising that response.
#include "AllpassHalfBand.h"
#include "DftAt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
using Cx = std::complex<double>;

// H(f) = (A0(z^2) + z^-1 A1(z^2)) / 2 at z = e^{j 2 pi f}, f in cycles per fast sample.
Cx FromCoefficients(const AllpassHalfBand& h, double f) {
    const Cx z1 = std::polar(1.0, -2.0 * kPi * f), z2 = z1 * z1;
    Cx branch[2] = {1.0, 1.0};
    for (int b = 0; b < 2; ++b)
        for (int s = 0; s < AllpassHalfBand::kSections; ++s) {
            const double a = h.Coefficient(b, s);
            branch[b] *= (a + z2) / (1.0 + a * z2);
        }
    return 0.5 * (branch[0] + z1 * branch[1]);
}

} // namespace

// Pass band to 0.2083 of the fast rate (20 kHz at 96 kHz), stop band from 0.2844 (27.3 kHz) at
// least 115 dB down, 4 fast samples of delay at low frequencies; Interpolate (gain 2 H) and
// Decimate (H, then every second sample) give that response.
TEST(AllpassHalfBand, ResponseFromItsCoefficientsAndWhatItsStepsDo) {
    constexpr int kBlock = 512; // long enough for the impulse responses to die away (about 1e-17)
    AllpassHalfBand h;
    h.Design(0.21565, kBlock, 2);
    double worstPass = 0.0, worstStop = 0.0;
    for (double f = 0.0; f <= 0.5; f += 0.0005) {
        const double gain = std::abs(FromCoefficients(h, f));
        if (f <= 0.2083) worstPass = std::max(worstPass, std::fabs(gain - 1.0));
        if (f >= 0.2844) worstStop = std::max(worstStop, gain);
    }
    EXPECT_LT(worstPass, 1e-9);
    EXPECT_LT(20.0 * std::log10(worstStop), -115.0);
    // Group delay at DC: minus the slope of the phase.
    const double df = 1e-6;
    const double delay = -std::arg(FromCoefficients(h, df)) / (2.0 * kPi * df);
    EXPECT_NEAR(delay, 4.0, 1e-3);
    EXPECT_NEAR(h.DelayAtDc(), delay, 1e-6);

    // The interpolator's impulse response, and the decimator's two phases interleaved.
    std::vector<double> in(kBlock, 0.0), up(2 * kBlock), fast(2 * kBlock, 0.0), even(kBlock), odd(kBlock);
    in[0] = 1.0;
    h.Interpolate(in.data(), kBlock, up.data());
    h.SetExtraDelay(0);
    fast[0] = 1.0;
    h.Decimate(fast.data(), kBlock, even.data()); // y[n] = h[2n]
    h.Clear();
    fast[0] = 0.0;
    fast[1] = 1.0;
    h.Decimate(fast.data(), kBlock, odd.data()); // y[n] = h[2n - 1]
    std::vector<double> down(2 * kBlock);
    for (int n = 0; n < kBlock; ++n) {
        down[static_cast<size_t>(2 * n)] = even[static_cast<size_t>(n)];
        if (n + 1 < kBlock) down[static_cast<size_t>(2 * n + 1)] = odd[static_cast<size_t>(n + 1)];
    }
    for (double f = 0.0; f <= 0.5; f += 0.01) {
        const Cx expected = FromCoefficients(h, f);
        EXPECT_LT(std::abs(DftAt(up, f) - 2.0 * expected), 1e-9) << "Interpolate at " << f;
        EXPECT_LT(std::abs(DftAt(down, f) - expected), 1e-9) << "Decimate at " << f;
    }
    // The plain delay in front of the decimator: two fast samples are one slow one.
    h.Clear();
    h.SetExtraDelay(2);
    std::vector<double> delayed(kBlock);
    fast[1] = 0.0;
    fast[0] = 1.0;
    h.Decimate(fast.data(), kBlock, delayed.data());
    EXPECT_EQ(delayed[0], 0.0);
    for (int n = 1; n < kBlock; ++n)
        EXPECT_EQ(delayed[static_cast<size_t>(n)], even[static_cast<size_t>(n - 1)]);
}
