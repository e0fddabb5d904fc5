// Clean 3: 7.4 ms combs beside the presence pair; the gain knob blends in a clipped copy through
// a 3.8 kHz dip and a 7.5 kHz lift.
#include "SharedStages.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        const double gain = g.State().knobs.gain;
        const auto [u, e] = ScaledPresenceCut(g, x, 1.5);
        const CombPairInputs<G> in = CombPairSections(g, u, kCleanCombs);
        const typename G::Signal q1 = Sections(g, e, {CombFront::presence1, CombFront::presence2});
        const typename G::Signal q2 = g.Section(CombFront::presence3, q1);
        const typename G::Signal room =
            g.Map([](auto& o, double l1, double s1, double l2,
                     double s2) { return CombPairMix(RunCombPair(o, kCleanCombs, l1, s1, l2, s2), 0.5); },
                  in.low1, in.short1, in.low2, in.short2);
        const typename G::Signal s = g.Map([](auto&, double a, double b) { return a + b; }, q1, q2);
        const typename G::Signal clipped = g.Shape(CleanGain::clip, SoftClipCurve{0.5, gain}, s);
        const typename G::Signal shaped = Sections(g, clipped, {Clean3::clipDip, Clean3::clipLift});
        const typename G::Signal w = g.Map(
            [gain](auto& o, double dry, double c, double r) {
                // The dry paths beside the clip are delayed as it delays.
                return ((1.0 - gain) * o.ShapeDry(CleanGain::clip, 0, dry) + (3.0 - 2.0 * gain) * c * gain +
                        o.ShapeDry(CleanGain::clip, 1, r)) *
                       0.5;
            },
            s, shaped, room);
        return Sections(g, w, {Clean3::boxDip, Knobs::bass, Knobs::middle, Knobs::treble});
    }
};

void Design(ModelDesigner& d) {
    using namespace layout;
    d.Row(CleanRows::short1, 0.0074), d.Row(CleanRows::long1, 0.00128);
    d.Row(CleanRows::short2, 0.0074), d.Row(CleanRows::long2, 0.00128);
    d.PoleB(CombFront::presenceCut, 500);
    DesignCombFrontLowPasses(d);
    d.Peak(CombFront::presence1, 3200, 3.2, 15.9);
    d.Peak(CombFront::presence2, 100, 4.4, 14.1);
    d.Peak(CombFront::presence3, 13400, 2, 11.4);
    d.Peak(Clean3::clipDip, 3800, 1.3, -12);
    d.Peak(Clean3::clipLift, 7500, 3, 10);
    d.Peak(Clean3::boxDip, 146, 0.1, -15);
}

} // namespace

extern const ModelDescription kClean3Model;
const ModelDescription kClean3Model = {Design,  {100, 3}, {800, 3},         {6400, 3},       nullptr, nullptr,
                                       nullptr, nullptr,  RunSample<Model>, RunChunk<Model>, false,   {}};
