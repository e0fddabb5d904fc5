#pragma once

#include "DspBank.h"

// Block kernels for networks of biquad slots, bit-identical to running ProcessBiquad on every
// slot sample after sample (both compute BiquadSection::Output).

// One slot of a network: at step t it takes sample m = t - delay from in[m] and writes its output
// to out[m]. A lane fed by another lane of the same call needs a larger delay than its producer;
// two more than the producer keeps the pair from waiting on the step just before. in and out may
// be the same buffer.
struct SectionLane {
    int slot;
    const double* in;
    double* out;
    int delay;
};

constexpr int kMaxLanes = 8;
constexpr int kMaxDelay = 16;

// Runs the lanes (at most kMaxLanes, delays 0..kMaxDelay) over samples 0..n-1. Independent lanes
// overlap their recursions, and pairs of lanes share the two halves of an SSE2 register.
void RunSectionLanes(DspBank& bank, const SectionLane* lanes, int count, int n);

// Up to six slots in series over s[0..n) in place. With `tap`, the next-to-last slot's output is
// written to tap[0..n) too.
constexpr int kMaxChain = 6;
void RunSectionChain(DspBank& bank, const int* slots, int count, double* s, int n, double* tap = nullptr);
