#pragma once

// The two runners of an amp model's signal graph. A model writes its graph once, as a function
// template over the runner G (see ModelDescription.h):
//   G::Signal y = g.Section(slot, x);          one biquad section
//   y = g.Shape(shaperSlot, SoftClipShape{level, drive}, x);   one waveshaper stage
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
    // A waveshaper stage: the shape's curve at x. The slot gives the call site a place of its
    // own in the bank (DspBank::shaper), cleared with the signal state.
    template <class Curve> double Shape(ShaperSlot slot, const Curve& curve, double x) {
        (void)slot;
        return curve(x);
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

private:
    SampleOps ops;
};

class ChunkGraph {
public:
    using Signal = const double*;
    static constexpr int kChunk = 64;
    static constexpr int kBuffers = 40;

    ChunkGraph(DspBank& bank, ModelState& state, int n) : ops{bank, state}, n(n) {}
    const ModelState& State() const { return ops.state; }

    Signal Section(BiquadSlot s, Signal x) {
        int delay = 0;
        for (int j = 0; j < laneCount; ++j)
            if (lanes[j].out == x && lanes[j].delay + 2 > delay) delay = lanes[j].delay + 2;
        if (laneCount == kMaxLanes || delay > kMaxDelay) {
            Flush();
            delay = 0;
        }
        double* out = NewBuffer();
        lanes[laneCount++] = SectionLane{s.index, x, out, delay};
        return out;
    }
    template <class Curve> Signal Shape(ShaperSlot slot, const Curve& curve, Signal x) {
        return Map([slot, curve](SampleOps& o, double v) { return o.Shape(slot, curve, v); }, x);
    }
    template <class F, class... In> Signal Map(F f, In... in) {
        if ((Queued(in) || ...)) Flush();
        double* out = NewBuffer();
        const int count = n;
        for (int i = 0; i < count; ++i)
            out[i] = f(ops, in[i]...);
        return out;
    }
    // Runs what is still queued and copies s to out.
    void Finish(Signal s, double* out) {
        if (Queued(s)) Flush();
        for (int i = 0; i < n; ++i)
            out[i] = s[i];
    }

private:
    double* NewBuffer() {
        // A graph needs fewer buffers than this (the model tests run every graph); should one
        // need more, the last is reused rather than writing past the pool.
        if (used < kBuffers) ++used;
        return pool[used - 1];
    }
    bool Queued(Signal s) const {
        for (int j = 0; j < laneCount; ++j)
            if (lanes[j].out == s) return true;
        return false;
    }
    void Flush() {
        RunSectionLanes(ops.bank, lanes, laneCount, n);
        laneCount = 0;
    }

    SampleOps ops;
    int n;
    int used = 0;
    int laneCount = 0;
    SectionLane lanes[kMaxLanes];
    double pool[kBuffers][kChunk];
};
