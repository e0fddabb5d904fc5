#include "AliasMeter.h"

#include "Fft.h"
#include "SignalChain.h"

#include <chrono>
#include <cmath>
#include <memory>

namespace {

constexpr int kLength = 65536;
constexpr int kSettle = 72000;
constexpr int kBlock = 256;
constexpr double kPi = 3.141592653589793;
constexpr double kKaiserBeta = 20.0; // side lobes far below anything measured here
constexpr int kGuardBins = 12;        // a partial's main lobe and its skirt

double BesselI0(double x) {
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 200; ++k) {
        term *= (0.25 * x * x) / (static_cast<double>(k) * k);
        sum += term;
        if (term < sum * 1e-18) break;
    }
    return sum;
}

std::unique_ptr<SignalChain> MakeChain(const AliasCase& c) {
    auto chain = std::make_unique<SignalChain>();
    chain->Reset(kAliasRate);
    chain->SetGateEnabled(false);
    chain->SetAmpEnabled(true);
    chain->SetCabPreset(0);
    chain->SetEqLow(0.0, 0.5);
    chain->SetEqHigh(0.0);
    chain->SetLoudness(0.0, 0.0);
    chain->SetMasterVolume(1.0);
    AmpModels& amp = chain->Amp();
    amp.SelectModel(c.model);
    amp.SetGain(c.gain);
    if (c.model == 14) amp.SetTreble(0.0); // modulation off
    chain->SetOversampling(c.factor);
    return chain;
}

} // namespace

AliasResult MeasureAlias(const AliasCase& c, bool keepSpectrum) {
    AliasResult result;
    auto chain = MakeChain(c);
    // Let a factor switch finish before the sine starts.
    std::vector<double> zero(kBlock, 0.0), in(kBlock), out0(kBlock), out1(kBlock);
    for (int i = 0; i < 4096; i += kBlock)
        chain->ProcessBlock(zero.data(), zero.data(), out0.data(), out1.data(), kBlock);

    const double amplitude = std::pow(10.0, kAliasLevelDb / 20.0);
    const double w = 2.0 * kPi * c.freqHz / kAliasRate;
    std::vector<double> captured(kLength);
    const int total = kSettle + kLength;
    const auto start = std::chrono::steady_clock::now();
    for (int at = 0; at < total; at += kBlock) {
        for (int i = 0; i < kBlock; ++i)
            in[static_cast<size_t>(i)] = amplitude * std::sin(w * (at + i));
        chain->ProcessBlock(in.data(), zero.data(), out0.data(), out1.data(), kBlock);
        for (int i = 0; i < kBlock; ++i) {
            const int k = at + i - kSettle;
            if (k >= 0 && k < kLength) captured[static_cast<size_t>(k)] = out0[static_cast<size_t>(i)];
        }
    }
    const auto stop = std::chrono::steady_clock::now();
    result.nsPerSample = std::chrono::duration<double, std::nano>(stop - start).count() / total;

    const double norm = BesselI0(kKaiserBeta);
    for (int i = 0; i < kLength; ++i) {
        const double r = 2.0 * i / (kLength - 1) - 1.0;
        captured[static_cast<size_t>(i)] *= BesselI0(kKaiserBeta * std::sqrt(1.0 - r * r)) / norm;
    }
    InitFftTables();
    std::vector<double> re(kLength / 2), im(kLength / 2), power(kLength / 2, 0.0);
    RealFftForward(captured.data(), re.data(), im.data(), kLength);
    for (int p = 1; p < kLength / 2; ++p) {
        const int bin = FftBinAtPosition(p, kLength / 2);
        power[static_cast<size_t>(bin)] = re[static_cast<size_t>(p)] * re[static_cast<size_t>(p)] +
                                          im[static_cast<size_t>(p)] * im[static_cast<size_t>(p)];
    }
    const double binHz = kAliasRate / kLength;
    // Bins near a partial belong to it; the strongest partial is the largest of them.
    std::vector<char> nearPartial(kLength / 2, 0);
    for (double h = c.freqHz; h < kAliasRate / 2; h += c.freqHz) {
        const int centre = static_cast<int>(std::lround(h / binHz));
        for (int b = centre - kGuardBins; b <= centre + kGuardBins; ++b)
            if (b >= 0 && b < kLength / 2) nearPartial[static_cast<size_t>(b)] = 1;
    }
    double partial = 1e-300, folded = 1e-300;
    int foldedBin = 0;
    const int low = static_cast<int>(20.0 / binHz), high = static_cast<int>(kAliasBandHz / binHz);
    for (int b = 1; b < kLength / 2; ++b) {
        const double v = power[static_cast<size_t>(b)];
        if (nearPartial[static_cast<size_t>(b)]) {
            if (v > partial) partial = v;
        } else if (b >= low && b <= high && v > folded) {
            folded = v;
            foldedBin = b;
        }
    }
    result.foldedDb = 10.0 * std::log10(folded / partial);
    result.foldedHz = foldedBin * binHz;
    if (keepSpectrum) {
        result.binHz = binHz;
        result.spectrumDb.resize(kLength / 2);
        for (int b = 0; b < kLength / 2; ++b)
            result.spectrumDb[static_cast<size_t>(b)] = 10.0 * std::log10(power[static_cast<size_t>(b)] / partial + 1e-30);
    }
    return result;
}
