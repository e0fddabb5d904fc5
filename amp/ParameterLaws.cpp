#include "ParameterLaws.h"

#include "DspBank.h"

#include <cstdio>

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

const char* LawName(Law law) {
    switch (law) {
    case Law::kNone:
        return "none";
    case Law::kOnOff:
        return "switch: ON from 0.5";
    case Law::kOnAboveZero:
        return "switch: ON above 0";
    case Law::kGateDb:
        return "threshold dB: 100v-100, '%.0f dB'";
    case Law::kTenths:
        return "scale 0..10: 10v, '%.2f'";
    case Law::kCentredTenths:
        return "scale -5..5: 10v-5, '%.2f'";
    case Law::kReversedTenths:
        return "scale 10..0: (1-v)*10, '%.2f', bar 1-v";
    case Law::kEqDb:
        return "gain dB: 24v-12, '%.1f dB'";
    case Law::kSwitchDb:
        return "shelf dB: 24v-12, '%.0f dB'";
    case Law::kDryDb:
        return "dry dB: 96v-48 below 0.5, 48v-24 from it, '%.1f dB', '-inf dB' at -48";
    case Law::kWetDb:
        return "wet dB: 48v-24, '%.1f dB'";
    case Law::kReleaseSeconds:
        return "release s: 2^(10v-6.666666)";
    case Law::kLoudnessDb:
        return "shelf dB: -30v";
    case Law::kLinear:
        return "factor: v";
    }
    return "";
}

ShownValue LawDisplay(Law law, double v) {
    ShownValue shown{law == Law::kReversedTenths ? 1.0 - v : v, ""};
    const double value = LawValue(law, v);
    const char* format = nullptr;
    switch (law) {
    case Law::kOnOff:
        std::snprintf(shown.text, sizeof shown.text, "%s", v >= 0.5 ? "ON" : "OFF");
        break;
    case Law::kOnAboveZero:
        std::snprintf(shown.text, sizeof shown.text, "%s", v > 0.0 ? "ON" : "OFF");
        break;
    case Law::kGateDb:
    case Law::kSwitchDb:
        format = "%.0f dB";
        break;
    case Law::kTenths:
    case Law::kCentredTenths:
    case Law::kReversedTenths:
        format = "%.2f";
        break;
    case Law::kDryDb:
        if (value == -48.0)
            std::snprintf(shown.text, sizeof shown.text, "%s", "-inf dB");
        else
            format = "%.1f dB";
        break;
    case Law::kEqDb:
    case Law::kWetDb:
        format = "%.1f dB";
        break;
    case Law::kNone:
    case Law::kReleaseSeconds:
    case Law::kLoudnessDb:
    case Law::kLinear:
        break;
    }
    if (format) std::snprintf(shown.text, sizeof shown.text, format, value);
    return shown;
}
