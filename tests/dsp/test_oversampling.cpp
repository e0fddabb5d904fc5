// The amp models' oversampled path: the up/down chain's figures from its impulse response, the
// oversampled models against the host-rate ones on a quiet signal, the alias figures of two
// models, and a factor switch while audio runs.
#include "AliasMeter.h"
#include "AllocationCounter.h"
#include "DftAt.h"
#include "HalfBandResampler.h"
#include "SignalChain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRate = 48000.0;
using Cx = std::complex<double>;

} // namespace

// Pass band 0 .. 0.4167 sr (20 kHz at 48 kHz); Up's stop band from 0.5833 sr up to half the high
// rate, Down's from 0.5 sr at 4x and 8x. The latency includes room for the models' anti-aliased
// shapers. At 4x and 8x the round trip is a plain delay; at 2x (allpass half-bands) its gain is
// flat and its phase stays within a few degrees of that delay below 5 kHz.
TEST(Oversampler, ChainFiguresFromItsImpulseResponse) {
    struct Row {
        int factor;
        int latency;
        double stopDb; // at least this far down
    };
    for (const Row row : {Row{2, 5, 95.0}, Row{4, 56, 95.0}, Row{8, 58, 95.0}}) {
        const int k = row.factor;
        Oversampler o;
        ASSERT_TRUE(o.Prepare(k, 256));
        EXPECT_EQ(o.Latency(), row.latency);
        EXPECT_EQ(Oversampler::LatencyOf(k), row.latency);
        std::vector<double> in(256, 0.0), up(256 * static_cast<size_t>(k)), round(256);
        in[0] = 1.0;
        o.Up(in.data(), 256, up.data());
        // f in host-rate units; the stop band is every image of the pass band (within 0.4167 of
        // a non-zero multiple of the host rate): what the decimator would fold onto the audio.
        double worstPass = 0.0, worstStop = -400.0;
        for (double f = 0.0; f <= 0.5 * k; f += 0.0025) {
            const double db = 20.0 * std::log10(std::abs(DftAt(up, f / k)) / k + 1e-30);
            const double toImage = std::fabs(f - std::round(f));
            if (f <= 0.4167) worstPass = std::max(worstPass, std::fabs(db));
            if (f >= 0.5833 && toImage <= 0.4167) worstStop = std::max(worstStop, db);
        }
        EXPECT_LT(worstPass, 0.001) << k << "x pass-band ripple in dB";
        EXPECT_LT(worstStop, -row.stopDb) << k << "x stop band";
        // Down alone on sines above the host's Nyquist: what comes out, folded, is at least 75 dB
        // down from 0.5 of the host rate at 4x and 8x (the steep last step), from 0.5833 at 2x.
        for (const double f : {0.5, 0.51, 0.53, 0.56, 0.5833, 0.62, 0.75, 0.9, 0.47 + 0.5 * (k - 1)}) {
            if (k == 2 && f < 0.5833) continue;
            Oversampler d;
            ASSERT_TRUE(d.Prepare(k, 256));
            std::vector<double> fast(256 * static_cast<size_t>(k)), out(256);
            double peak = 0.0;
            for (int b = 0; b < 8; ++b) {
                for (int i = 0; i < 256 * k; ++i)
                    fast[static_cast<size_t>(i)] = std::cos(2.0 * kPi * f * (b * 256 * k + i) / k);
                d.Down(fast.data(), 256, out.data());
                if (b >= 2)
                    for (double v : out)
                        peak = std::max(peak, std::fabs(v));
            }
            EXPECT_LT(20.0 * std::log10(peak + 1e-30), -75.0)
                << k << "x Down at " << f << " of the host rate";
        }
        // The round trip is a plain delay of the latency across the pass band.
        o.Clear();
        o.Up(in.data(), 256, up.data());
        o.Down(up.data(), 256, round.data());
        for (double f = 0.0; f <= 0.4167; f += 0.01) {
            const Cx h = DftAt(round, f) * std::polar(1.0, 2.0 * kPi * f * row.latency);
            if (k > 2) {
                EXPECT_LT(std::abs(h - 1.0), 2e-4) << k << "x at " << f * kRate << " Hz";
                continue;
            }
            EXPECT_LT(std::fabs(std::abs(h) - 1.0), 2e-4) << k << "x at " << f * kRate << " Hz";
            const double degrees = std::fabs(std::arg(h)) * 180.0 / kPi;
            if (f * kRate <= 5000.0) {
                EXPECT_LT(degrees, f * kRate <= 2000.0 ? 0.5 : 3.0) << k << "x at " << f * kRate << " Hz";
            }
        }
    }
}

// A quiet multi-sine (each tone 1e-6, far below every clip) through each model at 1x and at k x:
// the complex response at each tone, with the k x latency taken out, agrees within 1.2 dB and 12
// degrees up to 2 kHz and within 2.5 dB and 25 degrees up to 5 kHz. What is left is the host-rate
// designs' own warping near their Nyquist, which the faster designs do not have.
TEST(OversampledModels, MatchHostRateModelsBelowFiveKilohertz) {
    const double tones[] = {150.0, 400.0, 1000.0, 2000.0, 3500.0, 5000.0};
    const int window = 24000, settle = 24000; // 2 Hz bins: every tone is periodic in the window
    auto response = [&](int model, int factor, std::vector<Cx>& out) {
        auto chain = std::make_unique<SignalChain>();
        chain->Reset(kRate);
        chain->SetAmpEnabled(true);
        chain->SetMasterVolume(1.0);
        chain->SetLoudness(0.0, 0.0);
        chain->Amp().SelectModel(model);
        if (model == 14) chain->Amp().SetTreble(0.0); // the pitch shifter's sweep is not a filter
        chain->SetOversampling(factor);
        const int latency = chain->OversamplingLatency();
        std::vector<double> x(256), zero(256, 0.0), y0(256), y1(256), captured;
        // The tones play through the factor switch's crossfade and settle before the window.
        const int total = AmpOversampling::kWarmUp + AmpOversampling::kCrossfade + settle + window + latency;
        for (int at = 0; at < total; at += 256) {
            for (int i = 0; i < 256; ++i) {
                double v = 0.0;
                for (double f : tones)
                    v += 1e-6 * std::sin(2.0 * kPi * f * (at + i) / kRate);
                x[static_cast<size_t>(i)] = v;
            }
            chain->ProcessBlock(x.data(), zero.data(), y0.data(), y1.data(), 256);
            captured.insert(captured.end(), y0.begin(), y0.end());
        }
        const size_t from = static_cast<size_t>(total - window);
        out.clear();
        for (double f : tones) {
            Cx sum = 0.0;
            for (int n = 0; n < window; ++n)
                sum += captured[from + static_cast<size_t>(n)] *
                       std::polar(1.0, -2.0 * kPi * f * (static_cast<double>(from) + n - latency) / kRate);
            out.push_back(sum);
        }
    };
    const double kLowDb = 1.2, kLowDeg = 12.0, kHighDb = 2.5, kHighDeg = 25.0;
    for (int model = 0; model < AmpModels::kModelCount; ++model) {
        std::vector<Cx> plain, over;
        response(model, 1, plain);
        for (int factor : {2, 4, 8}) {
            response(model, factor, over);
            for (size_t t = 0; t < plain.size(); ++t) {
                const double db = 20.0 * std::log10(std::abs(over[t]) / std::abs(plain[t]));
                const double deg = std::arg(over[t] / plain[t]) * 180.0 / kPi;
                const bool low = tones[t] <= 2000.0;
                EXPECT_LT(std::fabs(db), low ? kLowDb : kHighDb)
                    << "model " << model << " " << factor << "x " << tones[t] << " Hz";
                EXPECT_LT(std::fabs(deg), low ? kLowDeg : kHighDeg)
                    << "model " << model << " " << factor << "x " << tones[t] << " Hz";
            }
        }
    }
}

// Two representative models, the figures of the alias tool with margin: a hard clipper (Dirty
// Box: -21 dB at 1x, -90 dB at 2x with its anti-aliased shapers, -104 dB at 8x) and a softer one
// (Clean 4: -24 dB at 1x, -104 dB at 8x).
TEST(OversampledModels, AliasFiguresOfTwoModels) {
    struct Row {
        int model;
        int factor;
        double freq;
        double gain;
        double atMostDb;
    };
    const Row rows[] = {
        {11, 1, 1109.0, 1.0, -18.0}, {11, 2, 1109.0, 1.0, -72.0}, {11, 8, 1109.0, 1.0, -95.0},
        {3, 1, 2917.0, 1.0, -20.0},  {3, 8, 2917.0, 1.0, -95.0},
    };
    double plain11 = 0.0;
    for (const Row& r : rows) {
        const AliasResult a = MeasureAlias(AliasCase{r.model, r.factor, r.freq, r.gain});
        EXPECT_LT(a.foldedDb, r.atMostDb) << "model " << r.model << " " << r.factor << "x";
        // The inharmonic power below 5 kHz: Dirty Box measures -18 dB at 1x and -89 dB at 2x.
        if (r.model == 11 && r.factor <= 2) {
            EXPECT_LT(a.inharmonicDb, r.factor == 1 ? -15.0 : -80.0);
        }
        if (r.model == 11 && r.factor == 1) plain11 = a.foldedDb;
        if (r.model == 11 && r.factor == 2) {
            EXPECT_LT(a.foldedDb, plain11 - 50.0);
        }
    }
}

// Switching 1x -> 4x -> 2x -> 1x while a note plays: the blocks allocate nothing, and no step
// between samples is larger than the note's own largest step (a click would be).
TEST(OversampledModels, FactorSwitchWhileAudioRunsNeitherClicksNorAllocates) {
    auto chain = std::make_unique<SignalChain>();
    chain->Reset(kRate);
    chain->SetAmpEnabled(true);
    chain->SetMasterVolume(1.0);
    chain->Amp().SelectModel(8);
    chain->Amp().SetGain(0.6);
    std::vector<double> x(256), zero(256, 0.0), y0(256), y1(256), out;
    out.reserve(256 * 200);
    int at = 0;
    auto play = [&](int blocks) {
        AllocationCounter counter;
        for (int b = 0; b < blocks; ++b, at += 256) {
            for (int i = 0; i < 256; ++i)
                x[static_cast<size_t>(i)] = 0.05 * std::sin(2.0 * kPi * 220.0 * (at + i) / kRate);
            chain->ProcessBlock(x.data(), zero.data(), y0.data(), y1.data(), 256);
            out.insert(out.end(), y0.begin(), y0.end());
        }
        EXPECT_EQ(counter.Allocations(), 0);
    };
    play(40);
    const size_t steady = out.size();
    play(20);
    double noteStep = 0.0;
    for (size_t i = steady + 1; i < out.size(); ++i)
        noteStep = std::max(noteStep, std::fabs(out[i] - out[i - 1]));
    for (int factor : {4, 2, 1}) {
        const size_t from = out.size();
        ASSERT_TRUE(chain->SetOversampling(factor));
        play(20);
        double step = 0.0;
        for (size_t i = from; i < out.size(); ++i)
            step = std::max(step, std::fabs(out[i] - out[i - 1]));
        EXPECT_LT(step, 1.2 * noteStep) << "switch to " << factor << "x";
    }
    EXPECT_FALSE(chain->SetOversampling(3));
    EXPECT_EQ(chain->Oversampling(), 1);
}

// A quality switch's path may come designed with the settings its maker expected. Designed with
// those in effect, with stale ones or with none, it sounds the same once the chain takes it: bit
// for bit, as the chain designs it again wherever the settings differ.
TEST(OversampledModels, PathDesignedAheadSoundsAsOneDesignedAtTheSwitch) {
    std::vector<std::vector<double>> renders;
    for (int variant = 0; variant < 3; ++variant) {
        auto chain = std::make_unique<SignalChain>();
        chain->Reset(kRate);
        chain->SetAmpEnabled(true);
        chain->Amp().SelectModel(12);
        chain->Amp().SetGain(0.7);
        chain->Amp().SetTreble(0.3);
        std::vector<double> x(256), zero(256, 0.0), y0(256), y1(256), out;
        auto play = [&](int blocks) {
            for (int b = 0; b < blocks; ++b) {
                for (int i = 0; i < 256; ++i)
                    x[static_cast<size_t>(i)] = 0.1 * std::sin(2.0 * kPi * 196.0 * (out.size() + i) / kRate);
                chain->ProcessBlock(x.data(), zero.data(), y0.data(), y1.data(), 256);
                out.insert(out.end(), y0.begin(), y0.end());
            }
        };
        play(8);
        std::unique_ptr<OversampledAmp> path, freed[3];
        ASSERT_TRUE(chain->PrepareOversampling(8, path));
        if (variant == 1) path->Amp().UseSettings(chain->Amp().Settings());
        if (variant == 2) {
            AmpSettings stale = chain->Amp().Settings();
            stale.model = 3;
            stale.knobs.gain = 0.1;
            path->Amp().UseSettings(stale);
        }
        chain->InstallOversampling(8, std::move(path), freed);
        play(24);
        renders.push_back(out);
    }
    EXPECT_EQ(renders[1], renders[0]) << "designed ahead with the settings in effect";
    EXPECT_EQ(renders[2], renders[0]) << "designed ahead with stale settings";
}
