// vulpane-alias: the amp models' aliasing at each oversampling factor.
//
//   vulpane-alias [--models A-B] [--factors 1,2,4,8] [--plot FILE.png --plot-model M --plot-factor K]
//   vulpane-alias --clip-sketch   (one SoftClip, plain and with ADAA: ClipSketch.h)
//
// Prints one row per model and factor, at gain 1 (the method is in AliasMeter.h): the folded
// figure (strongest inharmonic peak, dB below the strongest peak) and the inharmonic figure
// (inharmonic power from 20 Hz to 5 kHz, dB below the total power) at 1109 Hz, at 2917 Hz and the
// worse of the two, the worse folded figure counting only up to 20 kHz (the resamplers' pass
// band), and the chain's time per host sample (ns). Then per factor the median of the
// worse figures over the distorting models (all but Piezo Acoustic). The plot shows the model at
// 1109 Hz at 1x (red) and at the plot factor (blue).
#include "AliasMeter.h"
#include "ClipSketch.h"
#include "SpectrumPlot.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kNames[16] = {"Clean 1",       "Clean 2",       "Clean 3",     "Clean 4",
                                "Piezo Acoustic", "Tube Creamer",  "Fuzzz",       "Metal Charter",
                                "Metal Machine", "Metal Style",   "JGM900",      "Dirty Box",
                                "Darktorsion",   "Bat",           "Poltergeist", "Noise Soldier"};

std::vector<int> ParseList(const char* text) {
    std::vector<int> v;
    for (const char* p = text; *p;) {
        char* end = nullptr;
        const long a = std::strtol(p, &end, 10);
        if (end == p) break;
        long b = a;
        p = end;
        if (*p == '-') {
            b = std::strtol(p + 1, &end, 10);
            p = end;
        }
        for (long i = a; i <= b; ++i)
            v.push_back(static_cast<int>(i));
        if (*p == ',') ++p;
    }
    return v;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> models = ParseList("0-15"), factors = ParseList("1,2,4,8");
    const char* plot = nullptr;
    int plotModel = 11, plotFactor = 2;
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (!std::strcmp(argv[i], "--models") && more) models = ParseList(argv[++i]);
        else if (!std::strcmp(argv[i], "--factors") && more) factors = ParseList(argv[++i]);
        else if (!std::strcmp(argv[i], "--clip-sketch")) {
            PrintClipSketch();
            return 0;
        } else if (!std::strcmp(argv[i], "--plot") && more) plot = argv[++i];
        else if (!std::strcmp(argv[i], "--plot-model") && more) plotModel = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--plot-factor") && more) plotFactor = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: vulpane-alias [--models A-B] [--factors 1,2,4,8] [--plot FILE.png "
                                 "--plot-model M --plot-factor K] [--clip-sketch]\n");
            return 2;
        }
    }
    std::printf("| model | factor | folded 1109 | folded 2917 | folded worse | inharmonic 1109 | inharmonic 2917 | "
                "inharmonic worse | folded worse < 20 kHz | ns |\n|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    std::vector<std::vector<double>> worseFolded(factors.size()), worseInharmonic(factors.size()),
        worseAudible(factors.size());
    for (int m : models) {
        if (m < 0 || m > 15) continue;
        for (size_t k = 0; k < factors.size(); ++k) {
            const AliasResult low = MeasureAlias(AliasCase{m, factors[k], 1109.0, 1.0});
            const AliasResult high = MeasureAlias(AliasCase{m, factors[k], 2917.0, 1.0});
            const double folded = std::max(low.foldedDb, high.foldedDb);
            const double inharmonic = std::max(low.inharmonicDb, high.inharmonicDb);
            const double audible = std::max(low.foldedAudibleDb, high.foldedAudibleDb);
            std::printf("| %d %s | %dx | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f | %.0f |\n", m, kNames[m],
                        factors[k], low.foldedDb, high.foldedDb, folded, low.inharmonicDb, high.inharmonicDb,
                        inharmonic, audible, 0.5 * (low.nsPerSample + high.nsPerSample));
            std::fflush(stdout);
            if (m != 4) {
                worseFolded[k].push_back(folded);
                worseInharmonic[k].push_back(inharmonic);
                worseAudible[k].push_back(audible);
            }
        }
    }
    for (size_t k = 0; k < factors.size(); ++k)
        if (!worseFolded[k].empty())
            std::printf("| median of the distorting models | %dx | | | %.1f | | | %.1f | %.1f | |\n", factors[k],
                        Median(worseFolded[k]), Median(worseInharmonic[k]), Median(worseAudible[k]));
    if (plot) {
        const AliasResult plain = MeasureAlias(AliasCase{plotModel, 1, 1109.0, 1.0}, true);
        const AliasResult over = MeasureAlias(AliasCase{plotModel, plotFactor, 1109.0, 1.0}, true);
        char title[160], one[96], other[96];
        std::snprintf(title, sizeof title, "%s, gain 1, 1109 Hz sine at -18 dBFS, 48 kHz: spectrum of the output",
                      plotModel >= 0 && plotModel < 16 ? kNames[plotModel] : "?");
        std::snprintf(one, sizeof one, "1x: folded %.1f dB, inharmonic < 5 kHz %.1f dB", plain.foldedDb,
                      plain.inharmonicDb);
        std::snprintf(other, sizeof other, "%dx: folded %.1f dB, inharmonic < 5 kHz %.1f dB", plotFactor,
                      over.foldedDb, over.inharmonicDb);
        if (!WriteSpectrumPlot(plot, title, {{plain.spectrumDb, one}, {over.spectrumDb, other}}, plain.binHz, 24000.0,
                               -160.0)) {
            std::fprintf(stderr, "vulpane-alias: cannot write %s\n", plot);
            return 1;
        }
        std::printf("plot: %s (%s; %s)\n", plot, one, other);
    }
    return 0;
}
