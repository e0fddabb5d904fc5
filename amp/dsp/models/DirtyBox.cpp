// Dirty Box: two clipped stages, each with a shelf before its clip, summed: the first split into
// a low band and an air-shelved band pass, the second low-passed and shelved.
#include "ModelDescription.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        const double drive = g.State().drive;
        const typename G::Signal a =
            Sections(g, x, {DirtyBox::highPass1, DirtyBox::lowPass1, DirtyBox::clipShelf1});
        const typename G::Signal b =
            Sections(g, x, {DirtyBox::highPass2, DirtyBox::lowPass2, DirtyBox::clipShelf2});
        const auto [e, f] = g.MapN(
            [drive](auto& o, double u, double v) {
                return std::array<double, 2>{
                    o.PoleA(DirtyBox::clipLowPass1, o.Shape(DirtyBox::clip1, SoftClipCurve{0.5, drive}, u)),
                    o.PoleA(DirtyBox::clipLowPass2, o.Shape(DirtyBox::clip2, SoftClipCurve{0.5, drive}, v))};
            },
            a, b);
        const typename G::Signal low = g.Section(DirtyBox::low1, e);
        const typename G::Signal band = g.Section(DirtyBox::band1, e);
        const typename G::Signal second = Sections(g, f, {DirtyBox::low2, DirtyBox::air2});
        const typename G::Signal w = g.Map(
            [](auto& o, double lp, double bp, double two) {
                const double one = (lp * 5.15f + o.Section(DirtyBox::air1, 1.65 * bp) * 9.55f) * 0.1;
                return one + two * 2.65 * 0.25;
            },
            low, band, second);
        return Sections(g, w, {Knobs::bass, Knobs::middle, Knobs::treble});
    }
};

void Design(ModelDesigner& d) {
    using namespace layout;
    d.PoleA(DirtyBox::clipLowPass1, 3450);
    d.PoleA(DirtyBox::clipLowPass2, 5850);
    d.HighPass(DirtyBox::highPass1, 710, 1.4);
    d.LowPass(DirtyBox::lowPass1, 4250, 1.4);
    d.LowPass(DirtyBox::low1, 455, 0.686);
    d.BandPass(DirtyBox::band1, 3900, 1);
    d.HighShelf(DirtyBox::air1, 14000, 1, 10);
    d.HighShelf(DirtyBox::clipShelf1, 7000, 1, 10);
    d.HighPass(DirtyBox::highPass2, 660, 1.4);
    d.LowPass(DirtyBox::lowPass2, 2350, 1.4);
    d.LowPass(DirtyBox::low2, 2500, 0.462);
    d.HighShelf(DirtyBox::clipShelf2, 5000, 1, 5.6);
    d.HighShelf(DirtyBox::air2, 10000, 1, 10);
}

} // namespace

extern const ModelDescription kDirtyBoxModel;
const ModelDescription kDirtyBoxModel = {Design,
                                         {120, 3},
                                         {900, 1},
                                         {2500, 1},
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
