#include "AmpTestRig.h"
#include "Noise.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Renders noise through model m on a rig that selected `before` first, each in turn.
std::vector<double> RenderAfter(int m, const std::vector<int>& before) {
    AmpTestRig rig(48000.0);
    rig.SetKnobs(0.7);
    for (int other : before)
        rig.amp.SelectModel(other);
    rig.amp.SelectModel(m);
    std::vector<double> x = Noise(4000, 0.5, 7 + m);
    rig.amp.ProcessBlock(x.data(), static_cast<int>(x.size()));
    return x;
}

} // namespace

// Models share the places of the bank, so each must design every section, one-pole and comb it
// runs: what the models selected before it left there must not change its sound.
TEST(ModelLayout, EachModelDesignsEveryPlaceItRuns) {
    // Each place last designed by another model in the two orders.
    std::vector<int> up, down;
    for (int m = 0; m < AmpModels::kModelCount; ++m) {
        up.push_back(m);
        down.insert(down.begin(), m);
    }
    for (int m = 0; m < AmpModels::kModelCount; ++m) {
        const std::vector<double> fresh = RenderAfter(m, {});
        for (const std::vector<int>* before : {&up, &down}) {
            const std::vector<double> after = RenderAfter(m, *before);
            EXPECT_EQ(std::memcmp(fresh.data(), after.data(), sizeof(double) * fresh.size()), 0)
                << "model " << m << (before == &up ? " after the others in order" : " after them backwards");
        }
    }
}
