#pragma once

// The hosts the plug-in base tells apart by their product name (IPluginBase::SetHost). The
// numbers are what IdentifyHost returns, so they never change; 2, 6, 10, 11 and 19 are unused.
enum HostId : int {
    kHostNotIdentified = -1,
    kHostUnknown = 0,
    kHostReaper = 1,
    kHostCubase = 3,
    kHostNuendo = 4,
    kHostCakewalk = 5,
    kHostFruityLoops = 7,
    kHostSamplitude = 8,
    kHostLive = 9,
    kHostMelodyne = 12,
    kHostVstManLib = 13,
    kHostAuLab = 14,
    kHostForte = 15,
    kHostChainer = 16,
    kHostAudition = 17,
    kHostOrion = 18,
    kHostSawStudio = 20,
    kHostLogic = 21,
    kHostDigitalPerformer = 22,
};
