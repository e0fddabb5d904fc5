#include "AmpSectionChain.h"
#include "DspBank.h"
#include "Noise.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

// Two banks with the same random sections and state, one per path.
struct TwinBanks {
    explicit TwinBanks(unsigned seed)
        : fast(std::make_unique<DspBank>()), plain(std::make_unique<DspBank>()) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> freq(30.0, 15000.0), width(0.3, 3.0), gain(-15.0, 15.0),
            state(-0.5, 0.5);
        for (int slot = 80; slot < 118; ++slot) {
            const int type = static_cast<int>(rng() % 8);
            fast->DesignBiquad(freq(rng), width(rng), gain(rng), 48000.0, type, slot);
            for (double* s : {fast->biquad.x1, fast->biquad.x2, fast->biquad.y1, fast->biquad.y2})
                s[slot] = state(rng);
        }
        plain->biquad = fast->biquad;
    }
    std::unique_ptr<DspBank> fast;
    std::unique_ptr<DspBank> plain;
};

bool Same(const std::vector<double>& a, const std::vector<double>& b) {
    return std::memcmp(a.data(), b.data(), sizeof(double) * a.size()) == 0;
}

} // namespace

TEST(ModelSectionLanes, ChainMatchesSectionAfterSectionForAnyLengthAndCount) {
    const int slots[] = {90, 117, 83, 101, 84, 99};
    for (int count = 1; count <= kMaxChain; ++count) {
        for (int n : {1, 2, 3, 5, 6, 7, 13, 64}) {
            TwinBanks banks(count * 100 + n);
            std::vector<double> s = Noise(n, 1.0, n), tap(n, 0.0);
            std::vector<double> want = s, wantTap(n, 0.0);
            for (int i = 0; i < n; ++i) {
                for (int j = 0; j < count; ++j) {
                    want[i] = banks.plain->ProcessBiquad(want[i], slots[j]);
                    if (j == count - 2) wantTap[i] = want[i];
                }
            }
            RunSectionChain(*banks.fast, slots, count, s.data(), n, tap.data());
            EXPECT_TRUE(Same(s, want)) << "count " << count << " n " << n;
            if (count >= 2) {
                EXPECT_TRUE(Same(tap, wantTap)) << "count " << count << " n " << n;
            }
            for (int slot : slots)
                EXPECT_EQ(banks.fast->biquad.y1[slot], banks.plain->biquad.y1[slot]);
        }
    }
}

TEST(ModelSectionLanes, NetworkOfParallelAndSerialLanesMatches) {
    for (int n : {1, 2, 4, 9, 64}) {
        TwinBanks banks(7 + n);
        const std::vector<double> x = Noise(n, 1.0, 3 * n), e = Noise(n, 1.0, 5 * n);
        std::vector<double> a(n), b(n), c(n), p(n);
        const SectionLane lanes[] = {{108, x.data(), a.data(), 0}, {109, a.data(), b.data(), 1},
                                     {110, x.data(), c.data(), 0}, {112, e.data(), p.data(), 0},
                                     {113, p.data(), p.data(), 1}, {114, p.data(), p.data(), 2},
                                     {85, p.data(), p.data(), 3}};
        RunSectionLanes(*banks.fast, lanes, 7, n);
        DspBank& q = *banks.plain;
        for (int i = 0; i < n; ++i) {
            const double l108 = q.ProcessBiquad(x[i], 108);
            ASSERT_EQ(a[i], l108);
            ASSERT_EQ(b[i], q.ProcessBiquad(l108, 109));
            ASSERT_EQ(c[i], q.ProcessBiquad(x[i], 110));
            double v = e[i];
            for (int slot : {112, 113, 114, 85})
                v = q.ProcessBiquad(v, slot);
            ASSERT_EQ(p[i], v) << "n " << n << " i " << i;
        }
    }
}

// An odd count whose last lane runs ahead of another (delay 0 beside delay 2): the last lane is
// repeated to fill its pair, and the repeat must not lag behind the samples it took alone.
TEST(ModelSectionLanes, OddNetworkWhoseLastLaneLeadsMatches) {
    for (int n : {1, 2, 3, 9, 64}) {
        TwinBanks banks(40 + n);
        const std::vector<double> x = Noise(n, 1.0, 7 * n), e = Noise(n, 1.0, 11 * n);
        std::vector<double> a(n), b(n), c(n);
        const SectionLane lanes[] = {
            {108, x.data(), a.data(), 0}, {109, a.data(), b.data(), 2}, {110, e.data(), c.data(), 0}};
        RunSectionLanes(*banks.fast, lanes, 3, n);
        DspBank& q = *banks.plain;
        for (int i = 0; i < n; ++i) {
            const double l108 = q.ProcessBiquad(x[i], 108);
            ASSERT_EQ(a[i], l108);
            ASSERT_EQ(b[i], q.ProcessBiquad(l108, 109));
            ASSERT_EQ(c[i], q.ProcessBiquad(e[i], 110)) << "n " << n << " i " << i;
        }
    }
}
