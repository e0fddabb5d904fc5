#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Deterministic white noise in -amplitude..amplitude. A linear congruential generator written
// out here, so that a seed gives the same samples with every compiler and standard library
// (tests that hash a rendered result rely on that).
inline std::vector<double> Noise(int count, double amplitude, uint32_t seed = 12345) {
    std::vector<double> v(static_cast<size_t>(count > 0 ? count : 0));
    for (double& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = amplitude * (static_cast<double>(seed >> 8) / 8388608.0 - 1.0);
    }
    return v;
}
