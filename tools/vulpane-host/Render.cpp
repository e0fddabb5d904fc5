#include "AudioFile.h"
#include "Commands.h"
#include "HostedPlugin.h"
#include "OfflineRender.h"
#include "PresetFile.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#if defined(_WIN32)
#include <io.h>
#define VULPANE_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define VULPANE_ISATTY(f) isatty(fileno(f))
#endif

namespace {
bool SameFile(const std::string& a, const std::string& b) {
    std::error_code failed;
    return std::filesystem::equivalent(a, b, failed);
}

bool WritesOverInput(const Options& options, const std::string& out, bool demo, std::string& error) {
    const std::string inputs[] = {options.files[0], demo ? "" : options.files[1], options.fxp, options.chunk,
                                  options.preset};
    for (const std::string& input : inputs)
        if (!input.empty() && SameFile(input, out)) {
            error = "will not write over the input " + out + " (--overwrite allows it)";
            return true;
        }
    return false;
}

// An output may replace nothing the user gave as input and no existing file other than a
// WAV this host rendered, unless --overwrite says so.
bool MayWrite(const Options& options, const std::string& out, bool demo, std::string& error) {
    std::error_code failed;
    if (options.overwrite || !std::filesystem::exists(out, failed)) return true;
    if (WritesOverInput(options, out, demo, error)) return false;
    if (IsHostRenderedWav(out)) return true;
    if (demo)
        error = out + " exists and was not rendered by vulpane-host; to render it, give an output too: " +
                "render PLUGIN " + out + " OUT.wav (or --overwrite to replace it with the demo phrase)";
    else
        error = out + " exists and was not rendered by vulpane-host (--overwrite replaces it)";
    return false;
}

bool Prepare(HostedPlugin& plugin, const Options& options, double rate) {
    plugin.Start(rate, options.block);
    std::string error;
    if (!ApplySettings(plugin, options, error) || !ApplyOversample(plugin, options.oversample, error)) {
        std::fprintf(stderr, "vulpane-host: %s\n", error.c_str());
        return false;
    }
    return true;
}
} // namespace

int RunRender(HostedPlugin& plugin, const Options& options) {
    if (options.files.size() < 2 || options.files.size() > 3) {
        std::fprintf(stderr, "vulpane-host: render takes PLUGIN [IN.wav] OUT.wav\n");
        return 2;
    }
    std::string error;
    AudioBuffer input;
    const bool demo = options.files.size() == 2;
    const std::string& out = options.files.back();
    if (!MayWrite(options, out, demo, error)) {
        std::fprintf(stderr, "vulpane-host: %s\n", error.c_str());
        return 1;
    }
    if (demo) {
        input = MakeDemoPhrase(options.rate > 0 ? options.rate : 48000.0);
    } else if (!ReadAudioFile(options.files[1], input, error)) {
        std::fprintf(stderr, "vulpane-host: %s\n", error.c_str());
        return 1;
    }
    if (input.channels.empty() || input.Frames() == 0) {
        std::fprintf(stderr, "vulpane-host: the input has no audio\n");
        return 1;
    }
    if (input.sampleRate < kMinRate || input.sampleRate > kMaxRate) {
        std::fprintf(stderr, "vulpane-host: %s is at %.0f Hz, outside 8000..768000 Hz\n", options.files[1].c_str(),
                     input.sampleRate);
        return 1;
    }
    if (!Prepare(plugin, options, input.sampleRate)) return 1;

    RenderOptions render;
    render.blockSize = options.block;
    render.doublePrecision = !options.floatOnly;
    const double seconds = static_cast<double>(input.Frames()) / input.sampleRate;
    int lastPercent = -1;
    const bool showProgress = options.progress || (seconds > 20.0 && VULPANE_ISATTY(stderr));
    if (!options.quiet && showProgress)
        render.progress = [&](double done) {
            const int percent = static_cast<int>(done * 100.0);
            if (percent == lastPercent) return;
            lastPercent = percent;
            std::fprintf(stderr, "\rrendering %3d%%", percent);
            if (percent == 100) std::fputc('\n', stderr);
        };
    const AudioBuffer output = RenderThrough(plugin, input, render);
    if (!WriteWavFile(out, output, options.bits, error)) {
        std::fprintf(stderr, "vulpane-host: %s\n", error.c_str());
        return 1;
    }
    if (!options.quiet)
        std::printf("rendered %s%.2f s at %.0f Hz to %s\n", demo ? "the demo phrase, " : "", seconds,
                    input.sampleRate, out.c_str());
    return 0;
}

int RunSave(HostedPlugin& plugin, const Options& options, bool bank) {
    if (options.files.size() != 2) {
        std::fprintf(stderr, "vulpane-host: %s takes PLUGIN OUT\n", options.command.c_str());
        return 2;
    }
    std::string error;
    if (!options.overwrite && WritesOverInput(options, options.files[1], false, error)) {
        std::fprintf(stderr, "vulpane-host: %s\n", error.c_str());
        return 1;
    }
    if (!Prepare(plugin, options, options.rate > 0 ? options.rate : 44100.0)) return 1;
    std::vector<char> bytes;
    if (options.command == "save-chunk")
        bytes = plugin.GetChunk(true);
    else
        bytes = FormatPresetFile(CapturePreset(plugin, bank));
    if (bytes.empty()) {
        std::fprintf(stderr, "vulpane-host: the plug-in gave no state\n");
        return 1;
    }
    if (!WriteFileBytes(options.files[1], bytes, error)) {
        std::fprintf(stderr, "vulpane-host: %s\n", error.c_str());
        return 1;
    }
    if (!options.quiet) std::printf("saved %zu bytes to %s\n", bytes.size(), options.files[1].c_str());
    return 0;
}

int RunBench(HostedPlugin& plugin, const Options& options) {
    const double rate = options.rate > 0 ? options.rate : 48000.0;
    if (!Prepare(plugin, options, rate)) return 1;
    const AudioBuffer phrase = MakeDemoPhrase(rate);
    AudioBuffer input = phrase;
    while (static_cast<double>(input.Frames()) < options.seconds * rate)
        input.channels[0].insert(input.channels[0].end(), phrase.channels[0].begin(), phrase.channels[0].end());
    RenderOptions render;
    render.blockSize = options.block;
    render.doublePrecision = !options.floatOnly;
    plugin.Settle(); // what the settings load in the background is not timed
    const auto start = std::chrono::steady_clock::now();
    RenderThrough(plugin, input, render);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double frames = static_cast<double>(input.Frames());
    std::printf("%.0f frames at %.0f Hz, block %d: %.1f ns/sample, %.0fx real time\n", frames, rate, options.block,
                elapsed * 1e9 / frames, frames / rate / elapsed);
    return 0;
}
