#pragma once

// The stages of the amp models, one sample at a time. Included by the per-sample path
// (AmpModels.cpp) and the block path (AmpModelsBlock.cpp) so that both run the same arithmetic.
#include "AmpModels.h"
#include "DspBank.h"
#include "Waveshapers.h"

// Shorthands private to the amp-model sources: S(k) one biquad slot, A(k) and B(k) one-pole slots,
// COMB a feedback comb on a delay row.
#define S(slot, x) bank->ProcessBiquad((x), (slot))
#define A(slot, x) bank->OnePoleA((x), (slot))
#define B(slot, x) bank->OnePoleB((x), (slot))
#define COMB(row, g, x) bank->FeedbackComb((row), (g), (x))

inline double AmpModels::Tail(double w) {
    const double t1 = S(72, w);
    const double t2 = S(71, t1);
    return (resonanceMix * t2 + t1) * volume;
}

// The front the clean models share: slots 108 and 110 each feed a short and a long comb.
inline AmpModels::CleanCombs AmpModels::RunCleanCombs(double u) {
    const double l108 = S(108, u);
    const double c8 = COMB(8, 0.73, S(109, l108));
    const double c9 = COMB(9, 0.99, l108);
    const double l110 = S(110, u);
    const double c10 = COMB(10, 0.73, S(111, l110));
    const double c11 = COMB(11, 0.99, l110);
    return {c8, c10, (c11 + c9) * 0.5};
}

// Clean 1 and Clean 2: the comb front beside the presence chain 112..114, and the gain knob
// crossfading to a clipped copy. Clean 1 clips through its gain high pass (slot 115) with a drive
// up to 2. Clean 2 has no gain high pass: the narrow +24 dB presence peak of slot 112 and the
// short combs give a glassy, bright voicing, and it clips the sum directly with a drive up to 3.
inline double AmpModels::CleanOneOrTwo(double u, bool clipsThroughHighPass) {
    const CleanCombs combs = RunCleanCombs(u);
    const double e = u - B(4, u);
    const double p = S(114, S(113, S(112, e)));
    const double s = combs.c8 + combs.c10 + p;
    const double gain = knobs.gain;
    const double o = clipsThroughHighPass ? SoftClip(S(115, s), 0.5, 2.0 * gain) : SoftClip(s, 0.5, 3.0 * gain);
    return S(116, ((1.0 - gain) * s + gain * o + combs.room) * 0.5);
}

inline double AmpModels::CleanThree(double u) {
    const CleanCombs combs = RunCleanCombs(u);
    const double c8 = combs.c8, c10 = combs.c10;
    const double r = combs.room;
    const double e = u - B(4, u);
    const double q1 = S(113, S(112, e));
    const double q2 = S(114, q1);
    const double s = q1 + q2;
    const double gain = knobs.gain;
    const double o = S(116, S(115, SoftClip(s, 0.5, gain)));
    return S(117, ((1.0 - gain) * s + (3.0 - 2.0 * gain) * o * gain + (c10 + r + c8)) * 0.5);
}

// Clean 4: the clean-three body (broad 1.1 kHz lift in series, the 17 kHz air peak in parallel)
// beside a 12 ms comb pair for a roomy low end. The gain knob raises the slot 115 high pass over
// the whole mix up to 425 Hz and crossfades to a soft-clipped copy, so more gain is also tighter.
inline double AmpModels::CleanFour(double u) {
    const CleanCombs combs = RunCleanCombs(u);
    const double c8 = combs.c8, c10 = combs.c10;
    const double r = combs.room;
    const double e = u - B(4, u);
    const double q1 = S(113, S(112, e));
    const double q2 = S(114, q1);
    const double h = S(115, q1 + q2 + (c10 + r + c8) * 0.5);
    const double gain = knobs.gain;
    const double o = SoftClip(h, 0.5, 0.2 + 0.8 * gain);
    return ((1.0 - gain) * h + gain * o) * 0.5;
}

inline double AmpModels::Piezo(double u) {
    const double a = COMB(12, 0.99, S(108, u));
    const double b0 = S(109, u);
    const double b1 = S(110, b0);
    const double c13 = COMB(13, 0.99, b0);
    double c = 0.0;
    for (int row = 0; row < 12; ++row)
        c += COMB(row, 0.835, b1);
    const double e = S(112, 0.7 * c);
    const double h = S(111, u - B(4, u));
    return 3.0 * (c13 + e + h + a);
}

inline double AmpModels::Creamer(double u) {
    const double a = A(1, u);
    const double b = B(1, a);
    double t = SoftClip(a - b, 0.5, drive2);
    t = SoftClip(t, 0.5, 1.0);
    const double c = A(2, t);
    const double d = B(2, c);
    return ((c - d) * toneMix + c) * 0.6;
}

inline double AmpModels::MachineOne(double u) {
    const double a = S(83, u);
    const double b = S(84, a);
    const double c = SoftClip(b, 0.5, drive);
    const double e = A(3, c);
    const double hp = S(86, e);
    const double lp = S(85, e);
    return (1.8 * hp * 5.6f + lp * 5.05f + S(87, e) * 6.85f) * 0.1;
}

inline double AmpModels::MachineTwo(double u) {
    const double a = S(95, u);
    const double b = S(96, a);
    const double c = SoftClip(b, 0.5, drive);
    return S(97, A(5, c)) * 5.0 * 0.1;
}

inline double AmpModels::MachineThree(double u) {
    const double a = S(83, u);
    const double b = S(84, a);
    const double c = SoftClip(b, 0.5, drive);
    const double e = A(3, c);
    const double q = S(85, e);
    const double h = S(107, S(86, e));
    return (h * 11.0 + q * 8.3f + S(87, e) * 2.4f) * 0.24;
}

inline double AmpModels::StyleOne(double u) {
    const double a = S(83, u);
    const double b = S(84, a);
    const double c = SoftClip(S(106, b), 0.5, drive);
    const double e = A(3, c);
    const double hp = S(86, e);
    const double lp = S(85, e);
    return (1.8 * hp * 10.0 + lp * 5.65f + S(87, e) * 7.25) * 0.1;
}

inline double AmpModels::StyleTwo(double u) {
    const double a = S(81, knobs.bass * u);
    const double b = B(0, a);
    const double c = a + SoftClip(a - b, 0.5, stageDrive);
    return S(82, A(0, c));
}

inline double AmpModels::StyleFour(double u) {
    const double l88 = S(88, u);
    const double c0 = COMB(0, 0.73, S(89, l88));
    const double c1 = COMB(1, 0.99, l88);
    const double l90 = S(90, u);
    const double c2 = COMB(2, 0.73, S(91, l90));
    const double c3 = COMB(3, 0.99, l90);
    const double p = S(94, S(93, S(92, u - B(3, u))));
    return ((c1 + c3) * 0.5 + c2 + c0 + p) * 0.5;
}

inline double AmpModels::Jgm(double u) {
    const double l108 = S(108, u);
    const double c4 = COMB(4, 0.73, S(109, l108));
    const double c5 = COMB(5, 0.99, l108);
    const double l110 = S(110, u);
    const double c6 = COMB(6, 0.73, S(111, l110));
    const double c7 = COMB(7, 0.99, l110);
    const double p = S(114, S(113, S(112, u - B(4, u))));
    return S(115, ((c5 + c7) * 0.5 + c6 + c4 + p) * 0.5);
}

inline double AmpModels::DirtyOne(double u) {
    const double a = S(98, u);
    const double b = S(99, a);
    const double c = SoftClip(S(103, b), 0.5, drive);
    const double e = A(4, c);
    const double lp = S(100, e);
    return (lp * 5.15f + S(102, 1.65 * S(101, e)) * 9.55f) * 0.1;
}

inline double AmpModels::DirtyTwo(double u) {
    const double a = S(95, u);
    const double b = S(104, S(96, a));
    const double c = SoftClip(b, 0.5, drive);
    const double e = S(97, A(5, c));
    return S(105, e) * 2.65 * 0.25;
}

// Darktorsion: the JGM input voicing (rows 4..7, slots 108..115), a tight 800 Hz..4.2 kHz band
// into the main clip, then the style-four body (rows 0..3, slots 88..94) on the clipped signal.
// The 800 Hz high pass keeps the low strings from smearing the clip; after it the low-passed combs
// rebuild the body, the resonant 0.99 pair at a quarter, and the bright branch (2.4 kHz lift) is
// rolled off by slot 85, so the distortion has mids but little fizz above 4 kHz.
inline double AmpModels::Darktorsion(double u) {
    return DarkBody(Jgm(u));
}

inline double AmpModels::DarkBody(double j) {
    const double a = S(84, S(83, j));
    const double c = SoftClip(a, 0.5, drive);
    const double l88 = S(88, c);
    const double c0 = COMB(0, 0.73, S(89, l88));
    const double c1 = COMB(1, 0.99, l88);
    const double l90 = S(90, c);
    const double c2 = COMB(2, 0.73, S(91, l90));
    const double c3 = COMB(3, 0.99, l90);
    const double p = S(85, S(94, S(93, S(92, c - B(3, c)))));
    return ((c1 + c3) * 0.25 + c2 + c0 + p) * 0.25;
}

inline double AmpModels::Bat(double u) {
    const double h = u - B(0, u);
    const double c = SoftClip(h, 0.5, drive);
    return S(82, S(64, S(81, c)));
}

inline double AmpModels::Poltergeist(double u) {
    double a = S(81, u);
    if (modulationOn) a = 0.75 * PitchShifter(a) + a;
    const double c = SoftClip(a, 0.5, drive);
    return S(85, S(84, S(83, S(82, c))));
}

inline double AmpModels::Soldier(double u) {
    return S(84, SoldierBody(u));
}

inline double AmpModels::SoldierBody(double u) {
    const double h1 = u - B(0, u);
    const double c1 = SoftClip(A(0, h1), 0.5, drive);
    const double d = A(2, A(1, c1));
    const double x1 = S(83, S(82, S(81, d)));
    const double h2 = u - B(1, u);
    const double c2 = SoftClip(A(3, h2), 0.5, drive);
    const double y = A(4, S(85, c2));
    return 2.0 * y + x1;
}

inline double AmpModels::PitchShifter(double a) {
    Shifter& s = shifter;
    s.phase1 += s.rampStep;
    s.phase2 += s.rampStep;
    if (s.phase1 > 1.0) {
        s.phase1 = 0.0;
        s.triangle = 0.0;
        s.phase2 = 0.5;
    }
    if (s.phase2 > 1.0) s.phase2 = 0.0;
    if (s.phase1 <= 0.5)
        s.triangle += s.triangleStep;
    else
        s.triangle -= s.triangleStep;

    // Each tap reads length - offset samples behind the sample just written.
    const int n1 = bank->modDelay[0].length;
    const int n2 = bank->modDelay[1].length;
    const int o1 = static_cast<int>((1.0 - s.phase1 * s.depth) * n1);
    const int o2 = static_cast<int>(n2 * (1.0 - s.depth * s.phase2));
    const double h1 = bank->ModDelayTap(0, a, n1 - o1);
    const double h2 = bank->ModDelayTap(1, a, n2 - o2);

    double t = s.triangle;
    if (t < 0.0) t = 0.0;
    if (t > 1.0) t = 1.0;
    return h2 * (1.0 - t) + h1 * t;
}
