// Darktorsion: the JGM900 input, a tight 800 Hz..4.2 kHz band into the main clip, then the comb
// body on the clipped signal. The 800 Hz high pass keeps the low strings from smearing the clip;
// after it the low-passed combs rebuild the body, the resonant 0.99 pair at a quarter, and the
// bright branch (2.4 kHz lift) is rolled off at 11.3 kHz, so the distortion has mids but little
// fizz above 4 kHz.
#include "SharedStages.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        const double drive = g.State().drive;
        const typename G::Signal a = PreampInput(g, JgmInputStage(g, x));
        const auto [c, cut] = g.MapN(
            [drive](auto& o, double v) {
                const double clipped = o.Shape(Preamp::clip, SoftClipCurve{0.5, drive}, v);
                return std::array<double, 2>{clipped, o.PoleHighPass(Body::presenceCut, clipped)};
            },
            a);
        const CombPairInputs<G> in = CombPairSections(g, c, kBodyCombs);
        const typename G::Signal p =
            Sections(g, cut, {Body::presence1, Body::presence2, Body::presence3, Darktorsion::outputLowPass});
        const typename G::Signal w = g.Map(
            [](auto& o, double l1, double s1, double l2, double s2, double q) {
                return (CombPairMix(RunCombPair(o, kBodyCombs, l1, s1, l2, s2), 0.25) + q) * 0.25;
            },
            in.low1, in.short1, in.low2, in.short2, p);
        return Sections(g, w, {Knobs::bass, Knobs::middle, Knobs::treble});
    }
};

void Design(ModelDesigner& d) {
    using namespace layout;
    d.Row(JgmInput::short1, 0.0069), d.Row(JgmInput::long1, 0.0005);
    d.Row(JgmInput::short2, 0.0069), d.Row(JgmInput::long2, 0.0005);
    d.Row(Body::short1, 0.0048), d.Row(Body::long1, 0.00012), d.Row(Body::short2, 0.0048),
        d.Row(Body::long2, 0.00012);
    d.PoleB(CombFront::presenceCut, 500);
    d.PoleB(Body::presenceCut, 500);
    DesignCombFrontLowPasses(d);
    d.Peak(CombFront::presence1, 3000, 1.9, -0.3);
    d.Peak(CombFront::presence2, 800, 1, 3.9);
    d.Peak(CombFront::presence3, 6000, 2, 0);
    d.Peak(JgmInput::boxDip, 146, 0.1, -15);
    d.LowPass(Body::low1, 87, 1.4);
    d.LowPass(Body::low1Short, 87, 1.4);
    d.LowPass(Body::low2, 120, 1.4);
    d.LowPass(Body::low2Short, 161, 1.4);
    d.Peak(Body::presence1, 2400, 3.5, 7.2);
    d.Peak(Body::presence2, 1000, 1.2, 0);
    d.Peak(Body::presence3, 10300, 2, 15.6);
    d.HighPass(Preamp::inputHighPass, 800, 1.4);
    d.LowPass(Preamp::inputLowPass, 4200, 1.4);
    d.LowPass(Darktorsion::outputLowPass, 11300, 3);
}

} // namespace

extern const ModelDescription kDarktorsionModel;
const ModelDescription kDarktorsionModel = {Design,
                                            {100, 3},
                                            {1600, 2},
                                            {5600, 1},
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
