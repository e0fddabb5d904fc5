#pragma once

class DspBank;

// The amplifier models that run between the gate and the cabinet. This first version passes the
// signal through; the models fill it in.
class AmpModels {
public:
    // Called once at start-up with the bank the models design into and step.
    void Initialise(DspBank& bank, double sampleRate);
    // Called after the host's sample rate changed, to design the current model again.
    void SampleRateChanged(double sampleRate);

    double Process(double x);
    // In place over n samples; the same result as n calls of Process.
    void ProcessBlock(double* samples, int n);

private:
    DspBank* bank = nullptr;
    double sampleRate = 44100.0;
};
