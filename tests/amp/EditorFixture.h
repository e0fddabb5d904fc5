#pragma once

#include "EditorIndices.h"
#include "EditorPositions.h"
#include "EditorSnapshot.h"
#include "HostedPlugin.h"
#include "IControl.h"
#include "IEditorGraphics.h"
#include "ITextControls.h"
#include "VulpanePlugin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

// Vulpane constructed in this process and driven as a host drives it (44.1 kHz, 512 frames),
// with its editor reachable for inspection.
class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override { Make(host, plugin, graphics); }

    static void Make(std::unique_ptr<HostedPlugin>& h, VulpanePlugin*& p, IEditorGraphics*& g) {
        std::string error;
        h = HostedPlugin::FromEntry(&VulpaneInProcess, error);
        ASSERT_TRUE(h) << error;
        h->Start(44100.0, 512);
        p = static_cast<VulpanePlugin*>(IVstAdapter::FromEffect(h->Effect()));
        g = dynamic_cast<IEditorGraphics*>(p->Editor());
        ASSERT_NE(g, nullptr);
    }

    IControl* At(int index) const { return graphics->ControlAt(index); }
    // The editor's timer tick: what a change made on the audio thread (the thread that renders
    // here) left for the editor is shown now.
    void Idle() const {
        IRect dirty;
        graphics->NeedsRedraw(dirty);
    }
    // Press and release of a momentary button, as its control sends them.
    static void Click(HostedPlugin& h, int param) {
        h.SetParameter(param, 1.0f);
        h.SetParameter(param, 0.0f);
    }
    void Click(int param) { Click(*host, param); }
    void SelectModel(int m) {
        host->SetParameter(kAmpModel, static_cast<float>(m / static_cast<double>(kLastModel)));
    }
    double StripFrame() const { return At(kControlNameStrip)->Value() * 31.0; }

    // Mono output of a 220 Hz test tone through the plug-in.
    static std::vector<double> Render(HostedPlugin& h, int frames = 4096) {
        std::vector<double> in(static_cast<size_t>(frames)), outL(in.size()), outR(in.size());
        for (int i = 0; i < frames; ++i)
            in[static_cast<size_t>(i)] = 0.3 * std::sin(2.0 * 3.14159265358979 * 220.0 * i / 44100.0);
        for (int at = 0; at < frames; at += 512) {
            double* inputs[2] = {in.data() + at, in.data() + at};
            double* outputs[2] = {outL.data() + at, outR.data() + at};
            h.ProcessDouble(inputs, outputs, 512);
        }
        return outL;
    }
    std::vector<double> Render() { return Render(*host); }

    std::unique_ptr<HostedPlugin> host;
    VulpanePlugin* plugin = nullptr;
    IEditorGraphics* graphics = nullptr;
};

// Whether the parameter is one model's own copy of a shared amp knob (its panel's knobs).
inline bool IsPanelParam(int param) {
    return param >= kModelSwitch && param < kModelTreble + kNumModels;
}

inline std::string ValueText(IEditorGraphics* graphics) {
    return static_cast<ITextControl*>(graphics->ControlAt(kControlValueText))->Text();
}

// Largest absolute difference of two renders.
inline double MaxDifference(const std::vector<double>& a, const std::vector<double>& b) {
    double d = 0.0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        d = std::fmax(d, std::fabs(a[i] - b[i]));
    return d;
}
