#include "MemoryRaster.h"
#include "RasterOps.h"

#include <gtest/gtest.h>

namespace {

void Clear(IRaster& r) {
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x)
            r.Row(y)[x] = 0xff000000;
}

int Level(IRaster& r, int x, int y) {
    return static_cast<int>((r.Row(y)[x] >> 8) & 255);
}

TEST(StrokeLine, AntialiasedEndsAtFullCoverage) {
    MemoryRaster r(4, 12, 6);
    Clear(r);
    StrokeLine(&r, 1, 1, 10, 4, 0xffffffff, 1.0f, kModeCopy, true);
    EXPECT_EQ(Level(r, 1, 1), 255);
    EXPECT_EQ(Level(r, 10, 4), 255);
}

TEST(StrokeLine, AntialiasedIsPointSymmetricAndDirectionFree) {
    // Odd length: the pixels mirror through the segment's midpoint.
    MemoryRaster a(4, 10, 4), b(4, 10, 4);
    Clear(a);
    Clear(b);
    StrokeLine(&a, 0, 0, 9, 3, 0xffffffff, 1.0f, kModeCopy, true);
    StrokeLine(&b, 9, 3, 0, 0, 0xffffffff, 1.0f, kModeCopy, true);
    int lit = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(Level(a, x, y), Level(a, 9 - x, 3 - y)) << x << "," << y;
            EXPECT_EQ(a.Row(y)[x], b.Row(y)[x]);
            lit += Level(a, x, y) > 0;
        }
    EXPECT_GT(lit, 10); // covers more than one pixel per column
    // Even length, steep: still the same pixels whichever end comes first.
    MemoryRaster c(4, 5, 11), d(4, 5, 11);
    Clear(c);
    Clear(d);
    StrokeLine(&c, 0, 0, 3, 10, 0xffffffff, 1.0f, kModeCopy, true);
    StrokeLine(&d, 3, 10, 0, 0, 0xffffffff, 1.0f, kModeCopy, true);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(c.Row(y)[x], d.Row(y)[x]);
}

TEST(StrokeLine, CoverageSplitsBetweenNeighbours) {
    // Slope 1/2: at the middle step the fraction is exactly one half.
    MemoryRaster r(4, 5, 3);
    Clear(r);
    StrokeLine(&r, 0, 0, 4, 2, 0xffffffff, 1.0f, kModeCopy, true);
    // step 1 from the start: u = 32768 -> 255 - 128 = 127 on row 0 and 128 on row 1.
    const int k0 = 127, k1 = 128;
    EXPECT_EQ(Level(r, 1, 0), 255 + (0 - 255) * (256 - k0) / 256);
    EXPECT_EQ(Level(r, 1, 1), 255 + (0 - 255) * (256 - k1) / 256);
}

TEST(StrokeLine, HorizontalIncludesBothEndsAndHonoursWeight) {
    MemoryRaster r(4, 8, 2);
    Clear(r);
    StrokeLine(&r, 6, 0, 2, 0, 0xffc8c8c8, 0.5f, kModeCopy, true);
    EXPECT_EQ(Level(r, 1, 0), 0);
    EXPECT_EQ(Level(r, 2, 0), 100);
    EXPECT_EQ(Level(r, 6, 0), 100);
    EXPECT_EQ(Level(r, 7, 0), 0);
}

TEST(StrokeLine, DiagonalAndClipping) {
    MemoryRaster r(4, 4, 4);
    Clear(r);
    StrokeLine(&r, -2, -2, 10, 10, 0xffffffff, 1.0f, kModeCopy, true);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Level(r, i, i), 255);
    EXPECT_EQ(Level(r, 1, 0), 0);
    Clear(r);
    StrokeLine(&r, -5, 1, -1, 3, 0xffffffff, 1.0f, kModeCopy, true); // fully outside
    StrokeLine(&r, 0, 0, 3, 3, 0xffffffff, 0.0f, kModeCopy, true);   // zero weight
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Level(r, x, y), 0);
}

TEST(StrokeCircle, RingPassesThroughRadiusOnly) {
    MemoryRaster r(4, 21, 21);
    Clear(r);
    StrokeCircle(&r, 10.5f, 10.5f, 8.0f, 0xffffffff, 1.0f, kModeCopy, true);
    EXPECT_EQ(Level(r, 10, 10), 0);
    EXPECT_GT(Level(r, 10, 2), 200); // centre of pixel (10, 2) lies 8 above the centre
    EXPECT_GT(Level(r, 18, 10), 200);
    Clear(r);
    // Right half only: 0 is up, clockwise positive.
    StrokeArc(&r, 10.5f, 10.5f, 8.0f, 0.0f, 3.14159265f, 0xffffffff, 1.0f, kModeCopy, true);
    EXPECT_GT(Level(r, 18, 10), 200);
    EXPECT_EQ(Level(r, 2, 10), 0);
}

} // namespace
