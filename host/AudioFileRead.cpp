#include "AudioFile.h"

#include "PresetFile.h"

#if defined(VULPANE_HAVE_SNDFILE)
#include <sndfile.h>
#endif

bool ReadAudioFile(const std::string& path, AudioBuffer& out, std::string& error) {
#if defined(VULPANE_HAVE_SNDFILE)
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        error = path + ": " + sf_strerror(nullptr);
        return false;
    }
    std::vector<double> interleaved(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
    const sf_count_t frames = sf_readf_double(file, interleaved.data(), info.frames);
    sf_close(file);
    out.sampleRate = info.samplerate;
    out.channels.assign(static_cast<size_t>(info.channels), std::vector<double>(static_cast<size_t>(frames)));
    for (sf_count_t f = 0; f < frames; ++f)
        for (int c = 0; c < info.channels; ++c)
            out.channels[static_cast<size_t>(c)][static_cast<size_t>(f)] =
                interleaved[static_cast<size_t>(f * info.channels + c)];
    return true;
#else
    std::vector<char> bytes;
    if (!ReadFileBytes(path, bytes, error)) return false;
    if (!ParseWav(bytes, out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
#endif
}
