// Clean 4: the clean-three body (broad 1.1 kHz lift in series, the 17 kHz air peak in parallel)
// beside a 12 ms comb pair for a roomy low end. The gain knob raises the high pass over the
// whole mix up to 425 Hz and crossfades to a soft-clipped copy, so more gain is also tighter.
#include "SharedStages.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        const double gain = g.State().knobs.gain;
        const auto [u, e] = ScaledPresenceCut(g, x, 1.1);
        const CombPairInputs<G> in = CombPairSections(g, u, kCleanCombs);
        const typename G::Signal q1 = Sections(g, e, {CombFront::presence1, CombFront::presence2});
        const typename G::Signal q2 = g.Section(CombFront::presence3, q1);
        const typename G::Signal w = g.Map(
            [gain](auto& o, double l1, double s1, double l2, double s2, double a, double b) {
                const double combs = CombPairMix(RunCombPair(o, kCleanCombs, l1, s1, l2, s2), 0.5);
                const double h = o.Section(Clean4::gainHighPass, a + b + combs * 0.5);
                const double clipped = o.Shape(CleanGain::clip, SoftClipCurve{0.5, 0.2 + 0.8 * gain}, h);
                return ((1.0 - gain) * o.ShapeDry(CleanGain::clip, 0, h) + gain * clipped) * 0.5;
            },
            in.low1, in.short1, in.low2, in.short2, q1, q2);
        return Sections(g, w, {Knobs::bass, Knobs::middle, Knobs::treble});
    }
};

void Design(ModelDesigner& d) {
    using namespace layout;
    d.Row(CleanRows::short1, 0.012), d.Row(CleanRows::long1, 0.00002);
    d.Row(CleanRows::short2, 0.012), d.Row(CleanRows::long2, 0.00002);
    d.PoleB(CombFront::presenceCut, 500);
    DesignCombFrontLowPasses(d);
    d.Peak(CombFront::presence1, 1100, 6.1, 18.9);
    d.Peak(CombFront::presence2, 60, 3.2, 24.9);
    d.Peak(CombFront::presence3, 17000, 2, 28.8);
}

void Gain(ModelDesigner& d, ModelState& s) {
    d.HighPass(layout::Clean4::gainHighPass, 425.0 * s.knobs.gain, 1.4);
}

} // namespace

extern const ModelDescription kClean4Model;
const ModelDescription kClean4Model = {Design,  {200, 3}, {1000, 3},        {4000, 3},       Gain,  nullptr,
                                       nullptr, nullptr,  RunSample<Model>, RunChunk<Model>, false, {}};
