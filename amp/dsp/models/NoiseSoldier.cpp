// Noise Soldier: two clipped branches on differently cut copies of the input, one smoothed and
// through the middle knob's peak, the other through a band pass, then the treble shelf.
#include "DspMath.h"
#include "ModelDescription.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        const double drive = g.State().drive;
        const typename G::Signal w = g.Map(
            [drive](auto& o, double u) {
                const double h1 = o.PoleHighPass(NoiseSoldier::cut1, u);
                const double c1 = o.Shape(NoiseSoldier::clip1, SoftClipCurve{0.5, drive},
                                          o.PoleA(NoiseSoldier::clipInput1, h1));
                const double d = o.PoleA(NoiseSoldier::smooth2, o.PoleA(NoiseSoldier::smooth1, c1));
                const double x1 = o.Section(
                    NoiseSoldier::middle, o.Section(NoiseSoldier::dip, o.Section(NoiseSoldier::lowShelf, d)));
                const double h2 = o.PoleHighPass(NoiseSoldier::cut2, u);
                const double c2 = o.Shape(NoiseSoldier::clip2, SoftClipCurve{0.5, drive},
                                          o.PoleA(NoiseSoldier::clipInput2, h2));
                const double y = o.PoleA(NoiseSoldier::smooth3, o.Section(NoiseSoldier::band2, c2));
                return 2.0 * y + x1;
            },
            x);
        return g.Section(NoiseSoldier::highShelf, w);
    }
};

void Design(ModelDesigner& d) {
    using namespace layout;
    d.PoleB(NoiseSoldier::cut1, 100);
    d.PoleB(NoiseSoldier::cut2, 1300);
    d.PoleA(NoiseSoldier::clipInput1, 6250);
    d.PoleA(NoiseSoldier::smooth1, 6050);
    d.PoleA(NoiseSoldier::smooth2, 6050);
    d.PoleA(NoiseSoldier::clipInput2, 2500);
    d.PoleA(NoiseSoldier::smooth3, 8700);
    d.Peak(NoiseSoldier::dip, 1332, 2, -3.84);
    d.BandPass(NoiseSoldier::band2, 7000, 1.49);
}

void Gain(ModelDesigner&, ModelState& s) {
    s.drive = 10.0 + 490.0 * GainTaper(s.knobs.gain);
}

void Bass(ModelDesigner& d, ModelState& s) {
    d.LowShelf(layout::NoiseSoldier::lowShelf, 200, 3, 12.0 * s.knobs.bass - 6.0);
}

// The middle peak's frequency and width follow the treble knob.
void Middle(ModelDesigner& d, ModelState& s) {
    const double u = DspPow(1.09051, 16.0 * s.knobs.treble - 8.0);
    double g = 6.0 * s.knobs.middle - 3.0;
    if (g < 0.0) g *= 5.0;
    d.Peak(layout::NoiseSoldier::middle, 800.0 * u, 1.6 * u, g);
}

void Treble(ModelDesigner& d, ModelState& s) {
    d.HighShelf(layout::NoiseSoldier::highShelf, 1500, 3, 16.0 * s.knobs.treble - 8.0);
}

} // namespace

extern const ModelDescription kNoiseSoldierModel;
const ModelDescription kNoiseSoldierModel = {Design,
                                             {},
                                             {},
                                             {},
                                             Gain,
                                             Bass,
                                             Middle,
                                             Treble,
                                             RunSample<Model>,
                                             RunChunk<Model>,
                                             false,
                                             {{PanelControl::kKnob, KnobName::kDrive},
                                              {PanelControl::kKnob, KnobName::kUsual},
                                              {PanelControl::kKnob, KnobName::kUsual},
                                              {PanelControl::kKnob, KnobName::kUsual}}};
