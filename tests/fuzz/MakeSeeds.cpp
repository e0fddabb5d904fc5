// Writes the seed corpora of the fuzz targets from the plug-in itself, so they follow its
// formats: state chunks and .fxp/.fxb files of the default and a changed setting, and small WAV
// impulses of every sample size. The .vzp seeds are copies of factory presets.
//
//     make-fuzz-seeds CORPUS_DIR
#include "FuzzedPlugin.h"
#include "PresetFile.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void Write(const std::string& path, const std::vector<char>& bytes) {
    std::string error;
    if (!WriteFileBytes(path, bytes, error)) std::fprintf(stderr, "%s\n", error.c_str());
}

std::vector<char> Chunk(HostedPlugin& plugin, int isProgram) {
    void* data = nullptr;
    const intptr_t size = plugin.Dispatch(effGetChunk, isProgram, 0, &data);
    return std::vector<char>(static_cast<char*>(data), static_cast<char*>(data) + size);
}

void PutLe(std::vector<char>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// A mono 48 kHz impulse of 32 frames (a decaying click) with the given bits per sample.
std::vector<char> Wav(int bits, int channels) {
    const int frames = 32, bytesPerSample = bits / 8;
    const uint32_t dataSize = static_cast<uint32_t>(frames * channels * bytesPerSample);
    std::vector<char> out;
    for (char c : std::string("RIFF")) out.push_back(c);
    PutLe(out, 36 + dataSize, 4);
    for (char c : std::string("WAVEfmt ")) out.push_back(c);
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);
    PutLe(out, static_cast<uint32_t>(channels), 2);
    PutLe(out, 48000, 4);
    PutLe(out, static_cast<uint32_t>(48000 * channels * bytesPerSample), 4);
    PutLe(out, static_cast<uint32_t>(channels * bytesPerSample), 2);
    PutLe(out, static_cast<uint32_t>(bits), 2);
    for (char c : std::string("data")) out.push_back(c);
    PutLe(out, dataSize, 4);
    for (int i = 0; i < frames * channels; ++i) {
        const double v = (i % 2 ? -0.5 : 0.9) / (1 + i);
        if (bits == 8) {
            PutLe(out, static_cast<uint32_t>(128 + static_cast<int>(v * 127)), 1);
        } else {
            const double full = static_cast<double>((1u << (bits - 1)) - 1);
            PutLe(out, static_cast<uint32_t>(static_cast<int32_t>(v * full)), bytesPerSample);
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-fuzz-seeds CORPUS_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    HostedPlugin& plugin = FuzzedPlugin();
    for (int changed = 0; changed <= 1; ++changed) {
        if (changed) {
            plugin.SetParameter(4, 0.5f);  // another amp model
            plugin.SetParameter(12, 0.3f); // another cabinet
        }
        const std::string tag = changed ? "changed" : "default";
        for (int isProgram = 0; isProgram <= 1; ++isProgram) {
            std::vector<char> seed(1, static_cast<char>(isProgram));
            const std::vector<char> chunk = Chunk(plugin, isProgram);
            seed.insert(seed.end(), chunk.begin(), chunk.end());
            Write(dir + "/state_chunk/" + tag + (isProgram ? "-program" : "-bank"), seed);
            Write(dir + "/preset_files/" + tag + (isProgram ? ".fxp" : ".fxb"),
                  FormatPresetFile(CapturePreset(plugin, !isProgram)));
        }
    }
    PresetFile list = CapturePreset(plugin, false);
    list.opaque = false;
    list.programs.assign(1, PresetFile::Program{"List", std::vector<float>(static_cast<size_t>(plugin.Effect()->numParams), 0.25f)});
    list.chunk.clear();
    Write(dir + "/preset_files/parameter-list.fxp", FormatPresetFile(list));
    for (int bits : {8, 16, 24, 32}) Write(dir + "/wav_impulse/pcm" + std::to_string(bits) + ".wav", Wav(bits, 1));
    Write(dir + "/wav_impulse/stereo16.wav", Wav(16, 2));
    return 0;
}
