#pragma once

// The two runners of an amp model's signal graph. A model writes its graph once, as a function
// template over the runner G (see ModelDescription.h):
//   G::Signal y = g.Section(slot, x);          one biquad section
//   y = g.Shape(shaperSlot, SoftClipCurve{level, drive}, x);   one waveshaper stage
//   y = g.Map([](auto& o, double a, double b) { ... }, a, b);
// A Map is a pointwise step: the lambda gets one sample of each input and the per-sample
// operations (o.Comb, o.PoleA, o.PoleB, o.Section, o.Shape; a SampleOps<Order>, hence auto&) for
// stages whose recursions it steps.
//
// Both runners take the shaper order as a template parameter (SampleOps), so a model's graph is
// compiled once per order and the caller picks the instantiation (ModelDescription.h).
// SampleGraph runs the graph for one sample: a Signal is the sample itself. ChunkGraph runs it
// over a chunk of up to kChunk samples: a Signal is a buffer; sections are queued as lanes of one
// section network (RunSectionLanes) and run together when a later step needs their output, a
// lane fed by a queued lane two steps behind it. Every value is computed by the same expression
// in both, and every slot sees its samples in order, so the two give the same bits.
// PlanGraph runs the graph once without samples to work out ChunkGraph's schedule (ChunkPlan.h):
// when the lanes run, their delays and which pool rows the buffers share.
#include "AmpSectionChain.h"
#include "BankLayout.h"
#include "ChunkPlan.h"
#include "DspBank.h"
#include "ModelState.h"
#include "Waveshapers.h"

#include <array>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

// The per-sample operations on the bank, for Map steps and the sample runner. Order is how the
// waveshaper stages run, fixed when the runner is instantiated: 0 the plain curves (the host-rate
// models), 1 or 2 the order of antiderivative anti-aliasing (the oversampled path). The 1x code
// then carries neither a branch on the order nor the stages' memory.
template <int Order> struct SampleOps {
    static_assert(Order >= 0 && Order <= 2, "the shaper stages run plain or at order 1 or 2");
    DspBank& bank;
    ModelState& state;

    double Section(BiquadSlot s, double x) { return bank.ProcessBiquad(x, s.index); }
    double PoleA(PoleASlot p, double x) { return bank.OnePoleA(x, p.index); }
    double PoleB(PoleBSlot p, double x) { return bank.OnePoleB(x, p.index); }
    // x minus its one-pole low-pass: the high pass the models build from a B pole.
    double PoleHighPass(PoleBSlot p, double x) { return x - bank.OnePoleB(x, p.index); }
    double Comb(CombRow r, double feedback, double x) { return bank.FeedbackComb(r.index, feedback, x); }
    // A waveshaper stage: the shape's curve at x, or on the oversampled path its antiderivative
    // anti-aliased form, whose memory is the call site's own place in the bank
    // (DspBank::shaper), cleared with the signal state.
    template <class Curve> double Shape(ShaperSlot slot, const Curve& curve, double x) {
        if constexpr (Order == 0)
            return curve(x);
        else
            return curve.Smoothed(bank.shaper, slot.index, Order, x);
    }
    // A signal that runs beside the shaper at `slot` (line 0 or 1), delayed as that stage delays
    // on a quiet signal: unchanged at order 0, the mean of the last two samples (half a sample)
    // at order 1, of the last three (one sample) at order 2, which is what the anti-aliased
    // stages are on their linear stretch. The dry and the shaped paths then stay in phase.
    double ShapeDry(ShaperSlot slot, int line, double x) {
        if constexpr (Order == 0) {
            return x;
        } else {
            double* m = bank.shaper.dry[slot.index][line];
            const double y = Order == 1 ? 0.5 * (x + m[0]) : (x + m[0] + m[1]) * (1.0 / 3.0);
            m[1] = m[0];
            m[0] = x;
            return y;
        }
    }
};

// The samples a chunk runner step covers at most.
constexpr int kModelChunk = 64;

template <int Order> class SampleGraph {
public:
    using Signal = double;
    using Ops = SampleOps<Order>;

    SampleGraph(DspBank& bank, ModelState& state) : ops{bank, state} {}
    const ModelState& State() const { return ops.state; }

    Signal Section(BiquadSlot s, Signal x) { return ops.Section(s, x); }
    template <class Curve> Signal Shape(ShaperSlot slot, const Curve& curve, Signal x) {
        return ops.Shape(slot, curve, x);
    }
    template <class F, class... In> Signal Map(F f, In... in) { return f(ops, in...); }
    // A pointwise step with several outputs: f returns std::array<double, K>.
    template <class F, class... In> auto MapN(F f, In... in) { return f(ops, in...); }
    // The graph's last step, whose output is the model's.
    template <class F, class... In> Signal MapOut(F f, In... in) { return f(ops, in...); }

private:
    Ops ops;
};

template <int Order> class ChunkGraph {
public:
    using Signal = const double*;
    using Ops = SampleOps<Order>;
    static constexpr int kChunk = kModelChunk;
    static constexpr int kBuffers = ChunkPlan::kMaxRows;

    // The graph's output goes to `out` (n samples), which its input may be. `plan` is the
    // graph's schedule (PlanGraph): the steps follow it in order.
    ChunkGraph(DspBank& bank, ModelState& state, double* out, int n, const ChunkPlan& plan)
        : ops{bank, state}, n(n), out(out), plan(plan) {}
    const ModelState& State() const { return ops.state; }

    Signal Section(BiquadSlot s, Signal x) {
        const ChunkStep& step = NextStep();
        if (step.flushFirst || laneCount == kMaxLanes) Flush();
        double* y = pool[step.row[0]];
        lanes[laneCount++] = SectionLane{s.index, x, y, step.delay};
        return y;
    }
    template <class Curve> Signal Shape(ShaperSlot slot, const Curve& curve, Signal x) {
        return Map([slot, curve](Ops& o, double v) { return o.Shape(slot, curve, v); }, x);
    }
    template <class F, class... In> Signal Map(F f, In... in) {
        const ChunkStep& step = NextStep();
        if (step.flushFirst) Flush();
        double* y = pool[step.row[0]];
        Loop(f, ops, n, y, in...);
        return y;
    }
    template <class F, class... In> auto MapN(F f, In... in) {
        const ChunkStep& step = NextStep();
        if (step.flushFirst) Flush();
        using Result = decltype(f(ops, in[0]...));
        constexpr int k = static_cast<int>(std::tuple_size<Result>::value);
        static_assert(k == 2 || k == 3, "a step has one, two or three outputs");
        std::array<Signal, k> signals;
        double* outs[k];
        for (int j = 0; j < k; ++j)
            signals[j] = outs[j] = pool[step.row[j]];
        LoopN<k>(f, ops, n, outs, in...);
        return signals;
    }
    // The last step: written to the output buffer. Every input is read at i before out[i] is
    // written, so the graph's input may be the output.
    template <class F, class... In> Signal MapOut(F f, In... in) {
        NextStep();
        if (laneCount > 0) Flush();
        Loop(f, ops, n, out, in...);
        return out;
    }

private:
    // The loops of a pointwise step, kept out of line. Each writes into arrays of its own and
    // copies them out at the end: the compiler then knows that the writes touch no stage state,
    // and keeps the states the step runs (one-pole outputs, comb positions) in registers from
    // sample to sample.
    template <class F, class... In>
    [[gnu::noinline]] static void Loop(F f, Ops ops, int n, double* y, In... in) {
        if constexpr (sizeof...(In) >= 4) {
            LoopFromLocal(f, ops, n, y, std::index_sequence_for<In...>{}, in...);
        } else {
            double local[kChunk];
            for (int i = 0; i < n; ++i)
                local[i] = f(ops, in[i]...);
            std::memcpy(y, local, sizeof(double) * static_cast<size_t>(n));
        }
    }
    // A step with many inputs reads copies of them in one local array: each input is then a
    // fixed offset from the stack pointer instead of a pointer of its own, which leaves the
    // registers to the stage states the loop carries.
    template <class F, size_t... I, class... In>
    static void LoopFromLocal(F f, Ops ops, int n, double* y, std::index_sequence<I...>, In... in) {
        double src[sizeof...(In)][kChunk];
        const double* const from[] = {in...};
        for (size_t k = 0; k < sizeof...(In); ++k)
            std::memcpy(src[k], from[k], sizeof(double) * static_cast<size_t>(n));
        double local[kChunk];
        for (int i = 0; i < n; ++i)
            local[i] = f(ops, src[I][i]...);
        std::memcpy(y, local, sizeof(double) * static_cast<size_t>(n));
    }
    template <int K, class F, class... In>
    [[gnu::noinline]] static void LoopN(F f, Ops ops, int n, double* const* outs, In... in) {
        double local[K][kChunk];
        for (int i = 0; i < n; ++i) {
            const auto r = f(ops, in[i]...);
            for (int j = 0; j < K; ++j)
                local[j][i] = r[j];
        }
        for (int j = 0; j < K; ++j)
            std::memcpy(outs[j], local[j], sizeof(double) * static_cast<size_t>(n));
    }

    const ChunkStep& NextStep() {
        const ChunkStep& step = plan.step[stepIndex];
        if (stepIndex < ChunkPlan::kMaxSteps - 1) ++stepIndex;
        return step;
    }
    void Flush() {
        if (laneCount == 0) return;
        RunSectionLanes(ops.bank, lanes, laneCount, n);
        laneCount = 0;
    }

    Ops ops;
    int n;
    double* out;
    const ChunkPlan& plan;
    int stepIndex = 0;
    int laneCount = 0;
    SectionLane lanes[kMaxLanes];
    static constexpr int kRow = kChunk + 8; // rows 576 bytes apart, off the 4 KiB alias stride
    alignas(64) double pool[kBuffers][kRow];
};

// Runs a graph without samples and records its steps: which buffers each reads and how many it
// writes. Finish() gives the chunk runner's plan. The stage lambdas are never called; the state
// is a default one, as a graph's shape does not follow the knobs.
class PlanGraph {
public:
    struct Signal {
        int value;
    };

    const ModelState& State() const { return state; }

    Signal Section(BiquadSlot, Signal x) {
        return Signal{planner.Add(ChunkPlanner::kSection, &x.value, 1, 1)};
    }
    template <class Curve> Signal Shape(ShaperSlot, const Curve&, Signal x) {
        return Signal{planner.Add(ChunkPlanner::kMap, &x.value, 1, 1)};
    }
    template <class F, class... In> Signal Map(F, In... in) {
        return Signal{Add(ChunkPlanner::kMap, 1, in...)};
    }
    template <class F, class... In> auto MapN(F, In... in) {
        using Result = std::invoke_result_t<F&, SampleOps<0>&, AsSample<In>...>;
        constexpr int k = static_cast<int>(std::tuple_size<Result>::value);
        const int first = Add(ChunkPlanner::kMap, k, in...);
        std::array<Signal, k> signals;
        for (int j = 0; j < k; ++j)
            signals[j] = Signal{first + j};
        return signals;
    }
    template <class F, class... In> Signal MapOut(F, In... in) {
        return Signal{Add(ChunkPlanner::kOut, 1, in...)};
    }

    ChunkPlan Finish() const { return planner.Finish(); }

private:
    template <class> using AsSample = double;
    template <class... In> int Add(ChunkPlanner::Kind kind, int outs, In... in) {
        const int values[] = {in.value...};
        return planner.Add(kind, values, static_cast<int>(sizeof...(In)), outs);
    }

    ModelState state;
    ChunkPlanner planner;
};
