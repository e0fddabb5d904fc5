#include "MemoryRaster.h"
#include "SystemRaster.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(MemoryRaster, RowSpanAndAlignment) {
    MemoryRaster r(4, 5, 3);
    EXPECT_EQ(r.RowPixels(), 8);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(r.Pixels()) % 64, 0u);
    EXPECT_FALSE(r.BottomUp());
    EXPECT_EQ(r.DeviceContext(), nullptr);
    EXPECT_EQ(r.Reserved(), 0);
    MemoryRaster single(1, 5, 3);
    EXPECT_EQ(single.RowPixels(), 5);
}

TEST(MemoryRaster, ResizeReusesGrowsAndFrees) {
    MemoryRaster r(4, 8, 8);
    uint32_t* first = r.Pixels();
    EXPECT_FALSE(r.SetSize(8, 8));
    EXPECT_TRUE(r.SetSize(4, 4));
    EXPECT_EQ(r.Pixels(), first); // smaller: storage kept
    EXPECT_TRUE(r.SetSize(16, 16));
    EXPECT_EQ(r.AllocatedPixels(), 256u + 64u); // 5/4 of the need
    EXPECT_EQ(r.Width(), 16);
    EXPECT_TRUE(r.SetSize(0, 0));
    EXPECT_EQ(r.Pixels(), nullptr);
    EXPECT_EQ(r.AllocatedPixels(), 0u);
}

TEST(SystemRaster, KeepsStorageUntilItMustGrow) {
    SystemRaster r(10, 10);
    EXPECT_EQ(r.RowPixels(), 12);
    uint32_t* first = r.Pixels();
    EXPECT_TRUE(r.SetSize(6, 9));
    EXPECT_EQ(r.Pixels(), first);
    EXPECT_EQ(r.Width(), 6);
    EXPECT_EQ(r.Height(), 9);
    EXPECT_TRUE(r.SetSize(20, 10));
    EXPECT_EQ(r.Width(), 20);
    EXPECT_GE(r.RowPixels(), 20);
    r.Row(9)[19] = 1; // the whole visible area is addressable
}

} // namespace
