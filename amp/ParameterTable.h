#pragma once

#include "ParameterIds.h"
#include "ParameterLaws.h"

// The rows of ParameterList.h as the code reads them.
enum class ParamType : unsigned char { kNone, kDouble, kInt }; // kNone: never declared, only named
// The editor control bound to an index.
enum class ControlKind : unsigned char {
    kNoControl,
    kKnob,
    kSwitch,       // a two-state button
    kHidden,       // a hidden rotary control the code moves
    kListBox,      // the model and cabinet lists
    kIndicator,    // a lamp or a panel image that follows another index
    kMomentary,    // acts on press and release; a restored state does not replay it
    kNameList,     // a click position in the preset or bank list
    kFader,        // the lists' scroll positions
    kFileSelector, // the impulse file chooser
};

// What a declaration gives the host: the label, type, range, step and default.
struct Declaration {
    const char* label;
    ParamType type;
    double minimum;
    double maximum;
    double step;
    double defaultValue;
};

struct ParameterRow {
    const char* identifier;
    int index;
    const char* name;
    Declaration declared;
    Law display;
    Law dsp;
    ControlKind control;
    const char* const* texts; // the display texts of a list, by value; null for the others
};

// A per-model block: indices first .. first + 15, named "<model> <role>".
struct ModelBlockRow {
    const char* identifier;
    int first;
    const char* role;
    Declaration declared;
    Law display;
    ControlKind control;
};

template <typename Row>
struct Rows {
    const Row* first;
    int count;
    const Row* begin() const { return first; }
    const Row* end() const { return first + count; }
};
// The rows in declaration order.
Rows<ParameterRow> ParameterRows();
Rows<ModelBlockRow> ModelBlockRows();

// The row of a single index, or null (per-model and free indices).
const ParameterRow* FindParameterRow(int index);
// The block an index lies in, or null.
const ModelBlockRow* FindModelBlock(int index);

// The display law of an index (a model's exception first), kNone for the free indices.
Law DisplayLawOf(int index);
// What the editor shows for index at value v.
ShownValue DisplayOf(int index, double v);
// The value handed to the DSP for index at value v, in the unit of its DSP law.
double PhysicalValue(int index, double v);
