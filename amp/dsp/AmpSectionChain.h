#pragma once

#include "DspBank.h"

// Block kernels for chains of biquad slots, bit-identical to ProcessBiquad run slot after slot
// for every sample.

// Runs up to kMaxChain slots in series over s[0..n) in place. With `tap`, the output of the
// next-to-last slot is written to tap[0..n) too. The slots need not be contiguous.
constexpr int kMaxChain = 6;
void RunSectionChain(DspBank& bank, const int* slots, int count, double* s, int n, double* tap = nullptr);
