#include "DspMath.h"

#include <cmath>

double DspSin(double x) {
    return std::sin(x);
}
double DspCos(double x) {
    return std::cos(x);
}
double DspExp(double x) {
    return std::exp(x);
}
double DspSinh(double x) {
    return std::sinh(x);
}
double DspPow(double base, double exponent) {
    return std::pow(base, exponent);
}
double DspSqrt(double x) {
    return std::sqrt(x);
}
