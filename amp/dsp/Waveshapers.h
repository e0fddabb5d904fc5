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

// The curves a waveshaper stage of a model graph applies (ModelGraph.h): plain, or with
// antiderivative anti-aliasing of order 1 or 2 on the stage's memory in the bank.
struct SoftClipCurve {
    double level;
    double drive;
    double operator()(double x) const { return SoftClip(x, level, drive); }
    double Smoothed(DspBank::ShaperArrays& m, int slot, int order, double x) const {
        return order == 1 ? m.soft1[slot].Process(x, level, drive) : m.soft2[slot].Process(x, level, drive);
    }
};
struct AsymClipCurve {
    double level;
    double drive;
    double operator()(double x) const { return AsymClip(x, level, drive); }
    // The stages take the ceiling in 0..0.5, where they equal AsymClip (the models use 0.3).
    double Smoothed(DspBank::ShaperArrays& m, int slot, int order, double x) const {
        return order == 1 ? m.asym1[slot].Process(x, level, drive) : m.asym2[slot].Process(x, level, drive);
    }
};
// The creamer's two clips in series as one curve (CreamerClipShape); plain, the same two
// SoftClip calls as ever.
struct CreamerClipCurve {
    double drive;
    double operator()(double x) const { return SoftClip(SoftClip(x, 0.5, drive), 0.5, 1.0); }
    double Smoothed(DspBank::ShaperArrays& m, int slot, int order, double x) const {
        return order == 1 ? m.creamer1[slot].Process(x, drive) : m.creamer2[slot].Process(x, drive);
    }
};
