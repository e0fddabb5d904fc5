#include "Fft.h"

#include "FftKernels.h"

#include <algorithm>
#include <cmath>
#include <emmintrin.h>
#include <vector>

// Radix-4 decimation in frequency (forward) and its exact mirror in time (inverse), with one
// radix-2 pass at the small end when log2(size) is odd. Each radix-4 pass is two radix-2 passes
// fused, so the output lands in plain bit-reversed order.

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxLog2 = 15;

struct FftTables {
    // Per span N (index log2 N, N >= 8): for k in 0..N/4-1 the twiddles W^k, W^2k, W^3k of
    // W = exp(-2 pi i / N), each as (wr, wr, -wi, wi) for the two-multiply complex product.
    std::vector<double> radix4[kMaxLog2 + 1];
    // The same twiddles for the wide kernels: per pair of butterflies k, k+1, for j = 1..3 the
    // real parts (wr_k, wr_k, wr_k+1, wr_k+1) then the imaginary parts likewise.
    std::vector<double> radix4Wide[kMaxLog2 + 1];
    // Per complex size m (index log2 m): m cosines then m sines of -2 pi BitReverse(p) / (2 m) for
    // position p, used to split and join the packed real transform.
    std::vector<double> realSplit[kMaxLog2 + 1];

    FftTables() {
        for (int lg = 3; lg <= kMaxLog2; ++lg) {
            const int n = 1 << lg;
            std::vector<double>& t = radix4[lg];
            t.resize(static_cast<size_t>(n / 4) * 12);
            for (int k = 0; k < n / 4; ++k) {
                for (int j = 1; j <= 3; ++j) {
                    const double a = -2.0 * kPi * j * k / n;
                    double* w = &t[static_cast<size_t>(k) * 12 + (j - 1) * 4];
                    w[0] = w[1] = std::cos(a);
                    w[2] = -std::sin(a);
                    w[3] = std::sin(a);
                }
            }
            if (!WideVectorsAvailable()) continue;
            std::vector<double>& v = radix4Wide[lg];
            v.resize(static_cast<size_t>(n / 8) * 24);
            for (int k = 0; k < n / 4; ++k) {
                for (int j = 1; j <= 3; ++j) {
                    const double a = -2.0 * kPi * j * k / n;
                    double* w = &v[static_cast<size_t>(k / 2) * 24 + (j - 1) * 8 + 2 * (k % 2)];
                    w[0] = w[1] = std::cos(a);
                    w[4] = w[5] = std::sin(a);
                }
            }
        }
        for (int lg = 1; lg <= kMaxLog2; ++lg) {
            const int m = 1 << lg;
            std::vector<double>& t = realSplit[lg];
            t.resize(static_cast<size_t>(m) * 2);
            for (int p = 0; p < m; ++p) {
                const double a = -2.0 * kPi * FftBinAtPosition(p, m) / (2.0 * m);
                t[p] = std::cos(a);
                t[m + p] = std::sin(a);
            }
        }
    }
};

const FftTables& Tables() {
    // Function-local statics are initialised once, also when threads race for them.
    static const FftTables tables;
    return tables;
}

int Log2OfSize(int size, int minSize, int maxSize) {
    if (size < minSize || size > maxSize || (size & (size - 1)) != 0) return -1;
    int lg = 0;
    while ((1 << lg) < size)
        ++lg;
    return lg;
}

inline __m128d Swap(__m128d a) {
    return _mm_shuffle_pd(a, a, 1);
}

// a * w with w stored as (wr, wr, -wi, wi).
inline __m128d Mul(__m128d a, const double* w) {
    return _mm_add_pd(_mm_mul_pd(a, _mm_loadu_pd(w)), _mm_mul_pd(Swap(a), _mm_loadu_pd(w + 2)));
}

// a * conj(w).
inline __m128d MulConj(__m128d a, const double* w) {
    return _mm_sub_pd(_mm_mul_pd(a, _mm_loadu_pd(w)), _mm_mul_pd(Swap(a), _mm_loadu_pd(w + 2)));
}

// a * -i = (ai, -ar) and a * i = (-ai, ar).
inline __m128d MulMinusI(__m128d a) {
    return _mm_xor_pd(Swap(a), _mm_set_pd(-0.0, 0.0));
}
inline __m128d MulPlusI(__m128d a) {
    return _mm_xor_pd(Swap(a), _mm_set_pd(0.0, -0.0));
}

inline __m128d Conj(__m128d a) {
    return _mm_xor_pd(a, _mm_set_pd(-0.0, 0.0));
}

void ForwardRadix4(double* data, int size, int span, const double* tw, bool upperHalfZero, int kBegin,
                   int kEnd) {
    const int q = span / 4;
    tw += static_cast<size_t>(kBegin) * 12;
    for (int base = 0; base < size; base += span) {
        double* x0 = data + 2 * base;
        double* x1 = x0 + 2 * q;
        double* x2 = x1 + 2 * q;
        double* x3 = x2 + 2 * q;
        const double* w = tw;
        if (upperHalfZero) {
            for (int k = kBegin; k < kEnd; ++k, w += 12) {
                const __m128d a0 = _mm_loadu_pd(x0 + 2 * k);
                const __m128d a1 = _mm_loadu_pd(x1 + 2 * k);
                const __m128d ja1 = MulMinusI(a1);
                _mm_storeu_pd(x0 + 2 * k, _mm_add_pd(a0, a1));
                _mm_storeu_pd(x1 + 2 * k, Mul(_mm_sub_pd(a0, a1), w + 4));
                _mm_storeu_pd(x2 + 2 * k, Mul(_mm_add_pd(a0, ja1), w));
                _mm_storeu_pd(x3 + 2 * k, Mul(_mm_sub_pd(a0, ja1), w + 8));
            }
            continue;
        }
        for (int k = kBegin; k < kEnd; ++k, w += 12) {
            const __m128d a0 = _mm_loadu_pd(x0 + 2 * k);
            const __m128d a1 = _mm_loadu_pd(x1 + 2 * k);
            const __m128d a2 = _mm_loadu_pd(x2 + 2 * k);
            const __m128d a3 = _mm_loadu_pd(x3 + 2 * k);
            const __m128d s = _mm_add_pd(a0, a2);
            const __m128d p = _mm_sub_pd(a0, a2);
            const __m128d u = _mm_add_pd(a1, a3);
            const __m128d jd = MulMinusI(_mm_sub_pd(a1, a3));
            _mm_storeu_pd(x0 + 2 * k, _mm_add_pd(s, u));
            _mm_storeu_pd(x1 + 2 * k, Mul(_mm_sub_pd(s, u), w + 4));
            _mm_storeu_pd(x2 + 2 * k, Mul(_mm_add_pd(p, jd), w));
            _mm_storeu_pd(x3 + 2 * k, Mul(_mm_sub_pd(p, jd), w + 8));
        }
    }
}

void InverseRadix4(double* data, int size, int span, const double* tw, int kBegin, int kEnd) {
    const int q = span / 4;
    tw += static_cast<size_t>(kBegin) * 12;
    for (int base = 0; base < size; base += span) {
        double* x0 = data + 2 * base;
        double* x1 = x0 + 2 * q;
        double* x2 = x1 + 2 * q;
        double* x3 = x2 + 2 * q;
        const double* w = tw;
        for (int k = kBegin; k < kEnd; ++k, w += 12) {
            const __m128d c0 = _mm_loadu_pd(x0 + 2 * k);
            const __m128d t1 = MulConj(_mm_loadu_pd(x1 + 2 * k), w + 4);
            const __m128d t2 = MulConj(_mm_loadu_pd(x2 + 2 * k), w);
            const __m128d t3 = MulConj(_mm_loadu_pd(x3 + 2 * k), w + 8);
            const __m128d s = _mm_add_pd(c0, t1);
            const __m128d d = _mm_sub_pd(c0, t1);
            const __m128d e = _mm_add_pd(t2, t3);
            const __m128d jf = MulPlusI(_mm_sub_pd(t2, t3));
            _mm_storeu_pd(x0 + 2 * k, _mm_add_pd(s, e));
            _mm_storeu_pd(x2 + 2 * k, _mm_sub_pd(s, e));
            _mm_storeu_pd(x1 + 2 * k, _mm_add_pd(d, jf));
            _mm_storeu_pd(x3 + 2 * k, _mm_sub_pd(d, jf));
        }
    }
}

// The span-4 radix-4 pass has only unit twiddles; the same butterfly serves both directions
// except for the sign of the i rotation.
template <bool kForward> void Radix4Span4(double* data, int size) {
    for (int base = 0; base < size; base += 4) {
        double* x = data + 2 * base;
        const __m128d a0 = _mm_loadu_pd(x);
        const __m128d a1 = _mm_loadu_pd(x + 2);
        const __m128d a2 = _mm_loadu_pd(x + 4);
        const __m128d a3 = _mm_loadu_pd(x + 6);
        if (kForward) {
            const __m128d s = _mm_add_pd(a0, a2);
            const __m128d p = _mm_sub_pd(a0, a2);
            const __m128d u = _mm_add_pd(a1, a3);
            const __m128d jd = MulMinusI(_mm_sub_pd(a1, a3));
            _mm_storeu_pd(x, _mm_add_pd(s, u));
            _mm_storeu_pd(x + 2, _mm_sub_pd(s, u));
            _mm_storeu_pd(x + 4, _mm_add_pd(p, jd));
            _mm_storeu_pd(x + 6, _mm_sub_pd(p, jd));
        } else {
            const __m128d s = _mm_add_pd(a0, a1);
            const __m128d d = _mm_sub_pd(a0, a1);
            const __m128d e = _mm_add_pd(a2, a3);
            const __m128d jf = MulPlusI(_mm_sub_pd(a2, a3));
            _mm_storeu_pd(x, _mm_add_pd(s, e));
            _mm_storeu_pd(x + 4, _mm_sub_pd(s, e));
            _mm_storeu_pd(x + 2, _mm_add_pd(d, jf));
            _mm_storeu_pd(x + 6, _mm_sub_pd(d, jf));
        }
    }
}

void Radix2Span2(double* data, int size) {
    for (int base = 0; base < size; base += 2) {
        double* x = data + 2 * base;
        const __m128d a0 = _mm_loadu_pd(x);
        const __m128d a1 = _mm_loadu_pd(x + 2);
        _mm_storeu_pd(x, _mm_add_pd(a0, a1));
        _mm_storeu_pd(x + 2, _mm_sub_pd(a0, a1));
    }
}

// Both directions run PassCount(lg) passes: radix-4 passes for spans 2^lg, 2^(lg-2), ... down
// to 8, then one pass of span 4 or 2. The inverse runs the same spans from the small end up.
int PassCount(int lg) {
    int count = 1;
    for (int spanLog = lg; spanLog >= 3; spanLog -= 2)
        ++count;
    return count;
}

// Butterflies per span of a pass: a quarter of the span for radix-4 passes, one for the last
// pass of span 4 or 2.
int ForwardPassButterflies(int lg, int pass) {
    const int spanLog = lg - 2 * pass;
    return spanLog >= 3 ? 1 << (spanLog - 2) : 1;
}

int InversePassButterflies(int lg, int pass) {
    const int spanLog = (lg % 2 == 0 ? 2 : 1) + 2 * pass;
    return spanLog >= 3 ? 1 << (spanLog - 2) : 1;
}

// Runs the butterflies [kBegin, kEnd) of every span of the pass; the passes of span 4 and 2 have
// the one butterfly 0.
void ForwardPass(double* data, int lg, int pass, bool upperHalfZero, int kBegin, int kEnd) {
    if (kBegin >= kEnd) return;
    const FftTables& t = Tables();
    const int size = 1 << lg;
    const int spanLog = lg - 2 * pass;
    if (spanLog >= 3) {
        const int span = 1 << spanLog;
        const bool zero = upperHalfZero && pass == 0;
        if (UseWideVectors())
            ForwardRadix4Wide(data, size, span, t.radix4Wide[spanLog].data(), zero, kBegin, kEnd);
        else
            ForwardRadix4(data, size, span, t.radix4[spanLog].data(), zero, kBegin, kEnd);
    } else if (spanLog == 2) {
        Radix4Span4<true>(data, size);
    } else {
        Radix2Span2(data, size);
    }
}

void ForwardPass(double* data, int lg, int pass, bool upperHalfZero) {
    ForwardPass(data, lg, pass, upperHalfZero, 0, ForwardPassButterflies(lg, pass));
}

void InversePass(double* data, int lg, int pass, int kBegin, int kEnd) {
    if (kBegin >= kEnd) return;
    const FftTables& t = Tables();
    const int size = 1 << lg;
    const int spanLog = (lg % 2 == 0 ? 2 : 1) + 2 * pass;
    if (pass == 0) {
        if (spanLog == 2)
            Radix4Span4<false>(data, size);
        else
            Radix2Span2(data, size);
    } else if (UseWideVectors()) {
        InverseRadix4Wide(data, size, 1 << spanLog, t.radix4Wide[spanLog].data(), kBegin, kEnd);
    } else {
        InverseRadix4(data, size, 1 << spanLog, t.radix4[spanLog].data(), kBegin, kEnd);
    }
}

void InversePass(double* data, int lg, int pass) {
    InversePass(data, lg, pass, 0, InversePassButterflies(lg, pass));
}

// Part `part` of `parts` of a pass: an even share of its spans, or of every span's butterflies
// (in even runs) when it has fewer spans than parts. The butterflies of a pass are independent,
// so the parts in any order give exactly the whole pass.
struct PassShare {
    int base, count, kBegin, kEnd;
};

PassShare SharePass(int lg, int spanLog, int part, int parts) {
    const int size = 1 << lg;
    const int spans = size >> spanLog;
    const int q = spanLog >= 3 ? 1 << (spanLog - 2) : 1;
    if (spans >= parts) {
        const int b = static_cast<int>(static_cast<long long>(spans) * part / parts);
        const int e = static_cast<int>(static_cast<long long>(spans) * (part + 1) / parts);
        return {b << spanLog, (e - b) << spanLog, 0, q};
    }
    if (q < 2) return {0, part == 0 ? size : 0, 0, q};
    const int kBegin = (q * part / parts) & ~1;
    const int kEnd = part + 1 == parts ? q : (q * (part + 1) / parts) & ~1;
    return {0, size, kBegin, kEnd};
}

void ForwardPassPart(double* data, int lg, int pass, bool upperHalfZero, int part, int parts) {
    const FftTables& t = Tables();
    const int spanLog = lg - 2 * pass;
    const PassShare s = SharePass(lg, spanLog, part, parts);
    if (s.count <= 0 || s.kBegin >= s.kEnd) return;
    double* d = data + 2 * static_cast<size_t>(s.base);
    if (spanLog >= 3) {
        const int span = 1 << spanLog;
        const bool zero = upperHalfZero && pass == 0;
        if (UseWideVectors())
            ForwardRadix4Wide(d, s.count, span, t.radix4Wide[spanLog].data(), zero, s.kBegin, s.kEnd);
        else
            ForwardRadix4(d, s.count, span, t.radix4[spanLog].data(), zero, s.kBegin, s.kEnd);
    } else if (spanLog == 2) {
        Radix4Span4<true>(d, s.count);
    } else {
        Radix2Span2(d, s.count);
    }
}

void InversePassPart(double* data, int lg, int pass, int part, int parts) {
    const FftTables& t = Tables();
    const int spanLog = (lg % 2 == 0 ? 2 : 1) + 2 * pass;
    const PassShare s = SharePass(lg, spanLog, part, parts);
    if (s.count <= 0 || s.kBegin >= s.kEnd) return;
    double* d = data + 2 * static_cast<size_t>(s.base);
    if (pass == 0) {
        if (spanLog == 2)
            Radix4Span4<false>(d, s.count);
        else
            Radix2Span2(d, s.count);
    } else if (UseWideVectors()) {
        InverseRadix4Wide(d, s.count, 1 << spanLog, t.radix4Wide[spanLog].data(), s.kBegin, s.kEnd);
    } else {
        InverseRadix4(d, s.count, 1 << spanLog, t.radix4[spanLog].data(), s.kBegin, s.kEnd);
    }
}

void Forward(double* data, int lg, bool upperHalfZero) {
    const int passes = PassCount(lg);
    for (int pass = 0; pass < passes; ++pass)
        ForwardPass(data, lg, pass, upperHalfZero);
}

void Inverse(double* data, int lg) {
    const int passes = PassCount(lg);
    for (int pass = 0; pass < passes; ++pass)
        InversePass(data, lg, pass);
}

bool gWideAllowed = true;

} // namespace

bool UseWideVectors() {
    static const bool available = WideVectorsAvailable();
    return available && gWideAllowed;
}

void AllowWideVectors(bool allowed) {
    gWideAllowed = allowed;
}

void InitFftTables() {
    Tables();
}

int FftBinAtPosition(int position, int size) {
    int bin = 0;
    for (int bit = 1; bit < size; bit <<= 1) {
        bin <<= 1;
        if (position & bit) bin |= 1;
    }
    return bin;
}

void FftForward(double* data, int size) {
    const int lg = Log2OfSize(size, kFftMinSize, kFftMaxSize);
    if (lg < 0) return;
    InitFftTables();
    Forward(data, lg, false);
}

void FftInverse(double* data, int size) {
    const int lg = Log2OfSize(size, kFftMinSize, kFftMaxSize);
    if (lg < 0) return;
    InitFftTables();
    Inverse(data, lg);
}

// The n reals are read as n/2 complex values z[j] = x[2j] + i x[2j+1]. With Z = FFT(z), bin k of
// the real transform is E + W^k O, where E = Z[k] + conj(Z[m-k]) and O = -i (Z[k] - conj(Z[m-k])).
// In bit-reversed order, the partner m-k of the bin at position p (p in [2^j, 2^(j+1))) sits at
// 3 * 2^j - 1 - p, so each pair is split and joined in one step.
namespace {

// The pairs of positions p and partner past position 3 are counted in order of p: the block
// [lo, 2 lo) holds the pairs lo / 2 - 2 .. lo - 3. SplitReal and JoinReal run the pairs
// [first, last) (even bounds) and, with the first of them, positions 0 to 3: every pair reads
// and writes only its own values, so parts of the step give exactly the whole step.
int RealPairs(int lg) {
    return lg >= 2 ? (1 << lg) / 2 - 2 : 0;
}

// The last step of the forward real transform: the complex spectrum z of m = 2^lg points split
// into the packed real spectrum.
void SplitReal(const double* z, double* re, double* im, int lg, int first, int last) {
    const int m = 1 << lg;
    if (first == 0) {
        re[0] = 2.0 * (z[0] + z[1]);
        im[0] = 2.0 * (z[0] - z[1]);
        re[1] = 2.0 * z[2];
        im[1] = -2.0 * z[3];
        if (m < 4) return;
    }
    const double* wr = Tables().realSplit[lg].data();
    const double* wi = wr + m;
    if (first == 0) {
        // The block [2, 4) holds the single pair (2, 3).
        const double ar = z[4], ai = z[5], br = z[6], bi = z[7];
        const double er = ar + br, ei = ai - bi, orr = ai + bi, oi = br - ar;
        const double tr = wr[2] * orr - wi[2] * oi, ti = wr[2] * oi + wi[2] * orr;
        re[2] = er + tr;
        im[2] = ei + ti;
        re[3] = er - tr;
        im[3] = ti - ei;
    }
    // Two pairs at a time: positions p, p+1 against their partners q, q-1.
    for (int lo = 4; lo < m; lo *= 2) {
        const int base = lo / 2 - 2;
        const int begin = std::max(first, base) - base, end = std::min(last, base + lo / 2) - base;
        for (int p = lo + begin, q = 2 * lo - 1 - begin; p < lo + end; p += 2, q -= 2) {
            const __m128d a0 = _mm_loadu_pd(z + 2 * p), a1 = _mm_loadu_pd(z + 2 * p + 2);
            const __m128d b0 = _mm_loadu_pd(z + 2 * q), b1 = _mm_loadu_pd(z + 2 * q - 2);
            const __m128d ar = _mm_unpacklo_pd(a0, a1), ai = _mm_unpackhi_pd(a0, a1);
            const __m128d br = _mm_unpacklo_pd(b0, b1), bi = _mm_unpackhi_pd(b0, b1);
            const __m128d er = _mm_add_pd(ar, br), ei = _mm_sub_pd(ai, bi);
            // O = -i * (A - conj(B))
            const __m128d orr = _mm_add_pd(ai, bi), oi = _mm_sub_pd(br, ar);
            const __m128d cr = _mm_loadu_pd(wr + p), ci = _mm_loadu_pd(wi + p);
            const __m128d tr = _mm_sub_pd(_mm_mul_pd(cr, orr), _mm_mul_pd(ci, oi));
            const __m128d ti = _mm_add_pd(_mm_mul_pd(cr, oi), _mm_mul_pd(ci, orr));
            _mm_storeu_pd(re + p, _mm_add_pd(er, tr));
            _mm_storeu_pd(im + p, _mm_add_pd(ei, ti));
            _mm_storeu_pd(re + q - 1, Swap(_mm_sub_pd(er, tr)));
            _mm_storeu_pd(im + q - 1, Swap(_mm_sub_pd(ti, ei)));
        }
    }
}

// The first step of the inverse real transform: the packed real spectrum joined into the complex
// spectrum z of m = 2^lg points.
void JoinReal(const double* re, const double* im, double* z, int lg, int first, int last) {
    const int m = 1 << lg;
    const double* wr = Tables().realSplit[lg].data();
    const double* wi = wr + m;
    if (first == 0) {
        z[0] = re[0] + im[0];
        z[1] = re[0] - im[0];
        z[2] = 2.0 * re[1];
        z[3] = -2.0 * im[1];
    }
    if (first == 0 && m >= 4) {
        const double pr = re[2], pi = im[2], qr = re[3], qi = im[3];
        const double er = pr + qr, ei = pi - qi, dr = pr - qr, di = pi + qi;
        const double orr = wr[2] * dr + wi[2] * di, oi = wr[2] * di - wi[2] * dr;
        z[4] = er - oi;
        z[5] = ei + orr;
        z[6] = er + oi;
        z[7] = orr - ei;
    }
    for (int lo = 4; lo < m; lo *= 2) {
        const int base = lo / 2 - 2;
        const int begin = std::max(first, base) - base, end = std::min(last, base + lo / 2) - base;
        for (int p = lo + begin, q = 2 * lo - 1 - begin; p < lo + end; p += 2, q -= 2) {
            const __m128d pr = _mm_loadu_pd(re + p), pi = _mm_loadu_pd(im + p);
            const __m128d qr = Swap(_mm_loadu_pd(re + q - 1)), qi = Swap(_mm_loadu_pd(im + q - 1));
            // E = P + conj(Q), O = conj(W) (P - conj(Q))
            const __m128d er = _mm_add_pd(pr, qr), ei = _mm_sub_pd(pi, qi);
            const __m128d dr = _mm_sub_pd(pr, qr), di = _mm_add_pd(pi, qi);
            const __m128d cr = _mm_loadu_pd(wr + p), ci = _mm_loadu_pd(wi + p);
            const __m128d orr = _mm_add_pd(_mm_mul_pd(cr, dr), _mm_mul_pd(ci, di));
            const __m128d oi = _mm_sub_pd(_mm_mul_pd(cr, di), _mm_mul_pd(ci, dr));
            // A = E + i O, B = conj(E - i O)
            const __m128d ar = _mm_sub_pd(er, oi), ai = _mm_add_pd(ei, orr);
            const __m128d br = _mm_add_pd(er, oi), bi = _mm_sub_pd(orr, ei);
            _mm_storeu_pd(z + 2 * p, _mm_unpacklo_pd(ar, ai));
            _mm_storeu_pd(z + 2 * p + 2, _mm_unpackhi_pd(ar, ai));
            _mm_storeu_pd(z + 2 * q, _mm_unpacklo_pd(br, bi));
            _mm_storeu_pd(z + 2 * q - 2, _mm_unpackhi_pd(br, bi));
        }
    }
}

void SplitReal(const double* z, double* re, double* im, int lg) {
    SplitReal(z, re, im, lg, 0, RealPairs(lg));
}

void JoinReal(const double* re, const double* im, double* z, int lg) {
    JoinReal(re, im, z, lg, 0, RealPairs(lg));
}

int RealLog2(int n) {
    return Log2OfSize(n, kRealFftMinSize, kRealFftMaxSize) - 1;
}

} // namespace

void RealFftForward(double* samples, double* re, double* im, int n, bool upperHalfZero) {
    const int lg = RealLog2(n);
    if (lg < 0) return;
    InitFftTables();
    Forward(samples, lg, upperHalfZero && n / 2 >= 4);
    SplitReal(samples, re, im, lg);
}

void RealFftInverse(const double* re, const double* im, double* samples, int n) {
    const int lg = RealLog2(n);
    if (lg < 0) return;
    InitFftTables();
    JoinReal(re, im, samples, lg);
    Inverse(samples, lg);
}

int RealFftStepCount(int n) {
    const int lg = RealLog2(n);
    return lg < 0 ? 0 : PassCount(lg) + 1;
}

void RealFftForwardStep(double* samples, double* re, double* im, int n, int step, bool upperHalfZero) {
    const int lg = RealLog2(n);
    if (lg < 0 || step < 0 || step > PassCount(lg)) return;
    InitFftTables();
    if (step < PassCount(lg))
        ForwardPass(samples, lg, step, upperHalfZero && n / 2 >= 4);
    else
        SplitReal(samples, re, im, lg);
}

void RealFftInverseStep(const double* re, const double* im, double* samples, int n, int step) {
    const int lg = RealLog2(n);
    if (lg < 0 || step < 0 || step > PassCount(lg)) return;
    InitFftTables();
    if (step == 0)
        JoinReal(re, im, samples, lg);
    else
        InversePass(samples, lg, step - 1);
}

// An even share of the pairs of a split or join step.
void SharePairs(int lg, int part, int parts, int& first, int& last) {
    const int pairs = RealPairs(lg);
    first = part == 0 ? 0 : static_cast<int>(static_cast<long long>(pairs) * part / parts) & ~1;
    last =
        part + 1 == parts ? pairs : static_cast<int>(static_cast<long long>(pairs) * (part + 1) / parts) & ~1;
}

void RealFftForwardStepPart(double* samples, double* re, double* im, int n, int step, int part, int parts,
                            bool upperHalfZero) {
    const int lg = RealLog2(n);
    if (lg < 0 || step < 0 || step > PassCount(lg) || parts < 1 || part < 0 || part >= parts) return;
    InitFftTables();
    if (step < PassCount(lg)) {
        ForwardPassPart(samples, lg, step, upperHalfZero && n / 2 >= 4, part, parts);
    } else {
        int first, last;
        SharePairs(lg, part, parts, first, last);
        if (part == 0 || first < last) SplitReal(samples, re, im, lg, first, last);
    }
}

void RealFftInverseStepPart(const double* re, const double* im, double* samples, int n, int step, int part,
                            int parts) {
    const int lg = RealLog2(n);
    if (lg < 0 || step < 0 || step > PassCount(lg) || parts < 1 || part < 0 || part >= parts) return;
    InitFftTables();
    if (step == 0) {
        int first, last;
        SharePairs(lg, part, parts, first, last);
        if (part == 0 || first < last) JoinReal(re, im, samples, lg, first, last);
    } else {
        InversePassPart(samples, lg, step - 1, part, parts);
    }
}

void RealFftForwardFront::Reset(int size) {
    n = size;
    lg = RealLog2(size);
    passes = lg >= 3 ? PassCount(lg) : 0;
    for (int& d : done)
        d = 0;
}

void RealFftForwardFront::Advance(double* samples, int ready) {
    if (passes == 0) return;
    InitFftTables();
    // Complex points in place; the first pass (upper half zero) reads points k and k + q.
    const int points = std::min(ready, n / 2) / 2;
    for (int pass = 0; pass < passes; ++pass) {
        const int q = ForwardPassButterflies(lg, pass);
        const int spanLog = lg - 2 * pass;
        // A butterfly k reads positions k + j q of its span, which the previous pass wrote with
        // its butterflies k + j q.
        int avail = pass == 0 ? points - q : done[pass - 1] - (spanLog == 1 ? 1 : 3) * q;
        avail = std::max(0, std::min(avail, q));
        if (avail < q) avail &= ~1;
        if (avail > done[pass]) {
            ForwardPass(samples, lg, pass, true, done[pass], avail);
            done[pass] = avail;
        }
        if (done[pass] == 0) break;
    }
}

void RealFftForwardFront::Finish(double* samples, double* re, double* im) {
    if (passes == 0) {
        RealFftForward(samples, re, im, n, true);
        return;
    }
    Advance(samples, n / 2);
    SplitReal(samples, re, im, lg);
}

void RealFftInverseFront::Start(const double* re, const double* im, double* samples, int size) {
    n = size;
    lg = RealLog2(size);
    passes = lg >= 3 ? PassCount(lg) : 0;
    for (int& d : done)
        d = 0;
    if (lg < 0) return;
    InitFftTables();
    if (passes == 0) {
        RealFftInverse(re, im, samples, n);
        return;
    }
    lastButterflies = InversePassButterflies(lg, passes - 1);
    JoinReal(re, im, samples, lg);
}

int RealFftInverseFront::Advance(double* samples, int needed) {
    if (passes == 0) return n;
    InitFftTables();
    // Complex points needed, in runs of 16 so that small requests do not each pay the
    // bookkeeping; the last pass's butterfly k writes points k + j q.
    int points = std::min((std::max(0, needed) + 1) / 2, n / 2);
    points = (points + 15) & ~15;
    int need[kMaxPasses];
    need[passes - 1] = std::min(points, lastButterflies);
    // Each butterfly k of a pass reads what butterfly k mod q of the pass before wrote.
    for (int pass = passes - 2; pass >= 0; --pass)
        need[pass] = std::min(InversePassButterflies(lg, pass), need[pass + 1]);
    for (int pass = 0; pass < passes; ++pass) {
        if (need[pass] > done[pass]) {
            InversePass(samples, lg, pass, done[pass], need[pass]);
            done[pass] = need[pass];
        }
    }
    const int last = done[passes - 1];
    return last >= lastButterflies ? n : 2 * last;
}
