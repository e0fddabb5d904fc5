#pragma once

// The laws that turn a parameter's value v (0..1) into what the editor shows and into the units
// the DSP takes. Each law is written once, in ParameterLaws.cpp; the rows of ParameterList.h
// name them.
enum class Law : unsigned char {
    kNone,           // nothing shown; the DSP takes v itself
    kOnOff,          // "ON" from 0.5, else "OFF"
    kOnAboveZero,    // "ON" above 0, else "OFF"
    kGateDb,         // 100v - 100 dB, "%.0f dB"
    kTenths,         // 10v, "%.2f"
    kCentredTenths,  // 10v - 5, "%.2f"
    kReversedTenths, // (1 - v) x 10, "%.2f", the bar at 1 - v
    kEqDb,           // 24v - 12 dB, "%.1f dB"
    kSwitchDb,       // 24v - 12 dB, "%.0f dB"
    kDryDb,          // 96v - 48 dB below 0.5, else 48v - 24 dB; "%.1f dB", "-inf dB" at -48
    kWetDb,          // 48v - 24 dB, "%.1f dB"
    kReleaseSeconds, // 2^(10v - 6.666666) seconds, the envelope generator's time law
    kLoudnessDb,     // -30v dB
    kLinear,         // the factor v
};

// A law's short description ("gain dB: 24v-12"), for documentation and messages.
const char* LawName(Law law);

// The law's value for v: the number its text shows, or the DSP's unit.
double LawValue(Law law, double v);

// What the editor's feedback shows: the value bar and the value text.
struct ShownValue {
    double bar;
    char text[32];
};
// The bar and the text of v by a display law (an empty text for kNone).
ShownValue LawDisplay(Law law, double v);
