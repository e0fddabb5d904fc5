#pragma once

// The one table of numbered places in a DspBank: which biquad slot, one-pole slot, comb row and
// waveshaper slot each owner uses, by name. Everything else names them (layout::Clean1::boxDip);
// no other file writes a slot number. The amp models take turns in the model range (biquads
// 64..117 but for the post EQ's and the tone stack's, one-poles, comb rows 0..13): a slot means
// what the selected model designs into it, and its filter state carries over a model change.
//
// Columns: owner, kind (Biquad, PoleA, PoleB, Row, Shaper), name, first index, count.
// Owners: Cabinet, PostEq and Tone are outside the models; Knobs are the sections the shared
// bass, middle and treble knobs design; the other owners are a model or a stage models share.
// The checks at the end refuse a row that repeats an index of its owner and kind, or a model
// row on a place the cabinet, the post EQ or the tone stack holds.

#include "DspBank.h"

// clang-format off
#define VULPANE_BANK_LAYOUT(X) \
    X(Cabinet,      Biquad, sections,        0,   20) /* the cascade, in series */ \
    X(PostEq,       Biquad, lowShelf,        68,  1)  \
    X(PostEq,       Biquad, highShelf,       69,  1)  \
    X(PostEq,       Biquad, loudnessShelf,   70,  1)  \
    X(PostEq,       Biquad, lowBand,         73,  1)  \
    X(PostEq,       Biquad, loudnessBand,    74,  1)  \
    X(Tone,         Biquad, band,            71,  1)  /* tone frequency and resonance */ \
    X(Tone,         Biquad, shelf,           72,  1)  \
    X(Knobs,        Biquad, bass,            64,  1)  \
    X(Knobs,        Biquad, middle,          65,  1)  \
    X(Knobs,        Biquad, treble,          66,  1)  \
    /* two low-passed comb pairs: clean models, JGM900 and Darktorsion input, style body */ \
    X(CombFront,    Biquad, low1,            108, 1)  \
    X(CombFront,    Biquad, low1Short,       109, 1)  \
    X(CombFront,    Biquad, low2,            110, 1)  \
    X(CombFront,    Biquad, low2Short,       111, 1)  \
    X(CombFront,    Biquad, presence1,       112, 1)  \
    X(CombFront,    Biquad, presence2,       113, 1)  \
    X(CombFront,    Biquad, presence3,       114, 1)  \
    X(CombFront,    PoleB,  presenceCut,     4,   1)  \
    X(CleanRows,    Row,    short1,          8,   1)  \
    X(CleanRows,    Row,    long1,           9,   1)  \
    X(CleanRows,    Row,    short2,          10,  1)  \
    X(CleanRows,    Row,    long2,           11,  1)  \
    X(CleanGain,    Shaper, clip,            0,   1)  \
    X(Clean1,       Biquad, gainHighPass,    115, 1)  \
    X(Clean1,       Biquad, boxDip,          116, 1)  \
    X(Clean2,       Biquad, boxDip,          116, 1)  \
    X(Clean3,       Biquad, clipDip,         115, 1)  \
    X(Clean3,       Biquad, clipLift,        116, 1)  \
    X(Clean3,       Biquad, boxDip,          117, 1)  \
    X(Clean4,       Biquad, gainHighPass,    115, 1)  \
    X(Piezo,        Row,    resonators,      0,   12) \
    X(Piezo,        Row,    lowComb,         12,  1)  \
    X(Piezo,        Row,    midComb,         13,  1)  \
    X(Piezo,        Biquad, lowCombInput,    108, 1)  \
    X(Piezo,        Biquad, midInput,        109, 1)  \
    X(Piezo,        Biquad, resonatorInput,  110, 1)  \
    X(Piezo,        Biquad, air,             111, 1)  \
    X(Piezo,        Biquad, bodyShelf,       112, 1)  \
    X(Piezo,        PoleB,  airCut,          4,   1)  \
    X(Creamer,      PoleA,  inputLowPass,    1,   1)  \
    X(Creamer,      PoleB,  inputBass,       1,   1)  \
    X(Creamer,      PoleA,  outputLowPass,   2,   1)  \
    X(Creamer,      PoleB,  outputBass,      2,   1)  \
    X(Creamer,      Shaper, clip,            1,   1)  \
    X(Fuzzz,        Shaper, clip,            0,   1)  \
    X(MetalCharter, Biquad, inputLowPass,    80,  1)  \
    X(MetalCharter, Biquad, body,            81,  1)  \
    X(MetalCharter, Biquad, presence,        82,  1)  \
    X(MetalCharter, Biquad, midDip,          83,  1)  \
    X(MetalCharter, Shaper, clip,            0,   1)  \
    /* the clipped preamp of Metal Machine, Metal Style and JGM900: a band, a clip, three bands */ \
    X(Preamp,       Biquad, inputHighPass,   83,  1)  \
    X(Preamp,       Biquad, inputLowPass,    84,  1)  \
    X(Preamp,       Biquad, band1,           85,  1)  \
    X(Preamp,       Biquad, band2,           86,  1)  \
    X(Preamp,       Biquad, band3,           87,  1)  \
    X(Preamp,       PoleA,  clipLowPass,     3,   1)  \
    X(Preamp,       Shaper, clip,            0,   1)  \
    X(MetalMachine, Biquad, highPass2,       95,  1)  \
    X(MetalMachine, Biquad, lowPass2,        96,  1)  \
    X(MetalMachine, Biquad, band2,           97,  1)  \
    X(MetalMachine, PoleA,  clipLowPass2,    5,   1)  \
    X(MetalMachine, Shaper, clip2,           3,   1)  \
    X(MetalStyle,   Biquad, clipShelf,       106, 1)  \
    X(MetalStyle,   Biquad, stageLowPass,    81,  1)  \
    X(MetalStyle,   Biquad, stageShelf,      82,  1)  \
    X(MetalStyle,   PoleB,  stageBass,       0,   1)  \
    X(MetalStyle,   PoleA,  stagePole,       0,   1)  \
    X(MetalStyle,   Shaper, stageClip,       3,   1)  \
    /* the comb body after the clip of Metal Style and Darktorsion */ \
    X(Body,         Biquad, low1,            88,  1)  \
    X(Body,         Biquad, low1Short,       89,  1)  \
    X(Body,         Biquad, low2,            90,  1)  \
    X(Body,         Biquad, low2Short,       91,  1)  \
    X(Body,         Biquad, presence1,       92,  1)  \
    X(Body,         Biquad, presence2,       93,  1)  \
    X(Body,         Biquad, presence3,       94,  1)  \
    X(Body,         PoleB,  presenceCut,     3,   1)  \
    X(Body,         Row,    short1,          0,   1)  \
    X(Body,         Row,    long1,           1,   1)  \
    X(Body,         Row,    short2,          2,   1)  \
    X(Body,         Row,    long2,           3,   1)  \
    X(JgmInput,     Row,    short1,          4,   1)  \
    X(JgmInput,     Row,    long1,           5,   1)  \
    X(JgmInput,     Row,    short2,          6,   1)  \
    X(JgmInput,     Row,    long2,           7,   1)  \
    X(JgmInput,     Biquad, boxDip,          115, 1)  \
    X(Jgm900,       Biquad, airShelf,        107, 1)  \
    X(DirtyBox,     Biquad, highPass1,       98,  1)  \
    X(DirtyBox,     Biquad, lowPass1,        99,  1)  \
    X(DirtyBox,     Biquad, clipShelf1,      103, 1)  \
    X(DirtyBox,     Biquad, low1,            100, 1)  \
    X(DirtyBox,     Biquad, band1,           101, 1)  \
    X(DirtyBox,     Biquad, air1,            102, 1)  \
    X(DirtyBox,     PoleA,  clipLowPass1,    4,   1)  \
    X(DirtyBox,     Shaper, clip1,           0,   1)  \
    X(DirtyBox,     Biquad, highPass2,       95,  1)  \
    X(DirtyBox,     Biquad, lowPass2,        96,  1)  \
    X(DirtyBox,     Biquad, clipShelf2,      104, 1)  \
    X(DirtyBox,     Biquad, low2,            97,  1)  \
    X(DirtyBox,     Biquad, air2,            105, 1)  \
    X(DirtyBox,     PoleA,  clipLowPass2,    5,   1)  \
    X(DirtyBox,     Shaper, clip2,           3,   1)  \
    X(Darktorsion,  Biquad, outputLowPass,   85,  1)  \
    X(Bat,          PoleB,  inputCut,        0,   1)  \
    X(Bat,          Biquad, thump,           81,  1)  \
    X(Bat,          Biquad, presence,        82,  1)  \
    X(Bat,          Shaper, clip,            0,   1)  \
    X(Poltergeist,  Biquad, inputHighPass,   81,  1)  \
    X(Poltergeist,  Biquad, sweep,           82,  1)  \
    X(Poltergeist,  Biquad, scoop,           83,  1)  \
    X(Poltergeist,  Biquad, lowShelf,        84,  1)  \
    X(Poltergeist,  Biquad, outputLowPass,   85,  1)  \
    X(Poltergeist,  Shaper, clip,            0,   1)  \
    X(NoiseSoldier, PoleB,  cut1,            0,   1)  \
    X(NoiseSoldier, PoleA,  clipInput1,      0,   1)  \
    X(NoiseSoldier, PoleA,  smooth1,         1,   1)  \
    X(NoiseSoldier, PoleA,  smooth2,         2,   1)  \
    X(NoiseSoldier, Biquad, lowShelf,        81,  1)  \
    X(NoiseSoldier, Biquad, dip,             82,  1)  \
    X(NoiseSoldier, Biquad, middle,          83,  1)  \
    X(NoiseSoldier, Biquad, highShelf,       84,  1)  \
    X(NoiseSoldier, Shaper, clip1,           0,   1)  \
    X(NoiseSoldier, PoleB,  cut2,            1,   1)  \
    X(NoiseSoldier, PoleA,  clipInput2,      3,   1)  \
    X(NoiseSoldier, Biquad, band2,           85,  1)  \
    X(NoiseSoldier, PoleA,  smooth3,         4,   1)  \
    X(NoiseSoldier, Shaper, clip2,           3,   1)
// clang-format on

// A place of one kind; the kinds do not convert into each other.
struct BiquadSlot {
    int index;
};
struct PoleASlot {
    int index;
};
struct PoleBSlot {
    int index;
};
struct CombRow {
    int index;
};
// A waveshaper's place: each call site of a shaper in a graph has its own.
struct ShaperSlot {
    int index;
};

namespace layout {
#define VULPANE_LAYOUT_NAME(owner, kind, name, first, count)                                                 \
    namespace owner {                                                                                        \
    constexpr kind##Slot##_t name{first};                                                                    \
    constexpr int name##Count = count;                                                                       \
    }
using BiquadSlot_t = BiquadSlot;
using PoleASlot_t = PoleASlot;
using PoleBSlot_t = PoleBSlot;
using RowSlot_t = CombRow;
using ShaperSlot_t = ShaperSlot;
VULPANE_BANK_LAYOUT(VULPANE_LAYOUT_NAME)
#undef VULPANE_LAYOUT_NAME

enum class Kind { Biquad, PoleA, PoleB, Row, Shaper };
struct Row {
    const char* owner;
    Kind kind;
    int first;
    int count;
};
#define VULPANE_LAYOUT_ROW(owner, kind, name, first, count) Row{#owner, Kind::kind, first, count},
constexpr Row kRows[] = {VULPANE_BANK_LAYOUT(VULPANE_LAYOUT_ROW)};
#undef VULPANE_LAYOUT_ROW
constexpr int kRowCount = static_cast<int>(sizeof kRows / sizeof kRows[0]);

constexpr int kBiquads = DspBank::kBiquadSlots, kOnePoles = DspBank::kOnePoleSlots;
constexpr int kShapers = DspBank::kShaperSlots;
constexpr int kCombRows = 14; // the rows the signal chain allocates for the models

constexpr bool SameOwner(const char* a, const char* b) {
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}
// The owners outside the model range, which no model row may share a place with.
constexpr bool Fixed(const char* owner) {
    return SameOwner(owner, "Cabinet") || SameOwner(owner, "PostEq") || SameOwner(owner, "Tone") ||
           SameOwner(owner, "Knobs");
}
constexpr int Places(Kind k) {
    return k == Kind::Biquad   ? kBiquads
           : k == Kind::Row    ? kCombRows
           : k == Kind::Shaper ? kShapers
                               : kOnePoles;
}
constexpr bool Overlap(const Row& a, const Row& b) {
    return a.kind == b.kind && a.first < b.first + b.count && b.first < a.first + a.count;
}
// True when every row fits its kind and no two rows clash: same owner, or one of them fixed.
constexpr bool Consistent() {
    for (int i = 0; i < kRowCount; ++i) {
        const Row& a = kRows[i];
        if (a.first < 0 || a.count < 1 || a.first + a.count > Places(a.kind)) return false;
        for (int j = i + 1; j < kRowCount; ++j) {
            const Row& b = kRows[j];
            if (Overlap(a, b) && (SameOwner(a.owner, b.owner) || Fixed(a.owner) || Fixed(b.owner)))
                return false;
        }
    }
    return true;
}
static_assert(Consistent(), "two rows of the bank layout share a place");
} // namespace layout
