#include "AmpModels.h"

void AmpModels::Initialise(DspBank& b, double rate) {
    bank = &b;
    sampleRate = rate;
}

void AmpModels::SampleRateChanged(double rate) {
    sampleRate = rate;
}

double AmpModels::Process(double x) {
    return x;
}

void AmpModels::ProcessBlock(double* samples, int n) {
    for (int i = 0; i < n; ++i)
        samples[i] = Process(samples[i]);
}
