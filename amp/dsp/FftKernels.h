#pragma once

// Wide-vector (AVX2 + FMA) versions of the hot loops of the FFT family and the convolution
// engine, chosen at run time on processors that have them. Where the build cannot carry them
// (anything but 64-bit Linux with GCC or Clang) WideVectorsAvailable() is false and the entry
// points are never called.

bool WideVectorsAvailable();
// Whether the transforms and the engine use the wide kernels now: available and allowed. Tests
// switch them off to check the plain kernels on the same machine.
bool UseWideVectors();
void AllowWideVectors(bool allowed);

// Radix-4 passes of span >= 8 over interleaved complex data; tw holds, for each pair of
// butterflies k, k+1, the real and imaginary parts of W^k, W^2k, W^3k each spread over four
// doubles (see FftTables). Only the butterflies k in [kBegin, kEnd) (even bounds) of every span run.
void ForwardRadix4Wide(double* data, int size, int span, const double* tw, bool upperHalfZero, int kBegin,
                       int kEnd);
void InverseRadix4Wide(double* data, int size, int span, const double* tw, int kBegin, int kEnd);

// y (+)= sum of count (1..4) products xs[t] * hs[t] over the bins [begin, end), a multiple of
// four; each spectrum is `bins` real parts followed by `bins` imaginary parts.
void MultiplySpectraWide(double* yr, double* yi, const double* const* xs, const float* const* hs, int count,
                         int bins, int begin, int end, bool write);

// y[i] = sum over k < taps of h[k] x[i + k] for i < n; taps a multiple of four.
void DirectConvolveWide(const double* h, int taps, const double* x, double* y, int n);
