#include "DspMath.h"

#include <cmath>
#include <cstdint>
#include <cstring>

// Elementary functions from +, -, *, / and sqrt only, each correctly rounded by IEEE 754, so the
// same inputs give the same bits with every compiler and C library (the platform libraries differ
// in their last bits, and the 32-bit Windows one partly runs on the x87 unit). Accuracy is within
// about one unit in the last place over the ranges the designs use. The polynomial and reduction
// constants are the classic minimax ones for double precision.

namespace {

uint64_t Bits(double x) {
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

double FromBits(uint64_t b) {
    double x;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

// 2^k for k in -1022..1023, exactly.
double Pow2(int k) {
    return FromBits(static_cast<uint64_t>(k + 1023) << 52);
}

// x * 2^k without intermediate overflow or early underflow.
double Scale(double x, int k) {
    if (k > 1023) {
        x *= Pow2(1023);
        k -= 1023;
        if (k > 1023) k = 1023;
    } else if (k < -1022) {
        x *= Pow2(-1022 + 53);
        k += 1022 - 53;
        if (k < -1022) k = -1022;
    }
    return x * Pow2(k);
}

// Nearest integer (ties away from zero) for |x| < 2^31.
int Round(double x) {
    return static_cast<int>(x < 0.0 ? x - 0.5 : x + 0.5);
}

// ---- exp ----

constexpr double kLn2Hi = 6.93147180369123816490e-01;
constexpr double kLn2Lo = 1.90821492927058770002e-10;
constexpr double kInvLn2 = 1.44269504088896338700e+00;
constexpr double kP1 = 1.66666666666666019037e-01;
constexpr double kP2 = -2.77777777770155933842e-03;
constexpr double kP3 = 6.61375632143793436117e-05;
constexpr double kP4 = -1.65339022054652515390e-06;
constexpr double kP5 = 4.13813679705723846039e-08;

// ---- sin and cos ----

constexpr double kS1 = -1.66666666666666324348e-01;
constexpr double kS2 = 8.33333333332248946124e-03;
constexpr double kS3 = -1.98412698298579493134e-04;
constexpr double kS4 = 2.75573137070700676789e-06;
constexpr double kS5 = -2.50507602534068634195e-08;
constexpr double kS6 = 1.58969099521155010221e-10;
constexpr double kC1 = 4.16666666666666019037e-02;
constexpr double kC2 = -1.38888888888741095749e-03;
constexpr double kC3 = 2.48015872894767294178e-05;
constexpr double kC4 = -2.75573143513906633035e-07;
constexpr double kC5 = 2.08757232129817482790e-09;
constexpr double kC6 = -1.13596475577881948265e-11;

constexpr double kInvPio2 = 6.36619772367581382433e-01;
constexpr double kPio2_1 = 1.57079632673412561417e+00;
constexpr double kPio2_2 = 6.07710050630396597660e-11;
constexpr double kPio2_2t = 2.02226624879595063154e-21;

// sin(x + y) for |x| <= pi/4, y the tail of x.
double KernelSin(double x, double y) {
    const double z = x * x;
    const double v = z * x;
    const double r = kS2 + z * (kS3 + z * (kS4 + z * (kS5 + z * kS6)));
    return x - ((z * (0.5 * y - v * r) - y) - v * kS1);
}

// cos(x + y) for |x| <= pi/4.
double KernelCos(double x, double y) {
    const double z = x * x;
    const double r = z * (kC1 + z * (kC2 + z * (kC3 + z * (kC4 + z * (kC5 + z * kC6)))));
    const double hz = 0.5 * z;
    const double w = 1.0 - hz;
    return w + (((1.0 - w) - hz) + (z * r - x * y));
}

// x = n pi/2 + (hi + lo) with |hi + lo| <= about pi/4; returns n mod 4.
int ReducePio2(double x, double& hi, double& lo) {
    const double fn = static_cast<double>(Round(x * kInvPio2));
    // pi/2 in three parts: the first two products are exact for the n that occur.
    const double t = x - fn * kPio2_1;
    double w = fn * kPio2_2;
    const double r = t - w;
    w = fn * kPio2_2t - ((t - r) - w);
    hi = r - w;
    lo = (r - hi) - w;
    return static_cast<int>(static_cast<long long>(fn) & 3);
}

// ---- sinh: 1 / (2k + 1)! ----

constexpr double kSh3 = 1.0 / 6.0;
constexpr double kSh5 = 1.0 / 120.0;
constexpr double kSh7 = 1.0 / 5040.0;
constexpr double kSh9 = 1.0 / 362880.0;
constexpr double kSh11 = 1.0 / 39916800.0;
constexpr double kSh13 = 1.0 / 6227020800.0;
constexpr double kSh15 = 1.0 / 1307674368000.0;
constexpr double kSh17 = 1.0 / 355687428096000.0;

// ---- double-double arithmetic for pow ----

struct DD {
    double hi, lo;
};

DD TwoSum(double a, double b) {
    const double s = a + b;
    const double v = s - a;
    return {s, (a - (s - v)) + (b - v)};
}

DD QuickTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

void Split(double a, double& hi, double& lo) {
    const double c = 134217729.0 * a; // 2^27 + 1
    hi = c - (c - a);
    lo = a - hi;
}

DD TwoProd(double a, double b) {
    const double p = a * b;
    double ah, al, bh, bl;
    Split(a, ah, al);
    Split(b, bh, bl);
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

DD Add(DD a, DD b) {
    DD s = TwoSum(a.hi, b.hi);
    s.lo += a.lo + b.lo;
    return QuickTwoSum(s.hi, s.lo);
}

DD Mul(DD a, DD b) {
    DD p = TwoProd(a.hi, b.hi);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return QuickTwoSum(p.hi, p.lo);
}

DD Div(DD a, DD b) {
    const double q1 = a.hi / b.hi;
    const DD r = Add(a, Mul(b, DD{-q1, 0.0}));
    const double q2 = r.hi / b.hi;
    return QuickTwoSum(q1, q2);
}

constexpr DD kLn2 = {6.93147180559945286227e-01, 2.31904681384629955842e-17};

// Natural logarithm of x > 0 (finite) to double-double accuracy.
DD LogDD(double x) {
    // x = 2^k m with m in [sqrt(1/2), sqrt(2)).
    int k = 0;
    if (x < 2.2250738585072014e-308) {
        x *= Pow2(54);
        k -= 54;
    }
    const uint64_t b = Bits(x);
    k += static_cast<int>((b >> 52) & 0x7ff) - 1023;
    double m = FromBits((b & 0x000fffffffffffffULL) | 0x3ff0000000000000ULL);
    if (m > 1.4142135623730951) {
        m *= 0.5;
        ++k;
    }
    // log m = 2 atanh(s), s = (m - 1) / (m + 1), |s| < 0.172.
    const DD s = Div(DD{m - 1.0, 0.0}, TwoSum(m, 1.0)); // m - 1 is exact, m + 1 is not
    const DD s2 = Mul(s, s);
    DD sum = {0.0, 0.0};
    for (int j = 27; j >= 5; j -= 2)
        sum = Add(Mul(sum, s2), DD{1.0 / j, 0.0});
    // The leading terms' reciprocals must be exact: 1/3 gets its own tail.
    sum = Add(Mul(sum, s2), DD{3.33333333333333314830e-01, 1.85037170770859413132e-17});
    sum = Add(Mul(sum, s2), DD{1.0, 0.0});
    const DD logM = Mul(Mul(s, sum), DD{2.0, 0.0});
    return Add(Mul(kLn2, DD{static_cast<double>(k), 0.0}), logM);
}

} // namespace

double DspExp(double x) {
    if (x != x) return x;
    if (x > 709.782712893384) return HUGE_VAL;
    if (x < -745.1332191019412) return 0.0;
    const double ax = x < 0.0 ? -x : x;
    if (ax < 3.7252902984e-09) // 2^-28: exp(x) rounds to 1 + x
        return 1.0 + x;
    int k = 0;
    double hi = x, lo = 0.0;
    if (ax > 0.5 * kLn2Hi) {
        k = Round(x * kInvLn2);
        hi = x - k * kLn2Hi;
        lo = k * kLn2Lo;
    }
    const double r = hi - lo;
    const double t = r * r;
    const double c = r - t * (kP1 + t * (kP2 + t * (kP3 + t * (kP4 + t * kP5))));
    if (k == 0) return 1.0 - ((r * c) / (c - 2.0) - r);
    const double y = 1.0 - ((lo - (r * c) / (2.0 - c)) - hi);
    return Scale(y, k);
}

double DspSin(double x) {
    if (!std::isfinite(x)) return x - x;
    const double ax = x < 0.0 ? -x : x;
    if (ax <= 0.7853981633974483) return ax < 7.450580596923828e-09 ? x : KernelSin(x, 0.0);
    double hi, lo;
    switch (ReducePio2(x, hi, lo)) {
    case 0:
        return KernelSin(hi, lo);
    case 1:
        return KernelCos(hi, lo);
    case 2:
        return -KernelSin(hi, lo);
    default:
        return -KernelCos(hi, lo);
    }
}

double DspCos(double x) {
    if (!std::isfinite(x)) return x - x;
    const double ax = x < 0.0 ? -x : x;
    if (ax <= 0.7853981633974483) return ax < 7.450580596923828e-09 ? 1.0 : KernelCos(x, 0.0);
    double hi, lo;
    switch (ReducePio2(x, hi, lo)) {
    case 0:
        return KernelCos(hi, lo);
    case 1:
        return -KernelSin(hi, lo);
    case 2:
        return -KernelCos(hi, lo);
    default:
        return KernelSin(hi, lo);
    }
}

double DspSinh(double x) {
    if (x != x) return x;
    const double ax = x < 0.0 ? -x : x;
    if (ax < 1.0) {
        // Taylor series: no cancellation near zero; the leading x is added last.
        const double z = x * x;
        const double r =
            kSh3 + z * (kSh5 + z * (kSh7 + z * (kSh9 + z * (kSh11 + z * (kSh13 + z * (kSh15 + z * kSh17))))));
        return x + x * z * r;
    }
    if (ax > 710.4758600739439) return x < 0.0 ? -HUGE_VAL : HUGE_VAL;
    double e;
    if (ax > 709.0) {
        e = DspExp(0.5 * ax); // exp(ax) / 2 without overflow
        e = (0.5 * e) * e;
        return x < 0.0 ? -e : e;
    }
    e = DspExp(ax);
    const double h = 0.5 * (e - 1.0 / e);
    return x < 0.0 ? -h : h;
}

double DspPow(double base, double exponent) {
    if (exponent == 0.0) return 1.0;
    if (base != base || exponent != exponent) return base + exponent;
    if (base == 1.0) return 1.0;
    if (!(base > 0.0) || !std::isfinite(base) || !std::isfinite(exponent))
        return std::pow(base, exponent); // signs, zeros and infinities: exact cases only
    // base^e = exp(e log base), with e log base carried in double-double so that its rounding
    // does not grow with the size of the exponent.
    const DD z = Mul(LogDD(base), DD{exponent, 0.0});
    if (z.hi > 709.782712893384) return HUGE_VAL;
    if (z.hi < -745.1332191019412) return 0.0;
    const double e = DspExp(z.hi);
    return e + e * z.lo;
}

double DspSqrt(double x) {
    return std::sqrt(x);
}

double BesselI0(double x) {
    double sum = 1.0, term = 1.0;
    const double q = 0.25 * x * x;
    for (int k = 1; k < 64; ++k) {
        term *= q / (static_cast<double>(k) * k);
        sum += term;
        if (term < sum * 1e-17) break;
    }
    return sum;
}
