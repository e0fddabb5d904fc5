// vulpane-alias: the amp models' folded components at each oversampling factor.
//
//   vulpane-alias [--models A-B] [--factors 1,2,4,8] [--plot FILE.png --plot-model M --plot-factor K]
//
// Prints one row per model: for each factor the strongest folded component relative to the
// strongest partial (dB, the worst of 1109 Hz and 2917 Hz at gains 0.5 and 1.0) and the chain's
// time per host sample (ns). The plot shows the model at gain 1.0 and 1109 Hz at 1x (red) and at
// the plot factor (blue).
#include "AliasMeter.h"
#include "SpectrumPlot.h"

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

} // namespace

int main(int argc, char** argv) {
    std::vector<int> models = ParseList("0-15"), factors = ParseList("1,2,4,8");
    const char* plot = nullptr;
    int plotModel = 11, plotFactor = 2;
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (!std::strcmp(argv[i], "--models") && more) models = ParseList(argv[++i]);
        else if (!std::strcmp(argv[i], "--factors") && more) factors = ParseList(argv[++i]);
        else if (!std::strcmp(argv[i], "--plot") && more) plot = argv[++i];
        else if (!std::strcmp(argv[i], "--plot-model") && more) plotModel = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--plot-factor") && more) plotFactor = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: vulpane-alias [--models A-B] [--factors 1,2,4,8] [--plot FILE.png "
                                 "--plot-model M --plot-factor K]\n");
            return 2;
        }
    }
    std::printf("| model |");
    for (int k : factors)
        std::printf(" %dx dB | %dx ns |", k, k);
    std::printf("\n|---|");
    for (size_t i = 0; i < factors.size(); ++i)
        std::printf("---:|---:|");
    std::printf("\n");
    for (int m : models) {
        if (m < 0 || m > 15) continue;
        std::printf("| %d %s |", m, kNames[m]);
        for (int k : factors) {
            double worst = -1e9, ns = 0.0;
            for (double f : {1109.0, 2917.0})
                for (double g : {0.5, 1.0}) {
                    const AliasResult r = MeasureAlias(AliasCase{m, k, f, g});
                    if (r.foldedDb > worst) worst = r.foldedDb;
                    ns += r.nsPerSample / 4.0;
                }
            std::printf(" %.1f | %.0f |", worst, ns);
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    if (plot) {
        const AliasResult plain = MeasureAlias(AliasCase{plotModel, 1, 1109.0, 1.0}, true);
        const AliasResult over = MeasureAlias(AliasCase{plotModel, plotFactor, 1109.0, 1.0}, true);
        if (!WriteSpectrumPlot(plot, {plain.spectrumDb, over.spectrumDb}, plain.binHz, 24000.0, -160.0)) {
            std::fprintf(stderr, "vulpane-alias: cannot write %s\n", plot);
            return 1;
        }
        std::printf("plot: %s (model %d at 1109 Hz, gain 1.0: 1x red %.1f dB, %dx blue %.1f dB)\n", plot, plotModel,
                    plain.foldedDb, plotFactor, over.foldedDb);
    }
    return 0;
}
