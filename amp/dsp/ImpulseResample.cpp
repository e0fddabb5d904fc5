// Band-limited resampling of impulse responses with libsamplerate's best sinc converter.
#include "WavImpulse.h"

#include <samplerate.h>

#include <cmath>
#include <new>

namespace {
// libsamplerate takes ratios up to this far from 1 in one pass.
constexpr double kMaxPassRatio = 256.0;

// One pass over the whole signal, flushed to its end: exactly `length` samples, zero-padded if
// the converter gives fewer.
WavStatus Pass(const std::vector<float>& in, double ratio, size_t length, std::vector<float>& out) {
    out.assign(length, 0.0f);
    int error = 0;
    SRC_STATE* state = src_new(SRC_SINC_BEST_QUALITY, 1, &error);
    if (!state) return WavStatus::kNoMemory;
    SRC_DATA d = {};
    d.data_in = in.data();
    d.input_frames = static_cast<long>(in.size());
    d.data_out = out.data();
    d.output_frames = static_cast<long>(length);
    d.src_ratio = ratio;
    d.end_of_input = 1;
    while (d.output_frames > 0) {
        error = src_process(state, &d);
        if (error != 0 || d.output_frames_gen == 0) break;
        d.data_in += d.input_frames_used;
        d.input_frames -= d.input_frames_used;
        d.data_out += d.output_frames_gen;
        d.output_frames -= d.output_frames_gen;
    }
    src_delete(state);
    return error == 0 ? WavStatus::kOk : WavStatus::kNoMemory;
}

WavStatus BandLimited(const std::vector<double>& in, double ratio, size_t length, std::vector<double>& out) {
    // A ratio beyond one pass goes in equal steps, each within the converter's range.
    int passes = 1;
    while (std::fabs(std::log(ratio)) / passes > std::log(kMaxPassRatio))
        ++passes;
    const double step = std::pow(ratio, 1.0 / passes);
    std::vector<float> signal(in.size());
    for (size_t i = 0; i < in.size(); ++i)
        signal[i] = std::isfinite(in[i]) ? static_cast<float>(in[i]) : 0.0f;
    std::vector<float> next;
    for (int pass = 1; pass <= passes; ++pass) {
        const size_t passLength =
            pass == passes ? length
                           : static_cast<size_t>(std::ceil(static_cast<double>(signal.size()) * step));
        const WavStatus status = Pass(signal, step, passLength, next);
        if (status != WavStatus::kOk) return status;
        signal.swap(next);
    }
    out.assign(signal.begin(), signal.end());
    return WavStatus::kOk;
}
} // namespace

WavStatus ResampleImpulse(const std::vector<double>& in, double fromRate, double toRate, size_t maxFrames,
                          std::vector<double>& out) {
    if (!(fromRate > 0.0) || !(toRate > 0.0) || !std::isfinite(fromRate) || !std::isfinite(toRate))
        return WavStatus::kBadRate;
    // In doubles, so no count wraps before the check.
    const double frames = std::floor(static_cast<double>(in.size()) * toRate / fromRate);
    if (!(frames <= static_cast<double>(maxFrames))) return WavStatus::kTooLong;
    if (frames < 1.0 && !in.empty()) return WavStatus::kEmpty;
    try {
        std::vector<double> result;
        if (fromRate == toRate) {
            result = in;
        } else {
            const WavStatus status = BandLimited(in, toRate / fromRate, static_cast<size_t>(frames), result);
            if (status != WavStatus::kOk) return status;
        }
        out.swap(result);
    } catch (const std::bad_alloc&) {
        return WavStatus::kNoMemory;
    }
    return WavStatus::kOk;
}
