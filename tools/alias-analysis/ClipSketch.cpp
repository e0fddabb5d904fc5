#include "ClipSketch.h"

#include "AdaaStages.h"
#include "AliasMeter.h"
#include "DspBank.h"
#include "HalfBandResampler.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kBlock = 256;
constexpr double kPi = 3.141592653589793;
constexpr double kDrive = 200.0;

enum class Clip { kPlain, kFirstOrder, kSecondOrder };

AliasResult Run(Clip clip, int factor, double freqHz) {
    Oversampler resampler;
    resampler.Prepare(factor, kBlock);
    SoftClipAdaa1 first;
    SoftClipAdaa2 second;
    const double amplitude = std::pow(10.0, kAliasLevelDb / 20.0);
    const double w = 2.0 * kPi * freqHz / kAliasRate;
    std::vector<double> in(kBlock), fast(static_cast<size_t>(kBlock * factor)), out(kBlock), captured(kAliasAnalysed);
    for (int at = 0; at < kAliasWarmUp + kAliasAnalysed; at += kBlock) {
        for (int i = 0; i < kBlock; ++i)
            in[static_cast<size_t>(i)] = amplitude * std::sin(w * (at + i));
        resampler.Up(in.data(), kBlock, fast.data());
        for (double& x : fast)
            x = clip == Clip::kPlain        ? SoftClip(x, 0.5, kDrive)
                : clip == Clip::kFirstOrder ? first.Process(x, 0.5, kDrive)
                                            : second.Process(x, 0.5, kDrive);
        resampler.Down(fast.data(), kBlock, out.data());
        for (int i = 0; i < kBlock; ++i) {
            const int k = at + i - kAliasWarmUp;
            if (k >= 0 && k < kAliasAnalysed) captured[static_cast<size_t>(k)] = out[static_cast<size_t>(i)];
        }
    }
    return AnalyseAlias(captured.data(), freqHz);
}

} // namespace

void PrintClipSketch() {
    std::printf("| SoftClip at drive 200 | factor | folded 1109 (at Hz) | folded 2917 (at Hz) | folded to 20 kHz 1109 | folded to 20 kHz 2917 | inharmonic 1109 | inharmonic 2917 |\n"
                "|---|---:|---:|---:|---:|---:|---:|---:|\n");
    const char* names[] = {"plain", "first-order ADAA", "second-order ADAA"};
    for (int c = 0; c < 3; ++c)
        for (int factor : {1, 2, 4}) {
            const AliasResult low = Run(static_cast<Clip>(c), factor, 1109.0);
            const AliasResult high = Run(static_cast<Clip>(c), factor, 2917.0);
            std::printf("| %s | %dx | %.1f (%.0f) | %.1f (%.0f) | %.1f | %.1f | %.1f | %.1f |\n", names[c], factor, low.foldedDb, low.foldedHz, high.foldedDb, high.foldedHz, low.foldedAudibleDb, high.foldedAudibleDb,
                        low.inharmonicDb, high.inharmonicDb);
        }
}
