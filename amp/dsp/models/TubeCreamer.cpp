// Tube Creamer: the creamer stage alone, with its first clip driven past the main drive.
#include "SharedStages.h"

namespace {

struct Model {
    template <class G> static typename G::Signal Graph(G& g, typename G::Signal x) {
        using namespace layout;
        return Sections(g, CreamerStage(g, x), {Knobs::bass, Knobs::middle, Knobs::treble});
    }
};

void Gain(ModelDesigner&, ModelState& s) {
    s.drive2 = s.drive + 0.5;
}

} // namespace

extern const ModelDescription kTubeCreamerModel;
const ModelDescription kTubeCreamerModel = {
    DesignCreamerPoles, {1400, 1},       {2200, 1}, {4500, 2}, Gain, nullptr, nullptr, nullptr,
    RunSample<Model>,   RunChunk<Model>, false,     {}};
