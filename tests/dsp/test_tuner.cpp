#include "AllocationCounter.h"
#include "SignalChain.h"
#include "Tuner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Keeps the last reading, as the editor would, without allocating.
class RecordingDisplay : public TunerDisplay {
public:
    void ShowTunerReading(double m, double n, const char* t) override {
        meter = m;
        note = n;
        std::strncpy(text, t, sizeof text - 1);
        ++updates;
    }
    double meter = -1.0;
    double note = -1.0;
    char text[64] = {};
    int updates = 0;
};

// Sums of sines, each (frequency, amplitude), continuing from sample `start`.
std::vector<double> Tones(const std::vector<std::pair<double, double>>& tones, double rate, int frames,
                          long long start = 0) {
    std::vector<double> x(static_cast<size_t>(frames), 0.0);
    for (int i = 0; i < frames; ++i)
        for (const auto& t : tones)
            x[static_cast<size_t>(i)] +=
                t.second * std::sin(2.0 * kPi * t.first * static_cast<double>(start + i) / rate);
    return x;
}

// A chain in tuner view at `rate` reporting to `display`.
std::unique_ptr<SignalChain> TunerChain(double rate, RecordingDisplay& display) {
    auto chain = std::make_unique<SignalChain>();
    chain->Reset(rate);
    chain->SetTunerView(true);
    chain->SetTunerDisplay(&display);
    return chain;
}

// Runs `seconds` of the signal through the chain in 512-frame blocks; returns the largest
// difference between input and output seen on either channel.
double Feed(SignalChain& chain, const std::vector<std::pair<double, double>>& tones, double seconds) {
    const double rate = chain.SampleRate();
    const int total = static_cast<int>(seconds * rate);
    double worst = 0.0;
    std::vector<double> out0(512), out1(512);
    for (int at = 0; at < total; at += 512) {
        const std::vector<double> in0 = Tones(tones, rate, 512, at);
        std::vector<double> in1 = in0;
        for (double& v : in1)
            v *= -0.5;
        chain.ProcessBlock(in0.data(), in1.data(), out0.data(), out1.data(), 512);
        for (int i = 0; i < 512; ++i) {
            worst = std::fmax(worst, std::fabs(out0[static_cast<size_t>(i)] - in0[static_cast<size_t>(i)]));
            worst = std::fmax(worst, std::fabs(out1[static_cast<size_t>(i)] - in1[static_cast<size_t>(i)]));
        }
    }
    return worst;
}

// The note and cents an ideal tuner reads for a frequency.
double ExactSemitones(double hz) {
    return 12.0 * std::log2(hz / 27.5);
}

struct PitchCase {
    double rate;
    double hz;
    int note;
    double cents; // deviation the tone has from the note
};

class TunerPitch : public ::testing::TestWithParam<PitchCase> {};

TEST_P(TunerPitch, ReadsNoteCentsAndMeterOfAKnownSine) {
    const PitchCase c = GetParam();
    RecordingDisplay display;
    auto chain = TunerChain(c.rate, display);
    const double passThrough = Feed(*chain, {{c.hz, 0.5}}, 3.0);
    EXPECT_EQ(passThrough, 0.0);

    const Tuner& tuner = chain->GetTuner();
    // One bin of the zero-padded transform, in Hz and in cents at this pitch.
    const double bin = c.rate / tuner.Decimation() / Tuner::kFftSize;
    const double binCents = 1200.0 * std::log2(1.0 + bin / c.hz);

    EXPECT_EQ(tuner.NoteIndex(), c.note);
    EXPECT_NEAR(tuner.Frequency(), c.hz, bin);
    EXPECT_NEAR(tuner.Cents(), c.cents, binCents);
    EXPECT_NEAR(ExactSemitones(c.hz) - c.note, c.cents / 100.0, 1e-3); // the case itself is right

    ASSERT_GT(display.updates, 70);
    EXPECT_DOUBLE_EQ(display.note, (c.note + 0.5) / 72.0);
    // The meter has settled on the position within the semitone, up to the bin-to-bin wander
    // between windows that it smooths.
    EXPECT_NEAR(display.meter, tuner.SemitonePosition(), binCents / 100.0);
    const int frame = Tuner::MeterFrameOf(display.meter);
    if (c.cents > 5.0)
        EXPECT_GE(frame, 22);
    else if (c.cents < -5.0)
        EXPECT_LE(frame, 17);
    else
        EXPECT_TRUE(frame == 19 || frame == 20) << frame;

    // Chromatic mode shows the frequency with one decimal, as printf would.
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.1f Hz", tuner.Frequency());
    EXPECT_STREQ(display.text, expected);
    EXPECT_NEAR(std::atof(display.text), c.hz, bin + 0.05);
}

const double kPlus10 = 440.0 * std::pow(2.0, 10.0 / 1200.0);
const double kMinus10 = 440.0 * std::pow(2.0, -10.0 / 1200.0);

INSTANTIATE_TEST_SUITE_P(
    Strings, TunerPitch,
    ::testing::Values(PitchCase{44100.0, 82.4069, 19, 0.0}, PitchCase{48000.0, 82.4069, 19, 0.0},
                      PitchCase{44100.0, 110.0, 24, 0.0}, PitchCase{48000.0, 110.0, 24, 0.0},
                      PitchCase{44100.0, 195.9977, 34, 0.0}, PitchCase{48000.0, 195.9977, 34, 0.0},
                      PitchCase{44100.0, 440.0, 48, 0.0}, PitchCase{48000.0, 440.0, 48, 0.0},
                      PitchCase{44100.0, kPlus10, 48, 10.0}, PitchCase{48000.0, kPlus10, 48, 10.0},
                      PitchCase{44100.0, kMinus10, 48, -10.0}, PitchCase{48000.0, kMinus10, 48, -10.0}));

TEST(Tuner, RateSetsDecimationAndDisplayInterval) {
    Tuner tuner;
    tuner.SetSampleRate(44100.0);
    EXPECT_EQ(tuner.Decimation(), 14);
    EXPECT_EQ(tuner.DisplayInterval(), 1764);
    tuner.SetSampleRate(48000.0);
    EXPECT_EQ(tuner.Decimation(), 16);
    EXPECT_EQ(tuner.DisplayInterval(), 1920);
    tuner.SetSampleRate(1000.0); // below 3 kHz every sample is taken
    EXPECT_EQ(tuner.Decimation(), 1);
    tuner.SetSampleRate(-5.0); // ignored
    EXPECT_EQ(tuner.DisplayInterval(), 40);
}

TEST(Tuner, DisplayUpdatesTwentyFiveTimesASecond) {
    RecordingDisplay display;
    auto chain = TunerChain(44100.0, display);
    Feed(*chain, {{110.0, 0.5}}, 2.0);
    // 2 s rounded up to whole blocks: 88576 samples, an update after every 1764.
    EXPECT_EQ(display.updates, 88576 / 1764);
}

TEST(Tuner, StrongSecondHarmonicStillReadsTheFundamental) {
    RecordingDisplay display;
    auto chain = TunerChain(44100.0, display);
    Feed(*chain, {{110.0, 0.4}, {220.0, 1.0}, {330.0, 0.5}}, 1.0);
    EXPECT_EQ(chain->GetTuner().NoteIndex(), 24);
}

TEST(Tuner, BelowTheLowestNoteShowsNothing) {
    RecordingDisplay display;
    auto chain = TunerChain(44100.0, display);
    Feed(*chain, {{20.0, 0.5}}, 1.5);
    const Tuner& tuner = chain->GetTuner();
    EXPECT_EQ(tuner.Frequency(), 0.0);
    EXPECT_EQ(tuner.NoteIndex(), 0);
    EXPECT_STREQ(display.text, " ");
    EXPECT_DOUBLE_EQ(display.note, 0.5 / 72.0);
    EXPECT_LT(display.meter, 0.01);
    EXPECT_EQ(Tuner::MeterFrameOf(display.meter), 0);
}

TEST(Tuner, SilenceAfterANoteClearsTheReading) {
    auto bank = std::make_unique<DspBank>();
    bank->SetEnvelopeFollower(10.0, 10.0, 1764.0, Tuner::kMeterFollower);
    Tuner tuner;
    RecordingDisplay display;
    const std::vector<double> tone = Tones({{110.0, 0.5}}, 44100.0, 44100);
    tuner.Feed(tone.data(), 44100, *bank, &display);
    ASSERT_EQ(tuner.NoteIndex(), 24);
    const std::vector<double> silence(88200, 0.0);
    tuner.Feed(silence.data(), 88200, *bank, &display);
    EXPECT_EQ(tuner.Frequency(), 0.0);
    EXPECT_STREQ(display.text, " ");
    EXPECT_EQ(Tuner::MeterFrameOf(display.meter), 0);
}

// The feed spreads a window's analysis over the samples after it: the reading arrives later,
// and is bit for bit what the whole analysis of that window gives.
TEST(Tuner, SpreadAnalysisReadsWhatTheWholeAnalysisReads) {
    auto bank = std::make_unique<DspBank>();
    for (double hz : {82.4069, 110.0, 329.628, 700.0, 1318.51}) {
        SCOPED_TRACE(hz);
        Tuner spread, whole;
        spread.SetSampleRate(48000.0);
        whole.SetSampleRate(48000.0);
        const int windowFrames = Tuner::kWindow * spread.Decimation();
        const int stepFrames = Tuner::kAnalysisSteps * spread.Decimation();
        const std::vector<double> x = Tones({{hz, 0.5}, {2.0 * hz, 0.2}}, 48000.0, windowFrames + stepFrames);
        whole.Feed(x.data(), windowFrames, *bank, nullptr);
        whole.AnalyseTuner(); // the full window, analysed at once
        ASSERT_GT(whole.Frequency(), 0.0);

        int fed = 0;
        bool sawPending = false;
        while (fed < windowFrames + stepFrames) {
            const int n = std::min(64, windowFrames + stepFrames - fed);
            spread.Feed(x.data() + fed, n, *bank, nullptr);
            fed += n;
            sawPending = sawPending || spread.AnalysisPending();
        }
        EXPECT_TRUE(sawPending);
        EXPECT_FALSE(spread.AnalysisPending());
        EXPECT_EQ(spread.Frequency(), whole.Frequency());
        EXPECT_EQ(spread.SemitonePosition(), whole.SemitonePosition());
        EXPECT_EQ(spread.NoteIndex(), whole.NoteIndex());
    }
}

TEST(Tuner, FreshTunerShowsTheIdleDisplay) {
    auto bank = std::make_unique<DspBank>();
    bank->SetEnvelopeFollower(10.0, 10.0, 1764.0, Tuner::kMeterFollower);
    Tuner tuner;
    RecordingDisplay display;
    const std::vector<double> silence(2000, 0.0);
    tuner.Feed(silence.data(), 2000, *bank, &display);
    EXPECT_EQ(display.updates, 1);
    EXPECT_STREQ(display.text, " ");
    EXPECT_EQ(display.meter, 0.0);
    EXPECT_DOUBLE_EQ(display.note, 0.5 / 72.0);
}

TEST(Tuner, GuitarTuningShowsTheStringHint) {
    RecordingDisplay display;
    auto chain = TunerChain(44100.0, display);
    Tuner& tuner = chain->GetTuner();
    tuner.SetTuningIndex(1);
    tuner.BuildStringHints(1);
    Feed(*chain, {{82.4069, 0.5}}, 1.0);
    EXPECT_STREQ(display.text, "6th string");
    Feed(*chain, {{196.0, 0.5}}, 1.0);
    EXPECT_STREQ(display.text, "3rd string");
}

TEST(TunerLabels, NoteNamesBeforeAnyHints) {
    Tuner tuner;
    EXPECT_STREQ(tuner.Label(0), "A0");
    EXPECT_STREQ(tuner.Label(1), "A#0");
    EXPECT_STREQ(tuner.Label(3), "C1");
    EXPECT_STREQ(tuner.Label(19), "E2");
    EXPECT_STREQ(tuner.Label(24), "A2");
    EXPECT_STREQ(tuner.Label(43), "E4");
    EXPECT_STREQ(tuner.Label(71), "G#6");
}

TEST(TunerLabels, StandardTuningHints) {
    Tuner tuner;
    tuner.BuildStringHints(1);
    EXPECT_STREQ(tuner.Label(15), "Too Low");
    EXPECT_STREQ(tuner.Label(16), "Lower than 6th");
    EXPECT_STREQ(tuner.Label(19), "6th string");
    EXPECT_STREQ(tuner.Label(20), "Higher than 6th");
    EXPECT_STREQ(tuner.Label(22), "Lower than 5th");
    EXPECT_STREQ(tuner.Label(24), "5th string");
    EXPECT_STREQ(tuner.Label(38), "2nd string");
    EXPECT_STREQ(tuner.Label(43), "1st string");
    EXPECT_STREQ(tuner.Label(46), "Higher than 1st");
    EXPECT_STREQ(tuner.Label(47), "Too High");
    EXPECT_STREQ(tuner.Label(0), "Too Low");
    EXPECT_STREQ(tuner.Label(71), "Too High");
}

TEST(TunerLabels, EveryTuningNamesItsOwnOpenStrings) {
    static const char* const kNames[6] = {"6th string", "5th string", "4th string",
                                          "3rd string", "2nd string", "1st string"};
    Tuner tuner;
    for (int t = 0; t < Tuner::kTunings; ++t) {
        tuner.BuildStringHints(t);
        for (int s = 6; s >= 1; --s)
            EXPECT_STREQ(tuner.Label(Tuner::OpenStringNote(t, s)), kNames[6 - s]) << "tuning " << t;
    }
}

TEST(TunerLabels, SuspendedTuningHintsTheSecondStringCloser) {
    Tuner tuner;
    tuner.BuildStringHints(8);
    EXPECT_STREQ(tuner.Label(34), "3rd string");
    EXPECT_STREQ(tuner.Label(35), "Lower than 2nd");
    tuner.BuildStringHints(9); // the same strings elsewhere keep the two-semitone rule
    EXPECT_STREQ(tuner.Label(36), "Lower than 2nd");
    EXPECT_STREQ(tuner.Label(35), "Higher than 3rd");
}

TEST(TunerTunings, ButtonStepsThroughTheListAndWraps) {
    Tuner tuner;
    EXPECT_EQ(tuner.TuningIndex(), 0);
    for (int expected = 1; expected <= 11; ++expected)
        EXPECT_EQ(tuner.NextTuning(), expected);
    EXPECT_STREQ(Tuner::TuningName(tuner.TuningIndex()), "E Minor-E,B,E,G,B,E");
    EXPECT_EQ(tuner.NextTuning(), 0);
    EXPECT_STREQ(Tuner::TuningName(0), "Chromatic tuner");
    EXPECT_STREQ(Tuner::TuningName(1), "Standard E-E,A,D,G,B,E");
    EXPECT_STREQ(Tuner::TuningName(8), "D Susp.-D,A,D,G,A,D");
    tuner.SetTuningIndex(40);
    EXPECT_EQ(tuner.TuningIndex(), 11);
    tuner.SetTuningIndex(-3);
    EXPECT_EQ(tuner.TuningIndex(), 0);
}

TEST(TunerText, TenthsOfHertzMatchPrintf) {
    std::vector<double> values = {0.0,  0.04,   0.05,   0.15,   0.25,   20.05,
                                  27.5, 109.95, 110.25, 110.35, 999.95, 1575.0};
    for (int k = 0; k < 3000; ++k)
        values.push_back(3150.0 / 16384.0 * k * 7 / 3.0); // bin frequencies and awkward fractions
    for (int k = 0; k < 8000; ++k)
        values.push_back(k * 0.25); // exact ties at every odd quarter
    for (double v : values) {
        char mine[32], expected[32];
        FormatTenthsHz(v, mine, sizeof mine);
        std::snprintf(expected, sizeof expected, "%.1f Hz", v);
        EXPECT_STREQ(mine, expected) << v;
    }
    char text[32];
    FormatTenthsHz(std::nan(""), text, sizeof text);
    EXPECT_STREQ(text, " ");
}

TEST(TunerRealTime, TunerViewAllocatesNothing) {
    RecordingDisplay display;
    auto chain = TunerChain(48000.0, display);
    const std::vector<double> in = Tones({{196.0, 0.5}}, 48000.0, 48000);
    std::vector<double> out0(in.size()), out1(in.size());
    AllocationCounter counter;
    for (int at = 0; at + 480 <= 48000; at += 480)
        chain->ProcessBlock(in.data() + at, in.data() + at, out0.data() + at, out1.data() + at, 480);
    EXPECT_EQ(counter.Allocations(), 0);
    EXPECT_EQ(chain->GetTuner().NoteIndex(), 34); // the analyses did run
    EXPECT_GE(display.updates, 24);
}

} // namespace

// A non-finite block in the tuner view is muted for the host as in the chain; the tuner never
// sees it, so its reading of the note before and after stays the same and finite.
TEST(Tuner, NonFiniteInputInTheTunerViewIsMutedAndIgnored) {
    RecordingDisplay display;
    auto chain = TunerChain(44100.0, display);
    Feed(*chain, {{110.0, 0.5}}, 1.0);
    ASSERT_EQ(chain->GetTuner().NoteIndex(), 24);
    const char* const kinds[] = {"nan", "inf", "-inf"};
    for (int channel = 0; channel < 2; ++channel)
        for (const char* kind : kinds) {
            SCOPED_TRACE(std::string(kind) + " on input " + std::to_string(channel));
            std::vector<double> in0 = Tones({{110.0, 0.5}}, 44100.0, 512), in1(512, 0.0), out0(512),
                                out1(512);
            (channel == 0 ? in0 : in1)[200] = std::strtod(kind, nullptr);
            chain->ProcessBlock(in0.data(), in1.data(), out0.data(), out1.data(), 512);
            for (int i = 0; i < 512; ++i) {
                ASSERT_EQ(out0[static_cast<size_t>(i)], 0.0);
                ASSERT_EQ(out1[static_cast<size_t>(i)], 0.0);
            }
            EXPECT_EQ(Feed(*chain, {{110.0, 0.5}}, 0.2), 0.0); // passes through again
            EXPECT_EQ(chain->GetTuner().NoteIndex(), 24);
            EXPECT_TRUE(std::isfinite(display.meter) && std::isfinite(display.note));
        }
}
