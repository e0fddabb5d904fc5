#pragma once

// The amplifier models by their place in the model list (AmpModels::SelectModel, kAmpModel).
namespace AmpModel {
enum : int {
    kClean1,
    kClean2,
    kClean3,
    kClean4,
    kPiezoAcoustic,
    kTubeCreamer,
    kFuzzz,
    kMetalCharter,
    kMetalMachine,
    kMetalStyle,
    kJgm900,
    kDirtyBox,
    kDarktorsion,
    kBat,
    kPoltergeist,
    kNoiseSoldier,
    kCount,
};
} // namespace AmpModel
