#include "ParameterLaws.h"

#include "DspBank.h"

#include <cstdio>

namespace {
struct LawRow {
    const char* name;
    const char* format;
};
#define VULPANE_LAW_ROW(law, name, format) {name, format},
constexpr LawRow kLaws[] = {VULPANE_LAWS(VULPANE_LAW_ROW)};
#undef VULPANE_LAW_ROW

const LawRow& RowOf(Law law) { return kLaws[static_cast<int>(law)]; }
} // namespace

const char* LawName(Law law) { return RowOf(law).name; }

// The expressions keep their order of operations: the sound and the texts depend on every bit.
double LawValue(Law law, double v) {
    switch (law) {
    case Law::kGateDb:
        return 100.0 * v - 100.0;
    case Law::kTenths:
        return 10.0 * v;
    case Law::kCentredTenths:
        return 10.0 * v - 5.0;
    case Law::kReversedTenths:
        return (1.0 - v) * 10.0;
    case Law::kEqDb:
    case Law::kSwitchDb:
        return 24.0 * v - 12.0;
    case Law::kDryDb:
        return v >= 0.5 ? 48.0 * v - 24.0 : 96.0 * v - 48.0;
    case Law::kWetDb:
        return 48.0 * v - 24.0;
    case Law::kReleaseSeconds:
        return EnvelopeSeconds(v);
    case Law::kLoudnessDb:
        return -30.0 * v;
    case Law::kNone:
    case Law::kOnOff:
    case Law::kOnAboveZero:
    case Law::kLinear:
        break;
    }
    return v;
}

ShownValue LawDisplay(Law law, double v) {
    ShownValue shown{law == Law::kReversedTenths ? 1.0 - v : v, ""};
    const double value = LawValue(law, v);
    const char* text = nullptr;
    if (law == Law::kOnOff) text = v >= 0.5 ? "ON" : "OFF";
    if (law == Law::kOnAboveZero) text = v > 0.0 ? "ON" : "OFF";
    if (law == Law::kDryDb && value == -48.0) text = "-inf dB";
    if (text)
        std::snprintf(shown.text, sizeof shown.text, "%s", text);
    else if (RowOf(law).format)
        std::snprintf(shown.text, sizeof shown.text, RowOf(law).format, value);
    return shown;
}
