#include "EditorFixture.h"
#include "ITextControls.h"
#include "ImageCache.h"

#include <atomic>
#include <cstring>
#include <thread>

namespace {

using ConcurrencyTest = EditorTest;

// The tuner sets texts from the audio thread while the window thread draws them: a reader
// must always see one whole text, never a mix.
TEST_F(ConcurrencyTest, TextSetFromAnotherThreadIsNeverTorn) {
    ITextControl text(plugin.get(), IRect(0, 0, 10, 10), ITextStyle(), "A");
    static const char kLong[] = "EEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEE";
    static const char kShort[] = "A#";
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i)
            text.ApplyPluginText(i % 2 ? kLong : kShort);
        done = true;
    });
    int torn = 0, reads = 0;
    char seen[ITextControl::kMaxText];
    while (!done || reads < 100) {
        text.GetText(seen, sizeof seen);
        if (std::strcmp(seen, kLong) != 0 && std::strcmp(seen, kShort) != 0 && std::strcmp(seen, "A") != 0)
            ++torn;
        ++reads;
        if (reads > 5000000) break;
    }
    writer.join();
    EXPECT_EQ(torn, 0);
}

struct DecodeCounter {
    int calls = 0;
};

IRaster* CountingDecode(int, void* context) {
    ++static_cast<DecodeCounter*>(context)->calls;
    return new MemoryRaster(4, 2, 2);
}

TEST_F(ConcurrencyTest, EachIdIsDecodedOnceAcrossThreads) {
    DecodeCounter counter;
    IRaster* results[4] = {};
    std::thread threads[4];
    for (int i = 0; i < 4; ++i)
        threads[i] =
            std::thread([&, i] { results[i] = ImageCache::FindOrAdd(9001, CountingDecode, &counter); });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(counter.calls, 1);
    for (IRaster* r : results)
        EXPECT_EQ(r, results[0]);
    EXPECT_EQ(ImageCache::Find(9001), results[0]);
    EXPECT_TRUE(ImageCache::Remove(results[0]));
    EXPECT_EQ(ImageCache::Find(9001), nullptr);
    EXPECT_FALSE(ImageCache::Remove(results[0]));
}

TEST_F(ConcurrencyTest, RotatedBlitTurnsAroundTheCentre) {
    const uint32_t dark[1] = {0xff000000};
    IBitmapStrip bar = Strip(9, 9, 1, dark);
    for (int y = 0; y < 5; ++y)
        bar.image->Row(y)[4] = 0xffffffff; // a bar from the top to the centre
    Attach();
    const IBlendSpec clobber(IBlendSpec::kClobber);
    graphics->FillRect(IColorARGB(255, 0, 0, 0), IRect(0, 0, 64, 48), &clobber);
    graphics->BlitRotated(bar, 20, 20, 3.14159265 / 2, 0, &clobber); // a quarter turn clockwise
    EXPECT_GT(graphics->ReadPixel(22, 20).R, 200);                   // the bar now points right
    EXPECT_LT(graphics->ReadPixel(20, 17).R, 60);
}

} // namespace
