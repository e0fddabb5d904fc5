// vulpane: plays the built Vulpane.so live through JACK, hosted through the host library as a DAW
// hosts it, with its editor in a window of its own. The state is kept between runs.
#include "CommandLine.h"
#include "HostWindow.h"
#include "HostedPlugin.h"
#include "LiveEngine.h"
#include "StateStore.h"
#include "StatusText.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t quitSignal = 0;
void OnQuitSignal(int signal) { quitSignal = signal; }

constexpr auto kTick = std::chrono::milliseconds(10);
constexpr auto kEditorIdle = std::chrono::milliseconds(40);
constexpr auto kStripUpdate = std::chrono::milliseconds(100);

std::string PluginBesideProgram() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0) return "Vulpane.so";
    std::string self(path, static_cast<size_t>(n));
    return self.substr(0, self.rfind('/') + 1) + "Vulpane.so";
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "vulpane: %s\n", message.c_str());
    return 1;
}

// Runs until a quit signal, the window's close or the server's end.
void Play(LiveEngine& engine, HostWindow* window, double statusSeconds) {
    using Clock = std::chrono::steady_clock;
    auto nextIdle = Clock::now(), nextStrip = Clock::now();
    auto nextStatus = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(statusSeconds));
    while (!quitSignal && !engine.ServerGone()) {
        engine.Service();
        const auto now = Clock::now();
        if (window) {
            if (!window->Pump(engine)) break;
            if (now >= nextIdle) {
                window->IdleEditor();
                nextIdle = now + kEditorIdle;
            }
            if (now >= nextStrip) {
                window->ShowStatus(engine.ReadStatus());
                nextStrip = now + kStripUpdate;
            }
        }
        if (statusSeconds > 0 && now >= nextStatus) {
            std::printf("%s\n", StatusLine(engine.ReadStatus()).c_str());
            nextStatus = now + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(statusSeconds));
        }
        std::this_thread::sleep_for(kTick);
    }
}
} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    CommandLine command;
    std::string error;
    if (!ParseCommandLine(argc, argv, command, error)) {
        std::fprintf(stderr, "vulpane: %s (vulpane --help shows the usage)\n", error.c_str());
        return 2;
    }
    if (command.help) {
        std::fputs(kVulpaneUsage, stdout);
        return 0;
    }
    std::unique_ptr<HostedPlugin> plugin = HostedPlugin::Load(command.plugin.empty() ? PluginBesideProgram() : command.plugin, error);
    if (!plugin) return Fail(error);
    // The plug-in calls back from the audio thread too: nothing may be recorded there.
    plugin->record = false;
    plugin->productString = "Vulpane Standalone";

    LiveEngine engine(*plugin);
    if (!engine.Open(command.clientName, error)) return Fail(error);
    plugin->Start(engine.SampleRate(), engine.Period());

    const std::string statePath = command.state.empty() ? DefaultStatePath() : command.state;
    std::string message;
    if (LoadState(*plugin, statePath, message) == StateLoad::MovedAside) std::fprintf(stderr, "vulpane: %s\n", message.c_str());
    if (!ApplySettings(*plugin, command.settings, error) || !ApplyOversample(*plugin, command.settings.oversample, error))
        return Fail(error);

    std::unique_ptr<HostWindow> window;
    if (command.gui) {
        window = std::make_unique<HostWindow>(*plugin);
        if (!window->Open(error)) return Fail(error);
    }
    std::signal(SIGINT, OnQuitSignal);
    std::signal(SIGTERM, OnQuitSignal);
    // The first sound already has the state's impulse: an empty block at the offline process
    // level waits for the load, then the plug-in is told it plays live, where it never waits.
    plugin->Settle();
    plugin->processLevel = kVstProcessLevelRealtime;
    if (!engine.Activate(error)) return Fail(error);
    Connections connections;
    connections.defaults = command.connect;
    connections.inputs = command.inputs;
    connections.captureIn = command.connectIn;
    connections.playback = command.connectOut;
    connections.midiIn = command.midiIn;
    if (!engine.Connect(connections, error)) {
        if (window) window->Close();
        engine.Close();
        return Fail(error);
    }
    std::printf("vulpane: ready\n");
    std::printf("vulpane: playing as JACK client \"%s\" at %.0f Hz, %d frames; the state is kept in %s\n",
                engine.ClientName().c_str(), engine.SampleRate(), engine.Period(), statePath.c_str());

    Play(engine, window.get(), command.statusSeconds);

    const bool serverGone = engine.ServerGone();
    if (serverGone) std::fprintf(stderr, "vulpane: %s; saving the state and quitting\n", engine.ShutdownReason().c_str());
    if (window) window->Close();
    const uint32_t xruns = engine.ReadStatus().xruns;
    engine.Close();
    if (!SaveState(*plugin, statePath, error)) return Fail("the state was not saved: " + error);
    std::printf("vulpane: state saved to %s (%u xruns while playing)\n", statePath.c_str(), xruns);
    return 0;
}
