// Poltergeist: a high-passed input with a pitch-shifted copy mixed in (the treble switch) into
// one clip, then the middle knob's sweeping peak and scoop, the bass switch's low shelf and a
// 3 kHz low pass.
#include "ModelDescription.h"

namespace {

// Two taps on the delay lines, their offsets following the ramps, crossfaded by the triangle.
template <class Ops> double PitchShift(Ops& o, double a) {
    Shifter& s = o.state.shifter;
    s.phase1 += s.rampStep;
    s.phase2 += s.rampStep;
    if (s.phase1 > 1.0) {
        s.phase1 = 0.0;
        s.triangle = 0.0;
        s.phase2 = 0.5;
    }
    if (s.phase2 > 1.0) s.phase2 = 0.0;
    if (s.phase1 <= 0.5)
        s.triangle += s.triangleStep;
    else
        s.triangle -= s.triangleStep;

    // Each tap reads length - offset samples behind the sample just written.
    DspBank& bank = o.bank;
    const int n1 = bank.modDelay[0].length;
    const int n2 = bank.modDelay[1].length;
    const int o1 = static_cast<int>((1.0 - s.phase1 * s.depth) * n1);
    const int o2 = static_cast<int>(n2 * (1.0 - s.depth * s.phase2));
    const double h1 = bank.ModDelayTap(0, a, n1 - o1);
    const double h2 = bank.ModDelayTap(1, a, n2 - o2);

    double t = s.triangle;
    if (t < 0.0) t = 0.0;
    if (t > 1.0) t = 1.0;
    return h2 * (1.0 - t) + h1 * t;
}

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        const double drive = g.State().drive;
        const bool modulation = g.State().modulationOn;
        const typename G::Signal c = g.Map(
            [drive, modulation](auto& o, double v) {
                double a = o.Section(Poltergeist::inputHighPass, v);
                if (modulation) a = 0.75 * PitchShift(o, a) + a;
                return o.Shape(Poltergeist::clip, SoftClipCurve{0.5, drive}, a);
            },
            x);
        return Sections(
            g, c,
            {Poltergeist::sweep, Poltergeist::scoop, Poltergeist::lowShelf, Poltergeist::outputLowPass});
    }
};

void Design(ModelDesigner& d) {
    d.HighPass(layout::Poltergeist::inputHighPass, 200, 3);
    d.LowPass(layout::Poltergeist::outputLowPass, 3000, 3);
}

void Gain(ModelDesigner&, ModelState& s) {
    s.drive = 1.0 + 499.0 * GainTaper(s.knobs.gain);
}

void Bass(ModelDesigner& d, ModelState& s) {
    d.LowShelf(layout::Poltergeist::lowShelf, 80, 3, KnobDb(s.knobs.bass));
}

void Middle(ModelDesigner& d, ModelState& s) {
    const double t = GainTaper(s.knobs.middle);
    d.Peak(layout::Poltergeist::sweep, 300.0 + 2700.0 * t, 5.75, 3.0 * t + 8.1);
    d.Peak(layout::Poltergeist::scoop, 464, 2.3, -5.5 * t - 4.662);
}

void Treble(ModelDesigner&, ModelState& s) {
    s.modulationOn = s.knobs.treble > 0.0;
}

} // namespace

extern const ModelDescription kPoltergeistModel;
const ModelDescription kPoltergeistModel = {Design,
                                            {},
                                            {},
                                            {},
                                            Gain,
                                            Bass,
                                            Middle,
                                            Treble,
                                            RunSample<Model>,
                                            RunChunk<Model>,
                                            true,
                                            {{PanelControl::kKnob, KnobName::kUsual},
                                             {PanelControl::kSwitch, KnobName::kUsual},
                                             {PanelControl::kKnob, KnobName::kPoltergeistMiddle},
                                             {PanelControl::kSwitch, KnobName::kPoltergeistTreble}}};
