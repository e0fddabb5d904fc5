// The per-sample chains of the sixteen models, written one sample at a time in the order the
// stages run. ProcessBlock (AmpModelsBlock.cpp) must give exactly the same numbers.
#include "AmpModelStages.h"

double AmpModels::Process(double x) {
    return Tail(RunModel(x));
}

double AmpModels::RunModel(double u) {
    switch (model) {
    case AmpModel::kClean1:
        return S(66, S(65, S(64, CleanOneOrTwo(3.9 * u, true))));
    case AmpModel::kClean2:
        return S(66, S(65, S(64, CleanOneOrTwo(2.0 * u, false))));
    case AmpModel::kClean3:
        return S(66, S(65, S(64, CleanThree(1.5 * u))));
    case AmpModel::kClean4:
        return S(66, S(65, S(64, CleanFour(1.1 * u))));
    case AmpModel::kPiezoAcoustic:
        return S(66, S(65, S(64, Piezo(u))));
    case AmpModel::kTubeCreamer:
        return S(66, S(65, S(64, Creamer(u))));
    case AmpModel::kFuzzz:
        return S(66, S(65, AsymClip(S(64, u), 0.3, drive)));
    case AmpModel::kMetalCharter: {
        const double a = S(64, S(80, u));
        const double c = SoftClip(a, 0.5, drive);
        return S(66, S(65, S(83, S(82, S(81, 0.5 * c)))));
    }
    case AmpModel::kMetalMachine: {
        const double one = MachineOne(u);
        return S(66, S(65, S(64, one + MachineTwo(u))));
    }
    case AmpModel::kMetalStyle: {
        const double one = StyleOne(u);
        const double two = StyleTwo(u);
        return S(66, S(65, StyleFour(one + two + Creamer(u))));
    }
    case AmpModel::kJgm900:
        return S(66, S(65, S(64, MachineThree(Jgm(u)))));
    case AmpModel::kDirtyBox: {
        const double one = DirtyOne(u);
        return S(66, S(65, S(64, one + DirtyTwo(u))));
    }
    case AmpModel::kDarktorsion:
        return S(66, S(65, S(64, Darktorsion(u))));
    case AmpModel::kBat:
        return Bat(u);
    case AmpModel::kPoltergeist:
        return Poltergeist(u);
    default:
        return Soldier(u);
    }
}

#undef S
#undef A
#undef B
#undef COMB
