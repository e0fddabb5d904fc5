// Block forms of the heavier models: their parallel and serial sections run together as one
// section network per stage (RunSectionLanes), with the combs, one-poles and clips in plain loops
// between them. A lane fed by another runs two steps behind it (delays 0, 2, 4, ...), so that
// no lane waits on a result of the step just before. Each value is computed with the same arithmetic as the
// per-sample stages in AmpModelStages.h, so the output is bit-identical to Process.
#include "AmpModelStages.h"
#include "AmpSectionChain.h"

#if defined(__GNUC__) && !defined(__clang__)
// Each chunk buffer is filled by the loop before the network that reads it; some GCC versions
// cannot see that through the lanes' const input pointers.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define EACH for (int i = 0; i < n; ++i)

namespace {

const int kEqTone[] = {64, 65, 66, 72, 71};
const int kMidTone[] = {65, 66, 72, 71};
const int kCleanOnePost[] = {116, 64, 65, 66, 72, 71};
const int kCleanThreePost[] = {117, 64, 65, 66, 72, 71};

} // namespace

// The four comb low passes of the clean models and the JGM stage (108 -> 109, 110 -> 111) and the
// body chain 112 -> 113 -> 114 (its middle output to q1 when given, the end to p).
static void CombAndBodyLanes(DspBank& bank, const double* u, const double* e, double* l108, double* s109,
                             double* l110, double* s111, double* q1, double* p, int n) {
    const SectionLane lanes[] = {
        {108, u, l108, 0}, {109, l108, s109, 2}, {110, u, l110, 0}, {111, l110, s111, 2},
        {112, e, q1, 0},   {113, q1, q1, 2},     {114, q1, p, 4},
    };
    RunSectionLanes(bank, lanes, 7, n);
}

bool AmpModels::RunNetwork(const double* x, double* w, int n, const int*& post, int& postCount) {
    double u[kChunk], e[kChunk], a[kChunk], b[kChunk], c[kChunk], d[kChunk], f[kChunk], g[kChunk], p[kChunk];
    post = kEqTone;
    postCount = 5;
    const double gain = knobs.gain;
    switch (model) {
    case AmpModel::kClean1:
    case AmpModel::kClean2: {
        const double scale = model == AmpModel::kClean1 ? 3.9 : 2.0;
        EACH {
            u[i] = scale * x[i];
            e[i] = u[i] - B(4, u[i]);
        }
        CombAndBodyLanes(*bank, u, e, a, b, c, d, f, p, n);
        EACH {
            const double c8 = COMB(8, 0.73, b[i]);
            const double c9 = COMB(9, 0.99, a[i]);
            const double c10 = COMB(10, 0.73, d[i]);
            const double c11 = COMB(11, 0.99, c[i]);
            const double r = (c11 + c9) * 0.5;
            const double s = c8 + c10 + p[i];
            const double o = model == AmpModel::kClean1 ? SoftClip(S(115, s), 0.5, 2.0 * gain)
                                                        : SoftClip(s, 0.5, 3.0 * gain);
            w[i] = ((1.0 - gain) * s + gain * o + r) * 0.5;
        }
        post = kCleanOnePost, postCount = 6;
        return true;
    }
    case AmpModel::kClean3:
    case AmpModel::kClean4: {
        const double scale = model == AmpModel::kClean3 ? 1.5 : 1.1;
        EACH {
            u[i] = scale * x[i];
            e[i] = u[i] - B(4, u[i]);
        }
        CombAndBodyLanes(*bank, u, e, a, b, c, d, f, p, n); // f: q1, p: q2
        EACH {
            const double c8 = COMB(8, 0.73, b[i]);
            const double c9 = COMB(9, 0.99, a[i]);
            const double c10 = COMB(10, 0.73, d[i]);
            const double c11 = COMB(11, 0.99, c[i]);
            const double r = (c11 + c9) * 0.5;
            if (model == AmpModel::kClean3) {
                const double s = f[i] + p[i];
                u[i] = s;
                e[i] = c10 + r + c8;
                g[i] = SoftClip(s, 0.5, gain);
            } else {
                const double h = S(115, f[i] + p[i] + (c10 + r + c8) * 0.5);
                const double o = SoftClip(h, 0.5, 0.2 + 0.8 * gain);
                w[i] = ((1.0 - gain) * h + gain * o) * 0.5;
            }
        }
        if (model == AmpModel::kClean4) return true;
        static const int kClip[] = {115, 116};
        RunSectionChain(*bank, kClip, 2, g, n);
        EACH w[i] = ((1.0 - gain) * u[i] + (3.0 - 2.0 * gain) * g[i] * gain + e[i]) * 0.5;
        post = kCleanThreePost, postCount = 6;
        return true;
    }
    case AmpModel::kMetalMachine: {
        const SectionLane front[] = {{83, x, a, 0}, {84, a, a, 2}, {95, x, b, 0}, {96, b, b, 2}};
        RunSectionLanes(*bank, front, 4, n);
        EACH {
            e[i] = A(3, SoftClip(a[i], 0.5, drive));
            f[i] = A(5, SoftClip(b[i], 0.5, drive));
        }
        const SectionLane back[] = {{86, e, a, 0}, {85, e, b, 0}, {87, e, c, 0}, {97, f, d, 0}};
        RunSectionLanes(*bank, back, 4, n);
        EACH {
            const double one = (1.8 * a[i] * 5.6f + b[i] * 5.05f + c[i] * 6.85f) * 0.1;
            w[i] = one + d[i] * 5.0 * 0.1;
        }
        return true;
    }
    case AmpModel::kMetalStyle: {
        const double bass = knobs.bass;
        EACH u[i] = bass * x[i];
        const SectionLane front[] = {{83, x, a, 0}, {84, a, a, 2}, {106, a, a, 4}, {81, u, b, 0}};
        RunSectionLanes(*bank, front, 4, n);
        EACH {
            e[i] = A(3, SoftClip(a[i], 0.5, drive));
            const double lo = B(0, b[i]);
            const double s = b[i] + SoftClip(b[i] - lo, 0.5, stageDrive);
            f[i] = A(0, s);
            g[i] = Creamer(x[i]);
        }
        const SectionLane middle[] = {{86, e, a, 0}, {85, e, b, 0}, {87, e, c, 0}, {82, f, d, 0}};
        RunSectionLanes(*bank, middle, 4, n);
        EACH {
            const double one = (1.8 * a[i] * 10.0 + b[i] * 5.65f + c[i] * 7.25) * 0.1;
            const double v = one + d[i] + g[i];
            u[i] = v;
            e[i] = v - B(3, v);
        }
        const SectionLane body[] = {{88, u, a, 0}, {89, a, b, 2}, {90, u, c, 0}, {91, c, d, 2},
                                    {92, e, p, 0}, {93, p, p, 2}, {94, p, p, 4}};
        RunSectionLanes(*bank, body, 7, n);
        EACH {
            const double c0 = COMB(0, 0.73, b[i]);
            const double c1 = COMB(1, 0.99, a[i]);
            const double c2 = COMB(2, 0.73, d[i]);
            const double c3 = COMB(3, 0.99, c[i]);
            w[i] = ((c1 + c3) * 0.5 + c2 + c0 + p[i]) * 0.5;
        }
        post = kMidTone, postCount = 4;
        return true;
    }
    case AmpModel::kJgm900:
    case AmpModel::kDarktorsion: {
        EACH e[i] = x[i] - B(4, x[i]);
        CombAndBodyLanes(*bank, x, e, a, b, c, d, f, p, n);
        EACH {
            const double c4 = COMB(4, 0.73, b[i]);
            const double c5 = COMB(5, 0.99, a[i]);
            const double c6 = COMB(6, 0.73, d[i]);
            const double c7 = COMB(7, 0.99, c[i]);
            u[i] = ((c5 + c7) * 0.5 + c6 + c4 + p[i]) * 0.5;
        }
        static const int kFront[] = {115, 83, 84};
        RunSectionChain(*bank, kFront, 3, u, n);
        if (model == AmpModel::kJgm900) {
            EACH e[i] = A(3, SoftClip(u[i], 0.5, drive));
            const SectionLane back[] = {{85, e, a, 0}, {86, e, b, 0}, {107, b, b, 2}, {87, e, c, 0}};
            RunSectionLanes(*bank, back, 4, n);
            EACH w[i] = (b[i] * 11.0 + a[i] * 8.3f + c[i] * 2.4f) * 0.24;
            return true;
        }
        EACH {
            const double clipped = SoftClip(u[i], 0.5, drive);
            u[i] = clipped;
            e[i] = clipped - B(3, clipped);
        }
        const SectionLane body[] = {{88, u, a, 0}, {89, a, b, 2}, {90, u, c, 0}, {91, c, d, 2},
                                    {92, e, p, 0}, {93, p, p, 2}, {94, p, p, 4}, {85, p, p, 6}};
        RunSectionLanes(*bank, body, 8, n);
        EACH {
            const double c0 = COMB(0, 0.73, b[i]);
            const double c1 = COMB(1, 0.99, a[i]);
            const double c2 = COMB(2, 0.73, d[i]);
            const double c3 = COMB(3, 0.99, c[i]);
            w[i] = ((c1 + c3) * 0.25 + c2 + c0 + p[i]) * 0.25;
        }
        return true;
    }
    case AmpModel::kDirtyBox: {
        const SectionLane front[] = {{98, x, a, 0}, {99, a, a, 2}, {103, a, a, 4},
                                     {95, x, b, 0}, {96, b, b, 2}, {104, b, b, 4}};
        RunSectionLanes(*bank, front, 6, n);
        EACH {
            e[i] = A(4, SoftClip(a[i], 0.5, drive));
            f[i] = A(5, SoftClip(b[i], 0.5, drive));
        }
        const SectionLane back[] = {{100, e, a, 0}, {101, e, b, 0}, {97, f, c, 0}, {105, c, c, 2}};
        RunSectionLanes(*bank, back, 4, n);
        EACH {
            const double one = (a[i] * 5.15f + S(102, 1.65 * b[i]) * 9.55f) * 0.1;
            w[i] = one + c[i] * 2.65 * 0.25;
        }
        return true;
    }
    default:
        return false;
    }
}

#undef EACH
#undef S
#undef A
#undef B
#undef COMB
