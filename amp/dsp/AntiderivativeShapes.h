#pragma once

// The models' memoryless curves on the scaled input d = drive * x, with their first and second
// antiderivatives (zero at d = 0), for antiderivative anti-aliasing (AdaaStages.h).
//
//   SoftClip(x, level, drive)  = level * SoftClipShape::Value(drive * x)
//   AsymClip(u, b, c)          = b * PositiveSoftHalf::Value(c * u) + NegativeRamp::Value(c * u)
//                                for a ceiling 0 <= b <= 0.5 (where the plain curve's 0.5 cut never acts)
//
// Each shape is piecewise polynomial and constant outside a small interval. Piece(d) names the
// constant piece d lies in (0 where the curve still bends or slopes): two inputs in the same
// constant piece have an exact ADAA output (that constant), which spares the stages the
// cancellation of large antiderivative values far out in the flat tails. The plain curves in
// DspBank.h and Waveshapers.h stay as they are; these are separate, equal functions.

// 10 d (1 - |d| / 0.4) for |d| < 0.2, else sign(d).
struct SoftClipShape {
    static double Value(double d) {
        if (d >= 0.2) return 1.0;
        if (d <= -0.2) return -1.0;
        const double m = d < 0.0 ? -d : d;
        return 10.0 * d - 25.0 * d * m;
    }
    // Even: 5 d^2 - 25/3 |d|^3 inside, |d| - 1/15 outside.
    static double Integral1(double d) {
        const double m = d < 0.0 ? -d : d;
        if (m >= 0.2) return m - 1.0 / 15.0;
        return m * m * (5.0 - (25.0 / 3.0) * m);
    }
    // Odd: sign(d) (5/3 |d|^3 - 25/12 d^4) inside, sign(d) (d^2 / 2 - |d| / 15 + 1/300) outside.
    static double Integral2(double d) {
        const double m = d < 0.0 ? -d : d;
        const double v =
            m >= 0.2 ? 0.5 * m * m - m / 15.0 + 1.0 / 300.0 : m * m * m * (5.0 / 3.0 - (25.0 / 12.0) * m);
        return d < 0.0 ? -v : v;
    }
    static int Piece(double d) { return d >= 0.2 ? 1 : (d <= -0.2 ? -1 : 0); }
};

// The creamer's two clips in series as one curve: SoftClip(SoftClip(x, 0.5, drive), 0.5, 1) =
// 0.5 * CreamerClipShape::Value(drive * x). With p = 5 |d| - 12.5 d^2 (the first clip's output
// below its knee) the second clip bends while p < 0.2, i.e. |d| < kKnee, and is flat beyond:
// 10 p - 25 p^2 = 50 m - 750 m^2 + 3125 m^3 - 3906.25 m^4 with m = |d|, odd in d. One
// anti-aliased stage of the composite replaces two in series: no harmonics of the first clip's
// edges fold before the second flattens them, and the delay is one stage's.
struct CreamerClipShape {
    static constexpr double kKnee = 0.2 - 0.15491933384829668; // 0.2 - sqrt(60) / 50
    static double Value(double d) {
        const double m = d < 0.0 ? -d : d;
        const double v = m >= kKnee ? 1.0 : m * (50.0 + m * (-750.0 + m * (3125.0 - 3906.25 * m)));
        return d < 0.0 ? -v : v;
    }
    static double Rise1(double m) { return m * m * (25.0 + m * (-250.0 + m * (781.25 - 781.25 * m))); }
    static double Rise2(double m) {
        return m * m * m * (25.0 / 3.0 + m * (-62.5 + m * (156.25 - (781.25 / 6.0) * m)));
    }
    // Even.
    static double Integral1(double d) {
        const double m = d < 0.0 ? -d : d;
        if (m >= kKnee) return Rise1(kKnee) + (m - kKnee);
        return Rise1(m);
    }
    // Odd.
    static double Integral2(double d) {
        const double m = d < 0.0 ? -d : d;
        double v;
        if (m >= kKnee) {
            const double e = m - kKnee;
            v = Rise2(kKnee) + Rise1(kKnee) * e + 0.5 * e * e;
        } else {
            v = Rise2(m);
        }
        return d < 0.0 ? -v : v;
    }
    static int Piece(double d) { return d >= kKnee ? 1 : (d <= -kKnee ? -1 : 0); }
};

// The positive half of SoftClipShape: 0 for d <= 0, 10 d - 25 d^2 up to 0.2, then 1.
struct PositiveSoftHalf {
    static double Value(double d) {
        if (d <= 0.0) return 0.0;
        if (d >= 0.2) return 1.0;
        return 10.0 * d - 25.0 * d * d;
    }
    static double Integral1(double d) {
        if (d <= 0.0) return 0.0;
        if (d >= 0.2) return d - 1.0 / 15.0;
        return d * d * (5.0 - (25.0 / 3.0) * d);
    }
    static double Integral2(double d) {
        if (d <= 0.0) return 0.0;
        if (d >= 0.2) return 0.5 * d * d - d / 15.0 + 1.0 / 300.0;
        return d * d * d * (5.0 / 3.0 - (25.0 / 12.0) * d);
    }
    static int Piece(double d) { return d >= 0.2 ? 1 : (d <= 0.0 ? -1 : 0); }
};

// The negative half of AsymClip: 0 for d >= 0, d down to -0.5, then -0.5.
struct NegativeRamp {
    static double Value(double d) {
        if (d >= 0.0) return 0.0;
        if (d <= -0.5) return -0.5;
        return d;
    }
    static double Integral1(double d) {
        if (d >= 0.0) return 0.0;
        if (d <= -0.5) return -0.5 * d - 0.125;
        return 0.5 * d * d;
    }
    static double Integral2(double d) {
        if (d >= 0.0) return 0.0;
        if (d <= -0.5) return -0.25 * d * d - 0.125 * d - 1.0 / 48.0;
        return d * d * d / 6.0;
    }
    static int Piece(double d) { return d >= 0.0 ? 1 : (d <= -0.5 ? -1 : 0); }
};
