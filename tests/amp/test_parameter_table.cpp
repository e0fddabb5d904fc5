// The one parameter table: its rows against what the built plug-in shows a host, and every law
// against numbers worked out by hand.
#include "BuiltPlugin.h"
#include "DspBank.h"
#include "ParameterTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <string>

namespace {
// What a host displays for a declared value: a list's text, "0" for zero, else the number with
// the step's decimals (three for 0.001, none for 1).
std::string HostText(const Declaration& d, const char* const* texts, double value) {
    if (texts) return texts[static_cast<int>(value)];
    if (value == 0.0) return "0";
    char text[32];
    std::snprintf(text, sizeof text, d.type == ParamType::kDouble && d.step < 1.0 ? "%.3f" : "%.0f", value);
    return text;
}

// One index as the built plug-in declares it, checked against its row's columns.
// value: what the index holds after open (its default, unless another index set it).
void ExpectHostSees(HostedPlugin& plugin, int index, const std::string& name, const Declaration& d, double value,
                    const char* const* texts) {
    SCOPED_TRACE("index " + std::to_string(index) + " " + name);
    EXPECT_EQ(plugin.ParamName(index), name);
    EXPECT_EQ(plugin.ParamLabel(index), d.label);
    EXPECT_FLOAT_EQ(plugin.GetParameter(index), static_cast<float>((value - d.minimum) / (d.maximum - d.minimum)));
    EXPECT_EQ(plugin.ParamDisplay(index), HostText(d, texts, value));
    EXPECT_EQ(plugin.ParamDisplayAt(index, 0.0f), HostText(d, texts, d.minimum));
    EXPECT_EQ(plugin.ParamDisplayAt(index, 1.0f), HostText(d, texts, d.maximum));
}

TEST(ParameterTable, RowsAreWhatTheHostSees) {
    std::unique_ptr<HostedPlugin> plugin = LoadBuiltPlugin();
    ASSERT_TRUE(plugin);
    plugin->Start(44100.0, 512);
    std::set<int> indices;
    std::set<std::string> names;
    for (const ParameterRow& row : ParameterRows()) {
        EXPECT_TRUE(indices.insert(row.index).second) << row.identifier;
        EXPECT_EQ(FindParameterId(row.identifier), row.index) << row.identifier;
        EXPECT_EQ(plugin->ParamIdentifier(row.index), row.identifier);
        EXPECT_LE(std::string(row.name).size(), 15u) << row.name;
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        ExpectHostSees(*plugin, row.index, row.name, row.declared, row.declared.defaultValue, row.texts);
    }
    for (const ModelBlockRow& block : ModelBlockRows())
        for (int m = 0; m < kNumModels; ++m) {
            const int index = block.first + m;
            EXPECT_TRUE(indices.insert(index).second) << block.identifier << "+" << m;
            const std::string identifier = std::string(block.identifier) + "+" + std::to_string(m);
            EXPECT_EQ(FindParameterId(identifier.c_str()), index);
            EXPECT_EQ(plugin->ParamIdentifier(index), identifier);
            const std::string name = plugin->ParamName(index);
            const std::string role = std::string(" ") + block.role;
            ASSERT_GT(name.size(), role.size()) << index;
            EXPECT_EQ(name.substr(name.size() - role.size()), role) << index;
            EXPECT_LE(name.size(), 15u) << name;
            EXPECT_TRUE(names.insert(name).second) << name;
            // Model 0 is selected at open: its switch and lamp show the amp switch, which is off.
            const bool followsAmpOn = m == 0 && (block.first == kModelSwitch || block.first == kModelLed);
            ExpectHostSees(*plugin, index, name, block.declared, followsAmpOn ? 0.0 : block.declared.defaultValue,
                           nullptr);
        }
    // Every index but the seven free ones has a row; the enum is made from the same rows.
    EXPECT_EQ(indices.size(), 162u - 7u);
    for (int free = 23; free <= 29; ++free) EXPECT_EQ(indices.count(free), 0u) << free;
    EXPECT_EQ(*indices.rbegin(), kNumParams - 1);
    EXPECT_EQ(kGate, 0);
    EXPECT_EQ(kIrWet, 22);
    EXPECT_EQ(kModelSwitch, 30);
    EXPECT_EQ(kModelTreble, 126);
    EXPECT_EQ(kIrPanel, 161);
    EXPECT_EQ(plugin->ParamName(kModelGain + 10), "JGM900 Gain");
    EXPECT_EQ(plugin->ParamName(kModelTreble + 7), "M.Charter Treb");
    EXPECT_EQ(plugin->ParamDisplayAt(kAmpModel, 1.0f), "Noise Soldier");
    EXPECT_EQ(plugin->ParamDisplayAt(kCabPreset, 1.0f), "90s Spirit");
}

struct LawCase {
    Law law;
    const char* texts[4]; // at v = 0, 0.25, 0.5 and 1
    double values[4];     // LawValue at the same v
};

TEST(ParameterTable, LawsGiveTheirTextsAndUnits) {
    const double vs[4] = {0.0, 0.25, 0.5, 1.0};
    const double kSilent = -48.0;
    // clang-format off
    const LawCase cases[] = {
        {Law::kNone,           {"", "", "", ""},                                   {0.0, 0.25, 0.5, 1.0}},
        {Law::kOnOff,          {"OFF", "OFF", "ON", "ON"},                         {0.0, 0.25, 0.5, 1.0}},
        {Law::kOnAboveZero,    {"OFF", "ON", "ON", "ON"},                          {0.0, 0.25, 0.5, 1.0}},
        {Law::kGateDb,         {"-100 dB", "-75 dB", "-50 dB", "0 dB"},            {-100.0, -75.0, -50.0, 0.0}},
        {Law::kTenths,         {"0.00", "2.50", "5.00", "10.00"},                  {0.0, 2.5, 5.0, 10.0}},
        {Law::kCentredTenths,  {"-5.00", "-2.50", "0.00", "5.00"},                 {-5.0, -2.5, 0.0, 5.0}},
        {Law::kReversedTenths, {"10.00", "7.50", "5.00", "0.00"},                  {10.0, 7.5, 5.0, 0.0}},
        {Law::kEqDb,           {"-12.0 dB", "-6.0 dB", "0.0 dB", "12.0 dB"},       {-12.0, -6.0, 0.0, 12.0}},
        {Law::kSwitchDb,       {"-12 dB", "-6 dB", "0 dB", "12 dB"},               {-12.0, -6.0, 0.0, 12.0}},
        {Law::kDryDb,          {"-inf dB", "-24.0 dB", "0.0 dB", "24.0 dB"},       {kSilent, -24.0, 0.0, 24.0}},
        {Law::kWetDb,          {"-24.0 dB", "-12.0 dB", "0.0 dB", "24.0 dB"},      {-24.0, -12.0, 0.0, 24.0}},
        {Law::kReleaseSeconds, {"", "", "", ""},  {0.0098431, 0.0556812, 0.3149804, 10.0793731}},
        {Law::kLoudnessDb,     {"", "", "", ""},                                   {0.0, -7.5, -15.0, -30.0}},
        {Law::kLinear,         {"", "", "", ""},                                   {0.0, 0.25, 0.5, 1.0}},
    };
    // clang-format on
    std::set<std::string> lawNames;
    for (const LawCase& c : cases) {
        EXPECT_TRUE(lawNames.insert(LawName(c.law)).second) << LawName(c.law);
        for (int k = 0; k < 4; ++k) {
            SCOPED_TRACE(std::string(LawName(c.law)) + " at " + std::to_string(vs[k]));
            const ShownValue shown = LawDisplay(c.law, vs[k]);
            EXPECT_STREQ(shown.text, c.texts[k]);
            EXPECT_EQ(shown.bar, c.law == Law::kReversedTenths ? 1.0 - vs[k] : vs[k]);
            EXPECT_NEAR(LawValue(c.law, vs[k]), c.values[k], 1e-6);
        }
    }
    // Between the steps: rounding as printf does, and the dry knob's two slopes.
    EXPECT_STREQ(LawDisplay(Law::kEqDb, 0.501).text, "0.0 dB");
    EXPECT_STREQ(LawDisplay(Law::kEqDb, 0.503).text, "0.1 dB");
    EXPECT_STREQ(LawDisplay(Law::kDryDb, 0.001).text, "-47.9 dB");
    EXPECT_STREQ(LawDisplay(Law::kDryDb, 0.75).text, "12.0 dB");
    EXPECT_STREQ(LawDisplay(Law::kGateDb, 0.333).text, "-67 dB");

    // The rows name the laws: a model's exception comes before its block's law.
    EXPECT_EQ(DisplayLawOf(kGateThreshold), Law::kGateDb);
    EXPECT_EQ(DisplayLawOf(kModelBass + 13), Law::kCentredTenths);
    EXPECT_EQ(DisplayLawOf(kModelBass + 14), Law::kSwitchDb);
    EXPECT_EQ(DisplayLawOf(kModelTreble + 14), Law::kOnAboveZero);
    EXPECT_EQ(DisplayLawOf(kModelGain + 7), Law::kTenths);
    EXPECT_EQ(DisplayLawOf(25), Law::kNone);
    EXPECT_STREQ(DisplayOf(kLoudness, 0.2).text, "8.00");
    EXPECT_EQ(PhysicalValue(kGateRelease, 0.5), EnvelopeSeconds(0.5));
    EXPECT_EQ(PhysicalValue(kEqLow, 0.7), 24.0 * 0.7 - 12.0);
    EXPECT_EQ(PhysicalValue(kMasterVolume, 0.3), 0.3);
    EXPECT_EQ(PhysicalValue(kToneFreq, 0.3), 0.3);
}
} // namespace
