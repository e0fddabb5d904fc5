#pragma once

// Clean 1 and Clean 2: the comb pairs on rows 8..11 beside the presence chain, and the gain knob
// crossfading to a clipped copy, then the box dip. Clean 1 clips through its gain high pass with
// a drive up to 2; Clean 2 clips the sum directly with a drive up to 3.
#include "SharedStages.h"

template <class G>
typename G::Signal CleanGainGraph(G& g, typename G::Signal x, double scale, bool clipsThroughHighPass,
                                  BiquadSlot boxDip) {
    using namespace layout;
    const double gain = g.State().knobs.gain;
    const auto [u, e] = ScaledPresenceCut(g, x, scale);
    const CombPairInputs<G> in = CombPairSections(g, u, kCleanCombs);
    const typename G::Signal p =
        Sections(g, e, {CombFront::presence1, CombFront::presence2, CombFront::presence3});
    const typename G::Signal w = g.Map(
        [gain, clipsThroughHighPass](auto& o, double l1, double s1, double l2, double s2, double q) {
            const CombPairOut c = RunCombPair(o, kCleanCombs, l1, s1, l2, s2);
            const double room = c.longSum * 0.5;
            const double s = c.short1 + c.short2 + q;
            const double clipped = clipsThroughHighPass
                                       ? o.Shape(CleanGain::clip, SoftClipCurve{0.5, 2.0 * gain},
                                                 o.Section(Clean1::gainHighPass, s))
                                       : o.Shape(CleanGain::clip, SoftClipCurve{0.5, 3.0 * gain}, s);
            // The dry paths beside the clip are delayed as it delays (no change at the host rate).
            return (o.ShapeDry(CleanGain::clip, 0, (1.0 - gain) * s) + gain * clipped +
                    o.ShapeDry(CleanGain::clip, 1, room)) *
                   0.5;
        },
        in.low1, in.short1, in.low2, in.short2, p);
    return Sections(g, w, {boxDip, Knobs::bass, Knobs::middle, Knobs::treble});
}
