#pragma once

// Antiderivative anti-aliasing (ADAA) of the models' memoryless curves. Instead of the curve at
// each sample, a stage outputs the curve averaged over the straight line between successive
// inputs (first order) or the curve smoothed by a triangle over the last three inputs (second
// order), computed exactly from the antiderivatives in AntiderivativeShapes.h. That is a low
// pass on the continuous-time output before sampling, so much less of the curve's harmonics
// folds back. First order delays the curve by half a sample, second order by one sample.
//
// One stage object per call site: it holds that site's previous inputs and antiderivative
// values, on the scaled input d = drive * x, so a drive change between blocks moves smoothly.
// Reset clears it with the rest of the signal state. No allocation; Process for one sample,
// ProcessBlock for an array (in place allowed) with the state carried in and out.
#include "AntiderivativeShapes.h"

#include <cmath>

// Near-equal successive inputs make the antiderivative difference quotient 0/0; below these
// distances (on d, where the curves bend over 0.2) the stages evaluate the curve at the midpoint.
// First order: the quotient's rounding error is about 1e-16 * |F1| / step with |F1| < 0.5 there
// (two inputs in one flat piece never reach the quotient), i.e. < 1e-10 at 1e-6, while the
// midpoint's error is |f''| step^2 / 24 < 3e-12 (|f''| <= 50), or slope jump * step / 8 < 4e-7
// when the step straddles a kink. Second order divides twice, so rounding grows as
// 1e-16 * |F2| / step^2 (|F2| < 0.03 there: < 3e-8 at 1e-5) and the fallback's error (the curve
// at the inputs' centroid) as |f''| step^2 / 12 (< 2e-8 with the creamer's |f''| <= 1500), or
// slope jump * step / 3 across a kink (the slopes jump by 2 at most, AsymClip's at 0: < 7e-6):
// both far below the -100 dB that matter here, and rare. The creamer's steeper curve
// (CreamerClipShape) keeps these tolerances: its quotients' rounding is bounded as above with
// |F1| < 0.03 and |F2| < 0.001 inside its bend.
constexpr double kAdaaTolerance1 = 1e-6;
constexpr double kAdaaTolerance2 = 1e-5;

// y[n] = (F1(d[n]) - F1(d[n-1])) / (d[n] - d[n-1]); half a sample of delay.
template <class Shape> struct FirstOrderAdaa {
    static constexpr double kDelaySamples = 0.5;
    double last = 0.0;
    double lastIntegral = 0.0; // Shape::Integral1(last)

    void Reset() {
        last = 0.0;
        lastIntegral = 0.0;
    }
    double Step(double d) {
        const double integral = Shape::Integral1(d);
        const double step = d - last;
        const int piece = Shape::Piece(d);
        double y;
        if ((piece != 0 && piece == Shape::Piece(last)) || std::fabs(step) < kAdaaTolerance1)
            y = Shape::Value(0.5 * (d + last));
        else
            y = (integral - lastIntegral) / step;
        last = d;
        lastIntegral = integral;
        return y;
    }
};

// y[n] = 2 / (d[n] - d[n-2]) * (D(d[n], d[n-1]) - D(d[n-1], d[n-2])), D(a, b) = (F2(a) - F2(b)) / (a - b);
// one sample of delay.
template <class Shape> struct SecondOrderAdaa {
    static constexpr double kDelaySamples = 1.0;
    double last = 0.0;         // d[n-1]
    double before = 0.0;       // d[n-2]
    double lastIntegral = 0.0; // Shape::Integral2(last), unless stale
    double lastQuotient = 0.0; // D(last, before), unless stale
    int lastPiece = 0;         // Shape::Piece(last) (0 also stands for "not known flat")
    int beforePiece = 0;       // Shape::Piece(before)
    bool stale = false;        // the two above were skipped in a flat run

    void Reset() { *this = SecondOrderAdaa{}; }
    double Step(double d) {
        const int piece = Shape::Piece(d);
        if (piece != 0 && piece == lastPiece && piece == beforePiece) {
            // Three inputs in one flat piece: the output is its constant. The antiderivative
            // terms are made only when the run ends (most samples of a hard clip are here).
            const double y = Shape::Value(last);
            before = last;
            last = d;
            stale = true;
            return y;
        }
        if (stale) {
            // last and before lie in one flat piece, where F1 is linear.
            lastIntegral = Shape::Integral2(last);
            lastQuotient = Shape::Integral1(0.5 * (last + before));
            stale = false;
        }
        const double integral = Shape::Integral2(d);
        // D(d, last): exact from F1 at the midpoint where F1 is linear (one flat piece) or the
        // two are too close to divide.
        const double quotient = (piece != 0 && piece == lastPiece) || std::fabs(d - last) < kAdaaTolerance2
                                    ? Shape::Integral1(0.5 * (d + last))
                                    : (integral - lastIntegral) / (d - last);
        const double span = d - before;
        double y;
        if (std::fabs(span) >= kAdaaTolerance2) {
            y = 2.0 * (quotient - lastQuotient) / span;
        } else {
            // d[n] close to d[n-2]: the limit of the quotient about their mean.
            const double mean = 0.5 * (d + before);
            const double delta = mean - last;
            // All three close: the curve at their centroid, where the triangle's mean of a
            // straight stretch lies (exact for a line; the midpoint of two of them is not).
            if (std::fabs(delta) < kAdaaTolerance2)
                y = Shape::Value((d + last + before) * (1.0 / 3.0));
            else
                y = (2.0 / delta) *
                    (Shape::Integral1(mean) + (lastIntegral - Shape::Integral2(mean)) / delta);
        }
        before = last;
        last = d;
        beforePiece = lastPiece;
        lastPiece = piece;
        lastIntegral = integral;
        lastQuotient = quotient;
        return y;
    }
};

// SoftClip(x, level, drive) with ADAA of the given order (FirstOrderAdaa or SecondOrderAdaa).
template <template <class> class Order> struct SoftClipAdaa {
    static constexpr double kDelaySamples = Order<SoftClipShape>::kDelaySamples;
    Order<SoftClipShape> shape;

    void Reset() { shape.Reset(); }
    double Process(double x, double level, double drive) { return level * shape.Step(drive * x); }
    void ProcessBlock(const double* x, double* y, int n, double level, double drive) {
        for (int i = 0; i < n; ++i)
            y[i] = level * shape.Step(drive * x[i]);
    }
};

// The creamer's two clips in series, SoftClip(SoftClip(x, 0.5, drive), 0.5, 1), as one stage.
template <template <class> class Order> struct CreamerClipAdaa {
    static constexpr double kDelaySamples = Order<CreamerClipShape>::kDelaySamples;
    Order<CreamerClipShape> shape;

    void Reset() { shape.Reset(); }
    double Process(double x, double drive) { return 0.5 * shape.Step(drive * x); }
};

// AsymClip(u, ceiling, drive) with ADAA, as the sum of its two halves (ADAA is linear in the
// curve). The ceiling is taken in 0..0.5, where the plain curve's cut at 0.5 never acts.
template <template <class> class Order> struct AsymClipAdaa {
    static constexpr double kDelaySamples = Order<NegativeRamp>::kDelaySamples;
    Order<PositiveSoftHalf> positive;
    Order<NegativeRamp> negative;

    void Reset() {
        positive.Reset();
        negative.Reset();
    }
    double Process(double u, double ceiling, double drive) {
        const double d = drive * u;
        return Ceiling(ceiling) * positive.Step(d) + negative.Step(d);
    }
    void ProcessBlock(const double* u, double* y, int n, double ceiling, double drive) {
        const double b = Ceiling(ceiling);
        for (int i = 0; i < n; ++i) {
            const double d = drive * u[i];
            y[i] = b * positive.Step(d) + negative.Step(d);
        }
    }

private:
    static double Ceiling(double b) { return b < 0.0 ? 0.0 : (b > 0.5 ? 0.5 : b); }
};

using SoftClipAdaa1 = SoftClipAdaa<FirstOrderAdaa>;
using SoftClipAdaa2 = SoftClipAdaa<SecondOrderAdaa>;
using AsymClipAdaa1 = AsymClipAdaa<FirstOrderAdaa>;
using AsymClipAdaa2 = AsymClipAdaa<SecondOrderAdaa>;
using CreamerClipAdaa1 = CreamerClipAdaa<FirstOrderAdaa>;
using CreamerClipAdaa2 = CreamerClipAdaa<SecondOrderAdaa>;
