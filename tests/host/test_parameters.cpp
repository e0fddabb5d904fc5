// The parameter table as a host sees it: names, labels, display texts, value round trips.
#include "BuiltPlugin.h"

#include <cmath>
#include <set>
#include <limits>
#include <utility>

namespace {
class Parameters : public BuiltPluginTest {};

// Every parameter but the free 23..29 has a short name no other shares (hosts' name buffers
// differ, so 15 characters at most) and an identifier tools can name it by; the free ones are
// "(unused)". The label is the unit the editor shows after the value: dB, or none.
TEST_F(Parameters, NamesAreShortUniqueAndLabelsAreUnits) {
    const std::set<int> inDecibels = {1, 13, 14, 21, 22, 94 + 14}; // gate, EQ, IR dry/wet, Poltergeist bass
    std::set<std::string> names, identifiers;
    for (int i = 0; i < 162; ++i) {
        const std::string name = plugin->ParamName(i);
        const std::string identifier = plugin->ParamIdentifier(i);
        EXPECT_EQ(plugin->ParamLabel(i), inDecibels.count(i) ? "dB" : "") << "index " << i;
        if (i >= 23 && i <= 29) {
            EXPECT_EQ(name, "(unused)") << "index " << i;
            EXPECT_EQ(identifier, "") << "index " << i;
            EXPECT_EQ(plugin->Dispatch(effCanBeAutomated, i), 0) << "index " << i;
            continue;
        }
        EXPECT_EQ(plugin->Dispatch(effCanBeAutomated, i), 1) << "index " << i;
        EXPECT_FALSE(name.empty()) << "index " << i;
        EXPECT_LE(name.size(), 15u) << name;
        EXPECT_TRUE(names.insert(name).second) << "twice: " << name;
        EXPECT_EQ(identifier[0], 'k') << "index " << i;
        EXPECT_TRUE(identifiers.insert(identifier).second) << "twice: " << identifier;
    }
    EXPECT_EQ(plugin->ParamName(4), "Amp Model");
    EXPECT_EQ(plugin->ParamName(12), "Cab");
    EXPECT_EQ(plugin->ParamName(10 + 78), "JGM900 Gain");
    EXPECT_EQ(plugin->ParamIdentifier(7 + 30), "kModelSwitch+7");
    EXPECT_EQ(plugin->ParamIdentifier(162), "");
}

// The texts are the editor's, without the unit the label gives.
TEST_F(Parameters, DefaultDisplays) {
    EXPECT_EQ(plugin->ParamDisplay(4), "Clean 1");
    EXPECT_EQ(plugin->ParamDisplay(12), "Cabinet Off");
    EXPECT_EQ(plugin->ParamDisplay(1), "-50");   // the gate threshold in whole dB
    EXPECT_EQ(plugin->ParamDisplay(0), "OFF");   // a switch
    EXPECT_EQ(plugin->ParamDisplay(16), "5.00"); // the master on its 0..10 scale
    EXPECT_EQ(plugin->ParamDisplay(21), "-inf");
    EXPECT_EQ(plugin->ParamDisplay(22), "0.0");
    EXPECT_EQ(plugin->ParamDisplay(6), "0.500"); // no law: three decimals for a 0.001 step
    EXPECT_EQ(plugin->ParamDisplay(157), "0");
    EXPECT_EQ(plugin->ParamDisplay(18), "0"); // an undeclared parameter
}

TEST_F(Parameters, ListTextsFollowTheValue) {
    plugin->SetParameter(4, 7.0f / 15.0f);
    EXPECT_EQ(plugin->ParamDisplay(4), "Metal Charter");
    plugin->SetParameter(4, 1.0f);
    EXPECT_EQ(plugin->ParamDisplay(4), "Noise Soldier");
    plugin->SetParameter(12, 1.0f);
    EXPECT_EQ(plugin->ParamDisplay(12), "90s Spirit");
    plugin->SetParameter(12, 1.0f / 38.0f);
    EXPECT_EQ(plugin->ParamDisplay(12), "Vulpane CAB1");
}

TEST_F(Parameters, IntegerParametersRoundHalfUp) {
    plugin->SetParameter(4, 0.5f); // 7.5 rounds to 8
    EXPECT_EQ(plugin->ParamDisplay(4), "Metal Machine");
    EXPECT_FLOAT_EQ(plugin->GetParameter(4), 8.0f / 15.0f);
    plugin->SetParameter(0, 0.4f); // a double with step 1 keeps its value
    EXPECT_EQ(plugin->GetParameter(0), 0.4f);
    EXPECT_EQ(plugin->ParamDisplay(0), "OFF");
    plugin->SetParameter(0, 1.0f);
    EXPECT_EQ(plugin->ParamDisplay(0), "ON");
    plugin->SetParameter(18, 0.7f); // undeclared: step 1, rounds to 1
    EXPECT_EQ(plugin->GetParameter(18), 1.0f);
}

TEST_F(Parameters, DoubleParametersRoundTrip) {
    const std::pair<int, const char*> shown[] = {{1, "-75"},   {2, "2.50"},    {5, "0.250"},  {13, "-6.0"},
                                                 {16, "2.50"}, {22, "-12.0"},  {62, "2.50"},  {141, "-2.50"},
                                                 {146, "0.250"}, {151, "0.250"}};
    for (const auto& [index, text] : shown) {
        plugin->SetParameter(index, 0.25f);
        EXPECT_EQ(plugin->GetParameter(index), 0.25f) << index;
        EXPECT_EQ(plugin->ParamDisplay(index), text) << index;
    }
    plugin->SetParameter(25, 0.9f); // a free index stores what it gets (rounded to its step of 1)
    EXPECT_EQ(plugin->GetParameter(25), 1.0f);
}

TEST_F(Parameters, OutOfRangeAndNonNumbersNeverGetIn) {
    plugin->SetParameter(16, 0.3f);
    plugin->SetParameter(16, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(plugin->GetParameter(16), 0.3f);
    plugin->SetParameter(16, -2.0f);
    EXPECT_EQ(plugin->GetParameter(16), 0.0f);
    plugin->SetParameter(16, 5.0f);
    EXPECT_EQ(plugin->GetParameter(16), 1.0f);
    plugin->SetParameter(16, std::numeric_limits<float>::infinity());
    EXPECT_EQ(plugin->GetParameter(16), 1.0f);
    plugin->SetParameter(4, -std::numeric_limits<float>::infinity());
    EXPECT_EQ(plugin->ParamDisplay(4), "Clean 1");
}

TEST_F(Parameters, IndicesOutsideTheTableAreIgnored) {
    plugin->SetParameter(162, 0.5f);
    plugin->SetParameter(-1, 0.5f);
    EXPECT_EQ(plugin->GetParameter(162), 0.0f);
    EXPECT_EQ(plugin->GetParameter(-1), 0.0f);
    char text[64] = "untouched";
    plugin->Dispatch(effGetParamDisplay, 162, 0, text);
    plugin->Dispatch(effGetParamName, -3, 0, text);
    EXPECT_STREQ(text, "untouched");
}

TEST_F(Parameters, SetParameterDoesNotReportBackToTheHost) {
    plugin->recorded.automation.clear();
    plugin->SetParameter(16, 0.7f);
    EXPECT_TRUE(plugin->recorded.automation.empty());
}
} // namespace
