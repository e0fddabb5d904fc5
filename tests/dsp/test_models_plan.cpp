// The chunk runner's plan (ChunkPlan.h) shares pool rows between buffers whose readers are done.
// Random graphs, denser in crossing and long-lived signals than the models, must give the same
// bits through the chunk runner as sample after sample, at every chunk length.
#include "DspBank.h"
#include "Noise.h"
#include "models/ModelGraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kFirstSlot = 80;
constexpr int kLastSlot = 117;

// A graph drawn from `seed`: sections (each on a slot of its own), two-input Maps and
// five-input MapNs with two outputs, reading mostly recent signals and now and then old ones, so
// that some buffers live across several networks and some are never read.
template <class G> typename G::Signal RandomGraph(G& g, typename G::Signal x, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<typename G::Signal> s{x};
    auto pick = [&] {
        const size_t recent = std::min<size_t>(3, s.size());
        const size_t back = rng() % 5 == 0 ? rng() % s.size() : rng() % recent;
        return s[s.size() - 1 - back];
    };
    int slot = kFirstSlot;
    for (int k = 0; k < 40; ++k) {
        const unsigned kind = rng() % 5;
        if (kind < 3 && slot <= kLastSlot) {
            const typename G::Signal in = pick();
            s.push_back(g.Section(BiquadSlot{slot++}, in));
        } else if (kind < 4) {
            const typename G::Signal a = pick(), b = pick();
            s.push_back(g.Map([](auto&, double u, double v) { return 0.6 * u - 0.3 * v; }, a, b));
        } else {
            const typename G::Signal a = pick(), b = pick(), c = pick(), d = pick(), e = pick();
            const auto [p, q] = g.MapN(
                [](auto&, double u, double v, double w, double y, double z) {
                    return std::array<double, 2>{0.3 * u + 0.2 * v - 0.1 * z, w - 0.5 * y};
                },
                a, b, c, d, e);
            s.push_back(p);
            s.push_back(q);
        }
    }
    const typename G::Signal a = s[s.size() - 1], b = s[s.size() - 2];
    return g.MapOut([](auto&, double u, double v) { return u + 0.5 * v; }, a, b);
}

std::unique_ptr<DspBank> RandomSections(unsigned seed) {
    auto bank = std::make_unique<DspBank>();
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> freq(30.0, 15000.0), width(0.3, 3.0), gain(-12.0, 12.0);
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot)
        bank->DesignBiquad(freq(rng), width(rng), gain(rng), 48000.0, static_cast<int>(rng() % 8), slot);
    return bank;
}

} // namespace

TEST(ModelChunkPlan, RandomGraphsMatchSampleBySampleWithSharedRows) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        PlanGraph planner;
        RandomGraph(planner, PlanGraph::Signal{0}, seed);
        const ChunkPlan plan = planner.Finish();
        ASSERT_TRUE(plan.fits) << "seed " << seed;
        ASSERT_LE(plan.rows, ChunkPlan::kMaxRows);
        // Forty steps with an output each at least, in far fewer rows.
        EXPECT_LT(plan.rows, plan.steps / 2) << "seed " << seed;

        const std::unique_ptr<DspBank> chunkBank = RandomSections(seed), sampleBank = RandomSections(seed);
        ModelState state;
        std::vector<double> block = Noise(700, 0.5, seed);
        std::vector<double> expected = block;
        for (double& x : expected) {
            SampleGraph<0> g(*sampleBank, state);
            x = RandomGraph(g, x, seed);
        }
        std::mt19937 sizes(seed);
        for (size_t at = 0; at < block.size();) {
            const int n = std::min<int>(1 + static_cast<int>(sizes() % kModelChunk),
                                        static_cast<int>(block.size() - at));
            ChunkGraph<0> g(*chunkBank, state, block.data() + at, n, plan);
            RandomGraph(g, ChunkGraph<0>::Signal{block.data() + at}, seed);
            at += static_cast<size_t>(n);
        }
        ASSERT_EQ(std::memcmp(block.data(), expected.data(), sizeof(double) * block.size()), 0)
            << "seed " << seed;
    }
}
