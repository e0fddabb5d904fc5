#include "AllocationCounter.h"
#include "SignalChain.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Keeps the optimiser from removing an allocation whose result is unused.
void* volatile gSink;

} // namespace

TEST(AllocationCounter, CatchesOperatorNew) {
    AllocationCounter counter;
    gSink = new int(3);
    EXPECT_EQ(counter.Allocations(), 1);
    delete static_cast<int*>(gSink);
    auto v = std::make_unique<std::vector<double>>(100);
    EXPECT_GE(counter.Allocations(), 3);
}

TEST(AllocationCounter, CatchesMallocWhereSupported) {
    if (!AllocationCounter::CountsMalloc()) GTEST_SKIP() << "malloc is not interposed on this platform";
    AllocationCounter counter;
    gSink = std::malloc(16);
    EXPECT_EQ(counter.Allocations(), 1);
    std::free(gSink);
}

TEST(SignalChainRealTime, ProcessBlockAllocatesNothing) {
    auto chain = std::make_unique<SignalChain>();
    chain->Reset(48000.0);
    chain->SetCabPreset(1);
    chain->SetGateEnabled(true);
    chain->SetAmpEnabled(true);
    chain->SetEqLow(-7.2, 0.2);
    chain->SetLoudness(-21.0, 0.7);
    std::vector<double> in0(4096), in1(4096), out0(4096), out1(4096);
    for (size_t i = 0; i < in0.size(); ++i) {
        in0[i] = 0.3 * ((i * 7919) % 101) / 101.0 - 0.15;
        in1[i] = 0.0;
    }
    const int sizes[] = {1, 32, 64, 512, 4096, 0};
    AllocationCounter counter;
    for (int n : sizes)
        chain->ProcessBlock(in0.data(), in1.data(), out0.data(), out1.data(), n);
    EXPECT_EQ(counter.Allocations(), 0);
    chain->SetTunerView(true); // a parameter change: may make the tuner's buffers
    counter.Restart();
    chain->ProcessBlock(in0.data(), in1.data(), out0.data(), out1.data(), 512);
    EXPECT_EQ(counter.Allocations(), 0);
}
