// Piezo Acoustic: twelve resonator combs on a low-passed copy for the body, two long combs for
// the low end and an air peak above 8 kHz on the cut input.
#include "ModelDescription.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        const typename G::Signal cut =
            g.Map([](auto& o, double v) { return o.PoleHighPass(Piezo::airCut, v); }, x);
        const typename G::Signal low = g.Section(Piezo::lowCombInput, x);
        const typename G::Signal mid = g.Section(Piezo::midInput, x);
        const typename G::Signal res = g.Section(Piezo::resonatorInput, mid);
        const typename G::Signal air = g.Section(Piezo::air, cut);
        const typename G::Signal sum = g.Map(
            [](auto& o, double v) {
                double c = 0.0;
                for (int k = 0; k < Piezo::resonatorsCount; ++k)
                    c += o.Comb(CombRow{Piezo::resonators.index + k}, 0.835, v);
                return 0.7 * c;
            },
            res);
        const typename G::Signal body = g.Section(Piezo::bodyShelf, sum);
        const typename G::Signal w = g.Map(
            [](auto& o, double l, double m, double b, double h) {
                const double a = o.Comb(Piezo::lowComb, 0.99, l);
                const double c = o.Comb(Piezo::midComb, 0.99, m);
                return 3.0 * (c + b + h + a);
            },
            low, mid, body, air);
        return Sections(g, w, {Knobs::bass, Knobs::middle, Knobs::treble});
    }
};

void Design(ModelDesigner& d) {
    using namespace layout;
    static const double kSeconds[Piezo::resonatorsCount] = {0.0074, 0.0081, 0.0086, 0.0069, 0.0065, 0.0062,
                                                            0.0093, 0.006,  0.0057, 0.0053, 0.005,  0.0047};
    for (int k = 0; k < Piezo::resonatorsCount; ++k)
        d.Row(CombRow{Piezo::resonators.index + k}, kSeconds[k]);
    d.Row(Piezo::lowComb, 0.00032);
    d.Row(Piezo::midComb, 0.00032);
    d.PoleB(Piezo::airCut, 5000);
    d.LowPass(Piezo::lowCombInput, 121, 1.4);
    d.LowPass(Piezo::midInput, 210, 1.4);
    d.LowPass(Piezo::resonatorInput, 5000, 1.4);
    d.Peak(Piezo::air, 8800, 3, 30);
    d.SoftShelf(Piezo::bodyShelf, 300, 1, -30);
}

} // namespace

extern const ModelDescription kPiezoAcousticModel;
const ModelDescription kPiezoAcousticModel = {Design,
                                              {200, 3},
                                              {2000, 3},
                                              {5000, 3},
                                              nullptr,
                                              nullptr,
                                              nullptr,
                                              nullptr,
                                              RunSample<Model>,
                                              RunChunk<Model>,
                                              false,
                                              {{PanelControl::kNone, KnobName::kUsual},
                                               {PanelControl::kKnob, KnobName::kUsual},
                                               {PanelControl::kKnob, KnobName::kUsual},
                                               {PanelControl::kKnob, KnobName::kUsual}},
                                              0};
