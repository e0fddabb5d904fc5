#include "BuiltPlugin.h"

#include "DynamicLibrary.h"

std::string BuiltPluginPath() {
#if defined(_WIN64)
    const char* name = "Vulpane64.dll";
#elif defined(_WIN32)
    const char* name = "Vulpane.dll";
#else
    const char* name = "Vulpane.so";
#endif
    return ExecutableFolder() + name;
}

std::unique_ptr<HostedPlugin> LoadBuiltPlugin() {
    std::string error;
    std::unique_ptr<HostedPlugin> plugin = HostedPlugin::Load(BuiltPluginPath(), error);
    EXPECT_TRUE(plugin) << error;
    return plugin;
}

void BuiltPluginTest::SetUp() {
    plugin = LoadBuiltPlugin();
    ASSERT_TRUE(plugin);
    effect = plugin->Effect();
    plugin->Start(44100.0, 512);
}
