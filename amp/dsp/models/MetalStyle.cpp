// Metal Style: three stages summed, the clipped preamp with a shelf before its clip, a second
// stage on the bass knob's share of the input, and the creamer, into the comb body.
#include "SharedStages.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        const double bass = g.State().knobs.bass;
        const double stageDrive = g.State().stageDrive;
        const typename G::Signal share = g.Map([bass](auto&, double v) { return bass * v; }, x);
        const typename G::Signal a = g.Section(MetalStyle::clipShelf, PreampInput(g, x));
        const typename G::Signal b = g.Section(MetalStyle::stageLowPass, share);
        const double drive = g.State().drive;
        const CreamerSample creamer(g.State());
        const auto [e, f, cream] = g.MapN(
            [drive, stageDrive, creamer](auto& o, double u, double v, double in) {
                const double clipped = PreampClipSample(o, drive, u);
                const double lo = o.PoleB(MetalStyle::stageBass, v);
                // The dry path beside the second stage's clip is delayed as the clip delays.
                const double s = o.ShapeDry(MetalStyle::stageClip, 0, v) +
                                 o.Shape(MetalStyle::stageClip, SoftClipCurve{0.5, stageDrive}, v - lo);
                return std::array<double, 3>{clipped, o.PoleA(MetalStyle::stagePole, s), creamer(o, in)};
            },
            a, b, x);
        const typename G::Signal high = g.Section(Preamp::band2, e);
        const typename G::Signal low = g.Section(Preamp::band1, e);
        const typename G::Signal body = g.Section(Preamp::band3, e);
        const typename G::Signal second = g.Section(MetalStyle::stageShelf, f);
        const auto [v, cut] = g.MapN(
            [](auto& o, double hp, double lp, double m, double two, double c) {
                const double one = (1.8 * hp * 10.0 + lp * 5.65f + m * 7.25) * 0.1;
                const double sum = one + two + c;
                return std::array<double, 2>{sum, o.PoleHighPass(Body::presenceCut, sum)};
            },
            high, low, body, second, cream);
        const CombPairInputs<G> in = CombPairSections(g, v, kBodyCombs);
        const typename G::Signal p = Sections(g, cut, {Body::presence1, Body::presence2, Body::presence3});
        const typename G::Signal w = g.Map(
            [](auto& o, double l1, double s1, double l2, double s2, double q) {
                return (CombPairMix(RunCombPair(o, kBodyCombs, l1, s1, l2, s2), 0.5) + q) * 0.5;
            },
            in.low1, in.short1, in.low2, in.short2, p);
        return Sections(g, w, {Knobs::middle, Knobs::treble});
    }
};

void Design(ModelDesigner& d) {
    using namespace layout;
    d.Row(Body::short1, 0.0051), d.Row(Body::long1, 0.00031), d.Row(Body::short2, 0.0051),
        d.Row(Body::long2, 0.00031);
    d.PoleB(MetalStyle::stageBass, 720.4840087890625);
    d.PoleA(MetalStyle::stagePole, 723.4310302734375);
    DesignCreamerPoles(d);
    d.PoleA(Preamp::clipLowPass, 6500);
    d.PoleB(Body::presenceCut, 500);
    d.LowPass(MetalStyle::stageLowPass, 2000, 1.4);
    d.HighShelf(MetalStyle::stageShelf, 3100, 3, 12);
    d.HighPass(Preamp::inputHighPass, 730, 1.4);
    d.LowPass(Preamp::inputLowPass, 3600, 1.4);
    d.HighShelf(MetalStyle::clipShelf, 6220, 1, 8.4);
    d.LowPass(Preamp::band1, 400, 0.755);
    d.HighPass(Preamp::band2, 9700, 0.555);
    d.LowPass(Preamp::band3, 5000, 1.65);
    d.LowPass(Body::low1, 87, 1.4);
    d.LowPass(Body::low1Short, 87, 1.4);
    d.LowPass(Body::low2, 120, 1.4);
    d.LowPass(Body::low2Short, 161, 1.4);
    d.Peak(Body::presence1, 4100, 1.2, 2.7);
    d.Peak(Body::presence2, 900, 3, 3.6);
    d.Peak(Body::presence3, 6000, 2, 10.2);
}

void Gain(ModelDesigner&, ModelState& s) {
    s.drive2 = 0.15 * s.drive + 3.0;
}

// The bass knob sets the second stage's share of the input (in the graph) and its drive.
void Bass(ModelDesigner&, ModelState& s) {
    s.stageDrive = 38.0 * s.knobs.bass + 2.0;
}

} // namespace

extern const ModelDescription kMetalStyleModel;
const ModelDescription kMetalStyleModel = {Design,
                                           {200, 2},
                                           {1200, 1.5},
                                           {4000, 3},
                                           Gain,
                                           Bass,
                                           nullptr,
                                           nullptr,
                                           RunSample<Model>,
                                           RunChunk<Model>,
                                           false,
                                           {{PanelControl::kKnob, KnobName::kDrive},
                                            {PanelControl::kKnob, KnobName::kUsual},
                                            {PanelControl::kKnob, KnobName::kUsual},
                                            {PanelControl::kKnob, KnobName::kUsual}}};
