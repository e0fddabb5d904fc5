// Fuzzz: a high pass on the bass knob into an asymmetric clip, a soft low shelf on the middle.
#include "ModelDescription.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        const double drive = g.State().drive;
        const typename G::Signal c = g.Map(
            [drive](auto& o, double v) {
                return o.Shape(Fuzzz::clip, AsymClipCurve{0.3, drive}, o.Section(Knobs::bass, v));
            },
            x);
        return Sections(g, c, {Knobs::middle, Knobs::treble});
    }
};

void Design(ModelDesigner&) {}

void Bass(ModelDesigner& d, ModelState& s) {
    d.HighPass(layout::Knobs::bass, 500 * s.knobs.bass, 1.4);
}

void Middle(ModelDesigner& d, ModelState& s) {
    d.SoftShelf(layout::Knobs::middle, 800, 1, KnobDb(s.knobs.middle));
}

} // namespace

extern const ModelDescription kFuzzzModel;
const ModelDescription kFuzzzModel = {Design,
                                      {},
                                      {},
                                      {5000, 3},
                                      nullptr,
                                      Bass,
                                      Middle,
                                      nullptr,
                                      RunSample<Model>,
                                      RunChunk<Model>,
                                      false,
                                      {{PanelControl::kKnob, KnobName::kUsual},
                                       {PanelControl::kKnob, KnobName::kFuzzBass},
                                       {PanelControl::kKnob, KnobName::kUsual},
                                       {PanelControl::kKnob, KnobName::kUsual}}};
