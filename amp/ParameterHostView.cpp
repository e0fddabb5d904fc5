// What a host is told of each parameter, made from the parameter table: the editor's value text
// and unit, the value a typed text stands for, switches and lists, short names and groups.
#include "ParameterTable.h"
#include "VulpanePlugin.h"

#include "TextUtil.h"

#include <cstring>

namespace {
// Adjacent indices a host may show together, in index order. The per-model blocks are groups
// of their own, by role; the editor's buttons, browser positions and the tuner are the last.
struct Group {
    int first;
    int count;
    const char* name;
};
constexpr Group kSingleGroups[] = {
    {kGate, 3, "Gate"},    {kAmpOn, 10, "Amp"},        {kEqLow, 4, "Post EQ"},
    {kIrOn, 5, "Impulse"}, {kModelPrev, 20, "Editor"},
};
constexpr const char* kBlockGroups[] = {"Models: On",   "Models: LED",    "Models: Volume", "Models: Gain",
                                        "Models: Bass", "Models: Middle", "Models: Treble"};

// The group of an index with its place among all groups (1, 2, ...), or false.
bool GroupOf(int index, Group& out, int& number) {
    Group
        groups[sizeof kSingleGroups / sizeof kSingleGroups[0] + sizeof kBlockGroups / sizeof kBlockGroups[0]];
    int count = 0;
    for (const Group& g : kSingleGroups)
        if (g.first < kModelSwitch) groups[count++] = g;
    int role = 0;
    for (const ModelBlockRow& block : ModelBlockRows())
        groups[count++] = {block.first, kNumModels, kBlockGroups[role++]};
    for (const Group& g : kSingleGroups)
        if (g.first >= kModelSwitch) groups[count++] = g;
    for (int i = 0; i < count; ++i)
        if (index >= groups[i].first && index < groups[i].first + groups[i].count) {
            out = groups[i];
            number = i + 1;
            return true;
        }
    return false;
}

bool IsFreeIndex(int index) {
    return !FindParameterRow(index) && !FindModelBlock(index);
}

const Declaration* DeclarationOf(int index) {
    if (const ParameterRow* row = FindParameterRow(index)) return &row->declared;
    if (const ModelBlockRow* block = FindModelBlock(index)) return &block->declared;
    return nullptr;
}
} // namespace

void VulpanePlugin::FormatParameterText(int index, double v, char* outText) const {
    char text[32];
    if (LawText(DisplayLawOf(index), v, text))
        CopyText(outText, 32, text);
    else
        IVstAdapter::FormatParameterText(index, v, outText);
}

void VulpanePlugin::FormatParameterLabel(int index, char* outText) const {
    const char* unit = LawUnit(DisplayLawOf(index));
    if (unit[0])
        CopyText(outText, 32, unit);
    else
        IVstAdapter::FormatParameterLabel(index, outText);
}

bool VulpanePlugin::ParameterFromText(int index, const char* text, double& outNormalized) const {
    const IParameter* param = ParamAt(index);
    if (!param || !text) return false;
    double v = 0.0;
    if (LawFromText(DisplayLawOf(index), text, v)) {
        outNormalized = param->ToNormalized(v);
        return true;
    }
    return IVstAdapter::ParameterFromText(index, text, outNormalized);
}

bool VulpanePlugin::DescribeParameter(int index, ParameterTraits& out) const {
    const Declaration* declared = DeclarationOf(index);
    if (!declared) return false;
    const Law law = DisplayLawOf(index);
    // Two-state values: the on/off laws, and the lamps and toggles of step 1.
    out.isSwitch =
        law == Law::kOnOff || law == Law::kOnAboveZero ||
        (declared->type == ParamType::kDouble && declared->step == 1.0 && declared->maximum == 1.0);
    if (declared->type == ParamType::kInt) {
        out.isInteger = true;
        out.minimum = static_cast<int>(declared->minimum);
        out.maximum = static_cast<int>(declared->maximum);
        out.step = 1;
    }
    if (const ModelBlockRow* block = FindModelBlock(index))
        CopyText(out.shortLabel, sizeof out.shortLabel, block->role);
    else if (std::strlen(ParamAt(index)->Name()) < sizeof out.shortLabel)
        CopyText(out.shortLabel, sizeof out.shortLabel, ParamAt(index)->Name());
    Group group{};
    if (GroupOf(index, group, out.categoryIndex)) {
        out.category = group.name;
        out.categorySize = group.count;
    }
    return true;
}

bool VulpanePlugin::IsAutomatable(int index) const {
    return ParamAt(index) && !IsFreeIndex(index);
}
