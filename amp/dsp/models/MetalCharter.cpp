// Metal Charter: a low-passed input through the bass knob's band pass into the clip, then a body
// shelf, a presence peak and a mid dip; the middle knob is a wide 100 Hz peak, the treble one at
// 1.8 kHz.
#include "ModelDescription.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        const double drive = g.State().drive;
        const typename G::Signal c = g.Map(
            [drive](auto& o, double v) {
                const double a = o.Section(Knobs::bass, o.Section(MetalCharter::inputLowPass, v));
                return 0.5 * o.Shape(MetalCharter::clip, SoftClipCurve{0.5, drive}, a);
            },
            x);
        return Sections(
            g, c,
            {MetalCharter::body, MetalCharter::presence, MetalCharter::midDip, Knobs::middle, Knobs::treble});
    }
};

void Design(ModelDesigner& d) {
    using namespace layout;
    d.LowPass(MetalCharter::inputLowPass, 3500, 1.736);
    d.SoftShelf(MetalCharter::body, 900, 3.5, 5.1);
    d.Peak(MetalCharter::presence, 1900, 3, 5.1);
    d.Peak(MetalCharter::midDip, 1200, 5, -1.5);
}

void Bass(ModelDesigner& d, ModelState& s) {
    d.BandPass(layout::Knobs::bass, 2100 * s.knobs.bass + 400, 3);
}

void Middle(ModelDesigner& d, ModelState& s) {
    d.Peak(layout::Knobs::middle, 100, 5, 32.0 * s.knobs.middle - 16.0);
}

void Treble(ModelDesigner& d, ModelState& s) {
    d.Peak(layout::Knobs::treble, 1800, 2.7, 27.0 * s.knobs.treble - 12.0);
}

} // namespace

extern const ModelDescription kMetalCharterModel;
const ModelDescription kMetalCharterModel = {Design,
                                             {},
                                             {},
                                             {},
                                             nullptr,
                                             Bass,
                                             Middle,
                                             Treble,
                                             RunSample<Model>,
                                             RunChunk<Model>,
                                             false,
                                             {{PanelControl::kKnob, KnobName::kDrive},
                                              {PanelControl::kKnob, KnobName::kCharterBass},
                                              {PanelControl::kKnob, KnobName::kCharterMiddle},
                                              {PanelControl::kKnob, KnobName::kCharterTreble}}};
