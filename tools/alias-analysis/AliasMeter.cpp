#include "AliasMeter.h"

#include "Fft.h"
#include "SignalChain.h"

#include <chrono>
#include <cmath>
#include <memory>

namespace {

constexpr int kFftSize = 65536; // the analysed second, zero-padded
constexpr int kBlock = 256;
constexpr double kPi = 3.141592653589793;

// 4-term Blackman-Harris: side lobes 92 dB down, main lobe +-4 bins of 1 Hz, inside the guard.
double BlackmanHarris(int i, int n) {
    const double t = 2.0 * kPi * i / (n - 1);
    return 0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2.0 * t) - 0.01168 * std::cos(3.0 * t);
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
    auto chain = MakeChain(c);
    // Let a factor switch finish before the sine starts.
    std::vector<double> zero(kBlock, 0.0), in(kBlock), out0(kBlock), out1(kBlock);
    for (int i = 0; i < 4096; i += kBlock)
        chain->ProcessBlock(zero.data(), zero.data(), out0.data(), out1.data(), kBlock);

    const double amplitude = std::pow(10.0, kAliasLevelDb / 20.0);
    const double w = 2.0 * kPi * c.freqHz / kAliasRate;
    std::vector<double> captured(kAliasAnalysed, 0.0);
    const int total = kAliasWarmUp + kAliasAnalysed;
    const auto start = std::chrono::steady_clock::now();
    for (int at = 0; at < total; at += kBlock) {
        for (int i = 0; i < kBlock; ++i)
            in[static_cast<size_t>(i)] = amplitude * std::sin(w * (at + i));
        chain->ProcessBlock(in.data(), zero.data(), out0.data(), out1.data(), kBlock);
        for (int i = 0; i < kBlock; ++i) {
            const int k = at + i - kAliasWarmUp;
            if (k >= 0 && k < kAliasAnalysed) captured[static_cast<size_t>(k)] = out0[static_cast<size_t>(i)];
        }
    }
    const auto stop = std::chrono::steady_clock::now();
    AliasResult result = AnalyseAlias(captured.data(), c.freqHz, keepSpectrum);
    result.nsPerSample = std::chrono::duration<double, std::nano>(stop - start).count() / total;
    return result;
}

AliasResult AnalyseAlias(const double* signal, double freqHz, bool keepSpectrum) {
    AliasResult result;
    std::vector<double> captured(kFftSize, 0.0);
    for (int i = 0; i < kAliasAnalysed; ++i)
        captured[static_cast<size_t>(i)] = signal[i] * BlackmanHarris(i, kAliasAnalysed);
    InitFftTables();
    const int bins = kFftSize / 2;
    std::vector<double> re(bins), im(bins), power(bins, 0.0);
    RealFftForward(captured.data(), re.data(), im.data(), kFftSize);
    for (int p = 1; p < bins; ++p) {
        const int bin = FftBinAtPosition(p, bins);
        power[static_cast<size_t>(bin)] = re[static_cast<size_t>(p)] * re[static_cast<size_t>(p)] +
                                          im[static_cast<size_t>(p)] * im[static_cast<size_t>(p)];
    }
    const double binHz = kAliasRate / kFftSize;
    std::vector<char> harmonic(bins, 0);
    for (double h = freqHz; h < kAliasRate / 2; h += freqHz) {
        const int lo = static_cast<int>(std::ceil((h - kAliasGuardHz) / binHz));
        const int hi = static_cast<int>(std::floor((h + kAliasGuardHz) / binHz));
        for (int b = lo; b <= hi; ++b)
            if (b >= 0 && b < bins) harmonic[static_cast<size_t>(b)] = 1;
    }
    double strongest = 1e-300, folded = 1e-300, audible = 1e-300, totalPower = 1e-300, inharmonic = 1e-300;
    int foldedBin = 0;
    const int low = static_cast<int>(std::ceil(kAliasLowHz / binHz));
    const int top = static_cast<int>(kAliasInharmonicTopHz / binHz);
    for (int b = low; b < bins; ++b) {
        const double v = power[static_cast<size_t>(b)];
        totalPower += v;
        if (v > strongest) strongest = v;
        if (harmonic[static_cast<size_t>(b)]) continue;
        if (b <= top) inharmonic += v;
        if (b * binHz <= kAliasAudibleTopHz && v > audible) audible = v;
        if (v > folded) {
            folded = v;
            foldedBin = b;
        }
    }
    result.foldedDb = 10.0 * std::log10(folded / strongest);
    result.foldedHz = foldedBin * binHz;
    result.foldedAudibleDb = 10.0 * std::log10(audible / strongest);
    result.inharmonicDb = 10.0 * std::log10(inharmonic / totalPower);
    if (keepSpectrum) {
        result.binHz = binHz;
        result.spectrumDb.resize(static_cast<size_t>(bins));
        for (int b = 0; b < bins; ++b)
            result.spectrumDb[static_cast<size_t>(b)] = 10.0 * std::log10(power[static_cast<size_t>(b)] / strongest + 1e-30);
    }
    return result;
}
