// The parameter record's declaration, normalisation and host formatting rules.
#include "IParameter.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string Format(const IParameter& p, double v, bool normalized = false) {
    char text[32];
    p.FormatForHost(v, normalized, text);
    return text;
}

TEST(Parameter, UndeclaredKeepsItsConstructionState) {
    IParameter p;
    EXPECT_EQ(p.GetType(), IParameter::kTypeNone);
    EXPECT_EQ(p.Value(), 0.0);
    EXPECT_EQ(p.Maximum(), 1.0);
    p.SetFromNormalized(0.4);
    EXPECT_EQ(p.Value(), 0.0);
    p.SetFromNormalized(0.6);
    EXPECT_EQ(p.Value(), 1.0);
}

TEST(Parameter, EmptyRangeGrowsByOneStep) {
    IParameter p;
    p.DeclareDouble("x", 0, 0, 0, 1, "");
    EXPECT_EQ(p.Maximum(), 1.0);
}

TEST(Parameter, SecondDeclarationKeepsTheFirstType) {
    IParameter a;
    a.DeclareInt("", 0, 0, 15, "");
    a.DeclareEnum("Dst/Amp Preset", 3, 16);
    EXPECT_EQ(a.GetType(), IParameter::kTypeInt);
    EXPECT_STREQ(a.Name(), "Dst/Amp Preset");
    EXPECT_EQ(a.Value(), 3.0);
    IParameter b;
    b.DeclareEnum("e", 0, 4);
    b.DeclareInt("i", 2, 0, 9, "dB");
    EXPECT_EQ(b.GetType(), IParameter::kTypeEnum);
    EXPECT_EQ(b.Maximum(), 9.0);
    EXPECT_STREQ(b.Label(), "dB");
}

TEST(Parameter, DisplayPrecisionFollowsTheStep) {
    IParameter p;
    p.DeclareDouble("", 0, 0, 1, 0.001, "");
    EXPECT_EQ(p.DisplayPrecision(), 3);
    p.DeclareDouble("", 0, 0, 1, 1, "");
    EXPECT_EQ(p.DisplayPrecision(), 0);
    p.DeclareDouble("", 0, 0, 1, 1e-9, "");
    EXPECT_EQ(p.DisplayPrecision(), 6);
}

TEST(Parameter, SetFromNormalizedRoundsAllButDoubles) {
    IParameter i;
    i.DeclareInt("", 0, 0, 15, "");
    i.SetFromNormalized(0.5);
    EXPECT_EQ(i.Value(), 8.0);
    IParameter d;
    d.DeclareDouble("", 0, 0, 1, 0.001, "");
    d.SetFromNormalized(0.5);
    EXPECT_EQ(d.Value(), 0.5);
    d.SetFromNormalized(1.7); // there is an upper clamp and no lower one
    EXPECT_EQ(d.Value(), 1.0);
}

TEST(Parameter, NormalizationWithAShape) {
    IParameter p;
    p.DeclareDouble("", 0, 10, 20, 0.01, "");
    p.SetShape(2.0);
    EXPECT_DOUBLE_EQ(p.FromNormalized(0.5), 12.5);
    EXPECT_DOUBLE_EQ(p.ToNormalized(12.5), 0.5);
    EXPECT_DOUBLE_EQ(p.ToNormalized(-4.0), 0.0);
    EXPECT_DOUBLE_EQ(p.ToNormalized(40.0), 1.0);
}

TEST(Parameter, FormatForHost) {
    IParameter e;
    e.DeclareEnum("", 0, 3);
    e.SetDisplayText(1, "Crunch");
    EXPECT_EQ(Format(e, 1.0), "Crunch");
    EXPECT_EQ(Format(e, 0.5, true), "Crunch"); // 0.5 of 0..2 is 1
    EXPECT_EQ(Format(e, 0.0), "0");
    EXPECT_EQ(Format(e, 2.0), "2");
    IParameter d;
    d.DeclareDouble("", 0, -1, 1, 0.001, "");
    EXPECT_EQ(Format(d, 0.25), "0.250");
    d.SetNegateDisplay(true);
    EXPECT_EQ(Format(d, 0.25), "-0.250");
    EXPECT_EQ(Format(d, 0.0), "0");
}

TEST(Parameter, DisplayTextLookups) {
    IParameter p;
    p.DeclareEnum("", 0, 2);
    p.SetDisplayText(0, "Off");
    p.SetDisplayText(1, "On");
    int value = -1;
    EXPECT_TRUE(p.FindDisplayValue("On", value));
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(p.FindDisplayValue("on", value));
    EXPECT_STREQ(p.GetDisplayText(5), "");
    EXPECT_EQ(p.DisplayTextCount(), 2);
}
} // namespace
