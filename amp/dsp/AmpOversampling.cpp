#include "AmpOversampling.h"

#include "BankLayout.h"

#include <cmath>
#include <new>

namespace {

constexpr double kPi = 3.141592653589793;

} // namespace

bool OversampledAmp::Prepare(int factor, double hostRate) {
    if (factor != 2 && factor != 4 && factor != 8) return false;
    if (!resampler.Prepare(factor, kMaxBlock)) return false;
    const double rate = factor * hostRate;
    bank = std::make_unique<DspBank>();
    bank->ResetBank();
    // Short comb buffers; each model sets the lengths of the rows it uses.
    for (int row = 0; row < layout::kCombRows; ++row)
        bank->SetDelaySamples(factor, OversampledCombRoom(rate), row);
    amp.Initialise(*bank, rate, factor);
    return true;
}

void OversampledAmp::ProcessBlock(double* x, int n) {
    const int k = resampler.Factor();
    resampler.Up(x, n, fast);
    amp.ProcessBlock(fast, n * k);
    // The model's anti-aliased shapers delay it; the resampler's plain delay gives that back, so
    // every model has the same latency.
    resampler.SetInnerDelay(amp.ShaperDelay());
    resampler.Down(fast, n, x);
}

void OversampledAmp::ClearState() {
    if (bank) bank->ClearAllState();
    resampler.Clear();
}

AmpOversampling::AmpOversampling() = default;
AmpOversampling::~AmpOversampling() = default;

int AmpOversampling::Latency() const {
    return Oversampler::LatencyOf(factor);
}

bool AmpOversampling::SetFactor(int k, double hostRate, AmpModels& plain) {
    if (k == factor) {
        FreeRetired();
        return true;
    }
    std::unique_ptr<OversampledAmp> path;
    if (!Prepare(k, hostRate, path)) return false;
    std::unique_ptr<OversampledAmp> freed[3];
    Install(k, std::move(path), plain, freed);
    return true;
}

bool AmpOversampling::Prepare(int k, double hostRate, std::unique_ptr<OversampledAmp>& path) {
    if (k != 1 && k != 2 && k != 4 && k != 8) return false;
    path.reset();
    if (k == 1) return true;
    try {
        path = std::make_unique<OversampledAmp>();
        if (!path->Prepare(k, hostRate)) return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void AmpOversampling::Install(int k, std::unique_ptr<OversampledAmp> path, AmpModels& plain,
                              std::unique_ptr<OversampledAmp> (&freed)[3]) {
    freed[0] = std::move(retired[0]);
    freed[1] = std::move(retired[1]);
    if (k == factor) {
        freed[2] = std::move(path); // nothing to switch to
        return;
    }
    // The path comes designed with the settings its maker expected; where they are not those in
    // effect here (another route changed them), it is designed again now.
    if (path && !(path->Amp().Settings() == plain.Settings())) path->Amp().CopySettingsFrom(plain);
    factor = k;
    // What the new path replaces goes out with the retired ones, never freed here.
    if (!started) {
        // Nothing has been heard yet: no crossfade needed.
        freed[2] = std::move(current);
        current = std::move(path);
    } else if (switching) {
        // The switch under way ends first; this one follows it.
        freed[2] = std::move(pending);
        pending = std::move(path);
        pendingSet = true;
    } else {
        freed[2] = std::move(incoming);
        incoming = std::move(path);
        StartSwitch();
    }
    Link(plain);
}

void AmpOversampling::RateChanged(double hostRate, AmpModels& plain) {
    incoming.reset();
    pending.reset();
    pendingSet = false;
    switching = false;
    current.reset();
    FreeRetired();
    started = false;
    if (factor > 1) {
        try {
            auto path = std::make_unique<OversampledAmp>();
            if (path->Prepare(factor, hostRate)) {
                path->Amp().CopySettingsFrom(plain);
                current = std::move(path);
            }
        } catch (const std::bad_alloc&) {
        }
        if (!current) factor = 1;
    }
    Link(plain);
}

void AmpOversampling::StartSwitch() {
    switching = true;
    switchPosition = 0;
}

// Every path that may be heard follows the host-rate models' settings, one after the other.
void AmpOversampling::Link(AmpModels& plain) {
    AmpModels* chain[3];
    int count = 0;
    if (current) chain[count++] = &current->Amp();
    if (incoming) chain[count++] = &incoming->Amp();
    if (pending) chain[count++] = &pending->Amp();
    plain.SetFollower(count ? chain[0] : nullptr);
    for (int i = 0; i < count; ++i)
        chain[i]->SetFollower(i + 1 < count ? chain[i + 1] : nullptr);
}

void AmpOversampling::FreeRetired() {
    retired[0].reset();
    retired[1].reset();
}

void AmpOversampling::Run(OversampledAmp* path, AmpModels& plain, double* x, int n) {
    if (path)
        path->ProcessBlock(x, n);
    else
        plain.ProcessBlock(x, n);
}

void AmpOversampling::ProcessBlock(AmpModels& plain, double* x, int n) {
    if (!switching) {
        Run(current.get(), plain, x, n);
        return;
    }
    for (int i = 0; i < n; ++i)
        other[i] = x[i];
    Run(current.get(), plain, x, n);
    Run(incoming.get(), plain, other, n);
    for (int i = 0; i < n; ++i) {
        const int p = switchPosition + i - kWarmUp;
        if (p < 0) continue;
        const double w = p >= kCrossfade ? 1.0 : 0.5 - 0.5 * std::cos(kPi * p / kCrossfade);
        x[i] = x[i] + (other[i] - x[i]) * w;
    }
    switchPosition += n;
    if (switchPosition < kWarmUp + kCrossfade) return;
    // The new path alone is heard from the next block on; the old one is freed off the audio path.
    std::unique_ptr<OversampledAmp>& slot = retired[0] ? retired[1] : retired[0];
    slot = std::move(current);
    current = std::move(incoming);
    switching = false;
    if (pendingSet) {
        incoming = std::move(pending);
        pendingSet = false;
        StartSwitch();
    }
    Link(plain);
}

void AmpOversampling::ClearState() {
    if (current) current->ClearState();
    if (incoming) incoming->ClearState();
}
