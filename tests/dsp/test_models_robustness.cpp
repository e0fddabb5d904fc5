#include "AllocationCounter.h"
#include "AmpTestRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Far above any level the models reach from full scale (the loudest, model 4 with every knob up,
// peaks near 1300), far below what a runaway recursion produces.
constexpr double kBound = 1.0e4;

struct Result {
    bool finite = true;
    double peak = 0.0;
    void Take(double y) {
        if (!std::isfinite(y)) finite = false;
        peak = std::fmax(peak, std::fabs(y));
    }
};

// Full-scale logarithmic sine sweep 20 Hz .. 20 kHz in a quarter second, then a full-scale impulse.
Result Excite(AmpModels& amp, double rate) {
    Result r;
    const int n = static_cast<int>(0.25 * rate);
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        phase += 2.0 * kPi * 20.0 * std::pow(1000.0, static_cast<double>(i) / n) / rate;
        r.Take(amp.Process(std::sin(phase)));
    }
    for (int i = 0; i < n / 5; ++i)
        r.Take(amp.Process(i == 0 ? 1.0 : 0.0));
    return r;
}

// Seconds of silence until a 1024-sample window stays below 1e-9, or -1 after 4 s.
double DecayTime(AmpModels& amp, double rate) {
    for (int i = 0; i < 4.0 * rate;) {
        double window = 0.0;
        for (int j = 0; j < 1024; ++j, ++i)
            window = std::fmax(window, std::fabs(amp.Process(0.0)));
        if (window < 1e-9) return i / rate;
    }
    return -1.0;
}

} // namespace

TEST(ModelRobustness, EveryModelKnobAndRateStaysFiniteBoundedAndDecays) {
    for (double rate : {44100.0, 48000.0, 96000.0}) {
        for (int model = 0; model < AmpModels::kModelCount; ++model) {
            for (double knob : {0.0, 0.5, 1.0}) {
                AmpTestRig rig(rate);
                rig.SetKnobs(knob);
                ASSERT_TRUE(rig.amp.SelectModel(model));
                const Result r = Excite(rig.amp, rate);
                SCOPED_TRACE(testing::Message() << "rate " << rate << " model " << model << " knob " << knob);
                EXPECT_TRUE(r.finite);
                EXPECT_LT(r.peak, kBound);
                EXPECT_GT(r.peak, 0.0);
                EXPECT_GT(DecayTime(rig.amp, rate), 0.0);
            }
        }
    }
}

TEST(ModelRobustness, NoModelAllocatesWhileProcessingOrSelecting) {
    AmpTestRig rig(48000.0);
    std::vector<double> block(512);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = 0.7 * std::sin(0.031 * i);
    AllocationCounter counter;
    for (int model = 0; model < AmpModels::kModelCount; ++model) {
        rig.amp.SelectModel(model);
        rig.amp.SetGain(0.9);
        rig.amp.SetTreble(0.8);
        rig.amp.ProcessBlock(block.data(), static_cast<int>(block.size()));
        rig.amp.ProcessBlock(block.data(), 1);
        for (int i = 0; i < 64; ++i)
            block[i] = rig.amp.Process(block[i]);
    }
    EXPECT_EQ(counter.Allocations(), 0);
}
