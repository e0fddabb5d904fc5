#include "OfflineRender.h"

#include "HostedPlugin.h"

#include <algorithm>
#include <cstddef>

namespace {
template <class Sample>
void RenderBlocks(HostedPlugin& plugin, const AudioBuffer& input, AudioBuffer& output, const RenderOptions& options) {
    AEffect* effect = plugin.Effect();
    const size_t ins = static_cast<size_t>(effect->numInputs), outs = static_cast<size_t>(effect->numOutputs);
    const size_t block = static_cast<size_t>(options.blockSize);
    std::vector<std::vector<Sample>> inBuffers(ins, std::vector<Sample>(block));
    std::vector<std::vector<Sample>> outBuffers(outs, std::vector<Sample>(block));
    std::vector<Sample*> inPointers(ins + 1), outPointers(outs + 1);
    for (size_t c = 0; c < ins; ++c) inPointers[c] = inBuffers[c].data();
    for (size_t c = 0; c < outs; ++c) outPointers[c] = outBuffers[c].data();
    const size_t frames = input.Frames();
    for (size_t done = 0; done < frames; done += block) {
        const size_t n = std::min(block, frames - done);
        for (size_t c = 0; c < ins; ++c) {
            const std::vector<double>& source = input.channels[input.channels.size() == 1 ? 0 : c % input.channels.size()];
            for (size_t i = 0; i < n; ++i) inBuffers[c][i] = static_cast<Sample>(source[done + i]);
        }
        if constexpr (sizeof(Sample) == sizeof(double))
            plugin.ProcessDouble(inPointers.data(), outPointers.data(), static_cast<int>(n));
        else
            plugin.ProcessFloat(inPointers.data(), outPointers.data(), static_cast<int>(n));
        for (size_t c = 0; c < outs; ++c)
            for (size_t i = 0; i < n; ++i) output.channels[c][done + i] = static_cast<double>(outBuffers[c][i]);
        if (options.progress) options.progress(static_cast<double>(done + n) / static_cast<double>(frames));
    }
}
} // namespace

AudioBuffer RenderThrough(HostedPlugin& plugin, const AudioBuffer& input, const RenderOptions& options) {
    const size_t frames = input.Frames();
    AudioBuffer output;
    output.sampleRate = input.sampleRate;
    output.channels.assign(static_cast<size_t>(plugin.Effect()->numOutputs), std::vector<double>(frames));
    if (options.blockSize <= 0 || input.channels.empty()) return output;
    const int delay = options.compensateLatency ? plugin.Effect()->initialDelay : 0;
    const size_t latency = delay > 0 ? static_cast<size_t>(delay) : 0;
    AudioBuffer padded;
    if (latency > 0) {
        padded.sampleRate = input.sampleRate;
        padded.channels = input.channels;
        for (std::vector<double>& channel : padded.channels) channel.resize(frames + latency, 0.0);
        for (std::vector<double>& channel : output.channels) channel.resize(frames + latency, 0.0);
    }
    const AudioBuffer& fed = latency > 0 ? padded : input;
    const bool useDouble = options.doublePrecision && (plugin.Effect()->flags & effFlagsCanDoubleReplacing);
    if (useDouble)
        RenderBlocks<double>(plugin, fed, output, options);
    else
        RenderBlocks<float>(plugin, fed, output, options);
    for (std::vector<double>& channel : output.channels)
        channel.erase(channel.begin(), channel.begin() + static_cast<std::ptrdiff_t>(latency));
    return output;
}
