#pragma once

// Stages several models share, written once: two low-passed comb pairs, the presence chain
// behind them, the JGM900 input, the creamer and the clipped preamp.
#include "ModelDescription.h"

// Two comb pairs fed through low passes: low1 feeds a long 0.99 comb and, through low1Short, a
// short 0.73 comb; low2 likewise.
struct CombPairSlots {
    BiquadSlot low1, low1Short, low2, low2Short;
    CombRow short1, long1, short2, long2;
};
constexpr CombPairSlots kCleanCombs{layout::CombFront::low1,   layout::CombFront::low1Short,
                                    layout::CombFront::low2,   layout::CombFront::low2Short,
                                    layout::CleanRows::short1, layout::CleanRows::long1,
                                    layout::CleanRows::short2, layout::CleanRows::long2};
constexpr CombPairSlots kJgmCombs{layout::CombFront::low1,  layout::CombFront::low1Short,
                                  layout::CombFront::low2,  layout::CombFront::low2Short,
                                  layout::JgmInput::short1, layout::JgmInput::long1,
                                  layout::JgmInput::short2, layout::JgmInput::long2};
constexpr CombPairSlots kBodyCombs{layout::Body::low1,      layout::Body::low1Short, layout::Body::low2,
                                   layout::Body::low2Short, layout::Body::short1,    layout::Body::long1,
                                   layout::Body::short2,    layout::Body::long2};

// The low passes in front of the combs.
template <class G> struct CombPairInputs { typename G::Signal low1, short1, low2, short2; };
template <class G> CombPairInputs<G> CombPairSections(G& g, typename G::Signal u, const CombPairSlots& s) {
    const typename G::Signal l1 = g.Section(s.low1, u);
    const typename G::Signal s1 = g.Section(s.low1Short, l1);
    const typename G::Signal l2 = g.Section(s.low2, u);
    const typename G::Signal s2 = g.Section(s.low2Short, l2);
    return {l1, s1, l2, s2};
}
// The combs of one sample: both short outputs and the sum of the long ones.
struct CombPairOut {
    double short1, short2, longSum;
};
template <class Ops>
CombPairOut RunCombPair(Ops& o, const CombPairSlots& s, double low1, double short1, double low2,
                        double short2) {
    const double a = o.Comb(s.short1, 0.73, short1);
    const double b = o.Comb(s.long1, 0.99, low1);
    const double c = o.Comb(s.short2, 0.73, short2);
    const double d = o.Comb(s.long2, 0.99, low2);
    return {a, c, d + b};
}
// The comb pairs with the long sum scaled by `room` and both short ones added.
inline double CombPairMix(const CombPairOut& c, double room) {
    return c.longSum * room + c.short2 + c.short1;
}

// The low passes of the clean models' comb pairs (and the JGM900's).
inline void DesignCombFrontLowPasses(ModelDesigner& d) {
    d.LowPass(layout::CombFront::low1, 87, 1.4);
    d.LowPass(layout::CombFront::low1Short, 87, 1.4);
    d.LowPass(layout::CombFront::low2, 161, 1.4);
    d.LowPass(layout::CombFront::low2Short, 161, 1.4);
}

// The input minus its low-passed copy, into the three presence peaks.
template <class G> typename G::Signal PresenceCut(G& g, typename G::Signal u, PoleBSlot cut) {
    return g.Map([cut](auto& o, double v) { return o.PoleHighPass(cut, v); }, u);
}

// The clean models' input, scaled, and its presence cut.
template <class G> auto ScaledPresenceCut(G& g, typename G::Signal x, double scale) {
    return g.MapN(
        [scale](auto& o, double v) {
            const double u = scale * v;
            return std::array<double, 2>{u, o.PoleHighPass(layout::CombFront::presenceCut, u)};
        },
        x);
}

// The JGM900 input (also Darktorsion's): the comb pairs on rows 4..7 beside the presence chain,
// mixed and through the box dip.
template <class G> typename G::Signal JgmInputStage(G& g, typename G::Signal u) {
    using namespace layout;
    const typename G::Signal e = PresenceCut(g, u, CombFront::presenceCut);
    const CombPairInputs<G> in = CombPairSections(g, u, kJgmCombs);
    const typename G::Signal p =
        Sections(g, e, {CombFront::presence1, CombFront::presence2, CombFront::presence3});
    const typename G::Signal w = g.Map(
        [](auto& o, double l1, double s1, double l2, double s2, double q) {
            return (CombPairMix(RunCombPair(o, kJgmCombs, l1, s1, l2, s2), 0.5) + q) * 0.5;
        },
        in.low1, in.short1, in.low2, in.short2, p);
    return g.Section(JgmInput::boxDip, w);
}

// The creamer (Tube Creamer, and beside the Metal Style's stages): a band into two clips in series
// (one stage, CreamerClipCurve), then a tone blend of the low-passed result and its bass.
struct CreamerSample {
    double drive2;
    double toneMix;
    explicit CreamerSample(const ModelState& s) : drive2(s.drive2), toneMix(s.toneMix) {}
    template <class Ops> double operator()(Ops& o, double x) const {
        using namespace layout;
        const double a = o.PoleA(Creamer::inputLowPass, x);
        const double b = o.PoleB(Creamer::inputBass, a);
        const double t = o.Shape(Creamer::clip, CreamerClipCurve{drive2}, a - b);
        const double c = o.PoleA(Creamer::outputLowPass, t);
        const double d = o.PoleB(Creamer::outputBass, c);
        return ((c - d) * toneMix + c) * 0.6;
    }
};
template <class G> typename G::Signal CreamerStage(G& g, typename G::Signal u) {
    return g.Map(CreamerSample(g.State()), u);
}
inline void DesignCreamerPoles(ModelDesigner& d) {
    d.PoleB(layout::Creamer::inputBass, 720.4840087890625);
    d.PoleA(layout::Creamer::inputLowPass, 2000);
    d.PoleB(layout::Creamer::outputBass, 723.4310302734375);
    d.PoleA(layout::Creamer::outputLowPass, 2700);
}

// The clipped preamp: the input band (high pass, low pass), the main clip and its low pass. The
// bands after it (Preamp::band1..3) are each model's own.
template <class G> typename G::Signal PreampInput(G& g, typename G::Signal u) {
    return Sections(g, u, {layout::Preamp::inputHighPass, layout::Preamp::inputLowPass});
}
// The main clip and its low pass on one sample.
template <class Ops> double PreampClipSample(Ops& o, double drive, double x) {
    return o.PoleA(layout::Preamp::clipLowPass, o.Shape(layout::Preamp::clip, SoftClipCurve{0.5, drive}, x));
}
template <class G> typename G::Signal PreampClip(G& g, typename G::Signal a) {
    const double drive = g.State().drive;
    return g.Map([drive](auto& o, double x) { return PreampClipSample(o, drive, x); }, a);
}
