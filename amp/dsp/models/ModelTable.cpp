// The models in the order of the model list (AmpModelIds.h); each is described in its own file.
#include "AmpModelIds.h"
#include "ModelDescription.h"

extern const ModelDescription kClean1Model, kClean2Model, kClean3Model, kClean4Model, kPiezoAcousticModel,
    kTubeCreamerModel, kFuzzzModel, kMetalCharterModel, kMetalMachineModel, kMetalStyleModel, kJgm900Model,
    kDirtyBoxModel, kDarktorsionModel, kBatModel, kPoltergeistModel, kNoiseSoldierModel;

namespace {

const ModelDescription* const kModels[AmpModel::kCount] = {
    &kClean1Model,        &kClean2Model,      &kClean3Model,      &kClean4Model,
    &kPiezoAcousticModel, &kTubeCreamerModel, &kFuzzzModel,       &kMetalCharterModel,
    &kMetalMachineModel,  &kMetalStyleModel,  &kJgm900Model,      &kDirtyBoxModel,
    &kDarktorsionModel,   &kBatModel,         &kPoltergeistModel, &kNoiseSoldierModel,
};

} // namespace

const ModelDescription& DescriptionOf(int m) {
    return *kModels[m < 0 || m >= AmpModel::kCount ? 0 : m];
}

const ModelPanel& PanelOf(int m) {
    return DescriptionOf(m).panel;
}
