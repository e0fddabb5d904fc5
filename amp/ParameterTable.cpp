// The rows of ParameterList.h, the parameters' declarations and the lookups by index.
#include "ParameterTable.h"

#include "AmpModelIds.h"
#include "VulpanePlugin.h"

#include <cstdio>

namespace {
// clang-format off
#define VULPANE_PARAMETER_ROW(identifier, index, name, label, type, minimum, maximum, step, value, display, dsp, \
                              control, texts)                                                                 \
    {#identifier, identifier, name, {label, ParamType::k##type, minimum, maximum, step, value},                 \
     Law::k##display, Law::k##dsp, ControlKind::k##control, texts},
constexpr ParameterRow kRows[] = {VULPANE_PARAMETERS(VULPANE_PARAMETER_ROW)};
#undef VULPANE_PARAMETER_ROW

#define VULPANE_BLOCK_ROW(identifier, first, role, label, type, minimum, maximum, step, value, display, control) \
    {#identifier, first, role, {label, ParamType::k##type, minimum, maximum, step, value}, Law::k##display,      \
     ControlKind::k##control},
constexpr ModelBlockRow kBlockRows[] = {VULPANE_MODEL_BLOCKS(VULPANE_BLOCK_ROW)};
#undef VULPANE_BLOCK_ROW

struct ModelException {
    int first;
    int model;
    Law display;
};
#define VULPANE_EXCEPTION_ROW(first, model, display) {first, model, Law::k##display},
constexpr ModelException kExceptions[] = {VULPANE_MODEL_EXCEPTIONS(VULPANE_EXCEPTION_ROW)};
#undef VULPANE_EXCEPTION_ROW
// clang-format on

// Short forms of the model names that leave room for the role.
const char* const kModelShortNames[kNumModels] = {
    "Clean 1",   "Clean 2", "Clean 3", "Clean 4",   "Piezo",     "Creamer", "Fuzzz",     "M.Charter",
    "M.Machine", "M.Style", "JGM900",  "Dirty Box", "Darktorsn", "Bat",     "Poltergst", "N.Soldier",
};
} // namespace

Rows<ParameterRow> ParameterRows() {
    return {kRows, static_cast<int>(sizeof kRows / sizeof kRows[0])};
}

Rows<ModelBlockRow> ModelBlockRows() {
    return {kBlockRows, static_cast<int>(sizeof kBlockRows / sizeof kBlockRows[0])};
}

const ParameterRow* FindParameterRow(int index) {
    for (const ParameterRow& row : kRows)
        if (row.index == index) return &row;
    return nullptr;
}

const ModelBlockRow* FindModelBlock(int index) {
    for (const ModelBlockRow& block : kBlockRows)
        if (index >= block.first && index < block.first + kNumModels) return &block;
    return nullptr;
}

Law DisplayLawOf(int index) {
    if (const ParameterRow* row = FindParameterRow(index)) return row->display;
    const ModelBlockRow* block = FindModelBlock(index);
    if (!block) return Law::kNone;
    for (const ModelException& e : kExceptions)
        if (e.first == block->first && e.model == index - block->first) return e.display;
    return block->display;
}

ShownValue DisplayOf(int index, double v) {
    return LawDisplay(DisplayLawOf(index), v);
}

double PhysicalValue(int index, double v) {
    const ParameterRow* row = FindParameterRow(index);
    return LawValue(row ? row->dsp : Law::kNone, v);
}

namespace {
void Declare(IParameter* p, const char* name, const Declaration& d) {
    switch (d.type) {
    case ParamType::kDouble:
        p->DeclareDouble(name, d.defaultValue, d.minimum, d.maximum, d.step, d.label);
        break;
    case ParamType::kInt: // a list keeps the integer type, so the chunk stores it as before
        p->DeclareInt(name, static_cast<int>(d.defaultValue), static_cast<int>(d.minimum),
                      static_cast<int>(d.maximum), d.label);
        break;
    case ParamType::kNone:
        p->SetName(name);
        break;
    }
}
} // namespace

void VulpanePlugin::DeclareParameters() {
    // The free indices hold nothing; a host lists them under this name.
    for (int i = 0; i < kNumParams; ++i)
        if (!FindParameterRow(i) && !FindModelBlock(i)) ParamAt(i)->SetName("(unused)");
    for (const ParameterRow& row : kRows)
        Declare(ParamAt(row.index), row.name, row.declared);
    for (const ModelBlockRow& block : kBlockRows)
        for (int m = 0; m < kNumModels; ++m) {
            char name[32];
            std::snprintf(name, sizeof name, "%s %s", kModelShortNames[m], block.role);
            Declare(ParamAt(block.first + m), name, block.declared);
        }
    // The lists, declared again as enumerations: they keep the integer type and take the
    // enumeration's range and texts.
    for (const ParameterRow& row : kRows) {
        if (!row.texts) continue;
        IParameter* p = ParamAt(row.index);
        const int count = static_cast<int>(row.declared.maximum) + 1;
        p->DeclareEnum(row.name, static_cast<int>(row.declared.defaultValue), count);
        for (int v = 0; v < count; ++v)
            p->SetDisplayText(v, row.texts[v]);
    }
}

bool VulpanePlugin::GetParameterIdentifier(int index, char* outText) const {
    return ParameterIdName(index, outText)[0] == 'k';
}
