#pragma once

#include <atomic>
#include <vector>

// One automatable parameter: its value in its own units, range, step and curve,
// and how it is shown to the host.
class IParameter {
public:
    enum Type { kTypeNone = 0, kTypeBool = 1, kTypeInt = 2, kTypeEnum = 3, kTypeDouble = 4 };

    void DeclareDouble(const char* name, double defaultValue, double minimum, double maximum, double step,
                       const char* label);
    void DeclareInt(const char* name, int defaultValue, int minimum, int maximum, const char* label);
    void DeclareEnum(const char* name, int defaultValue, int count);

    // Names a parameter that is never declared (a button the editor drives).
    void SetName(const char* newName);
    void SetDisplayText(int value, const char* text);
    const char* GetDisplayText(int value) const;
    int DisplayTextCount() const { return static_cast<int>(displayTexts.size()); }
    bool FindDisplayValue(const char* text, int& outValue) const;

    const char* Name() const { return name; }
    const char* Label() const { return label; }
    int GetType() const { return type; }
    double Value() const { return value.Load(); }
    double DefaultValue() const { return defaultValue; }
    void SetValue(double v) { value.Store(v); }
    double Minimum() const { return minimum; }
    double Maximum() const { return maximum; }
    double Step() const { return step; }
    double Shape() const { return shape; }
    void SetShape(double s) { shape = s; }
    int DisplayPrecision() const { return displayPrecision; }
    void SetNegateDisplay(bool negate) { negateDisplay = negate; }

    double Normalized() const { return ToNormalized(value.Load()); }
    double ToNormalized(double v) const;
    double FromNormalized(double n) const;
    // The value SetFromNormalized(n) stores (rounded to the step unless a double), without storing it.
    double ValueOfNormalized(double n) const;
    void SetFromNormalized(double n);
    // Stores v clamped into minimum..maximum, without rounding to the step.
    void SetClamped(double v);

    // outText must hold at least 32 bytes.
    void FormatForHost(double v, bool isNormalized, char* outText) const;
    // The normalised value of a text FormatForHost shows (a display text in any case, or a number
    // as shown, within the range); for a parameter with display texts, a number is the
    // normalised value itself, 0..1.
    bool NormalizedFromText(const char* text, double& outNormalized) const;

private:
    // The value, readable by a thread that does not hold the plug-in lock (a host asking from its
    // audio thread while another thread restores a song); copies as a plain number.
    class SharedValue {
    public:
        SharedValue() = default;
        SharedValue(const SharedValue& other) : v(other.Load()) {}
        SharedValue& operator=(const SharedValue& other) {
            Store(other.Load());
            return *this;
        }
        double Load() const { return v.load(std::memory_order_relaxed); }
        void Store(double x) { v.store(x, std::memory_order_relaxed); }

    private:
        std::atomic<double> v{0.0};
    };
    struct DisplayText {
        int value;
        char text[32];
    };

    int type = kTypeNone;
    SharedValue value;
    double defaultValue = 0.0;
    double minimum = 0.0;
    double maximum = 1.0;
    double step = 1.0;
    double shape = 1.0;
    int displayPrecision = 0;
    char name[32] = {};
    char label[32] = {};
    bool negateDisplay = false;
    std::vector<DisplayText> displayTexts;
};
