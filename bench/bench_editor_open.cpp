// What opening the editor costs: CPU time of the first whole-editor draw of a fresh instance
// (its images are decoded then, on first use) and of a later redraw. The window system's part of
// effEditOpen is not included; the draw is what the window's first paint waits for.
#include "EditorSnapshot.h"
#include "HostedPlugin.h"
#include "IRasterGraphics.h"
#include "IVstAdapter.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>
#include <string>

namespace {

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Draws the whole editor of the instance; false when it has none.
bool DrawWholeEditor(HostedPlugin& plugin) {
    IVstAdapter* adapter = IVstAdapter::FromEffect(plugin.Effect());
    auto* graphics = adapter ? dynamic_cast<IRasterGraphics*>(adapter->Editor()) : nullptr;
    if (!graphics) return false;
    ScopedLock<PluginLock> hold(adapter->Lock());
    graphics->MarkAllDirty();
    graphics->Draw(IRect(0, 0, graphics->Width(), graphics->Height()));
    return true;
}

void EditorDraw(benchmark::State& state, bool first) {
    std::string error;
    std::unique_ptr<HostedPlugin> plugin = HostedPlugin::FromEntry(&VulpaneInProcess, error);
    if (!plugin) {
        state.SkipWithError(error.c_str());
        return;
    }
    plugin->Start(44100.0, 512);
    if (!first) DrawWholeEditor(*plugin);
    for (auto _ : state) {
        const double start = CpuSeconds();
        if (!DrawWholeEditor(*plugin)) {
            state.SkipWithError("the plug-in has no editor");
            return;
        }
        state.SetIterationTime(CpuSeconds() - start);
    }
}

} // namespace

// Runs once and first: later instances of the process find the images decoded.
BENCHMARK_CAPTURE(EditorDraw, FirstOpen, true)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EditorDraw, Redraw, false)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
