// Metal Machine: two clipped preamps side by side, one split into three bands, the other into a
// low band, summed before the knob sections.
#include "SharedStages.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        const double drive = g.State().drive;
        const typename G::Signal a = PreampInput(g, x);
        const typename G::Signal b = Sections(g, x, {MetalMachine::highPass2, MetalMachine::lowPass2});
        const auto [e, f] = g.MapN(
            [drive](auto& o, double u, double v) {
                return std::array<double, 2>{
                    PreampClipSample(o, drive, u),
                    o.PoleA(MetalMachine::clipLowPass2,
                            o.Shape(MetalMachine::clip2, SoftClipCurve{0.5, drive}, v))};
            },
            a, b);
        const typename G::Signal high = g.Section(Preamp::band2, e);
        const typename G::Signal low = g.Section(Preamp::band1, e);
        const typename G::Signal body = g.Section(Preamp::band3, e);
        const typename G::Signal second = g.Section(MetalMachine::band2, f);
        const typename G::Signal w = g.Map(
            [](auto&, double hp, double lp, double m, double d) {
                const double one = (1.8 * hp * 5.6f + lp * 5.05f + m * 6.85f) * 0.1;
                return one + d * 5.0 * 0.1;
            },
            high, low, body, second);
        return Sections(g, w, {Knobs::bass, Knobs::middle, Knobs::treble});
    }
};

void Design(ModelDesigner& d) {
    using namespace layout;
    d.PoleA(Preamp::clipLowPass, 2750);
    d.PoleA(MetalMachine::clipLowPass2, 4950);
    d.HighPass(Preamp::inputHighPass, 785, 1.4);
    d.LowPass(Preamp::inputLowPass, 4400, 1.4);
    d.LowPass(Preamp::band1, 85, 0.755);
    d.HighPass(Preamp::band2, 2950, 0.85);
    d.LowPass(Preamp::band3, 200, 0.7);
    d.HighPass(MetalMachine::highPass2, 180, 1.4);
    d.LowPass(MetalMachine::lowPass2, 5100, 1.4);
    d.LowPass(MetalMachine::band2, 160, 0.555);
}

} // namespace

extern const ModelDescription kMetalMachineModel;
const ModelDescription kMetalMachineModel = {Design,
                                             {380, 3},
                                             {900, 1.5},
                                             {8000, 3},
                                             nullptr,
                                             nullptr,
                                             nullptr,
                                             nullptr,
                                             RunSample<Model>,
                                             RunChunk<Model>,
                                             false,
                                             {{PanelControl::kKnob, KnobName::kDrive},
                                              {PanelControl::kKnob, KnobName::kUsual},
                                              {PanelControl::kKnob, KnobName::kUsual},
                                              {PanelControl::kKnob, KnobName::kUsual}}};
