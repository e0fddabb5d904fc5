#pragma once

// The laws that turn a parameter's value v (0..1) into what the editor shows and into the units
// the DSP takes. Each law is written once, in ParameterLaws.cpp; the rows of ParameterList.h
// name them.
//   law, description, format of the number the editor's value text shows (null: no number
//   shown), unit shown after it
// clang-format off
#define VULPANE_LAWS(L) \
    L(None,           "none",                                            nullptr, "")   \
    L(OnOff,          "switch: ON from 0.5",                             nullptr, "")   \
    L(OnAboveZero,    "switch: ON above 0",                              nullptr, "")   \
    L(GateDb,         "threshold dB: 100v-100, '%.0f dB'",               "%.0f",  "dB") \
    L(Tenths,         "scale 0..10: 10v, '%.2f'",                        "%.2f",  "")   \
    L(CentredTenths,  "scale -5..5: 10v-5, '%.2f'",                      "%.2f",  "")   \
    L(ReversedTenths, "scale 10..0: (1-v)*10, '%.2f', bar 1-v",          "%.2f",  "")   \
    L(EqDb,           "gain dB: 24v-12, '%.1f dB'",                      "%.1f",  "dB") \
    L(SwitchDb,       "shelf dB: 24v-12, '%.0f dB'",                     "%.0f",  "dB") \
    L(DryDb,          "dry dB: 96v-48 below 0.5, else 48v-24, '%.1f dB', '-inf dB' at -48", "%.1f", "dB") \
    L(WetDb,          "wet dB: 48v-24, '%.1f dB'",                       "%.1f",  "dB") \
    L(ReleaseSeconds, "release s: 2^(10v-6.666666)",                     nullptr, "")   \
    L(LoudnessDb,     "shelf dB: -30v",                                  nullptr, "")   \
    L(Linear,         "factor: v",                                       nullptr, "")
// clang-format on

enum class Law : unsigned char {
#define VULPANE_LAW_ID(law, ...) k##law,
    VULPANE_LAWS(VULPANE_LAW_ID)
#undef VULPANE_LAW_ID
};

// A law's description ("gain dB: 24v-12, '%.1f dB'"), for documentation and messages.
const char* LawName(Law law);

// The law's value for v: the number its text shows, or the DSP's unit (kNone, the switches and
// kLinear give v).
double LawValue(Law law, double v);

// What the editor's feedback shows: the value bar and the value text.
struct ShownValue {
    double bar;
    char text[32];
};
// The bar and the text of v by a display law (an empty text for a law that shows no number).
ShownValue LawDisplay(Law law, double v);

// What a host shows: the law's text for v without its unit ("-12.0", "ON"; false for a law that
// shows no text), and the unit ("dB", or "").
bool LawText(Law law, double v, char (&outText)[32]);
const char* LawUnit(Law law);
// The inverse of LawText: the v (0..1) whose text `text` is, with or without the unit, in any
// case ("-12 dB", "5", "on"); a switch also takes a number 0..1 as v. False for a law that
// shows no text, for a number outside the law's range and for a text that is none of its.
bool LawFromText(Law law, const char* text, double& outV);
