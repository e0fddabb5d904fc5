// The parameter table as a host sees it: names, labels, display texts, value round trips.
#include "BuiltPlugin.h"

#include <cmath>
#include <set>
#include <limits>

namespace {
class Parameters : public BuiltPluginTest {};

// Every parameter but the free 23..29 has a short name no other shares (hosts' name buffers
// differ, so 15 characters at most) and an identifier tools can name it by; none has a label.
TEST_F(Parameters, NamesAreShortUniqueAndNoneHasALabel) {
    std::set<std::string> names, identifiers;
    for (int i = 0; i < 162; ++i) {
        const std::string name = plugin->ParamName(i);
        const std::string identifier = plugin->ParamIdentifier(i);
        EXPECT_EQ(plugin->ParamLabel(i), "") << "index " << i;
        if (i >= 23 && i <= 29) {
            EXPECT_EQ(name, "") << "index " << i;
            EXPECT_EQ(identifier, "") << "index " << i;
            continue;
        }
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

TEST_F(Parameters, DefaultDisplays) {
    EXPECT_EQ(plugin->ParamDisplay(4), "Clean 1");
    EXPECT_EQ(plugin->ParamDisplay(12), "Cabinet Off");
    EXPECT_EQ(plugin->ParamDisplay(1), "0.500");  // three decimals for a 0.001 step
    EXPECT_EQ(plugin->ParamDisplay(0), "0");      // exactly 0 shows "0"
    EXPECT_EQ(plugin->ParamDisplay(21), "0");
    EXPECT_EQ(plugin->ParamDisplay(22), "0.500");
    EXPECT_EQ(plugin->ParamDisplay(157), "0");
    EXPECT_EQ(plugin->ParamDisplay(18), "0");     // an undeclared parameter
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
    EXPECT_EQ(plugin->ParamDisplay(0), "0");
    plugin->SetParameter(0, 1.0f);
    EXPECT_EQ(plugin->ParamDisplay(0), "1");
    plugin->SetParameter(18, 0.7f); // undeclared: step 1, rounds to 1
    EXPECT_EQ(plugin->GetParameter(18), 1.0f);
}

TEST_F(Parameters, DoubleParametersRoundTrip) {
    for (int index : {1, 2, 5, 13, 16, 22, 62, 141, 146, 151}) {
        plugin->SetParameter(index, 0.25f);
        EXPECT_EQ(plugin->GetParameter(index), 0.25f) << index;
        EXPECT_EQ(plugin->ParamDisplay(index), "0.250") << index;
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
