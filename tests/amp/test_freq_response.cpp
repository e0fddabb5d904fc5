// The response display with the editor's settings: curve level, hover text and smoothing.
#include "IFreqResponseControl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(FreqResponse, UnitImpulseDrawsAFlatLineAtZeroDecibels) {
    IFreqResponseControl display(nullptr, IColorARGB(255, 255, 0, 0), IRect(250, 182, 550, 322), 4096, 0);
    display.SetRange(20.0, 20480.0, 120.0, 40.0);
    display.SetHold(1);
    std::vector<double> impulse(4096, 0.0);
    impulse[0] = 1.0;
    display.Analyze(impulse.data());
    // 0 dB sits offset / span of the height below the top: 140 * 40 / 120.
    for (int c = 0; c < 300; c += 7)
        EXPECT_NEAR(display.ColumnValue(c), 140.0 / 3.0, 1e-6) << c;
}

TEST(FreqResponse, HalfAmplitudeImpulseSitsSixDecibelsLower) {
    IFreqResponseControl display(nullptr, IColorARGB(255, 255, 0, 0), IRect(250, 182, 550, 322), 4096, 0);
    display.SetRange(20.0, 20480.0, 120.0, 40.0);
    display.SetHold(1);
    std::vector<double> impulse(4096, 0.0);
    impulse[10] = 0.5; // a delay changes only the phase
    display.Analyze(impulse.data());
    const double expected = 140.0 / 120.0 * (40.0 - 20.0 * std::log10(0.5));
    EXPECT_NEAR(display.ColumnValue(150), expected, 1e-6);
}

TEST(FreqResponse, HoverTextReadsFromTheTopEdge) {
    IFreqResponseControl display(nullptr, IColorARGB(255, 255, 0, 0), IRect(250, 182, 550, 322), 4096, 0);
    display.SetRange(20.0, 20480.0, 120.0, 40.0);
    char text[96];
    display.HoverText(250, 182, text, sizeof(text));
    EXPECT_STREQ(text, "Freq:   20 Hz\nGain: - 0.0 dB");
    // 1 kHz lies log10(1000/20) / log10(1024) of the width along.
    const int x = 250 + static_cast<int>(std::ceil(300.0 * std::log10(50.0) / std::log10(1024.0)));
    display.HoverText(x, 322, text, sizeof(text));
    EXPECT_EQ(std::string(text).rfind("Freq: 1.0", 0), 0u) << text;
    EXPECT_NE(std::string(text).find("kHz\nGain: -120.0 dB"), std::string::npos) << text;
}

TEST(FreqResponse, WithoutHoldRisesFastAndFallsSlowly) {
    IFreqResponseControl display(nullptr, IColorARGB(255, 255, 0, 0), IRect(250, 182, 550, 322), 4096, 0);
    display.SetRange(20.0, 20480.0, 120.0, 40.0);
    std::vector<double> loud(4096, 0.0), quiet(4096, 0.0);
    loud[0] = 1.0;
    quiet[0] = 0.001;              // 60 dB lower
    display.Analyze(quiet.data()); // from 0 (top) the curve falls towards its level
    const double quietY = 140.0 / 120.0 * (40.0 + 60.0);
    const double fall = std::exp(-1.0 / (0.3 * 140));
    EXPECT_NEAR(display.ColumnValue(100), quietY * (1 - fall), 1e-6);
    for (int i = 0; i < 50; ++i)
        display.Analyze(quiet.data());
    const double previous = display.ColumnValue(100);
    EXPECT_GT(previous, 140.0 / 3.0 + 10.0); // well below 0 dB by now
    display.Analyze(loud.data());
    const double loudY = 140.0 / 3.0, rise = std::exp(-1.0 / (0.03 * 140));
    EXPECT_NEAR(display.ColumnValue(100), (previous - loudY) * rise + loudY, 1e-6);
}
