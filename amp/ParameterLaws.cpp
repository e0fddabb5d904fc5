#include "ParameterLaws.h"

#include "DspBank.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
struct LawRow {
    const char* name;
    const char* format;
    const char* unit;
};
#define VULPANE_LAW_ROW(law, name, format, unit) {name, format, unit},
constexpr LawRow kLaws[] = {VULPANE_LAWS(VULPANE_LAW_ROW)};
#undef VULPANE_LAW_ROW

const LawRow& RowOf(Law law) {
    return kLaws[static_cast<int>(law)];
}
} // namespace

const char* LawName(Law law) {
    return RowOf(law).name;
}

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

bool LawText(Law law, double v, char (&outText)[32]) {
    const char* word = nullptr;
    if (law == Law::kOnOff) word = v >= 0.5 ? "ON" : "OFF";
    if (law == Law::kOnAboveZero) word = v > 0.0 ? "ON" : "OFF";
    const double value = LawValue(law, v);
    if (law == Law::kDryDb && value == -48.0) word = "-inf";
    if (word)
        std::snprintf(outText, sizeof outText, "%s", word);
    else if (RowOf(law).format)
        std::snprintf(outText, sizeof outText, RowOf(law).format, value);
    else
        return false;
    return true;
}

const char* LawUnit(Law law) {
    return RowOf(law).unit;
}

ShownValue LawDisplay(Law law, double v) {
    ShownValue shown{law == Law::kReversedTenths ? 1.0 - v : v, ""};
    char text[32];
    if (!LawText(law, v, text)) return shown;
    const char* unit = LawUnit(law);
    std::snprintf(shown.text, sizeof shown.text, unit[0] ? "%s %s" : "%s", text, unit);
    return shown;
}

namespace {
bool SameWord(const char* text, const char* word, const char*& end) {
    const char* t = text;
    for (; *word; ++t, ++word)
        if (std::tolower(static_cast<unsigned char>(*t)) != std::tolower(static_cast<unsigned char>(*word)))
            return false;
    end = t;
    return true;
}

const char* SkipSpace(const char* t) {
    while (std::isspace(static_cast<unsigned char>(*t)))
        ++t;
    return t;
}

// v of the number x a law shows (outside 0..1 for a number beyond the law's range).
double InverseOf(Law law, double x) {
    double v = x;
    switch (law) {
    case Law::kGateDb:
        v = (x + 100.0) / 100.0;
        break;
    case Law::kTenths:
        v = x / 10.0;
        break;
    case Law::kCentredTenths:
        v = (x + 5.0) / 10.0;
        break;
    case Law::kReversedTenths:
        v = 1.0 - x / 10.0;
        break;
    case Law::kEqDb:
    case Law::kSwitchDb:
        v = (x + 12.0) / 24.0;
        break;
    case Law::kDryDb:
        v = x >= 0.0 ? (x + 24.0) / 48.0 : (x + 48.0) / 96.0;
        break;
    case Law::kWetDb:
        v = (x + 24.0) / 48.0;
        break;
    default:
        break;
    }
    return v;
}
} // namespace

bool LawFromText(Law law, const char* text, double& outV) {
    if (!text) return false;
    const char* t = SkipSpace(text);
    const char* end = nullptr;
    const bool isSwitch = law == Law::kOnOff || law == Law::kOnAboveZero;
    if (isSwitch && (SameWord(t, "on", end) || SameWord(t, "off", end)) && *SkipSpace(end) == '\0') {
        outV = std::tolower(static_cast<unsigned char>(t[1])) == 'n' ? 1.0 : 0.0;
        return true;
    }
    if (!isSwitch && !RowOf(law).format) return false;
    char* numberEnd = nullptr;
    const double x = std::strtod(t, &numberEnd);
    if (numberEnd == t || std::isnan(x)) return false;
    end = SkipSpace(numberEnd);
    const char* unit = LawUnit(law);
    if (unit[0] && SameWord(end, unit, end)) end = SkipSpace(end);
    if (*end != '\0') return false;
    // The dry knob's silence reads back from "-inf"; other numbers must lie in the law's range.
    const double v =
        law == Law::kDryDb && std::isinf(x) && x < 0.0 ? 0.0 : (isSwitch ? x : InverseOf(law, x));
    if (!(v >= 0.0 && v <= 1.0)) return false;
    outV = v;
    return true;
}
