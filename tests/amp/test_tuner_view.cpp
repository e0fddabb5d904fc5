#include "AllocationCounter.h"
#include "EditorFixture.h"
#include "ITextControls.h"
#include "Tuner.h"

#include <cstdlib>

namespace {

constexpr double kPi = 3.14159265358979323846;
void* volatile gSink;

class TunerViewTest : public EditorFixture {
protected:
    std::string TextOf(int control) const {
        auto* text = dynamic_cast<ITextControl*>(At(control));
        return text ? text->Text() : std::string("<not a text control>");
    }

    // Plays a sine on the left input and its inverted half on the right through the plug-in
    // for `seconds`; returns the largest difference between each output and its own input.
    double Play(double hz, double seconds) {
        const int total = static_cast<int>(seconds * 44100.0);
        double worst = 0.0;
        for (int at = 0; at < total; at += 512, played += 512) {
            for (int i = 0; i < 512; ++i) {
                in0[static_cast<size_t>(i)] =
                    0.4 * std::sin(2.0 * kPi * hz * static_cast<double>(played + i) / 44100.0);
                in1[static_cast<size_t>(i)] = -0.5 * in0[static_cast<size_t>(i)];
            }
            double* inputs[2] = {in0.data(), in1.data()};
            double* outputs[2] = {out0.data(), out1.data()};
            host->ProcessDouble(inputs, outputs, 512);
            for (size_t i = 0; i < 512; ++i)
                worst = std::fmax(worst, std::fmax(std::fabs(out0[i] - in0[i]), std::fabs(out1[i] - in1[i])));
        }
        return worst;
    }

    long long played = 0;
    // Made once, so that playing allocates nothing itself.
    std::vector<double> in0 = std::vector<double>(512), in1 = in0, out0 = in0, out1 = in0;
};

TEST_F(TunerViewTest, PressAndReleaseShowsTheTunerAndPassesAudioThrough) {
    Click(kTunerToggle);
    for (int c = kControlTunerBackground; c <= kControlTunerButton; ++c)
        EXPECT_FALSE(At(c)->IsHidden()) << c;
    EXPECT_TRUE(At(kControlNameStrip)->IsHidden());
    EXPECT_EQ(TextOf(kControlTunerTuning), "Chromatic tuner"); // shown since the effect was opened

    EXPECT_EQ(Play(110.0, 2.0), 0.0);
    EXPECT_DOUBLE_EQ(At(kControlTunerNote)->Value(), (24 + 0.5) / 72.0);
    const std::string text = TextOf(kControlTunerText);
    EXPECT_NE(text.find(" Hz"), std::string::npos) << text;
    EXPECT_NEAR(std::atof(text.c_str()), 110.0, 0.25) << text;
    const int frame = Tuner::MeterFrameOf(At(kControlTunerMeter)->Value());
    EXPECT_TRUE(frame == 19 || frame == 20) << frame;

    // Silence clears the text before the silence detector stops processing.
    Play(0.0, 1.0);
    EXPECT_EQ(TextOf(kControlTunerText), " ");

    // Off again: the chain runs and the tuner's display stays as it was.
    Click(kTunerToggle);
    Idle();
    EXPECT_TRUE(At(kControlTunerText)->IsHidden());
    EXPECT_GT(Play(110.0, 0.2), 0.0);
}

TEST_F(TunerViewTest, TuningButtonStepsAndTheTextHintsAtStrings) {
    Click(kTunerToggle);
    Click(kTuningNext);
    EXPECT_EQ(TextOf(kControlTunerTuning), "Standard E-E,A,D,G,B,E");
    EXPECT_NEAR(host->GetParameter(kTuning), 1.0f / 11.0f, 1e-6);
    Play(110.0, 1.0);
    EXPECT_EQ(TextOf(kControlTunerText), "5th string");
    Play(73.4162, 1.0); // D2: below the standard 6th string
    EXPECT_EQ(TextOf(kControlTunerText), "Lower than 6th");

    for (int i = 0; i < 11; ++i)
        Click(kTuningNext);
    Idle();
    EXPECT_EQ(TextOf(kControlTunerTuning), "Chromatic tuner");
    EXPECT_EQ(host->GetParameter(kTuning), 0.0f);
}

// A tuning the host sets (automation or a restored song) rebuilds the hints and shows its
// name, so the text never hints at the strings of another tuning.
TEST_F(TunerViewTest, TuningFromTheHostRebuildsTheHints) {
    Click(kTunerToggle);
    Click(kTuningNext); // standard hints built
    host->SetParameter(kTuning, 2.0f / 11.0f);
    EXPECT_EQ(TextOf(kControlTunerTuning), "Drop D-D,A,D,G,B,E");
    Play(73.4162, 1.5);
    EXPECT_EQ(TextOf(kControlTunerText), "6th string");
}

TEST_F(TunerViewTest, ReadingTheTunerIntoTheEditorAllocatesNothing) {
    Click(kTunerToggle);
    Click(kTuningNext);
    Play(196.0, 0.5); // warm up
    AllocationCounter counter;
    gSink = new int(1); // the counter is live in this program
    EXPECT_EQ(counter.Allocations(), 1);
    delete static_cast<int*>(gSink);
    counter.Restart();
    Play(110.0, 1.0);
    EXPECT_EQ(counter.Allocations(), 0);
    EXPECT_EQ(TextOf(kControlTunerText), "5th string");
}

} // namespace
