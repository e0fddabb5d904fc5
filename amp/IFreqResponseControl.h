#pragma once

#include "IControl.h"

#include <cstddef>
#include <mutex>
#include <vector>

// Draws the magnitude response of the loaded cabinet impulse as one polyline over a
// logarithmic frequency axis and a decibel axis; hovering shows frequency and level.
class IFreqResponseControl : public IControl {
public:
    IFreqResponseControl(IPluginBase* plugin, const IColorARGB& colour, const IRect& rect, int analysisSize,
                         int windowType);

    void SetRange(double minFreq, double maxFreq, double dbSpan, double dbOffset);
    void SetHold(int hold) { this->hold = hold; }
    void SetSampleRate(double rate) { sampleRate = rate; }
    // samples: AnalysisSize() values; recomputes the column values of the curve. May run on any
    // thread: the new curve is published under a short lock that the drawing copies it under.
    void Analyze(const double* samples);

    void OnMouseOver(int x, int y, const IMouseKeys& mods) override;
    void OnMouseOut() override;
    bool Draw(IEditorGraphics* graphics) override;
    // Always true: the curve is redrawn at the timer rate.
    bool NeedsRedraw() override { return true; }

    int AnalysisSize() const { return size; }
    // Pixels from the top of the display to the curve in column c.
    double ColumnValue(int c) const;
    // The hover text for a pointer position, as Draw shows it.
    void HoverText(int x, int y, char* out, int outSize) const;

private:
    double sampleRate = 44100.0;
    int windowType;
    int width, height, left, top;
    int size;
    double minFreq = 20.0, maxFreq = 20480.0;
    double dbSpan = 80.0, dbOffset = 30.0;
    IColorARGB colour;
    std::vector<double> fresh, smoothing;
    mutable std::mutex columnsLock;
    std::vector<double> columns; // the published curve, under columnsLock
    std::vector<double> drawn;   // the drawing's copy
    int hold = 0;
    int hoverX = 0, hoverY = 0;
    bool hovering = false;
    ITextStyle hoverStyle;
    double logSpan = 0.0, logMin = 0.0;
};
