#pragma once

#include "EditorSnapshot.h"
#include "HostedPlugin.h"
#include "IEditorGraphics.h"
#include "IParameter.h"
#include "ParameterIds.h"
#include "VulpanePlugin.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// Vulpane constructed in this process and started as a host starts it, for editor window tests.
struct InProcessVulpane {
    InProcessVulpane() {
        std::string error;
        host = HostedPlugin::FromEntry(&VulpaneInProcess, error);
        EXPECT_TRUE(host) << error;
        if (!host) return;
        host->Start(44100.0, 512);
        plugin = static_cast<VulpanePlugin*>(IVstAdapter::FromEffect(host->Effect()));
        graphics = dynamic_cast<IEditorGraphics*>(plugin->Editor());
    }
    double Value(int param) const { return plugin->ParamAt(param)->Value(); }

    std::unique_ptr<HostedPlugin> host;
    VulpanePlugin* plugin = nullptr;
    IEditorGraphics* graphics = nullptr;
};

// Places on the editor the tests click (editor pixels).
constexpr int kGainKnobX = 380, kGainKnobY = 248;   // Clean 1's gain knob, 50 pixels high
constexpr int kNextModelX = 170, kNextModelY = 190; // the model step button, selects on release
