#include "AdaaStages.h"
#include "DspBank.h"
#include "Waveshapers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

// Composite Simpson of g over 0..1.
double Simpson(const std::function<double(double)>& g, int n) {
    const double h = 1.0 / n;
    double sum = g(0.0) + g(1.0);
    for (int i = 1; i < n; ++i)
        sum += g(i * h) * (i % 2 ? 4.0 : 2.0);
    return sum * h / 3.0;
}

// First-order ADAA is the mean of the curve along the straight line from a to b.
double LineMean(const std::function<double(double)>& f, double a, double b) {
    return Simpson([&](double s) { return f(a + s * (b - a)); }, 20000);
}

// Second-order ADAA is twice the second divided difference of F2, i.e. (Hermite-Genocchi) the
// mean of the curve under the linear B-spline with knots p, q, r.
double HatMean(const std::function<double(double)>& f, double p, double q, double r) {
    double k[3] = {p, q, r};
    std::sort(k, k + 3);
    const double a = k[0], b = k[1], c = k[2];
    if (c == a) return f(a);
    const double rise = Simpson([&](double s) { return 2.0 * s * f(a + s * (b - a)); }, 20000);
    const double fall = Simpson([&](double s) { return 2.0 * s * f(c - s * (c - b)); }, 20000);
    return ((b - a) * rise + (c - b) * fall) / (c - a);
}

enum Kind { kSoft, kAsym, kCreamer };
struct Curve {
    const char* name;
    Kind kind;
    double level; // SoftClip's level or AsymClip's ceiling (the creamer's is fixed)
    double drive;
};

// One curve's first- and second-order stages behind one interface.
struct Stages {
    SoftClipAdaa1 soft1;
    SoftClipAdaa2 soft2;
    AsymClipAdaa1 asym1;
    AsymClipAdaa2 asym2;
    CreamerClipAdaa1 creamer1;
    CreamerClipAdaa2 creamer2;
    double Process(const Curve& c, int order, double x) {
        switch (c.kind) {
        case kSoft:
            return order == 1 ? soft1.Process(x, c.level, c.drive) : soft2.Process(x, c.level, c.drive);
        case kAsym:
            return order == 1 ? asym1.Process(x, c.level, c.drive) : asym2.Process(x, c.level, c.drive);
        default:
            return order == 1 ? creamer1.Process(x, c.drive) : creamer2.Process(x, c.drive);
        }
    }
    void Reset() { *this = Stages{}; }
};

} // namespace

// For each curve and drive: the shapes equal the plain curves; the antiderivatives equal the
// numerical integrals of the plain curve; the stages' outputs equal the line and hat means of the
// plain curve over a table of input runs (inside the bend, across the corners at 0.2, 0, -0.5 and
// the creamer's knee, far out in the flat tails, big swings, and successive inputs closer than the
// tolerances, where the midpoint fallbacks answer); the block form and Reset agree with the
// per-sample form. The creamer's curve is its two clips in series.
TEST(AdaaShapers, StagesAverageThePlainCurvesAsTheirAntiderivativesSay) {
    const Curve curves[] = {
        {"SoftClip", kSoft, 1.0, 1.0},       {"SoftClip", kSoft, 0.5, 7.0},
        {"AsymClip", kAsym, 0.3, 1.0},       {"AsymClip", kAsym, 0.3, 40.0},
        {"CreamerClip", kCreamer, 0.5, 1.0}, {"CreamerClip", kCreamer, 0.5, 2000.0},
    };
    const double knee = CreamerClipShape::kKnee;
    // Runs of the scaled input d = drive * x; the stages are fed x = d / drive.
    const double runs[][3] = {
        {0.05, 0.1, 0.15},
        {0.15, 0.25, 0.35},
        {0.3, 0.5, 0.9},
        {1000.0, 1000.0001, 1000.0003},
        {-50.0, 50.0, -50.0},
        {-0.7, 0.7, 0.1},
        {0.19, 0.21, 0.19},
        {0.3, 0.1, 0.3},
        {-0.3, 0.3, -0.3 + 1e-8},
        {-0.6, -0.4, -0.2},
        {-0.45, -0.55, -0.52},
        {0.1, 0.1 + 1e-9, 0.1 + 2e-9},
        {0.2 - 1e-9, 0.2 + 1e-9, 0.2 - 1e-9},
        {-0.5 - 3e-7, -0.5 + 3e-7, -0.5},
        {0.0, 1e-9, -1e-9},
        {-0.2 - 4e-6, -0.2 + 4e-6, -0.2},
        {1e-7, -1e-7, 3e-7},
        {0.004, -0.004, 0.003},
        {0.195, 0.205, 0.199},
        {0.01, 0.02, 0.03},
        {0.04, knee, 0.05},
        {knee - 1e-9, knee + 1e-9, knee - 1e-9},
        {-knee - 2e-6, -knee + 2e-6, -knee},
        {0.03, 0.03 + 5e-7, 0.03 + 1e-6},
        {-0.02, 0.044, -0.046},
    };
    const double grid[] = {-3.0, -1.0, -0.5000001, -0.5, -0.3, -0.2,  -0.1,  0.0,    0.05,   0.1999999,
                           0.2,  0.21, 0.7,        3.0,  0.02, -0.03, 0.045, 0.0451, -0.0451};

    for (const Curve& c : curves) {
        const std::function<double(double)> plain = [&](double d) {
            const double x = d / c.drive;
            if (c.kind == kCreamer) return SoftClip(SoftClip(x, 0.5, c.drive), 0.5, 1.0);
            return c.kind == kAsym ? AsymClip(x, c.level, c.drive) : SoftClip(x, c.level, c.drive);
        };
        const auto integral = [&](int order, double d) {
            if (c.kind == kAsym)
                return order == 1 ? c.level * PositiveSoftHalf::Integral1(d) + NegativeRamp::Integral1(d)
                                  : c.level * PositiveSoftHalf::Integral2(d) + NegativeRamp::Integral2(d);
            if (c.kind == kCreamer)
                return 0.5 * (order == 1 ? CreamerClipShape::Integral1(d) : CreamerClipShape::Integral2(d));
            return c.level * (order == 1 ? SoftClipShape::Integral1(d) : SoftClipShape::Integral2(d));
        };
        const auto shape = [&](double d) {
            if (c.kind == kCreamer) return 0.5 * CreamerClipShape::Value(d);
            return c.kind == kAsym ? c.level * PositiveSoftHalf::Value(d) + NegativeRamp::Value(d)
                                   : c.level * SoftClipShape::Value(d);
        };
        const std::string where = std::string(c.name) + " drive " + std::to_string(c.drive);

        for (double d : grid) {
            EXPECT_NEAR(shape(d), plain(d), 1e-12) << where << " d " << d;
            // F1(d) = integral of f over 0..d, F2(d) = integral of (d - t) f(t) over 0..d.
            const double f1 = d * Simpson([&](double s) { return plain(s * d); }, 200000);
            const double f2 = d * d * Simpson([&](double s) { return (1.0 - s) * plain(s * d); }, 200000);
            EXPECT_NEAR(integral(1, d), f1, 1e-9 * (1.0 + d * d)) << where << " d " << d;
            EXPECT_NEAR(integral(2, d), f2, 1e-9 * (1.0 + std::fabs(d * d * d))) << where << " d " << d;
        }

        for (const auto& run : runs) {
            Stages stages;
            double y1 = 0.0, y2 = 0.0;
            for (double d : run) {
                const double x = d / c.drive;
                y1 = stages.Process(c, 1, x);
                y2 = stages.Process(c, 2, x);
            }
            const double p = run[0], q = run[1], r = run[2];
            EXPECT_NEAR(y1, LineMean(plain, q, r), 1e-6)
                << where << " first order after " << p << " " << q << " " << r;
            EXPECT_NEAR(y2, HatMean(plain, p, q, r), 1e-6)
                << where << " second order after " << p << " " << q << " " << r;
        }

        // A drive-scaled sweep with plateaus and flat stretches: the block form matches sample by
        // sample, and after Reset the stage starts as a fresh one. (The creamer's stage, run by the
        // model graphs one sample at a time, has no block form.)
        if (c.kind == kCreamer) continue;
        std::vector<double> x(300), block(300), single(300), fresh;
        for (size_t i = 0; i < x.size(); ++i)
            x[i] = (i % 50 < 10 ? 0.0 : 0.9 * std::sin(0.07 * static_cast<double>(i))) / c.drive * 3.0;
        SoftClipAdaa2 soft, softBlock;
        AsymClipAdaa2 asym, asymBlock;
        for (int pass = 0; pass < 2; ++pass) {
            for (size_t i = 0; i < x.size(); ++i)
                single[i] = c.kind == kAsym ? asym.Process(x[i], c.level, c.drive)
                                            : soft.Process(x[i], c.level, c.drive);
            for (size_t at = 0; at < x.size(); at += 64) {
                const int n = static_cast<int>(std::min<size_t>(64, x.size() - at));
                if (c.kind == kAsym)
                    asymBlock.ProcessBlock(x.data() + at, block.data() + at, n, c.level, c.drive);
                else
                    softBlock.ProcessBlock(x.data() + at, block.data() + at, n, c.level, c.drive);
            }
            for (size_t i = 0; i < x.size(); ++i)
                ASSERT_EQ(block[i], single[i]) << where << " sample " << i << " pass " << pass;
            if (pass == 0) fresh = single;
            EXPECT_EQ(single, fresh) << where << " after Reset";
            soft.Reset();
            asym.Reset();
            softBlock.Reset();
            asymBlock.Reset();
        }
    }
}
