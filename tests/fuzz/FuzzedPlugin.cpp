#include "FuzzedPlugin.h"

#include "EditorSnapshot.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

HostedPlugin& FuzzedPlugin() {
    static std::unique_ptr<HostedPlugin> plugin = [] {
        std::string error;
        std::unique_ptr<HostedPlugin> p = HostedPlugin::FromEntry(&VulpaneInProcess, error);
        Require(p != nullptr, "the plug-in starts");
        p->Start(44100.0, 512);
        return p;
    }();
    return *plugin;
}

void CheckPluginInvariants(HostedPlugin& plugin) {
    AEffect* effect = plugin.Effect();
    for (int i = 0; i < effect->numParams; ++i) {
        const float v = plugin.GetParameter(i);
        Require(std::isfinite(v) && v >= 0.0f && v <= 1.0f, "every parameter is finite and inside 0..1");
        char text[64];
        std::memset(text, 'x', sizeof(text));
        plugin.Dispatch(effGetParamDisplay, i, 0, text);
        Require(std::memchr(text, 0, 32) != nullptr, "a parameter's display text fits its 32 bytes");
    }
    static std::vector<double> in0(512), in1(512), out0(512), out1(512);
    for (size_t i = 0; i < in0.size(); ++i) {
        in0[i] = 0.5 * std::sin(2.0 * M_PI * 110.0 * static_cast<double>(i) / 44100.0);
        in1[i] = 0.0;
    }
    double* ins[2] = {in0.data(), in1.data()};
    double* outs[2] = {out0.data(), out1.data()};
    plugin.ProcessDouble(ins, outs, 512);
    for (size_t i = 0; i < out0.size(); ++i)
        Require(std::isfinite(out0[i]) && std::isfinite(out1[i]), "a processed block is finite");
}

void CheckChunkRoundTrip(HostedPlugin& plugin, int isProgram) {
    void* data = nullptr;
    const intptr_t size = plugin.Dispatch(effGetChunk, isProgram, 0, &data);
    Require(size > 0 && data != nullptr, "the plug-in gives its state chunk");
    std::vector<char> copy(static_cast<char*>(data), static_cast<char*>(data) + size);
    Require(plugin.Dispatch(effSetChunk, isProgram, static_cast<intptr_t>(copy.size()), copy.data()) == 1,
            "the plug-in takes its own state chunk back");
}
