#include "AmpModels.h"

void AmpModels::ProcessBlock(double* samples, int n) {
    for (int i = 0; i < n; ++i)
        samples[i] = Process(samples[i]);
}
