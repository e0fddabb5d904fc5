#pragma once

#include "HostedPlugin.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// The plug-in binary built next to the test program: Vulpane.so, Vulpane.dll or Vulpane64.dll.
std::string BuiltPluginPath();

// Loads the built plug-in through its entry point, as a host does.
std::unique_ptr<HostedPlugin> LoadBuiltPlugin();

// A loaded and started plug-in (44.1 kHz, 512 frames) for tests.
class BuiltPluginTest : public ::testing::Test {
protected:
    void SetUp() override;
    std::unique_ptr<HostedPlugin> plugin;
    AEffect* effect = nullptr;
};
