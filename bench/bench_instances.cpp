// What an instance of the built plug-in costs a host: CPU time of VSTPluginMain + effOpen +
// effClose for the first and for further instances, and the memory an idle instance keeps.
// The baseline is the same sequence with the bare minimum a host needs (the library loaded,
// nothing constructed), so the figures show the plug-in's own share.
#include "DynamicLibrary.h"
#include "HostedPlugin.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string PluginPath() { return ExecutableFolder() + "Vulpane.so"; }

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

long ResidentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * 4096;
}

// Keeps the library loaded between instances, as a host scanning or holding a session does.
void* KeepLibrary() {
    static void* library = [] {
        std::string error;
        void* l = OpenDynamicLibrary(PluginPath().c_str(), error);
        if (!l) std::fprintf(stderr, "%s\n", error.c_str());
        return l;
    }();
    return library;
}

std::unique_ptr<HostedPlugin> OpenInstance() {
    std::string error;
    std::unique_ptr<HostedPlugin> plugin = HostedPlugin::Load(PluginPath(), error);
    if (plugin) plugin->Dispatch(effOpen);
    return plugin;
}

void InstanceCost(benchmark::State& state) {
    if (!KeepLibrary()) {
        state.SkipWithError("the plug-in did not load");
        return;
    }
    for (auto _ : state) {
        const double start = CpuSeconds();
        std::unique_ptr<HostedPlugin> plugin = OpenInstance();
        plugin.reset(); // effClose
        state.SetIterationTime(CpuSeconds() - start);
    }
}

// The host's own part: finding the entry point in the loaded library.
void BaselineEntryLookup(benchmark::State& state) {
    void* library = KeepLibrary();
    for (auto _ : state) {
        const double start = CpuSeconds();
        benchmark::DoNotOptimize(FindLibrarySymbol(library, "VSTPluginMain"));
        state.SetIterationTime(CpuSeconds() - start);
    }
}

// Resident memory added by each idle (opened, not processing) instance.
void IdleInstanceMemory(benchmark::State& state) {
    constexpr int kInstances = 16;
    for (auto _ : state) {
        std::vector<std::unique_ptr<HostedPlugin>> held;
        held.push_back(OpenInstance()); // settles what is shared by all instances
        const long before = ResidentBytes();
        for (int i = 0; i < kInstances; ++i) held.push_back(OpenInstance());
        state.counters["MB_per_instance"] = static_cast<double>(ResidentBytes() - before) / kInstances / 1e6;
    }
}

} // namespace

// The first instance pays for what the process shares; it runs once, before the others.
BENCHMARK(InstanceCost)->Name("FirstInstance")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(InstanceCost)->Name("FurtherInstance")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BaselineEntryLookup)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(IdleInstanceMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
