#include "AllpassHalfBand.h"

#include "DspMath.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kCoefficients = 2 * AllpassHalfBand::kSections;

// The elliptic half-band filter's allpass coefficients, ascending. With the pass-band edge wp
// (radians at the higher rate) the analogue prototype's selectivity is k = tan^2(wp / 2), as the
// stop-band edge mirrors the pass-band edge about the quarter rate. Its poles come from the
// Jacobi elliptic functions written as theta series in the nome q of the complementary modulus
// (q from its usual four-term series); each pole pair, mapped to z^2, is one coefficient.
void EllipticCoefficients(double passEdge, double (&c)[kCoefficients]) {
    const double half = kPi * passEdge;
    const double t = DspSin(half) / DspCos(half);
    const double k = t * t;
    const double root = DspSqrt(DspSqrt(1.0 - k * k)); // the fourth root of 1 - k^2
    const double e = 0.5 * (1.0 - root) / (1.0 + root);
    const double e4 = e * e * e * e;
    const double q = e * (1.0 + e4 * (2.0 + e4 * (15.0 + 150.0 * e4)));
    const double order = 2.0 * kCoefficients + 1.0;
    for (int i = 1; i <= kCoefficients; ++i) {
        double num = 0.0, den = 1.0;
        for (int m = 0; m < 8; ++m) {
            const double sign = m % 2 ? -1.0 : 1.0;
            num += sign * DspPow(q, m * (m + 1.0)) * DspSin((2 * m + 1) * kPi * i / order);
            if (m > 0)
                den += 2.0 * sign * DspPow(q, static_cast<double>(m) * m) * DspCos(2 * m * kPi * i / order);
        }
        const double w = 2.0 * DspSqrt(DspSqrt(q)) * num / den;
        const double a = DspSqrt((1.0 - k * w * w) * (1.0 - w * w / k)) / (1.0 + w * w);
        c[i - 1] = (1.0 - a) / (1.0 + a);
    }
    std::sort(c, c + kCoefficients);
}

void CopyBlock(double* to, const double* from, int n) {
    if (n > 0) std::memmove(to, from, sizeof(double) * static_cast<size_t>(n));
}

} // namespace

void AllpassHalfBand::Design(double passEdge, int maxInput, int maxExtraDelay) {
    double c[kCoefficients];
    EllipticCoefficients(passEdge, c);
    // Alternate coefficients go to alternate branches: the two branches' phases then agree in the
    // pass band (the sum passes) and differ by half a turn in the stop band (the sum cancels).
    for (int s = 0; s < kSections; ++s) {
        coefficient[0][s] = c[2 * s];
        coefficient[1][s] = c[2 * s + 1];
        upPair[s][0] = downPair[s][1] = coefficient[0][s];
        upPair[s][1] = downPair[s][0] = coefficient[1][s];
    }
    maxExtra = maxExtraDelay < 0 ? 0 : maxExtraDelay;
    extra = maxExtra;
    downBuf.assign(static_cast<size_t>(maxExtra + 1 + 2 * maxInput), 0.0);
    Clear();
}

void AllpassHalfBand::SetExtraDelay(int samples) {
    extra = samples < 0 ? 0 : (samples > maxExtra ? maxExtra : samples);
}

double AllpassHalfBand::DelayAtDc() const {
    // (a + z^-1) / (1 + a z^-1) delays DC by (1 - a) / (1 + a) samples of its own rate, twice as
    // many at the higher rate; the branches agree there, A1 with its extra sample.
    double d[2] = {0.0, 1.0};
    for (int b = 0; b < 2; ++b)
        for (int s = 0; s < kSections; ++s)
            d[b] += 2.0 * (1.0 - coefficient[b][s]) / (1.0 + coefficient[b][s]);
    return 0.5 * (d[0] + d[1]);
}

void AllpassHalfBand::Clear() {
    std::memset(upState, 0, sizeof upState);
    std::memset(downState, 0, sizeof downState);
    std::fill(downBuf.begin(), downBuf.end(), 0.0);
}

// Each section: y[n] = x[n - 1] + a x[n] - a y[n - 1], so that from one sample to the next only a
// multiply and a subtraction wait on each other. The two lanes are the two branches.
#if defined(__SSE2__)

namespace {

struct Cascade {
    __m128d a[AllpassHalfBand::kSections];
    __m128d s[AllpassHalfBand::kSections + 1];

    Cascade(const double (&pair)[AllpassHalfBand::kSections][2],
            const double (&state)[AllpassHalfBand::kSections + 1][2]) {
        for (int i = 0; i < AllpassHalfBand::kSections; ++i)
            a[i] = _mm_loadu_pd(pair[i]);
        for (int i = 0; i <= AllpassHalfBand::kSections; ++i)
            s[i] = _mm_loadu_pd(state[i]);
    }
    void Store(double (&state)[AllpassHalfBand::kSections + 1][2]) const {
        for (int i = 0; i <= AllpassHalfBand::kSections; ++i)
            _mm_storeu_pd(state[i], s[i]);
    }
    __m128d Step(__m128d v) {
        for (int i = 0; i < AllpassHalfBand::kSections; ++i) {
            const __m128d y = _mm_sub_pd(_mm_add_pd(s[i], _mm_mul_pd(a[i], v)), _mm_mul_pd(a[i], s[i + 1]));
            s[i] = v;
            v = y;
        }
        s[AllpassHalfBand::kSections] = v;
        return v;
    }
};

} // namespace

void AllpassHalfBand::Interpolate(const double* in, int n, double* out) {
    Cascade c(upPair, upState);
    for (int i = 0; i < n; ++i)
        _mm_storeu_pd(out + 2 * i, c.Step(_mm_set1_pd(in[i])));
    c.Store(upState);
}

void AllpassHalfBand::Decimate(const double* in, int n, double* out) {
    const int history = maxExtra + 1;
    double* buf = downBuf.data();
    CopyBlock(buf + history, in, 2 * n);
    const double* u = buf + history - extra; // u[j]: input sample j, delayed by `extra`
    Cascade c(downPair, downState);
    for (int i = 0; i < n; ++i) {
        const __m128d y = c.Step(_mm_loadu_pd(u + 2 * i - 1)); // (A1 of u[2i - 1], A0 of u[2i])
        out[i] = 0.5 * (_mm_cvtsd_f64(y) + _mm_cvtsd_f64(_mm_unpackhi_pd(y, y)));
    }
    c.Store(downState);
    CopyBlock(buf, buf + 2 * n, history);
}

#else

namespace {

// The same arithmetic without vector lanes.
struct Cascade {
    double a[AllpassHalfBand::kSections][2];
    double s[AllpassHalfBand::kSections + 1][2];

    Cascade(const double (&pair)[AllpassHalfBand::kSections][2],
            const double (&state)[AllpassHalfBand::kSections + 1][2]) {
        std::memcpy(a, pair, sizeof a);
        std::memcpy(s, state, sizeof s);
    }
    void Store(double (&state)[AllpassHalfBand::kSections + 1][2]) const { std::memcpy(state, s, sizeof s); }
    void Step(double (&v)[2]) {
        for (int lane = 0; lane < 2; ++lane) {
            double x = v[lane];
            for (int i = 0; i < AllpassHalfBand::kSections; ++i) {
                const double y = (s[i][lane] + a[i][lane] * x) - a[i][lane] * s[i + 1][lane];
                s[i][lane] = x;
                x = y;
            }
            s[AllpassHalfBand::kSections][lane] = x;
            v[lane] = x;
        }
    }
};

} // namespace

void AllpassHalfBand::Interpolate(const double* in, int n, double* out) {
    Cascade c(upPair, upState);
    for (int i = 0; i < n; ++i) {
        double v[2] = {in[i], in[i]};
        c.Step(v);
        out[2 * i] = v[0];
        out[2 * i + 1] = v[1];
    }
    c.Store(upState);
}

void AllpassHalfBand::Decimate(const double* in, int n, double* out) {
    const int history = maxExtra + 1;
    double* buf = downBuf.data();
    CopyBlock(buf + history, in, 2 * n);
    const double* u = buf + history - extra;
    Cascade c(downPair, downState);
    for (int i = 0; i < n; ++i) {
        double v[2] = {u[2 * i - 1], u[2 * i]};
        c.Step(v);
        out[i] = 0.5 * (v[0] + v[1]);
    }
    c.Store(downState);
    CopyBlock(buf, buf + 2 * n, history);
}

#endif
