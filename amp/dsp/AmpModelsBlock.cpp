// Block path of the amp models. One sample through a whole model is a long chain of dependent
// sections, so sample-by-sample the processor waits on it. Here each model runs as a few stage
// loops over a short chunk (the heavier ones as section networks, AmpModelsNetworks.cpp): each
// loop carries only its own recursions from sample to sample, so consecutive samples overlap.
// Every stage owns its slots, rows and poles alone and runs the same per-sample arithmetic
// (AmpModelStages.h), so the output is bit-identical to Process.
#include "AmpModelStages.h"
#include "AmpSectionChain.h"

void AmpModels::ProcessBlock(double* samples, int n) {
    for (int at = 0; at < n; at += kChunk) {
        const int count = n - at < kChunk ? n - at : kChunk;
        RunChunk(samples + at, count);
    }
}

#define EACH for (int i = 0; i < n; ++i)

namespace {

// The sections after each model's last non-linear stage, ending in the tone stack's shelf (72)
// and band pass (71).
const int kEqTone[] = {64, 65, 66, 72, 71};
const int kMidTone[] = {65, 66, 72, 71};

} // namespace

void AmpModels::RunChunk(double* x, int n) {
    double t1[kChunk];
    double t2[kChunk];
    const int* post = kEqTone;
    int postCount = 5;
    if (!RunNetwork(x, t1, n, post, postCount)) {
        switch (model) {
        case AmpModel::kPiezoAcoustic:
            EACH t1[i] = Piezo(x[i]);
            break;
        case AmpModel::kTubeCreamer:
            EACH t1[i] = Creamer(x[i]);
            break;
        case AmpModel::kFuzzz:
            EACH t1[i] = AsymClip(S(64, x[i]), 0.3, drive);
            post = kMidTone, postCount = 4;
            break;
        case AmpModel::kMetalCharter: {
            static const int kShape[] = {81, 82, 83};
            EACH t1[i] = 0.5 * SoftClip(S(64, S(80, x[i])), 0.5, drive);
            RunSectionChain(*bank, kShape, 3, t1, n);
            post = kMidTone, postCount = 4;
            break;
        }
        case AmpModel::kBat: {
            static const int kBat[] = {81, 64, 82, 72, 71};
            EACH t1[i] = SoftClip(x[i] - B(0, x[i]), 0.5, drive);
            post = kBat;
            break;
        }
        case AmpModel::kPoltergeist: {
            static const int kPolter[] = {82, 83, 84, 85, 72, 71};
            EACH {
                double a = S(81, x[i]);
                if (modulationOn) a = 0.75 * PitchShifter(a) + a;
                t1[i] = SoftClip(a, 0.5, drive);
            }
            post = kPolter, postCount = 6;
            break;
        }
        default: {
            static const int kSoldier[] = {84, 72, 71};
            EACH t1[i] = SoldierBody(x[i]);
            post = kSoldier, postCount = 3;
            break;
        }
        }
    }
    // The post sections end in the tone stack: the shelf (72) output lands in t2, the band pass
    // (71) output in t1.
    RunSectionChain(*bank, post, postCount, t1, n, t2);
    const double k = resonanceMix;
    const double v = volume;
    EACH x[i] = (k * t1[i] + t2[i]) * v;
}

#undef EACH
#undef S
#undef A
#undef B
#undef COMB
