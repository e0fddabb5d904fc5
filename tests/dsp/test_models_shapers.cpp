#include "AmpTestRig.h"
#include "DspBank.h"
#include "Waveshapers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

TEST(ModelShapers, SoftClipValuesAndCeiling) {
    EXPECT_DOUBLE_EQ(SoftClip(0.1, 1.0, 1.0), 0.75);
    EXPECT_DOUBLE_EQ(SoftClip(-0.5, 2.0, 1.0), -2.0);
    // From |u c| = 0.2 on the result is exactly the ceiling.
    EXPECT_EQ(SoftClip(0.2, 0.5, 1.0), 0.5);
    EXPECT_EQ(SoftClip(-0.04, 0.5, 5.0), -0.5);
    EXPECT_EQ(SoftClip(123.0, 0.5, 1.0), 0.5);
    double previous = -1.0;
    for (double u = -3.0; u <= 3.0; u += 0.001) {
        const double y = SoftClip(u, 0.5, 1.7);
        EXPECT_LE(std::fabs(y), 0.5);
        EXPECT_GE(y, previous) << "not monotonic at " << u;
        previous = y;
    }
    // Continuous at the knee.
    EXPECT_NEAR(SoftClip(0.1999999, 0.5, 1.0), 0.5, 1e-6);
}

TEST(ModelShapers, AsymClipStaysBetweenMinusHalfAndCeiling) {
    for (double u = -5.0; u <= 5.0; u += 0.0007) {
        for (double drive : {0.63, 1.0, 40.0, 2000.0}) {
            const double y = AsymClip(u, 0.3, drive);
            EXPECT_LE(y, 0.3);
            EXPECT_GE(y, -0.5);
        }
    }
    EXPECT_NEAR(AsymClip(0.1, 0.3, 1.0), 0.225, 1e-15); // soft-clipped positive half
    EXPECT_DOUBLE_EQ(AsymClip(-0.3, 0.3, 1.0), -0.3);   // linear negative half
    EXPECT_DOUBLE_EQ(AsymClip(-0.7, 0.3, 1.0), -0.5);   // cut at -0.5
    EXPECT_DOUBLE_EQ(AsymClip(5.0, 0.3, 1.0), 0.3);
}

TEST(ModelShapers, TaperRunsFromZeroToOne) {
    EXPECT_EQ(GainTaper(1.0), 1.0);
    EXPECT_NEAR(GainTaper(0.0), 0.0, 1e-7);
    EXPECT_NEAR(GainTaper(0.5), 1.0 - (1.0 - std::exp(-1.5)) / (1.0 - std::exp(-3.0)), 1e-7);
    for (double v = 0.0; v < 1.0; v += 0.01)
        EXPECT_LT(GainTaper(v), GainTaper(v + 0.01));
}

TEST(ModelCombs, ImpulseRepeatsEveryLastIndexPlusOneScaledByFeedback) {
    auto bank = std::make_unique<DspBank>();
    bank->SetDelayLength(0.002, 44100.0, 8);
    const int last = bank->delayLine[8].lastIndex;
    ASSERT_EQ(last, 87);
    for (double g : {0.73, 0.99, 0.835}) {
        bank->SetDelayLength(0.002, 44100.0, 8);
        std::vector<double> out(6 * (last + 1));
        for (size_t n = 0; n < out.size(); ++n)
            out[n] = bank->FeedbackComb(8, g, n == 0 ? 1.0 : 0.0);
        double expected = 1.0;
        for (size_t n = 0; n < out.size(); ++n) {
            if (n >= static_cast<size_t>(last) && (n - last) % (last + 1) == 0) {
                EXPECT_NEAR(out[n], expected, 1e-15) << "g " << g << " n " << n;
                expected *= g;
            } else {
                EXPECT_EQ(out[n], 0.0) << "g " << g << " n " << n;
            }
        }
    }
}
