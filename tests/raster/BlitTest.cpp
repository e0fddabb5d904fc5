#include "MemoryRaster.h"
#include "RasterOps.h"

#include <gtest/gtest.h>

namespace {

void Fill(IRaster& r, uint32_t value) {
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x)
            r.Row(y)[x] = value;
}

int Red(uint32_t p) {
    return (p >> 16) & 255;
}
int Green(uint32_t p) {
    return (p >> 8) & 255;
}
int Blue(uint32_t p) {
    return p & 255;
}

TEST(CopyRectSourceAlpha, TransparentPixelLeavesDestination) {
    MemoryRaster dest(4, 2, 2), src(4, 2, 2);
    Fill(dest, 0xff102030);
    Fill(src, 0x00ffffff);
    CopyRect(&dest, &src, 0, 0, 0, 0, 2, 2, 1.0f, kModeSourceAlpha);
    EXPECT_EQ(dest.Row(1)[1], 0xff102030u);
}

TEST(CopyRectSourceAlpha, OpaquePixelAtFullWeightReplaces) {
    MemoryRaster dest(4, 2, 2), src(4, 2, 2);
    Fill(dest, 0xff102030);
    Fill(src, 0xffc86432);
    CopyRect(&dest, &src, 0, 0, 0, 0, 2, 2, 1.0f, kModeSourceAlpha);
    EXPECT_EQ(dest.Row(0)[0] & 0xffffffu, 0xc86432u);
}

TEST(CopyRectSourceAlpha, GrayedWeightUsesCoverage64) {
    // s = (256 * 64) / 256 = 64: channel = src + trunc((dest - src) * 192 / 256).
    MemoryRaster dest(4, 1, 1), src(4, 1, 1);
    Fill(dest, 0xff28c864); // R 40, G 200, B 100
    Fill(src, 0xffc80a64);  // R 200, G 10, B 100
    CopyRect(&dest, &src, 0, 0, 0, 0, 1, 1, 0.25f, kModeSourceAlpha);
    const uint32_t p = dest.Row(0)[0];
    EXPECT_EQ(Red(p), 200 - 120);  // (40 - 200) * 192 / 256 = -120
    EXPECT_EQ(Green(p), 10 + 142); // (200 - 10) * 192 / 256 = 142.5 -> 142
    EXPECT_EQ(Blue(p), 100);
}

TEST(CopyRectSourceAlpha, PartialAlphaTruncatesTowardZero) {
    // A = 127 at weight 1: s = 128; (0 - 255) * 128 / 256 = -127.5 -> -127.
    MemoryRaster dest(4, 1, 1), src(4, 1, 1);
    Fill(dest, 0xff000000);
    Fill(src, 0x7fff0000);
    CopyRect(&dest, &src, 0, 0, 0, 0, 1, 1, 1.0f, kModeSourceAlpha);
    EXPECT_EQ(Red(dest.Row(0)[0]), 128);
}

TEST(CopyRectPlain, HalfWeightAveragesHalvedChannels) {
    MemoryRaster dest(4, 1, 1), src(4, 1, 1);
    Fill(dest, 0xff204061);
    Fill(src, 0x80a0c0e1);
    CopyRect(&dest, &src, 0, 0, 0, 0, 1, 1, 0.5f, kModeCopy);
    EXPECT_EQ(dest.Row(0)[0], 0xbf6080a0u); // 0x7f+0x40, 0x10+0x50, 0x20+0x60, 0x30+0x70
}

TEST(CopyRectPlain, OtherWeightsBlendFromDestination) {
    MemoryRaster dest(4, 1, 1), src(4, 1, 1);
    Fill(dest, 0xff640064); // R 100, G 0, B 100
    Fill(src, 0xff00ff64);  // R 0, G 255, B 100
    CopyRect(&dest, &src, 0, 0, 0, 0, 1, 1, 0.75f, kModeCopy);
    const uint32_t p = dest.Row(0)[0];
    EXPECT_EQ(Red(p), 100 - 75); // 100 + (-100 * 192) / 256
    EXPECT_EQ(Green(p), 191);    // 255 * 192 / 256 = 191.25
    EXPECT_EQ(Blue(p), 100);
}

TEST(CopyRectPlain, FullWeightCopiesIncludingAlpha) {
    MemoryRaster dest(4, 3, 1), src(4, 3, 1);
    Fill(dest, 0xff000000);
    Fill(src, 0x12345678);
    CopyRect(&dest, &src, 0, 0, 0, 0, 3, 1, 1.0f, kModeCopy);
    EXPECT_EQ(dest.Row(0)[2], 0x12345678u);
}

TEST(CopyRectClipping, NegativeOriginShiftsSource) {
    MemoryRaster dest(4, 4, 4), src(4, 4, 4);
    Fill(dest, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            src.Row(y)[x] = 0xff000000u | static_cast<uint32_t>(y * 16 + x);
    CopyRect(&dest, &src, -1, -2, 0, 0, 4, 4, 1.0f, kModeCopy);
    EXPECT_EQ(dest.Row(0)[0], 0xff000000u | (2 * 16 + 1));
    EXPECT_EQ(dest.Row(1)[2], 0xff000000u | (3 * 16 + 3));
    EXPECT_EQ(dest.Row(2)[0], 0u); // only two source rows remain
    EXPECT_EQ(dest.Row(0)[3], 0u); // only three source columns remain
}

TEST(CopyRectClipping, CutToBothBitmapsAndIgnoresEmpty) {
    MemoryRaster dest(4, 3, 3), src(4, 2, 2);
    Fill(dest, 0);
    Fill(src, 0xffffffff);
    CopyRect(&dest, &src, 2, 2, 0, 0, 10, 10, 1.0f, kModeCopy);
    EXPECT_EQ(dest.Row(2)[2], 0xffffffffu);
    EXPECT_EQ(dest.Row(1)[1], 0u);
    CopyRect(&dest, &src, 5, 0, 0, 0, 2, 2, 1.0f, kModeCopy); // entirely outside
    CopyRect(&dest, &src, 0, 0, 0, 0, 2, 2, 0.0f, kModeCopy); // zero weight
    CopyRect(nullptr, &src, 0, 0, 0, 0, 2, 2, 1.0f, kModeCopy);
    EXPECT_EQ(dest.Row(0)[0], 0u);
}

TEST(FillArea, FastPathWeights) {
    MemoryRaster dest(4, 1, 1);
    const uint32_t colour = 0xffc8c8c8; // 200 over 100
    const struct {
        float alpha;
        int expected;
    } cases[] = {{0.25f, 50 + 75}, {0.5f, 50 + 100}, {0.75f, 150 + 25}, {1.0f, 200}, {0.1f, 100 + 9}};
    for (const auto& c : cases) {
        Fill(dest, 0xff646464);
        FillArea(&dest, 0, 0, 1, 1, colour, c.alpha, kModeCopy);
        EXPECT_EQ(Red(dest.Row(0)[0]), c.expected) << c.alpha;
        EXPECT_EQ(Blue(dest.Row(0)[0]), c.expected) << c.alpha;
    }
}

TEST(FillArea, SourceAlphaFlagScalesByColourAlphaAndClips) {
    MemoryRaster dest(4, 3, 3);
    Fill(dest, 0xff000000);
    FillArea(&dest, -1, -1, 3, 3, 0x80ff0000, 1.0f, kModeCopy | kModeSourceAlpha);
    EXPECT_EQ(Red(dest.Row(1)[1]), 127); // weight int(128.5) = 128: the half path, 255 >> 1
    EXPECT_EQ(Red(dest.Row(2)[2]), 0);
}

TEST(MaskAndPixels, MaskKeepsAndSetsBits) {
    MemoryRaster dest(4, 2, 2);
    Fill(dest, 0x12345678);
    MaskArea(&dest, 1, 0, 5, 1, 0x00ffffff, 0xff000000);
    EXPECT_EQ(dest.Row(0)[1], 0xff345678u);
    EXPECT_EQ(dest.Row(0)[0], 0x12345678u);
    EXPECT_EQ(PixelAt(&dest, 1, 0), 0xff345678u);
    EXPECT_EQ(PixelAt(&dest, 2, 0), 0u);
    SetPixelAt(&dest, 0, 1, 0xffffffff, 1.0f, kModeCopy);
    EXPECT_EQ(PixelAt(&dest, 0, 1) & 0xffffffu, 0xffffffu);
}

TEST(Resample, NearestDoublesAndBilinearStaysInRange) {
    MemoryRaster dest(4, 4, 4), src(4, 2, 2);
    src.Row(0)[0] = 0xff000000;
    src.Row(0)[1] = 0xffff0000;
    src.Row(1)[0] = 0xff00ff00;
    src.Row(1)[1] = 0xff0000ff;
    ResampleRect(&dest, &src, 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, kModeCopy);
    EXPECT_EQ(dest.Row(0)[1], 0xff000000u);
    EXPECT_EQ(dest.Row(0)[2], 0xffff0000u);
    EXPECT_EQ(dest.Row(3)[3], 0xff0000ffu);
    ResampleRect(&dest, &src, 0, 0, 4, 4, 0, 0, 2, 2, 1.0f, kModeCopy | kModeBilinear);
    EXPECT_EQ(dest.Row(0)[0], 0xff000000u); // corners replicate the edge pixels
    EXPECT_GT(Red(dest.Row(0)[1]), 0);
    EXPECT_LT(Red(dest.Row(0)[1]), 255);
}

TEST(Rotate, QuarterTurnMovesTopRowToRightColumn) {
    MemoryRaster dest(4, 3, 3), src(4, 3, 3);
    Fill(dest, 0);
    Fill(src, 0xff000000);
    for (int x = 0; x < 3; ++x)
        src.Row(0)[x] = 0xffffffff;
    RotateRect(&dest, &src, 0, 0, 3, 3, 0, 0, 3, 3, 1.5707963f, true, 1.0f, kModeCopy, 1.5f, 1.5f);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(dest.Row(y)[2], 0xffffffffu) << y; // clockwise
    EXPECT_EQ(dest.Row(0)[0], 0xff000000u);
}

TEST(CloneRaster, CopiesSizeAndPixels) {
    MemoryRaster dest(4), src(4, 5, 3);
    Fill(src, 0xabcdef01);
    CloneRaster(&dest, &src);
    ASSERT_EQ(dest.Width(), 5);
    ASSERT_EQ(dest.Height(), 3);
    EXPECT_EQ(dest.Row(2)[4], 0xabcdef01u);
}

} // namespace
