#pragma once

#include "DspBank.h"

// Soft clip of the positive half with ceiling b; the negative half passes linearly down to -0.5 and
// is cut there.
inline double AsymClip(double u, double b, double c) {
    double y = SoftClip(u, b, c);
    if (y < 0.0) y = 0.0;
    if (y > 0.5) y = 0.5;
    const double d = u * c;
    if (d < -0.5) return y - 0.5;
    if (d < 0.0) return y + d;
    return y;
}

// Exponential knob taper shared by several knobs: about 0 at v = 0, exactly 1 at v = 1.
double GainTaper(double v);

// 1 / (1 - e^-3) with e^-3 rounded to single precision first, the scale of GainTaper.
double TaperScale();

// The curves a waveshaper stage of a model graph applies (ModelGraph.h).
struct SoftClipCurve {
    double level;
    double drive;
    double operator()(double x) const { return SoftClip(x, level, drive); }
};
struct AsymClipCurve {
    double level;
    double drive;
    double operator()(double x) const { return AsymClip(x, level, drive); }
};
