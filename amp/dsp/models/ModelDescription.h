#pragma once

// What one amp model is: the sections it designs when selected, its knob laws, and its signal
// graph, which the per-sample and the chunk runner both execute (ModelGraph.h). Each model fills
// one ModelDescription in its own file; ModelTable.cpp lists them in model order.
// docs/models.md says how a model is put together and what adding one takes.
#include "AmpDesigner.h"
#include "ModelGraph.h"
#include "ModelPanel.h"
#include "ModelState.h"

#include <initializer_list>

// A knob that is a peaking section at KnobDb(v) in its knob slot; width 0: it is not.
struct PeakKnob {
    double freq;
    double width;
};

// The common peaking gain of the bass, middle and treble knobs.
inline double KnobDb(double v) {
    return 24.0 * v - 12.0;
}

// A knob law: designs from s.knobs (and may set derived values in s). Runs between blocks.
using KnobLaw = void (*)(ModelDesigner& d, ModelState& s);

// A model's graph compiled once per shaper order (0, 1, 2; ModelGraph.h): the caller indexes it
// with ModelState::shaperOrder once per call, so the runner itself never looks at the order.
template <class Run> struct RunByOrder {
    Run at[3];
    Run operator[](int order) const { return at[order]; }
};
using SampleRun = double (*)(DspBank& bank, ModelState& s, double x);
using ChunkRun = void (*)(DspBank& bank, ModelState& s, double* x, int n);

struct ModelDescription {
    // The sections, one-poles and comb lengths that do not follow a knob.
    void (*design)(ModelDesigner& d);
    // The bass, middle and treble peaks the shared knob sections are, if they are.
    PeakKnob bassPeak;
    PeakKnob middlePeak;
    PeakKnob treblePeak;
    // Laws beyond the peaks (null: none). Gain runs after the main drive is set from the knob;
    // middle is designed again when treble moves, so it may read the treble value.
    KnobLaw gain;
    KnobLaw bass;
    KnobLaw middle;
    KnobLaw treble;
    // The graph, run one sample at a time and over a chunk (n <= kModelChunk, in place), at
    // each shaper order.
    RunByOrder<SampleRun> runSample;
    RunByOrder<ChunkRun> runChunk;
    // Whether selecting the model starts the pitch shifter afresh.
    bool usesShifter;
    // The knobs its panel shows.
    ModelPanel panel;
    // The most waveshaper stages a sample passes in series (paths beside a stage are delayed as
    // it is, ShapeDry): the anti-aliased stages of the oversampled path delay the model by this
    // many times a stage's delay, which the resampler takes out of its own (AmpOversampling).
    int shapersInSeries = 1;
};

// The description of model m (0..AmpModel::kCount - 1).
const ModelDescription& DescriptionOf(int m);

// The tail every model ends in: the tone shelf, then its band pass mixed back in, and the volume.
template <class G> typename G::Signal ToneTail(G& g, typename G::Signal w) {
    const typename G::Signal shelf = g.Section(layout::Tone::shelf, w);
    const typename G::Signal band = g.Section(layout::Tone::band, shelf);
    const double k = g.State().resonanceMix;
    const double v = g.State().volume;
    return g.MapOut([k, v](auto&, double s, double b) { return (k * b + s) * v; }, shelf, band);
}

// The runners of a model whose graph is M::Graph(G&, G::Signal x), followed by the tone tail.
template <class M, int Order> double RunSampleAt(DspBank& bank, ModelState& s, double x) {
    SampleGraph<Order> g(bank, s);
    return ToneTail(g, M::Graph(g, x));
}
// The chunk runner's schedule of M's graph, worked out when the program is loaded. It is the same
// at every shaper order: a stage is one step whatever its curve.
template <class M> ChunkPlan PlanChunks() {
    PlanGraph g;
    ToneTail(g, M::Graph(g, PlanGraph::Signal{0}));
    return g.Finish();
}
template <class M> inline const ChunkPlan kChunkPlan = PlanChunks<M>();
template <class M, int Order> void RunChunkAt(DspBank& bank, ModelState& s, double* x, int n) {
    ChunkGraph<Order> g(bank, s, x, n, kChunkPlan<M>);
    ToneTail(g, M::Graph(g, typename ChunkGraph<Order>::Signal{x}));
}
// What a model's description lists as its runners.
template <class M>
constexpr RunByOrder<SampleRun> RunSample = {{RunSampleAt<M, 0>, RunSampleAt<M, 1>, RunSampleAt<M, 2>}};
template <class M>
constexpr RunByOrder<ChunkRun> RunChunk = {{RunChunkAt<M, 0>, RunChunkAt<M, 1>, RunChunkAt<M, 2>}};

// Several sections in series.
template <class G>
typename G::Signal Sections(G& g, typename G::Signal x, std::initializer_list<BiquadSlot> slots) {
    for (BiquadSlot s : slots)
        x = g.Section(s, x);
    return x;
}
