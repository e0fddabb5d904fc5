#include "Fft.h"
#include "FftKernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

namespace {

using Cx = std::complex<double>;
constexpr double kPi = 3.14159265358979323846;

std::vector<double> RandomSignal(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> v(count);
    for (double& x : v)
        x = dist(rng);
    return v;
}

std::vector<Cx> DirectDft(const std::vector<Cx>& x) {
    const int n = static_cast<int>(x.size());
    std::vector<Cx> out(n);
    for (int k = 0; k < n; ++k) {
        Cx sum = 0.0;
        for (int j = 0; j < n; ++j)
            sum += x[j] * std::polar(1.0, -2.0 * kPi * double(k) * j / n);
        out[k] = sum;
    }
    return out;
}

double MaxAbs(const std::vector<Cx>& v) {
    double m = 0.0;
    for (const Cx& c : v)
        m = std::max(m, std::abs(c));
    return m;
}

TEST(Fft, MatchesDirectDftInBitReversedOrder) {
    for (int size : {2, 4, 8, 16, 32, 64, 128, 512, 1024, 2048}) {
        const std::vector<double> raw = RandomSignal(2 * size, size);
        std::vector<Cx> x(size);
        for (int i = 0; i < size; ++i)
            x[i] = Cx(raw[2 * i], raw[2 * i + 1]);
        const std::vector<Cx> expected = DirectDft(x);
        std::vector<double> data = raw;
        FftForward(data.data(), size);
        const double tol = 1e-12 * MaxAbs(expected);
        for (int p = 0; p < size; ++p) {
            const Cx got(data[2 * p], data[2 * p + 1]);
            const Cx want = expected[FftBinAtPosition(p, size)];
            ASSERT_NEAR(got.real(), want.real(), tol) << "size " << size << " position " << p;
            ASSERT_NEAR(got.imag(), want.imag(), tol) << "size " << size << " position " << p;
        }
    }
}

TEST(Fft, PlainAndWideKernelsAgree) {
    for (int size = 8; size <= kFftMaxSize; size *= 2) {
        const std::vector<double> raw = RandomSignal(2 * size, 30 + size);
        std::vector<double> wide = raw, plain = raw;
        FftForward(wide.data(), size);
        AllowWideVectors(false);
        FftForward(plain.data(), size);
        AllowWideVectors(true);
        for (int i = 0; i < 2 * size; ++i)
            ASSERT_NEAR(wide[i], plain[i], 1e-9 * size) << "size " << size;
        FftInverse(wide.data(), size);
        AllowWideVectors(false);
        FftInverse(plain.data(), size);
        AllowWideVectors(true);
        for (int i = 0; i < 2 * size; ++i)
            ASSERT_NEAR(wide[i] / size, raw[i], 1e-12) << "size " << size;
        for (int i = 0; i < 2 * size; ++i)
            ASSERT_NEAR(plain[i] / size, raw[i], 1e-12) << "size " << size;
    }
}

TEST(Fft, ForwardThenInverseScalesBySize) {
    for (int size = kFftMinSize; size <= kFftMaxSize; size *= 2) {
        const std::vector<double> raw = RandomSignal(2 * size, 7 + size);
        std::vector<double> data = raw;
        FftForward(data.data(), size);
        FftInverse(data.data(), size);
        double err = 0.0;
        for (int i = 0; i < 2 * size; ++i)
            err = std::max(err, std::abs(data[i] / size - raw[i]));
        EXPECT_LT(err, 1e-13) << "size " << size;
    }
}

TEST(Fft, UnsupportedSizesLeaveDataUntouched) {
    std::vector<double> data = RandomSignal(2 * 65536, 3);
    const std::vector<double> copy = data;
    FftForward(data.data(), 1);
    FftForward(data.data(), 48);
    FftInverse(data.data(), 65536);
    EXPECT_EQ(data, copy);
}

TEST(RealFft, PackedBinsMatchDirectDft) {
    for (int n : {4, 8, 16, 64, 256, 2048}) {
        std::vector<double> x = RandomSignal(n, 100 + n);
        std::vector<Cx> cx(x.begin(), x.end());
        const std::vector<Cx> expected = DirectDft(cx);
        std::vector<double> re(n / 2), im(n / 2);
        std::vector<double> scratch = x;
        RealFftForward(scratch.data(), re.data(), im.data(), n);
        const double tol = 1e-12 * MaxAbs(expected);
        // The packed bins carry twice the DFT value.
        EXPECT_NEAR(re[0], 2.0 * expected[0].real(), tol);
        EXPECT_NEAR(im[0], 2.0 * expected[n / 2].real(), tol);
        for (int p = 1; p < n / 2; ++p) {
            const Cx want = 2.0 * expected[FftBinAtPosition(p, n / 2)];
            ASSERT_NEAR(re[p], want.real(), tol) << "n " << n << " position " << p;
            ASSERT_NEAR(im[p], want.imag(), tol) << "n " << n << " position " << p;
        }
    }
}

// Multiplying packed spectra and transforming back gives the circular convolution.
TEST(RealFft, PackedProductIsCircularConvolution) {
    for (int n : {4, 32, 1024, kRealFftMaxSize}) {
        const std::vector<double> a = RandomSignal(n, 1), b = RandomSignal(n, 2);
        std::vector<double> ar(n / 2), ai(n / 2), br(n / 2), bi(n / 2);
        std::vector<double> s = a;
        RealFftForward(s.data(), ar.data(), ai.data(), n);
        s = b;
        RealFftForward(s.data(), br.data(), bi.data(), n);
        std::vector<double> yr(n / 2), yi(n / 2);
        yr[0] = ar[0] * br[0];
        yi[0] = ai[0] * bi[0];
        for (int p = 1; p < n / 2; ++p) {
            yr[p] = ar[p] * br[p] - ai[p] * bi[p];
            yi[p] = ar[p] * bi[p] + ai[p] * br[p];
        }
        std::vector<double> y(n);
        RealFftInverse(yr.data(), yi.data(), y.data(), n);
        // Each packed spectrum carries a factor 2 and the inverse a factor n: 4 n in all.
        const int checks = n > 4096 ? 64 : n;
        for (int t = 0; t < checks; ++t) {
            const int i = (t * 7919) % n;
            double want = 0.0;
            for (int j = 0; j < n; ++j)
                want += a[j] * b[(i - j + n) % n];
            ASSERT_NEAR(y[i] / (4.0 * n), want, 1e-9 * std::sqrt(double(n))) << "n " << n << " i " << i;
        }
    }
}

TEST(RealFft, RoundTripWithZeroUpperHalf) {
    for (int n = kRealFftMinSize; n <= kRealFftMaxSize; n *= 2) {
        std::vector<double> x = RandomSignal(n, 11 + n);
        std::fill(x.begin() + n / 2, x.end(), 0.0);
        std::vector<double> re(n / 2), im(n / 2), full(n / 2), fullIm(n / 2);
        std::vector<double> s = x;
        RealFftForward(s.data(), re.data(), im.data(), n, true);
        s = x;
        RealFftForward(s.data(), full.data(), fullIm.data(), n, false);
        for (int p = 0; p < n / 2; ++p) {
            ASSERT_NEAR(re[p], full[p], 1e-9);
            ASSERT_NEAR(im[p], fullIm[p], 1e-9);
        }
        RealFftInverse(re.data(), im.data(), s.data(), n);
        double err = 0.0;
        for (int i = 0; i < n; ++i)
            err = std::max(err, std::abs(s[i] / (2.0 * n) - x[i]));
        EXPECT_LT(err, 1e-13) << "n " << n;
    }
}

} // namespace
