#pragma once

// Elementary functions used by the filter designs. They go through one place so that every
// platform designs bit-identical coefficients from the same inputs.
double DspSin(double x);
double DspCos(double x);
double DspExp(double x);
double DspSinh(double x);
double DspPow(double base, double exponent);
double DspSqrt(double x);
// The modified Bessel function of the first kind, order 0 (the Kaiser window's), by its power series.
double BesselI0(double x);
