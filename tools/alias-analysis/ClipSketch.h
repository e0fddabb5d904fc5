#pragma once

// One SoftClip at drive 200 (level 0.5) on the -18 dBFS sine, run plain, with first-order and
// with second-order ADAA at 1x, 2x and 4x between the plug-in's half-band resamplers; prints the
// folded and inharmonic figures (AliasMeter.h) at 1109 and 2917 Hz.
void PrintClipSketch();
