// Clean 2: no gain high pass; the narrow +24 dB presence peak and the short combs give a glassy,
// bright voicing, and the sum is clipped directly.
#include "CleanGain.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        return CleanGainGraph(g, x, 2.0, false, layout::Clean2::boxDip);
    }
};

void Design(ModelDesigner& d) {
    using namespace layout;
    d.Row(CleanRows::short1, 0.0024), d.Row(CleanRows::long1, 0.00018);
    d.Row(CleanRows::short2, 0.0024), d.Row(CleanRows::long2, 0.00018);
    d.PoleB(CombFront::presenceCut, 500);
    DesignCombFrontLowPasses(d);
    d.Peak(CombFront::presence1, 3400, 0.8, 24);
    d.Peak(CombFront::presence2, 1000, 2, 0.3);
    d.Peak(CombFront::presence3, 15300, 2, 7.2);
    d.Peak(Clean2::boxDip, 146, 0.1, -15);
}

} // namespace

extern const ModelDescription kClean2Model;
const ModelDescription kClean2Model = {Design,  {200, 3}, {700, 3},         {5000, 3},       nullptr, nullptr,
                                       nullptr, nullptr,  RunSample<Model>, RunChunk<Model>, false,   {}};
