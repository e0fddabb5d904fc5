// Block path of the amp models. One sample through a whole model is a long chain of dependent
// sections, so sample-by-sample the processor waits on it. Here each model runs as a few stage
// loops over a short chunk: each loop carries only its own sections' recursions from sample to
// sample, so consecutive samples overlap. Every stage owns its slots, rows and poles alone and
// runs the same per-sample arithmetic (AmpModelStages.h), so the output is bit-identical to
// Process.
#include "AmpModelStages.h"

namespace {

constexpr int kChunk = 64;

} // namespace

void AmpModels::ProcessBlock(double* samples, int n) {
    for (int at = 0; at < n; at += kChunk) {
        const int count = n - at < kChunk ? n - at : kChunk;
        RunChunk(samples + at, count);
    }
}

#define EACH for (int i = 0; i < n; ++i)

void AmpModels::RunChunk(double* x, int n) {
    double t1[kChunk];
    double t2[kChunk];
    switch (model) {
    case 0:
        EACH t1[i] = CleanOne(3.9 * x[i]);
        EACH t1[i] = S(66, S(65, S(64, t1[i])));
        break;
    case 1:
        EACH t1[i] = CleanTwo(2.0 * x[i]);
        EACH t1[i] = S(66, S(65, S(64, t1[i])));
        break;
    case 2:
        EACH t1[i] = CleanThree(1.5 * x[i]);
        EACH t1[i] = S(66, S(65, S(64, t1[i])));
        break;
    case 3:
        EACH t1[i] = CleanFour(1.1 * x[i]);
        EACH t1[i] = S(66, S(65, S(64, t1[i])));
        break;
    case 4:
        EACH t1[i] = Piezo(x[i]);
        EACH t1[i] = S(66, S(65, S(64, t1[i])));
        break;
    case 5:
        EACH t1[i] = Creamer(x[i]);
        EACH t1[i] = S(66, S(65, S(64, t1[i])));
        break;
    case 6:
        EACH t1[i] = S(66, S(65, AsymClip(S(64, x[i]), 0.3, drive)));
        break;
    case 7:
        EACH t1[i] = ClipSoft(S(64, S(80, x[i])), 0.5, drive);
        EACH t1[i] = S(83, S(82, S(81, 0.5 * t1[i])));
        EACH t1[i] = S(66, S(65, t1[i]));
        break;
    case 8:
        EACH t1[i] = MachineOne(x[i]);
        EACH t2[i] = MachineTwo(x[i]);
        EACH t1[i] = S(66, S(65, S(64, t1[i] + t2[i])));
        break;
    case 9:
        EACH t1[i] = StyleOne(x[i]);
        EACH t2[i] = StyleTwo(x[i]);
        EACH t1[i] = t1[i] + t2[i] + Creamer(x[i]);
        EACH t1[i] = StyleFour(t1[i]);
        EACH t1[i] = S(66, S(65, t1[i]));
        break;
    case 10:
        EACH t1[i] = Jgm(x[i]);
        EACH t1[i] = MachineThree(t1[i]);
        EACH t1[i] = S(66, S(65, S(64, t1[i])));
        break;
    case 11:
        EACH t1[i] = DirtyOne(x[i]);
        EACH t2[i] = DirtyTwo(x[i]);
        EACH t1[i] = S(66, S(65, S(64, t1[i] + t2[i])));
        break;
    case 12:
        EACH t1[i] = Jgm(x[i]);
        EACH t1[i] = DarkBody(t1[i]);
        EACH t1[i] = S(66, S(65, S(64, t1[i])));
        break;
    case 13:
        EACH t1[i] = Bat(x[i]);
        break;
    case 14:
        EACH t1[i] = Poltergeist(x[i]);
        break;
    default:
        EACH t1[i] = Soldier(x[i]);
        break;
    }
    EACH x[i] = Tail(t1[i]);
}

#undef EACH
#undef S
#undef A
#undef B
#undef COMB
