#pragma once

// The two runners of an amp model's signal graph. A model writes its graph once, as a function
// template over the runner G (see ModelDescription.h):
//   G::Signal y = g.Section(slot, x);          one biquad section
//   y = g.Shape(shaperSlot, SoftClipCurve{level, drive}, x);   one waveshaper stage
//   y = g.Map([](SampleOps& o, double a, double b) { ... }, a, b);
// A Map is a pointwise step: the lambda gets one sample of each input and the per-sample
// operations (o.Comb, o.PoleA, o.PoleB, o.Section, o.Shape) for stages whose recursions it steps.
//
// SampleGraph runs the graph for one sample: a Signal is the sample itself. ChunkGraph runs it
// over a chunk of up to kChunk samples: a Signal is a buffer; sections are queued as lanes of one
// section network (RunSectionLanes) and run together when a later step needs their output, a
// lane fed by a queued lane two steps behind it. Every value is computed by the same expression
// in both, and every slot sees its samples in order, so the two give the same bits.
#include "AmpSectionChain.h"
#include "BankLayout.h"
#include "DspBank.h"
#include "ModelState.h"
#include "Waveshapers.h"

#include <array>
#include <cstring>
#include <tuple>
#include <utility>

// The per-sample operations on the bank, for Map steps and the sample runner.
struct SampleOps {
    DspBank& bank;
    ModelState& state;

    double Section(BiquadSlot s, double x) { return bank.ProcessBiquad(x, s.index); }
    double PoleA(PoleASlot p, double x) { return bank.OnePoleA(x, p.index); }
    double PoleB(PoleBSlot p, double x) { return bank.OnePoleB(x, p.index); }
    // x minus its one-pole low-pass: the high pass the models build from a B pole.
    double PoleHighPass(PoleBSlot p, double x) { return x - bank.OnePoleB(x, p.index); }
    double Comb(CombRow r, double feedback, double x) { return bank.FeedbackComb(r.index, feedback, x); }
    // A waveshaper stage: the shape's curve at x, or on the oversampled path its antiderivative
    // anti-aliased form (state.shaperOrder), whose memory is the call site's own place in the
    // bank (DspBank::shaper), cleared with the signal state.
    template <class Curve> double Shape(ShaperSlot slot, const Curve& curve, double x) {
        if (state.shaperOrder == 0) return curve(x);
        return curve.Smoothed(bank.shaper, slot.index, state.shaperOrder, x);
    }
    // A signal that runs beside the shaper at `slot` (line 0 or 1), delayed as that stage delays
    // on a quiet signal: unchanged at order 0, the mean of the last two samples (half a sample)
    // at order 1, of the last three (one sample) at order 2, which is what the anti-aliased
    // stages are on their linear stretch. The dry and the shaped paths then stay in phase.
    double ShapeDry(ShaperSlot slot, int line, double x) {
        const int order = state.shaperOrder;
        if (order == 0) return x;
        double* m = bank.shaper.dry[slot.index][line];
        const double y = order == 1 ? 0.5 * (x + m[0]) : (x + m[0] + m[1]) * (1.0 / 3.0);
        m[1] = m[0];
        m[0] = x;
        return y;
    }
};

class SampleGraph {
public:
    using Signal = double;

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
    SampleOps ops;
};

class ChunkGraph {
public:
    using Signal = const double*;
    static constexpr int kChunk = 64;
    static constexpr int kBuffers = 40;

    // The graph's output goes to `out` (n samples), which its input may be.
    ChunkGraph(DspBank& bank, ModelState& state, double* out, int n) : ops{bank, state}, n(n), out(out) {}
    const ModelState& State() const { return ops.state; }

    Signal Section(BiquadSlot s, Signal x) {
        const int producer = LaneOf(x);
        int delay = producer >= 0 ? lanes[producer].delay + 2 : 0;
        if (laneCount == kMaxLanes || delay > kMaxDelay) {
            Flush();
            delay = 0;
        }
        double* out = NewBuffer();
        laneOf[used - 1] = laneCount + 1;
        lanes[laneCount++] = SectionLane{s.index, x, out, delay};
        return out;
    }
    template <class Curve> Signal Shape(ShaperSlot slot, const Curve& curve, Signal x) {
        return Map([slot, curve](SampleOps& o, double v) { return o.Shape(slot, curve, v); }, x);
    }
    template <class F, class... In> Signal Map(F f, In... in) {
        if ((Queued(in) || ...)) Flush();
        double* y = NewBuffer();
        Loop(f, ops, n, y, in...);
        return y;
    }
    template <class F, class... In> auto MapN(F f, In... in) {
        if ((Queued(in) || ...)) Flush();
        using Result = decltype(f(ops, in[0]...));
        constexpr int k = static_cast<int>(std::tuple_size<Result>::value);
        static_assert(k == 2 || k == 3, "a step has one, two or three outputs");
        std::array<Signal, k> signals;
        double* outs[k];
        for (int j = 0; j < k; ++j)
            signals[j] = outs[j] = NewBuffer();
        LoopN<k>(f, ops, n, outs, in...);
        return signals;
    }
    // The last step: written to the output buffer. Every input is read at i before out[i] is
    // written, so the graph's input may be the output.
    template <class F, class... In> Signal MapOut(F f, In... in) {
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
    [[gnu::noinline]] static void Loop(F f, SampleOps ops, int n, double* y, In... in) {
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
    static void LoopFromLocal(F f, SampleOps ops, int n, double* y, std::index_sequence<I...>, In... in) {
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
    [[gnu::noinline]] static void LoopN(F f, SampleOps ops, int n, double* const* outs, In... in) {
        double local[K][kChunk];
        for (int i = 0; i < n; ++i) {
            const auto r = f(ops, in[i]...);
            for (int j = 0; j < K; ++j)
                local[j][i] = r[j];
        }
        for (int j = 0; j < K; ++j)
            std::memcpy(outs[j], local[j], sizeof(double) * static_cast<size_t>(n));
    }

    double* NewBuffer() {
        // A graph needs fewer buffers than this (the model tests run every graph); should one
        // need more, the last is reused rather than writing past the pool.
        if (used < kBuffers) ++used;
        laneOf[used - 1] = 0;
        return pool[used - 1];
    }
    // The queued lane that writes buffer s, or -1 (the graph's input, a Map's output, a lane
    // already run). Kept per buffer so a step finds its producer without searching the lanes.
    int LaneOf(Signal s) const {
        const double* first = pool[0];
        if (s < first || s >= first + kBuffers * kRow) return -1;
        return laneOf[(s - first) / kRow] - 1;
    }
    bool Queued(Signal s) const { return LaneOf(s) >= 0; }
    void Flush() {
        RunSectionLanes(ops.bank, lanes, laneCount, n);
        for (int j = 0; j < laneCount; ++j)
            laneOf[(lanes[j].out - pool[0]) / kRow] = 0;
        laneCount = 0;
    }

    SampleOps ops;
    int n;
    double* out;
    int used = 0;
    int laneCount = 0;
    SectionLane lanes[kMaxLanes];
    int laneOf[kBuffers] = {};              // per pool buffer: 1 + the queued lane writing it, or 0
    static constexpr int kRow = kChunk + 8; // rows 576 bytes apart, off the 4 KiB alias stride
    alignas(64) double pool[kBuffers][kRow];
};
