#pragma once

#include "AmpModels.h"
#include "DspBank.h"
#include "HalfBandResampler.h"

#include <memory>

// The amp models run at k times the host rate between an up- and a down-sampler (k = 2, 4, 8),
// with their own bank designed for that rate. Settings arrive through the host-rate models,
// which pass every change on to this copy (AmpModels::SetFollower).
class OversampledAmp {
public:
    static constexpr int kMaxBlock = 256; // host samples per ProcessBlock call

    // Allocates and designs everything for `factor` at hostRate; the models' settings follow
    // with Amp().CopySettingsFrom. Off the audio path. False for a factor other than 2, 4 or 8.
    bool Prepare(int factor, double hostRate);
    int Factor() const { return resampler.Factor(); }
    int Latency() const { return resampler.Latency(); }
    AmpModels& Amp() { return amp; }

    // In place over n <= kMaxBlock host samples. Allocates nothing.
    void ProcessBlock(double* x, int n);
    // Clears every filter, comb and resampler state (after a non-finite block).
    void ClearState();

private:
    std::unique_ptr<DspBank> bank;
    AmpModels amp;
    Oversampler resampler;
    double fast[kMaxBlock * Oversampler::kMaxFactor];
};

// The quality setting of the amp models: 1 runs the host-rate models exactly as they are; 2, 4
// and 8 run an OversampledAmp. SetFactor prepares the new path off the audio path; the audio
// path takes it at its next block, runs it beside the old one for a short warm-up and then
// crossfades, so a switch never clicks. Before the first block (and after a rate change) the
// new path is taken at once. The latency changes with the factor.
class AmpOversampling {
public:
    static constexpr int kWarmUp = 2048;    // host samples the new path runs unheard
    static constexpr int kCrossfade = 1024; // host samples of the equal-gain crossfade

    AmpOversampling();
    ~AmpOversampling();

    // Off the audio path (allocates). False, and nothing changes, for a factor other than 1, 2,
    // 4 or 8 or when memory ran out.
    bool SetFactor(int factor, double hostRate, AmpModels& plain);
    // SetFactor in two steps, so that the audio path need not wait for the slow one. Prepare
    // allocates and designs a path for `factor` (none for 1) and touches nothing here; the caller
    // may give it the settings it expects with Amp().UseSettings. Install, on the audio path,
    // takes it in (constant time), designing it with the settings of `plain` only where they
    // differ from those it has; the retired paths, and the path itself when the factor is already
    // in effect, come back in `freed` for the caller to free elsewhere.
    static bool Prepare(int factor, double hostRate, std::unique_ptr<OversampledAmp>& path);
    void Install(int factor, std::unique_ptr<OversampledAmp> path, AmpModels& plain,
                 std::unique_ptr<OversampledAmp> (&freed)[3]);
    // After the host rate changed: the current factor prepared again at the new rate, no fade.
    void RateChanged(double hostRate, AmpModels& plain);
    // The factor last set, and the latency of the path that will be heard once a switch ends.
    int Factor() const { return factor; }
    int Latency() const;
    // True while the host-rate models alone are heard and no switch is under way: the caller
    // then runs them directly.
    bool Plain() const { return !current && !switching; }
    // Called by the audio path for each block the models run: later switches crossfade.
    void NoteAudio() { started = true; }

    // In place over n <= OversampledAmp::kMaxBlock samples; `plain` are the host-rate models.
    void ProcessBlock(AmpModels& plain, double* x, int n);
    void ClearState();

private:
    void Run(OversampledAmp* path, AmpModels& plain, double* x, int n);
    void Link(AmpModels& plain);
    void FreeRetired();
    void StartSwitch();

    int factor = 1;
    bool started = false;                     // a block has run since the path was made: switches fade
    std::unique_ptr<OversampledAmp> current;  // heard; null: the host-rate models
    std::unique_ptr<OversampledAmp> incoming; // faded in while switching; null: the host-rate models
    bool switching = false;
    int switchPosition = 0;
    std::unique_ptr<OversampledAmp> pending; // the next switch, asked for during one
    bool pendingSet = false;
    std::unique_ptr<OversampledAmp> retired[2]; // freed off the audio path
    double other[OversampledAmp::kMaxBlock];
};
