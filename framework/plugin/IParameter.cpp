#include "IParameter.h"

#include "TextUtil.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
bool SameTextIgnoringCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}
} // namespace

void IParameter::DeclareDouble(const char* newName, double newDefault, double newMinimum, double newMaximum,
                               double newStep, const char* newLabel) {
    if (type == kTypeNone) type = kTypeDouble;
    CopyText(name, sizeof(name), newName);
    CopyText(label, sizeof(label), newLabel);
    value.Store(newDefault);
    defaultValue = newDefault;
    minimum = newMinimum;
    maximum = newMaximum > newMinimum + newStep ? newMaximum : newMinimum + newStep;
    step = newStep;
    displayPrecision = 0;
    double s = newStep;
    while (s != std::floor(s) && displayPrecision < 6) {
        ++displayPrecision;
        s *= 10.0;
    }
}

void IParameter::DeclareInt(const char* newName, int defaultValue, int newMinimum, int newMaximum,
                            const char* newLabel) {
    if (type == kTypeNone) type = kTypeInt;
    DeclareDouble(newName, defaultValue, newMinimum, newMaximum, 1.0, newLabel);
}

void IParameter::DeclareEnum(const char* newName, int defaultValue, int count) {
    if (type == kTypeNone) type = kTypeEnum;
    DeclareDouble(newName, defaultValue, 0.0, count - 1, 1.0, "");
}

void IParameter::SetName(const char* newName) {
    CopyText(name, sizeof(name), newName);
}

void IParameter::SetDisplayText(int v, const char* text) {
    DisplayText entry{v, {}};
    CopyText(entry.text, sizeof(entry.text), text);
    displayTexts.push_back(entry);
}

const char* IParameter::GetDisplayText(int v) const {
    for (const DisplayText& entry : displayTexts)
        if (entry.value == v) return entry.text;
    return "";
}

bool IParameter::FindDisplayValue(const char* text, int& outValue) const {
    for (const DisplayText& entry : displayTexts) {
        if (std::strcmp(entry.text, text) == 0) {
            outValue = entry.value;
            return true;
        }
    }
    return false;
}

double IParameter::ToNormalized(double v) const {
    if (v < minimum) v = minimum;
    if (v > maximum) v = maximum;
    return std::pow((v - minimum) / (maximum - minimum), 1.0 / shape);
}

double IParameter::FromNormalized(double n) const {
    return minimum + std::pow(n, shape) * (maximum - minimum);
}

double IParameter::ValueOfNormalized(double n) const {
    double v = minimum + std::pow(n, shape) * (maximum - minimum);
    if (type != kTypeDouble) v = step * std::floor(v / step + 0.5);
    return v > maximum ? maximum : v;
}

void IParameter::SetFromNormalized(double n) {
    value.Store(ValueOfNormalized(n));
}

void IParameter::SetClamped(double v) {
    if (v < minimum) v = minimum;
    if (v > maximum) v = maximum;
    value.Store(v);
}

void IParameter::FormatForHost(double v, bool isNormalized, char* outText) const {
    if (isNormalized) v = FromNormalized(v);
    const char* text = GetDisplayText(static_cast<int>(v));
    if (text[0] != '\0') {
        CopyText(outText, 32, text);
        return;
    }
    if (negateDisplay) v = -v;
    if (v == 0.0) {
        CopyText(outText, 32, "0");
    } else if (displayPrecision == 0) {
        std::snprintf(outText, 32, "%d", static_cast<int>(v));
    } else {
        char format[16];
        std::snprintf(format, sizeof(format), "%%.%df", displayPrecision);
        std::snprintf(outText, 32, format, v);
    }
}

bool IParameter::NormalizedFromText(const char* text, double& outNormalized) const {
    for (const DisplayText& entry : displayTexts) {
        if (SameTextIgnoringCase(entry.text, text)) {
            outNormalized = ToNormalized(entry.value);
            return true;
        }
    }
    char* end = nullptr;
    double v = std::strtod(text, &end);
    if (end == text || std::isnan(v)) return false;
    while (std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    if (*end != '\0') return false;
    if (!displayTexts.empty()) {
        if (!(v >= 0.0 && v <= 1.0)) return false;
        outNormalized = v;
        return true;
    }
    if (negateDisplay) v = -v;
    if (!(v >= minimum && v <= maximum)) return false;
    outNormalized = ToNormalized(v);
    return true;
}
