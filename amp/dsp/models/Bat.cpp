// Bat: the cut input into one clip, a thump peak, the middle knob's closing low pass and a
// presence shelf; no bass or treble knob.
#include "DspMath.h"
#include "ModelDescription.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        const double drive = g.State().drive;
        const typename G::Signal c = g.Map(
            [drive](auto& o, double v) {
                return o.Shape(Bat::clip, SoftClipCurve{0.5, drive}, o.PoleHighPass(Bat::inputCut, v));
            },
            x);
        return Sections(g, c, {Bat::thump, Knobs::bass, Bat::presence});
    }
};

void Design(ModelDesigner& d) {
    using namespace layout;
    d.PoleB(Bat::inputCut, 400);
    d.Peak(Bat::thump, 100, 2.85, 2);
    d.HighShelf(Bat::presence, 900, 3, 4.2);
}

void Gain(ModelDesigner&, ModelState& s) {
    s.drive = 1.0 + 199.0 * GainTaper(s.knobs.gain);
}

// Turning the knob up closes the low pass (in the bass knob's slot) from 10 kHz to 1 kHz.
void Middle(ModelDesigner& d, ModelState& s) {
    const double v = s.knobs.middle;
    d.LowPass(layout::Knobs::bass, 1000.0 + 9000.0 * (1.0 - (1.0 - DspExp(-3.0 * v)) * TaperScale()), 2.75);
}

} // namespace

extern const ModelDescription kBatModel;
const ModelDescription kBatModel = {Design,
                                    {},
                                    {},
                                    {},
                                    Gain,
                                    nullptr,
                                    Middle,
                                    nullptr,
                                    RunSample<Model>,
                                    RunChunk<Model>,
                                    false,
                                    {{PanelControl::kKnob, KnobName::kUsual},
                                     {PanelControl::kNone, KnobName::kUsual},
                                     {PanelControl::kKnob, KnobName::kBatMiddle},
                                     {PanelControl::kNone, KnobName::kUsual}}};
