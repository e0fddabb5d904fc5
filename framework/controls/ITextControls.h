#pragma once

#include "IControl.h"

#include <atomic>
#include <string>

// Shows a text. The plug-in may set the text from any thread (the tuner does so from the
// audio thread), so the text lives in a fixed buffer under a sequence count: setting it never
// allocates or waits for a reader, and a reader that overlapped a change reads again, so the
// drawing never sees a half-replaced string. Writers take turns on a short spin flag.
class ITextControl : public IControl {
public:
    static const int kMaxText = 256;

    ITextControl(IPluginBase* plugin, const IRect& rect, const ITextStyle& style, const char* text = "");
    bool Draw(IEditorGraphics* graphics) override;

    // Stores the text and marks the control dirty only when it differs.
    void ApplyPluginText(const char* text);
    void GetText(char* out, int size) const;
    std::string Text() const;
    const ITextStyle& Style() const { return style; }
    bool Editable() const { return editable; }
    void SetEditable(bool e) { editable = e; }
    bool Secret() const { return secret; }
    void SetSecret(bool s) { secret = s; }
    // A text drawn in its own colour while the control's text is empty (a static string, not
    // copied). Text engines without alpha (GDI) draw opaque, so the colour is given, not faded.
    void SetHint(const char* h, const IColorARGB& colour) {
        hint = h;
        hintColour = colour;
    }

protected:
    // Stores without marking dirty; returns whether the text changed.
    bool StoreText(const char* text);

    ITextStyle style;

private:
    std::atomic_flag writing = ATOMIC_FLAG_INIT;
    std::atomic<unsigned> sequence{0}; // odd while a change is being written
    std::atomic<char> text[kMaxText] = {};
    bool editable = false;
    bool secret = false;
    const char* hint = nullptr;
    IColorARGB hintColour;
};

// Shows a parameter's display text (and unit) and can be dragged and wheeled like a knob.
class IParamTextControl : public ITextControl {
public:
    IParamTextControl(IPluginBase* plugin, const IRect& rect, int paramIdx, const ITextStyle& style,
                      IParameter* ownParam = nullptr, bool showValue = true, bool showLabel = true,
                      int direction = 0, double gearing = 4.0);
    bool Draw(IEditorGraphics* graphics) override;
    void OnMouseDrag(int x, int y, int dX, int dY, const IMouseKeys& mods) override;
    void OnMouseWheel(int x, int y, const IMouseKeys& mods, int notches) override;
    void AskParameterValue() override;

private:
    IParameter* ShownParameter() const;

    IParameter* ownParam;
    bool showValue;
    bool showLabel;
    int direction;
    double gearing;
};
