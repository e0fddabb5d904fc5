// JGM900: the comb-and-presence input into the clipped preamp, whose high band gets an air
// shelf.
#include "SharedStages.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        const typename G::Signal e = PreampClip(g, PreampInput(g, JgmInputStage(g, x)));
        const typename G::Signal q = g.Section(Preamp::band1, e);
        const typename G::Signal h = Sections(g, e, {Preamp::band2, Jgm900::airShelf});
        const typename G::Signal m = g.Section(Preamp::band3, e);
        const typename G::Signal w = g.Map(
            [](auto&, double hh, double qq, double mm) { return (hh * 11.0 + qq * 8.3f + mm * 2.4f) * 0.24; },
            h, q, m);
        return Sections(g, w, {Knobs::bass, Knobs::middle, Knobs::treble});
    }
};

void Design(ModelDesigner& d) {
    using namespace layout;
    d.Row(JgmInput::short1, 0.0069), d.Row(JgmInput::long1, 0.00031);
    d.Row(JgmInput::short2, 0.0069), d.Row(JgmInput::long2, 0.00031);
    d.PoleB(CombFront::presenceCut, 500);
    d.PoleA(Preamp::clipLowPass, 2750);
    DesignCombFrontLowPasses(d);
    d.Peak(CombFront::presence1, 3000, 3, 1.5);
    d.Peak(CombFront::presence2, 1700, 0.9, 6.6);
    d.Peak(CombFront::presence3, 11000, 2, 5.1);
    d.Peak(JgmInput::boxDip, 146, 0.1, -15);
    d.HighPass(Preamp::inputHighPass, 555, 1.4);
    d.LowPass(Preamp::inputLowPass, 4400, 1.4);
    d.HighPass(Preamp::band1, 3600, 1.9);
    d.BandPass(Preamp::band2, 7900, 1);
    d.LowPass(Preamp::band3, 1320, 0.75);
    d.HighShelf(Jgm900::airShelf, 15000, 1, 10);
}

} // namespace

extern const ModelDescription kJgm900Model;
const ModelDescription kJgm900Model = {Design,  {100, 3}, {1800, 3},        {6500, 3},       nullptr, nullptr,
                                       nullptr, nullptr,  RunSample<Model>, RunChunk<Model>, false,   {}};
