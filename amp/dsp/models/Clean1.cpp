// Clean 1: 2 ms combs, a 6.1 kHz presence peak and a clip through the gain high pass.
#include "CleanGain.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        return CleanGainGraph(g, x, 3.9, true, layout::Clean1::boxDip);
    }
};

void Design(ModelDesigner& d) {
    using namespace layout;
    d.Row(CleanRows::short1, 0.002), d.Row(CleanRows::long1, 0.00027);
    d.Row(CleanRows::short2, 0.002), d.Row(CleanRows::long2, 0.00027);
    d.PoleB(CombFront::presenceCut, 500);
    DesignCombFrontLowPasses(d);
    d.Peak(CombFront::presence1, 6100, 5.1, 16.5);
    d.Peak(CombFront::presence2, 200, 2, 18);
    d.Peak(CombFront::presence3, 10000, 2, 9.6);
    d.Peak(Clean1::boxDip, 146, 0.1, -15);
}

// The high pass in front of the clip rises with the gain up to 900 Hz.
void Gain(ModelDesigner& d, ModelState& s) {
    d.HighPass(layout::Clean1::gainHighPass, 900.0 * s.knobs.gain, 1.4);
}

} // namespace

extern const ModelDescription kClean1Model;
const ModelDescription kClean1Model = {Design,  {100, 3}, {2000, 3},        {10000, 3},      Gain,  nullptr,
                                       nullptr, nullptr,  RunSample<Model>, RunChunk<Model>, false, {}};
