// The one parameter table: its rows against what the built plug-in shows a host, and every law
// against numbers worked out by hand.
#include "BuiltPlugin.h"
#include "DspBank.h"
#include "ParameterTable.h"
#include "VstAbi.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <string>

namespace {
// What a host displays for a declared value: the editor's text where the index's law shows one,
// without its unit (the label carries it); else a list's text, "0" for zero, or the number with
// the step's decimals (three for 0.001, none for 1).
std::string HostText(int index, const Declaration& d, const char* const* texts, double value) {
    std::string shown = DisplayOf(index, value).text;
    if (shown.size() > 3 && shown.substr(shown.size() - 3) == " dB") return shown.substr(0, shown.size() - 3);
    if (!shown.empty()) return shown;
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
    const std::string shown = DisplayOf(index, value).text;
    EXPECT_EQ(plugin.ParamLabel(index), shown.find(" dB") != std::string::npos ? "dB" : d.label);
    EXPECT_FLOAT_EQ(plugin.GetParameter(index), static_cast<float>((value - d.minimum) / (d.maximum - d.minimum)));
    EXPECT_EQ(plugin.ParamDisplay(index), HostText(index, d, texts, value));
    EXPECT_EQ(plugin.ParamDisplayAt(index, 0.0f), HostText(index, d, texts, d.minimum));
    EXPECT_EQ(plugin.ParamDisplayAt(index, 1.0f), HostText(index, d, texts, d.maximum));
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

const Declaration* DeclarationOf(int index) {
    if (const ParameterRow* row = FindParameterRow(index)) return &row->declared;
    if (const ModelBlockRow* block = FindModelBlock(index)) return &block->declared;
    return nullptr;
}

// effGetParameterProperties for every index against its row: switches for the two-state laws
// and the 0..1 values of step 1, the lists as whole numbers over their range, the full name,
// and a group; the free indices answer nothing.
TEST(ParameterTable, HostPropertiesFollowTheRows) {
    std::unique_ptr<HostedPlugin> plugin = LoadBuiltPlugin();
    ASSERT_TRUE(plugin);
    plugin->Start(44100.0, 512);
    int lastCategory = 0;
    for (int index = 0; index < kNumParams; ++index) {
        SCOPED_TRACE("index " + std::to_string(index));
        VstParameterProperties p{};
        const intptr_t answer = plugin->Dispatch(effGetParameterProperties, index, 0, &p);
        const Declaration* d = DeclarationOf(index);
        if (!d) {
            EXPECT_EQ(answer, 0);
            continue;
        }
        ASSERT_EQ(answer, 1);
        EXPECT_EQ(std::string(p.label), plugin->ParamName(index));
        const Law law = DisplayLawOf(index);
        const bool isSwitch = law == Law::kOnOff || law == Law::kOnAboveZero ||
                              (d->type == ParamType::kDouble && d->step == 1.0 && d->maximum == 1.0);
        EXPECT_EQ((p.flags & kVstParameterIsSwitch) != 0, isSwitch);
        const int integer = kVstParameterUsesIntegerMinMax | kVstParameterUsesIntStep;
        EXPECT_EQ(p.flags & integer, d->type == ParamType::kInt ? integer : 0);
        if (d->type == ParamType::kInt) {
            EXPECT_EQ(p.minInteger, static_cast<int>(d->minimum));
            EXPECT_EQ(p.maxInteger, static_cast<int>(d->maximum));
            EXPECT_EQ(p.stepInteger, 1);
        }
        EXPECT_LT(std::string(p.shortLabel, sizeof p.shortLabel).find('\0'), sizeof p.shortLabel);
        // Groups of adjacent indices, numbered in index order (the gate's lamp has none).
        if (!(p.flags & kVstParameterSupportsDisplayCategory)) {
            EXPECT_EQ(index, kGateLed);
            continue;
        }
        EXPECT_GE(p.category, lastCategory);
        EXPECT_GT(p.numParametersInCategory, 0);
        EXPECT_GT(std::string(p.categoryLabel).size(), 0u);
        lastCategory = p.category;
    }
    auto properties = [&](int index) {
        VstParameterProperties p{};
        plugin->Dispatch(effGetParameterProperties, index, 0, &p);
        return p;
    };
    EXPECT_EQ(properties(kAmpOn).flags & (kVstParameterIsSwitch | kVstParameterUsesIntegerMinMax), kVstParameterIsSwitch);
    EXPECT_EQ(properties(kAmpModel).maxInteger, 15);
    EXPECT_EQ(properties(kCabPreset).maxInteger, 38);
    EXPECT_EQ(properties(kAmpGain).flags & ~kVstParameterSupportsDisplayCategory, 0);
    EXPECT_STREQ(properties(kModelGain + 10).shortLabel, "Gain");
    EXPECT_STREQ(properties(kGateThreshold).categoryLabel, "Gate");
    EXPECT_EQ(plugin->Dispatch(effGetParameterProperties, kAmpOn, 0, nullptr), 0);
}

// The slope of a law's number per unit of v, to know how finely its text pins v down.
double TextSlope(Law law) {
    switch (law) {
    case Law::kGateDb: return 100.0;
    case Law::kEqDb:
    case Law::kSwitchDb: return 24.0;
    case Law::kWetDb:
    case Law::kDryDb: return 48.0; // the dry knob's flatter half
    case Law::kTenths:
    case Law::kCentredTenths:
    case Law::kReversedTenths: return 10.0;
    default: return 1.0;
    }
}

// How far the value a text stands for may lie from the value shown: the step, or half the
// last digit the text shows.
double TextTolerance(const std::string& text, const Declaration& d, Law law) {
    const size_t point = text.find('.');
    const int decimals = point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
    return std::fmax(d.step, 0.5 * std::pow(10.0, -decimals) / TextSlope(law)) + 1e-6;
}

// effString2Parameter takes back what effGetParamDisplay shows, for every declared index over a
// table of values: switches at both states, lists at every entry, the rest across their range.
TEST(ParameterTable, HostTextsReadBackToTheirValues) {
    std::unique_ptr<HostedPlugin> plugin = LoadBuiltPlugin();
    ASSERT_TRUE(plugin);
    plugin->Start(44100.0, 512);
    std::vector<double> scale = {0.001, 0.123, 0.4567, 0.999};
    for (int k = 0; k <= 100; k += 5) scale.push_back(k / 100.0);
    for (int index = 0; index < kNumParams; ++index) {
        const Declaration* d = DeclarationOf(index);
        // Buttons and list clicks act on their value and may move it back themselves.
        const ParameterRow* row = FindParameterRow(index);
        if (!d || d->type == ParamType::kNone ||
            (row && (row->control == ControlKind::kMomentary || row->control == ControlKind::kNameList)))
            continue;
        const Law law = DisplayLawOf(index);
        std::vector<double> values; // normalised
        if (d->type == ParamType::kInt)
            for (int v = 0; v <= static_cast<int>(d->maximum); ++v) values.push_back(v / d->maximum);
        else if (law == Law::kOnOff || law == Law::kOnAboveZero || d->step == 1.0)
            values = {0.0, 1.0};
        else
            values = scale;
        for (const double n : values) {
            const std::string text = plugin->ParamDisplayAt(index, static_cast<float>(n));
            SCOPED_TRACE("index " + std::to_string(index) + " at " + std::to_string(n) + ": \"" + text + "\"");
            std::vector<char> typed(text.begin(), text.end());
            typed.push_back('\0');
            ASSERT_EQ(plugin->Dispatch(effString2Parameter, index, 0, typed.data()), 1);
            const double back = plugin->GetParameter(index);
            if (d->type == ParamType::kInt)
                EXPECT_FLOAT_EQ(static_cast<float>(back), static_cast<float>(n));
            else
                EXPECT_NEAR(back, n, TextTolerance(text, *d, law));
        }
    }
}

// What a user types: the text with or without its unit, in any case, or a plain 0..1 number where
// the text shows none; anything else is refused and changes nothing.
TEST(ParameterTable, TypedTextsSetTheirValues) {
    std::unique_ptr<HostedPlugin> plugin = LoadBuiltPlugin();
    ASSERT_TRUE(plugin);
    plugin->Start(44100.0, 512);
    struct Typed {
        int index;
        const char* text;
        float normalized;
    };
    const Typed cases[] = {
        {kEqLow, "-12 dB", 0.0f},        {kEqLow, "6", 0.75f},          {kEqHigh, " +3.0db ", 0.625f},
        {kMasterVolume, "5", 0.5f},      {kMasterVolume, "7.50", 0.75f}, {kGateThreshold, "-25 dB", 0.75f},
        {kGate, "on", 1.0f},             {kGate, "OFF", 0.0f},           {kGate, "1", 1.0f},
        {kAmpModel, "metal charter", 7.0f / 15.0f}, {kAmpModel, "1", 1.0f}, {kCabPreset, "Modern 1", 35.0f / 38.0f},
        {kIrDry, "-inf dB", 0.0f},       {kIrDry, "12", 0.75f},          {kIrWet, "-12.0", 0.25f},
        {kAmpGain, "0.25", 0.25f},       {kLoudness, "10", 0.0f},        {kModelBass + 3, "-5", 0.0f},
        {kModelTreble + 14, "ON", 1.0f}, {kTuning, "11", 1.0f},
    };
    for (const Typed& c : cases) {
        SCOPED_TRACE(std::to_string(c.index) + " \"" + c.text + "\"");
        plugin->SetParameter(c.index, 0.5f);
        EXPECT_EQ(plugin->Dispatch(effString2Parameter, c.index, 0, const_cast<char*>(c.text)), 1);
        EXPECT_NEAR(plugin->GetParameter(c.index), c.normalized, 1e-6);
    }
    for (const char* refused : {"", "abc", "5 kHz", "nan", "on off", "13 dB", "-inf", "0.5 dB dB"}) {
        plugin->SetParameter(kEqLow, 0.3f);
        EXPECT_EQ(plugin->Dispatch(effString2Parameter, kEqLow, 0, const_cast<char*>(refused)), 0) << refused;
        EXPECT_EQ(plugin->GetParameter(kEqLow), 0.3f) << refused;
    }
    EXPECT_EQ(plugin->Dispatch(effString2Parameter, kMasterVolume, 0, const_cast<char*>("11")), 0);
    EXPECT_EQ(plugin->Dispatch(effString2Parameter, kAmpModel, 0, const_cast<char*>("2")), 0);
    EXPECT_EQ(plugin->Dispatch(effString2Parameter, kTuning, 0, const_cast<char*>("12")), 0);
    EXPECT_EQ(plugin->Dispatch(effString2Parameter, kGate, 0, const_cast<char*>("2")), 0);
    EXPECT_EQ(plugin->Dispatch(effString2Parameter, kEqLow, 0, nullptr), 0);
    EXPECT_EQ(plugin->Dispatch(effString2Parameter, 162, 0, const_cast<char*>("1")), 0);
}
} // namespace
