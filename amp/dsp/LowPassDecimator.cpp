#include "LowPassDecimator.h"

#include "DspMath.h"
#include "SymmetricSum.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr double kPi = 3.141592653589793;

} // namespace

void LowPassDecimator::Design(int taps, double beta, double cutoff, int maxOutput, int maxExtraDelay) {
    if (taps < 1) taps = 1;
    if (taps % 2 == 0) ++taps;
    const int centre = taps / 2;
    const double norm = BesselI0(beta);
    h.assign(static_cast<size_t>(taps), 0.0);
    double sum = 0.0;
    for (int j = 0; j < taps; ++j) {
        const int offset = j - centre;
        const double r = centre > 0 ? static_cast<double>(offset) / centre : 0.0;
        const double w = BesselI0(beta * DspSqrt(std::max(0.0, 1.0 - r * r))) / norm;
        const double sinc = offset == 0 ? 2.0 * cutoff : DspSin(2.0 * kPi * cutoff * offset) / (kPi * offset);
        h[static_cast<size_t>(j)] = sinc * w;
        sum += h[static_cast<size_t>(j)];
    }
    // Gain exactly 1 at DC.
    for (double& v : h)
        v /= sum;
    maxExtra = maxExtraDelay < 0 ? 0 : maxExtraDelay;
    extra = 0;
    buf.assign(static_cast<size_t>(taps - 1 + maxExtra + 2 * maxOutput), 0.0);
}

void LowPassDecimator::SetExtraDelay(int samples) {
    extra = samples < 0 ? 0 : (samples > maxExtra ? maxExtra : samples);
}

void LowPassDecimator::Clear() {
    std::fill(buf.begin(), buf.end(), 0.0);
}

// y[n] = h[J] u[2n - J] + sum_{j < J} h[j] (u[2n - j] + u[2n - 2J + j]), u the input delayed by
// `extra`, 2J + 1 taps.
void LowPassDecimator::Decimate(const double* in, int n, double* out) {
    const int taps = static_cast<int>(h.size());
    const int centre = taps / 2;
    const int history = taps - 1 + maxExtra;
    double* b = buf.data();
    if (n > 0) std::memcpy(b + history, in, sizeof(double) * 2 * static_cast<size_t>(n));
    const double* hk = h.data();
    for (int i = 0; i < n; ++i) {
        const double* u = b + history + 2 * i - extra; // u[0] is sample 2n
        const double acc = SymmetricSum(hk, centre, u - 2 * centre, u);
        out[i] = acc + hk[centre] * u[-centre];
    }
    std::memmove(b, b + 2 * n, sizeof(double) * static_cast<size_t>(history));
}
