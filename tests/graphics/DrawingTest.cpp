#include "EditorFixture.h"
#include "IBitmapControls.h"
#include "ITextControls.h"
#include "ImageCache.h"
#include "TestImages.h"

namespace {

using DrawingTest = EditorTest;

TEST_F(DrawingTest, GrayedControlDrawsAtQuarterWeight) {
    const uint32_t white[1] = {0xffffffff};
    SetBackgroundImage(*graphics, 100, "img/background.png");
    auto* sw = new ISwitchControl(plugin.get(), 8, 8, 1, Strip(8, 8, 1, white));
    graphics->AddControl(sw);
    Attach();
    sw->SetDimmed(true);
    PaintAll();
    MemoryRaster background(4, 64, 48);
    PaintBackground(background);
    const uint32_t under = background.Row(10)[10];
    // s = 64: channel = 255 + trunc((under - 255) * 192 / 256)
    const int red = static_cast<int>((under >> 16) & 255);
    EXPECT_EQ(static_cast<int>((Pixel(10, 10) >> 16) & 255), 255 + (red - 255) * 192 / 256);
    EXPECT_EQ(Pixel(2, 2) & 0xffffff, background.Row(2)[2] & 0xffffff);
}

TEST_F(DrawingTest, BlitsAreClippedToTheDrawRectangle) {
    const uint32_t green[1] = {0xff00ff00};
    auto* sw = new ISwitchControl(plugin.get(), 0, 0, -1, Strip(20, 20, 1, green));
    graphics->AddControl(sw);
    Attach();
    graphics->Draw(IRect(5, 5, 10, 10));
    EXPECT_EQ(Pixel(5, 5), 0xff00ff00u);
    EXPECT_EQ(Pixel(9, 9), 0xff00ff00u);
    EXPECT_EQ(Pixel(4, 4), 0u);
    EXPECT_EQ(Pixel(10, 10), 0u);
}

TEST_F(DrawingTest, FrameRowsComeFromTheStrip) {
    graphics->AddControl(
        new ISwitchControl(plugin.get(), 0, 0, 1, graphics->LoadImageResource(101, "k.png", 4)));
    Attach();
    MemoryRaster knob(4, 12, 48);
    PaintKnobStrip(knob, 4);
    graphics->PushControlValue(0, 1.0); // frame 4
    const IBlendSpec clobber(IBlendSpec::kClobber);
    graphics->FillRect(IColorARGB(255, 0, 0, 0), IRect(0, 0, 64, 48), &clobber);
    PaintAll();
    EXPECT_EQ(Pixel(6, 6), knob.Row(36 + 6)[6]);
}

TEST_F(DrawingTest, ImagesAreDecodedOncePerIdAndOwnedByTheCache) {
    const int before = ImageCache::Count();
    const IBitmapStrip a = graphics->LoadImageResource(101, "img/knob.png", 4);
    const IBitmapStrip b = graphics->LoadImageResource(101, "img/knob.png", 4);
    ASSERT_NE(a.image, nullptr);
    EXPECT_EQ(a.image, b.image);
    EXPECT_EQ(a.width, 12);
    EXPECT_EQ(a.height, 48);
    EXPECT_EQ(a.FrameHeight(), 12);
    const IBitmapStrip missing = graphics->LoadImageResource(140, "img/none.png", 1);
    EXPECT_EQ(missing.image, nullptr);
    EXPECT_EQ(graphics->DecodeImageResource(100, "img/background.bmp"), nullptr); // unknown kind
    EXPECT_TRUE(graphics->DrawBitmap(missing, IRect(0, 0, 10, 10), 0, 0, nullptr));

    const IBitmapStrip scaled = graphics->ScaledCopy(a, 6, 24);
    ASSERT_NE(scaled.image, nullptr);
    EXPECT_EQ(scaled.frames, 4);
    EXPECT_EQ(scaled.image->Width(), 6);
    const IBitmapStrip cropped = graphics->CroppedCopy(a, IRect(0, 12, 12, 24));
    ASSERT_NE(cropped.image, nullptr);
    EXPECT_EQ(cropped.image->Row(6)[6], a.image->Row(18)[6]);
    EXPECT_GE(ImageCache::Count(), before + 2);
    const int withCopies = ImageCache::Count();
    graphics->UncacheImage(scaled);
    EXPECT_EQ(ImageCache::Count(), withCopies - 1);
    EXPECT_EQ(ImageKindOf("A.JPEG"), ImageKind::kJpeg);
    EXPECT_EQ(ImageKindOf("a.png.txt"), ImageKind::kNone);
    EXPECT_EQ(ImageKindOf("noext"), ImageKind::kNone);
}

TEST_F(DrawingTest, StraightLinesOverwriteWithinTheBitmap) {
    Attach();
    graphics->DrawVerticalLine(IColorARGB(255, 9, 9, 9), 70, -5, 3);
    EXPECT_EQ(Pixel(63, 0), 0xff090909u);
    EXPECT_EQ(Pixel(63, 3), 0xff090909u);
    EXPECT_EQ(Pixel(63, 4), 0u);
    graphics->DrawHorizontalLine(IColorARGB(255, 7, 7, 7), 10, 20, 10); // high below low
    EXPECT_EQ(Pixel(15, 10), 0u);
    graphics->DrawHorizontalLine(IColorARGB(255, 7, 7, 7), 10, 10, 20);
    EXPECT_EQ(Pixel(10, 10), 0xff070707u);
    EXPECT_EQ(Pixel(20, 10), 0xff070707u);
    graphics->PlotPoint(IColorARGB(255, 200, 0, 0), 2.6f, 2.4f, nullptr, false);
    EXPECT_EQ(Pixel(3, 2) & 0xffffff, 0xc80000u);
}

class TextTest : public EditorTest {
protected:
    TextTest() : EditorTest(true) {}

    // Inked pixels in the rectangle and their horizontal extent.
    int Ink(const IRect& r, int& minX, int& maxX) {
        int count = 0;
        minX = 1 << 30;
        maxX = -1;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if ((Pixel(x, y) & 0xffffff) != 0xffffff) {
                    ++count;
                    minX = x < minX ? x : minX;
                    maxX = x > maxX ? x : maxX;
                }
        return count;
    }
    void Clear() {
        const IBlendSpec clobber(IBlendSpec::kClobber);
        graphics->FillRect(IColorARGB(255, 255, 255, 255), IRect(0, 0, 64, 48), &clobber);
    }
};

TEST_F(TextTest, DrawsInTheStyleAndAlignment) {
    Attach();
    const IRect box(0, 10, 64, 30);
    ITextStyle style(14);
    style.align = ITextStyle::kAlignLeft;
    int minX = 0, maxX = 0;
    Clear();
    graphics->DrawText(style, "Amp", box);
    const int normal = Ink(IRect(0, 0, 64, 48), minX, maxX);
    ASSERT_GT(normal, 20) << "no font found for Arial";
    EXPECT_LE(minX, 3);
    EXPECT_GT(Ink(IRect(0, 10, 64, 24), minX, maxX), normal / 2); // drawn from the top of the box
    Clear();
    style.align = ITextStyle::kAlignRight;
    graphics->DrawText(style, "Amp", box);
    Ink(box, minX, maxX);
    EXPECT_GE(maxX, 60);
    Clear();
    style.align = ITextStyle::kAlignCentre;
    graphics->DrawText(style, "Amp", box);
    Ink(box, minX, maxX);
    EXPECT_NEAR((minX + maxX) / 2.0, 32.0, 3.0);
    Clear();
    style.style = ITextStyle::kBold;
    graphics->DrawText(style, "Amp", box);
    EXPECT_GT(Ink(box, minX, maxX), normal);
    Clear();
    ITextStyle big(28);
    graphics->DrawText(big, "Amp", IRect(0, 0, 64, 48));
    EXPECT_GT(Ink(IRect(0, 0, 64, 48), minX, maxX), 2 * normal);
    Clear();
    IColorARGB red(255, 255, 0, 0);
    graphics->DrawText(ITextStyle(14, &red), "Amp", box);
    bool sawRed = false;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = 0; x < 64; ++x)
            if ((Pixel(x, y) & 0xffffff) == 0xff0000u) sawRed = true; // GDI leaves alpha 0
    EXPECT_TRUE(sawRed);
}

TEST_F(TextTest, TextControlDrawsOnlyWithinTheDrawPass) {
    auto* text = new ITextControl(plugin.get(), IRect(0, 0, 64, 20), ITextStyle(14), "Gain");
    graphics->AddControl(text);
    Attach();
    Clear();
    graphics->Draw(IRect(0, 0, 32, 20)); // the right half is outside the update rectangle
    int minX = 0, maxX = 0;
    EXPECT_GT(Ink(IRect(0, 0, 64, 20), minX, maxX), 0);
    EXPECT_LT(maxX, 32);
    Clear();
    text->ApplyPluginText("");
    PaintAll();
    EXPECT_EQ(Ink(IRect(0, 0, 64, 48), minX, maxX), 0);
}

} // namespace
